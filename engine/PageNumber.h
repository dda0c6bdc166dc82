#pragma once

#include <cstdint>
#include <limits>
#include <string_view>

#include "base/Result.h"

namespace quillet {

/// A page's number text read as a 32-bit decimal number: blanks around it and
/// a sign are allowed; anything else that is not a digit is a type mismatch,
/// and a value outside 32 bits an overflow.
inline Result<int32_t> readPageNumber(std::u16string_view text) {
    const auto first = text.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) return errors::typeMismatch();
    text = text.substr(first, text.find_last_not_of(u' ') - first + 1);
    const bool negative = text.front() == u'-';
    if (text.front() == u'-' || text.front() == u'+') text.remove_prefix(1);
    if (text.empty()) return errors::typeMismatch();
    int64_t value = 0;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9') return errors::typeMismatch();
        value = value * 10 + (c - u'0');
        if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) return errors::overflow();
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max()) return errors::overflow();
    return static_cast<int32_t>(value);
}

}  // namespace quillet
