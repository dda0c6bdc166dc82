#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "base/Result.h"
#include "engine/text/SearchBuffer.h"

namespace quillet {

// The engine holds its counts in 16-bit signed integers. These helpers give
// error 6 "Overflow" exactly where such a count or counter would overflow,
// instead of letting it wrap.

/// Whether a mask of `length` characters can be built: the loop that builds
/// a mask counts to the length in a 16-bit counter, which overflows when the
/// length is 32,767 or more.
inline Status maskFits(size_t length) {
    if (length >= static_cast<size_t>(std::numeric_limits<int16_t>::max())) return errors::overflow();
    return {};
}

/// `length` mask characters, as the buffer shows masks.
inline Result<std::u16string> maskOf(size_t length) {
    if (auto fits = maskFits(length); !fits) return fits.error();
    return std::u16string(length, kMaskChar);
}

/// `value` stored into a 16-bit signed integer.
inline Result<int16_t> toInt16(int64_t value) {
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
        return errors::overflow();
    return static_cast<int16_t>(value);
}

}  // namespace quillet
