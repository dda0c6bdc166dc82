#pragma once

// Unicode properties for the find: simple case folding and word characters.
// The data comes from tables generated at build time; nothing is read at run
// time.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/text/unicode/UnicodeTables.h"

namespace quillet::unicode {

/// Largest number of BMP units that fold to the same value.
inline constexpr int kMaxFoldClass = tables::kFoldClassStride;

inline bool isHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
inline bool isLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
inline bool isSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDFFF; }

inline char32_t combineSurrogates(char16_t high, char16_t low) {
    return 0x10000 + ((char32_t(high) - 0xD800) << 10) + (char32_t(low) - 0xDC00);
}

/// A code point of a UTF-16 text, and how many units it takes there.
struct CodePointUnits {
    char32_t cp = 0;
    std::int64_t units = 1;
};

/// The code point that begins at `pos` (inside the text): a surrogate pair
/// is one, of two units; any other unit, a lone surrogate too, is one of its
/// own.
inline CodePointUnits codePointAt(std::u16string_view text, std::int64_t pos) {
    const char16_t u = text[static_cast<std::size_t>(pos)];
    if (isHighSurrogate(u) && pos + 1 < static_cast<std::int64_t>(text.size()) &&
        isLowSurrogate(text[static_cast<std::size_t>(pos + 1)]))
        return {combineSurrogates(u, text[static_cast<std::size_t>(pos + 1)]), 2};
    return {u, 1};
}

/// Appends `cp` in UTF-16: a supplementary code point as a surrogate pair,
/// anything below as the one unit, a lone surrogate too.
inline void appendCodePoint(std::u16string& text, char32_t cp) {
    if (cp < 0x10000) {
        text.push_back(char16_t(cp));
        return;
    }
    text.push_back(char16_t(0xD800 + ((cp - 0x10000) >> 10)));
    text.push_back(char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF)));
}

/// Simple case folding (CaseFolding.txt statuses C and S) of one BMP code
/// unit. Surrogates fold to themselves; a pair is folded by foldCodePoint.
inline char16_t foldBmpUnit(char16_t u) {
    const unsigned block = tables::kFoldStage1[u >> 8];
    return char16_t(u + tables::kFoldStage2[block * 256 + (u & 0xFF)]);
}

/// Simple case folding of any code point; values that are not code points,
/// and surrogates, fold to themselves. Folding never changes whether a code
/// point is in the BMP, nor a supplementary code point's high surrogate.
char32_t foldCodePoint(char32_t cp);

/// True for general categories L*, M*, N* and Pc.
bool isWordCodePoint(char32_t cp);

/// Writes the BMP units whose folding equals that of `u` (including `u`)
/// to `out` and returns how many there are, 1 to kMaxFoldClass. A surrogate
/// is alone in its class.
int foldClass(char16_t u, char16_t out[kMaxFoldClass]);

}  // namespace quillet::unicode
