#include "engine/TextChange.h"

#include <algorithm>

#include "engine/SameText.h"

namespace quillet {

std::vector<ChangedStretch> changesBetween(std::u16string_view before, std::u16string_view after) {
    if (sameText(before, after)) return {};
    const size_t shortest = std::min(before.size(), after.size());
    size_t prefix = 0;
    while (prefix < shortest && before[prefix] == after[prefix]) ++prefix;
    size_t suffix = 0;
    while (suffix < shortest - prefix && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    return {ChangedStretch{static_cast<Position>(prefix), static_cast<Position>(before.size() - prefix - suffix),
                           static_cast<Position>(after.size() - prefix - suffix)}};
}

std::optional<Span> carried(Span span, const std::vector<ChangedStretch>& changes) {
    Position shift = 0;
    for (const ChangedStretch& change : changes) {
        const Position end = change.start + change.oldLength;
        if (span.start >= end) {
            shift += change.newLength - change.oldLength;
            continue;
        }
        if (span.end() <= change.start) break;
        return std::nullopt;
    }
    return Span{span.start + shift, span.length};
}

}  // namespace quillet
