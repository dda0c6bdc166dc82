#include "engine/text/unicode/Unicode.h"

#include <algorithm>

namespace quillet::unicode {

char32_t foldCodePoint(char32_t cp) {
    if (cp < 0x10000) return foldBmpUnit(char16_t(cp));
    const std::uint32_t* first = tables::kSuppFoldFrom;
    const std::uint32_t* last = first + tables::kSuppFoldCount;
    const std::uint32_t* it = std::lower_bound(first, last, std::uint32_t(cp));
    if (it != last && *it == cp) return tables::kSuppFoldTo[it - first];
    return cp;
}

bool isWordCodePoint(char32_t cp) {
    if (cp < 0x10000) return (tables::kWordBmp[cp >> 5] >> (cp & 31)) & 1u;
    // The last range starting at or before cp is the only one that can hold it.
    const std::uint32_t* first = tables::kWordSuppFirst;
    const std::uint32_t* last = first + tables::kWordSuppCount;
    const std::uint32_t* it = std::upper_bound(first, last, std::uint32_t(cp));
    if (it == first) return false;
    return cp <= tables::kWordSuppLast[(it - first) - 1];
}

int foldClass(char16_t u, char16_t out[kMaxFoldClass]) {
    out[0] = u;
    if (isSurrogate(u)) return 1;
    const std::uint16_t key = foldBmpUnit(u);
    const std::uint16_t* first = tables::kFoldClassKey;
    const std::uint16_t* last = first + tables::kFoldClassCount;
    const std::uint16_t* it = std::lower_bound(first, last, key);
    if (it == last || *it != key) return 1;
    const auto index = it - first;
    const int size = tables::kFoldClassSize[index];
    for (int i = 0; i < size; ++i) out[i] = char16_t(tables::kFoldClassMembers[index * kMaxFoldClass + i]);
    return size;
}

}  // namespace quillet::unicode
