#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillet {

// The codes that a user types into a find or a replacement text: a caret and
// the unit after it. Both texts read them alike and differ only in which
// codes, besides those for single characters, they know.

inline constexpr char16_t kCaret = u'^';

/// Whether `text` holds a caret; a text without one holds no code and
/// stands for itself.
bool hasCaret(std::u16string_view text);

/// One step of reading a text for its codes.
struct CaretToken {
    /// true: the code made of a caret and `unit`; false: `unit` is a
    /// character of the text.
    bool isCode = false;
    char16_t unit = 0;
};

/// Reads `text` left to right. ^t ^s ^+ ^= ^~ ^- ^^ read as the character
/// they stand for (tab, U+00A0, U+2014, U+2013, U+2011, U+00AD, caret); a
/// caret and one of `codeLetters` read as that code. A caret before any other
/// unit, or at the very end, is a character, and the unit after it is read as
/// it would be anywhere else. Codes are case-sensitive: "^T" is a caret and a
/// T.
std::vector<CaretToken> readCaretCodes(std::u16string_view text, std::u16string_view codeLetters);

/// The find text that finds exactly `text`, character for character: each
/// caret doubled, so that none begins a code ("2^n" gives "2^^n").
std::u16string literalFindText(std::u16string_view text);

}  // namespace quillet
