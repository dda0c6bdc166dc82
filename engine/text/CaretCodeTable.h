#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillet {

// Every code that a user may type into a find or a replacement text: a caret
// and a letter. The readers of both texts and the dialogs' Special menu all
// take their codes from kCaretCodes, so that the menu offers exactly what the
// engine reads.

inline constexpr char16_t kCaret = u'^';

/// The two texts that a user types codes into.
enum class CodedText : std::uint8_t { Find, Replacement };

/// What a code stands for.
enum class CodeMeaning : std::uint8_t {
    Character,     // the one character CaretCode::character
    ParagraphEnd,  // a paragraph end (CR LF or CR)
    LineBreak,     // a manual line break (U+000B or LF)
    // The classes of characters, which only a find text can look for:
    AnyCharacter,  // any one code point
    Digit,         // a decimal digit (general category Nd)
    Letter,        // a letter (general category L*)
    WhiteSpace,    // a run of tabs and space separators (Zs)
};

/// One code: a caret and `letter`.
struct CaretCode {
    char16_t letter = 0;
    CodeMeaning meaning = CodeMeaning::Character;
    /// What a code of CodeMeaning::Character stands for.
    char16_t character = 0;
    /// A replacement text reads the code as a caret and its letter.
    bool findOnly = false;
    /// The item of the Special menu that types the code.
    std::u16string_view menuName;

    constexpr bool knownIn(CodedText text) const { return text == CodedText::Find || !findOnly; }
    /// The code as the user types it.
    std::u16string typed() const { return {kCaret, letter}; }
};

/// The codes, in the order the Special menu shows them. Codes are
/// case-sensitive: a letter stands for nothing in another case.
inline constexpr CaretCode kCaretCodes[] = {
    {.letter = u'p', .meaning = CodeMeaning::ParagraphEnd, .menuName = u"Paragraph Mark"},
    {.letter = u'n', .meaning = CodeMeaning::LineBreak, .menuName = u"Manual Line Break"},
    {.letter = u't', .character = u'\t', .menuName = u"Tab Character"},
    {.letter = u's', .character = u'\u00A0', .menuName = u"Nonbreaking Space"},
    {.letter = u'+', .character = u'\u2014', .menuName = u"Em Dash"},
    {.letter = u'=', .character = u'\u2013', .menuName = u"En Dash"},
    {.letter = u'~', .character = u'\u2011', .menuName = u"Nonbreaking Hyphen"},
    {.letter = u'-', .character = u'\u00AD', .menuName = u"Optional Hyphen"},
    {.letter = kCaret, .character = kCaret, .menuName = u"Caret Character"},
    {.letter = u'?', .meaning = CodeMeaning::AnyCharacter, .findOnly = true, .menuName = u"Any Character"},
    {.letter = u'#', .meaning = CodeMeaning::Digit, .findOnly = true, .menuName = u"Any Digit"},
    {.letter = u'$', .meaning = CodeMeaning::Letter, .findOnly = true, .menuName = u"Any Letter"},
    {.letter = u'w', .meaning = CodeMeaning::WhiteSpace, .findOnly = true, .menuName = u"White Space"},
};

}  // namespace quillet
