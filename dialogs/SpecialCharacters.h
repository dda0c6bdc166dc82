#pragma once

#include <string_view>

namespace quillet {

/// One entry of the Special menu: the name it shows and the code that it
/// puts into a find or replacement text.
struct SpecialCharacter {
    std::u16string_view name;
    std::u16string_view code;
    /// Stands for a class of characters: it means something in a find text only.
    bool findOnly = false;
};

/// The codes of the Special menu, in the order it shows them.
inline constexpr SpecialCharacter kSpecialCharacters[] = {
    {u"Paragraph Mark", u"^p"},
    {u"Manual Line Break", u"^n"},
    {u"Tab Character", u"^t"},
    {u"Nonbreaking Space", u"^s"},
    {u"Em Dash", u"^+"},
    {u"En Dash", u"^="},
    {u"Nonbreaking Hyphen", u"^~"},
    {u"Optional Hyphen", u"^-"},
    {u"Caret Character", u"^^"},
    {u"Any Character", u"^?", /*findOnly=*/true},
    {u"Any Digit", u"^#", /*findOnly=*/true},
    {u"Any Letter", u"^$", /*findOnly=*/true},
    {u"White Space", u"^w", /*findOnly=*/true},
};

}  // namespace quillet
