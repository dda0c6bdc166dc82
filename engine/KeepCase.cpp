#include "engine/KeepCase.h"

#include "engine/unicode/CodePointClass.h"
#include "engine/unicode/Unicode.h"

namespace quillet {

namespace {

using unicode::CodePointClass;

CodePointClass classOfUnit(char16_t unit) {
    return unicode::isSurrogate(unit) ? CodePointClass::Other : unicode::classOf(unit);
}

bool isCased(char16_t unit) {
    const CodePointClass cls = classOfUnit(unit);
    return cls == CodePointClass::UppercaseLetter || cls == CodePointClass::LowercaseLetter;
}

/// The capital of a small letter: the capital among the letters that fold
/// alike (the first, where there are several, as K before the Kelvin sign).
char16_t capitalOf(char16_t unit) {
    if (classOfUnit(unit) != CodePointClass::LowercaseLetter) return unit;
    char16_t alike[unicode::kMaxFoldClass];
    const int count = unicode::foldClass(unit, alike);
    char16_t capital = unit;
    for (int i = 0; i < count; ++i) {
        if (classOfUnit(alike[i]) == CodePointClass::UppercaseLetter && (capital == unit || alike[i] < capital))
            capital = alike[i];
    }
    return capital;
}

}  // namespace

std::u16string inCaseOf(std::u16string_view occurrence, std::u16string replacement) {
    int cased = 0;
    int capitals = 0;
    bool firstIsCapital = false;
    for (const char16_t unit : occurrence) {
        if (!isCased(unit)) continue;
        const bool capital = classOfUnit(unit) == CodePointClass::UppercaseLetter;
        if (cased++ == 0) firstIsCapital = capital;
        if (capital) ++capitals;
    }
    if (cased >= 2 && capitals == cased) {
        for (char16_t& unit : replacement) unit = capitalOf(unit);
    } else if (firstIsCapital) {
        for (char16_t& unit : replacement) {
            if (!isCased(unit)) continue;
            unit = capitalOf(unit);
            break;
        }
    }
    return replacement;
}

}  // namespace quillet
