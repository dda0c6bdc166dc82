#include "engine/text/unicode/CaseMapping.h"

#include <algorithm>
#include <optional>

namespace quillet::unicode {

namespace {

// A few letters of a replacement are looked up at each write: a binary
// search of the sorted mappings is quick enough.
std::optional<char32_t> lookUp(const tables::CaseMapping* first, int count, char32_t cp) {
    const tables::CaseMapping* last = first + count;
    const tables::CaseMapping* found = std::lower_bound(
        first, last, cp, [](const tables::CaseMapping& mapping, char32_t value) { return mapping.from < value; });
    if (found == last || found->from != cp) return std::nullopt;
    return found->to;
}

}  // namespace

char32_t uppercaseOf(char32_t cp) {
    return lookUp(tables::kUppercase, tables::kUppercaseCount, cp).value_or(cp);
}

char32_t titlecaseOf(char32_t cp) {
    if (auto apart = lookUp(tables::kTitlecaseApart, tables::kTitlecaseApartCount, cp)) return *apart;
    return uppercaseOf(cp);
}

}  // namespace quillet::unicode
