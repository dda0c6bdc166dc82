#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "host/Result.h"

namespace quillet {

// The engine holds its counts in 16-bit signed integers. These helpers give
// error 6 "Overflow" exactly where such a count or counter would overflow,
// instead of letting it wrap.

/// U+00A9, the character written over visited text in the search buffer.
inline constexpr char16_t kMaskChar = u'\u00A9';

/// `length` mask characters. The loop that builds a mask counts to the length
/// in a 16-bit counter, which overflows when the length is 32,767 or more.
inline Result<std::u16string> maskOf(size_t length) {
    if (length >= static_cast<size_t>(std::numeric_limits<int16_t>::max())) return errors::overflow();
    return std::u16string(length, kMaskChar);
}

/// `value` stored into a 16-bit signed integer.
inline Result<int16_t> toInt16(int64_t value) {
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
        return errors::overflow();
    return static_cast<int16_t>(value);
}

}  // namespace quillet
