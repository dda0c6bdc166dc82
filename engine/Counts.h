#pragma once

#include <cstdint>
#include <string>

namespace quillet {

/// `count` in decimal digits with a comma between thousands: "1,200".
inline std::u16string withThousands(int64_t count) {
    const std::string digits = std::to_string(count < 0 ? -count : count);
    std::u16string text;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text.push_back(u',');
        text.push_back(static_cast<char16_t>(digits[i]));
    }
    return count < 0 ? u"-" + text : text;
}

}  // namespace quillet
