#pragma once

#include <cstring>
#include <string_view>

namespace quillet {

/// Whether two texts hold the same code units. The standard comparison of
/// UTF-16 strings goes one unit at a time; this one compares memory, which
/// matters where a long story is compared at every step of a Replace All.
inline bool sameText(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0);
}

}  // namespace quillet
