#pragma once

#include <string>
#include <string_view>

namespace quillet::simhost {

/// UTF-8 to UTF-16; throws std::invalid_argument on malformed input.
std::u16string fromUtf8(std::string_view text);
/// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string toUtf8(std::u16string_view text);

}  // namespace quillet::simhost
