#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/text/CaretCodeTable.h"

namespace quillet {

// Reading the codes (kCaretCodes) out of a find or a replacement text. Both
// texts read them alike and differ only in which codes they know.

/// Whether `text` holds a caret; a text without one holds no code and
/// stands for itself.
bool hasCaret(std::u16string_view text);

/// One step of reading a text for its codes.
struct CaretToken {
    /// CodeMeaning::Character: `character` is a character of the text, typed
    /// as it is or as a code. Otherwise what the code read stands for.
    CodeMeaning meaning = CodeMeaning::Character;
    char16_t character = 0;
};

/// Reads `text` left to right: a caret and the letter of a code that `in`
/// knows read as what the code stands for. A caret before any other unit, or
/// at the very end, is a character, and the unit after it is read as it would
/// be anywhere else: "^T" is a caret and a T, and so is "^w" in a replacement.
std::vector<CaretToken> readCaretCodes(std::u16string_view text, CodedText in);

/// The find text that finds exactly `text`, character for character: each
/// caret doubled, so that none begins a code ("2^n" gives "2^^n").
std::u16string literalFindText(std::u16string_view text);

}  // namespace quillet
