#pragma once

#include <string_view>

#include "engine/text/Position.h"
#include "engine/text/unicode/Unicode.h"

namespace quillet {

// Whole words are judged on the code points just before and just after an
// occurrence: neither may be a word character (letters, marks, digits,
// connector punctuation). Pairs decode as one code point.

/// Stands where a text has no code point: before its start, after its end.
inline constexpr char32_t kNoCodePoint = 0xFFFFFFFF;

/// The code point that ends just before `at`; kNoCodePoint at the start.
inline char32_t codePointBefore(std::u16string_view text, Position at) {
    if (at <= 0) return kNoCodePoint;
    const char16_t unit = text[static_cast<size_t>(at - 1)];
    if (unicode::isLowSurrogate(unit) && at >= 2 && unicode::isHighSurrogate(text[static_cast<size_t>(at - 2)]))
        return unicode::combineSurrogates(text[static_cast<size_t>(at - 2)], unit);
    return unit;
}

/// The code point that begins at `at`; kNoCodePoint at the end.
inline char32_t codePointAt(std::u16string_view text, Position at) {
    if (at >= lengthOf(text)) return kNoCodePoint;
    const char16_t unit = text[static_cast<size_t>(at)];
    if (unicode::isHighSurrogate(unit) && at + 1 < lengthOf(text) &&
        unicode::isLowSurrogate(text[static_cast<size_t>(at + 1)]))
        return unicode::combineSurrogates(unit, text[static_cast<size_t>(at + 1)]);
    return unit;
}

/// Whether an occurrence with these neighbours is a whole word.
inline bool isWholeWord(char32_t before, char32_t after) {
    return (before == kNoCodePoint || !unicode::isWordCodePoint(before)) &&
           (after == kNoCodePoint || !unicode::isWordCodePoint(after));
}

/// What whole words see at the edges of text that the engine wrote: the
/// first and last code points of the text it replaced, so that a
/// replacement never makes a word of its neighbours or breaks one up.
/// Writing that is only possibly the engine's (`inDoubt`) is seen both
/// ways: an occurrence next to it must be a whole word as the text reads
/// and as if the writing were what it replaced.
struct WordEdges {
    char32_t first = kNoCodePoint;
    char32_t last = kNoCodePoint;
    bool inDoubt = false;

    static WordEdges of(std::u16string_view replaced, bool inDoubt = false) {
        return {codePointAt(replaced, 0), codePointBefore(replaced, lengthOf(replaced)), inDoubt};
    }
    friend bool operator==(const WordEdges&, const WordEdges&) = default;
};

}  // namespace quillet
