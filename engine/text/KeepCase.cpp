#include "engine/text/KeepCase.h"

#include <cstdint>

#include "engine/text/unicode/CaseMapping.h"
#include "engine/text/unicode/CodePointClass.h"
#include "engine/text/unicode/Unicode.h"

namespace quillet {

namespace {

using unicode::CodePointClass;

/// How the occurrence's cased letters are written.
enum class Casing { AsTyped, FirstCapital, AllCapitals };

Casing casingOf(std::u16string_view occurrence) {
    int cased = 0;
    int capitals = 0;
    bool firstIsCapital = false;
    for (std::int64_t pos = 0; pos < static_cast<std::int64_t>(occurrence.size());) {
        const auto [cp, units] = unicode::codePointAt(occurrence, pos);
        pos += units;
        const CodePointClass cls = unicode::classOf(cp);
        if (cls != CodePointClass::UppercaseLetter && cls != CodePointClass::LowercaseLetter) continue;
        const bool capital = cls == CodePointClass::UppercaseLetter;
        if (cased++ == 0) firstIsCapital = capital;
        if (capital) ++capitals;
    }
    if (cased >= 2 && capitals == cased) return Casing::AllCapitals;
    return firstIsCapital ? Casing::FirstCapital : Casing::AsTyped;
}

std::u16string inCapitals(std::u16string_view text) {
    std::u16string capitals;
    capitals.reserve(text.size());
    for (std::int64_t pos = 0; pos < static_cast<std::int64_t>(text.size());) {
        const auto [cp, units] = unicode::codePointAt(text, pos);
        pos += units;
        unicode::appendCodePoint(capitals, unicode::uppercaseOf(cp));
    }
    return capitals;
}

/// A first character that is no letter ("2nd") has no capital to give.
std::u16string withFirstCapital(std::u16string_view text) {
    if (text.empty()) return {};
    const auto [cp, units] = unicode::codePointAt(text, 0);
    if (!unicode::isLetter(unicode::classOf(cp))) return std::u16string(text);
    std::u16string written;
    written.reserve(text.size());
    unicode::appendCodePoint(written, unicode::titlecaseOf(cp));
    written.append(text.substr(static_cast<std::size_t>(units)));
    return written;
}

}  // namespace

std::u16string inCaseOf(std::u16string_view occurrence, std::u16string replacement) {
    switch (casingOf(occurrence)) {
    case Casing::AllCapitals: return inCapitals(replacement);
    case Casing::FirstCapital: return withFirstCapital(replacement);
    case Casing::AsTyped: break;
    }
    return replacement;
}

}  // namespace quillet
