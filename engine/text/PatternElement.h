#pragma once

#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

#include "engine/text/FindRequest.h"
#include "engine/text/Position.h"
#include "engine/text/TextMatcher.h"

namespace quillet {

/// One piece of a find pattern: a run of literal text, or what one code
/// matches. ^w reads as two pieces: one unit of white space, then a greedy
/// run of more.
struct PatternElement {
    enum class Kind : std::uint8_t {
        Literal,         // the run in leadingText
        ParagraphEnd,    // ^p: CR LF, or CR
        LineBreak,       // ^n: U+000B, or an LF not after a CR
        AnyCharacter,    // ^?: one code point
        Digit,           // ^#: one decimal digit (Nd)
        Letter,          // ^$: one letter (L*)
        WhiteSpace,      // ^w, first: one tab or space separator (Zs)
        MoreWhiteSpace,  // ^w, then: as many more as there are, or fewer
    };

    Kind kind = Kind::Literal;
    /// What every occurrence of the element begins with, prepared for a
    /// scan: a literal's whole run (under the find's case option), a
    /// paragraph end's CR. Empty for the other codes.
    TextMatcher leadingText;
};

/// The find text as elements (see readCaretCodes): each code for more than
/// one character on its own, and the characters between them, typed or given
/// by a code, as one literal run. An empty text has none.
std::vector<PatternElement> readFindPattern(std::u16string_view findText, FindOptions options);

/// A way on from an element: where the next element begins, and whether that
/// is this element again (a run of white space going on).
struct ElementExit {
    bool again = false;
    Position pos = 0;
};

/// The ways on from an element that begins at `pos` in `text`, the one a
/// match tries first first: none when the element does not occur there; two
/// for a CR LF pair (the pair, then the CR alone) and for more white space
/// where there is some (one unit more, then the end of the run).
struct ElementExits {
    int count = 0;
    ElementExit exits[2];
};

/// A code point is a surrogate pair or any other single unit, a lone
/// surrogate included: no element ends inside a pair that it began outside,
/// and a literal run neither begins nor ends inside one.
ElementExits exitsOf(const PatternElement& element, std::u16string_view text, Position pos);

/// Whether an occurrence of `element` may begin with the unit `u`: false only
/// where none can, which lets a scan pass over most units without calling
/// exitsOf. Only ASCII units are told apart; the only ASCII letters are A to
/// Z and a to z, the only ASCII digits 0 to 9, and the only ASCII space
/// separator is the space.
inline bool mayBeginWith(const PatternElement& element, char16_t u) {
    using Kind = PatternElement::Kind;
    switch (element.kind) {
    case Kind::ParagraphEnd: return u == u'\r';
    case Kind::LineBreak: return u == u'\v' || u == u'\n';
    case Kind::Digit: return (u >= u'0' && u <= u'9') || u >= 0x80;
    case Kind::Letter: return ((u | 0x20) >= u'a' && (u | 0x20) <= u'z') || u >= 0x80;
    case Kind::WhiteSpace: return u == u' ' || u == u'\t' || u >= 0x80;
    case Kind::Literal:
    case Kind::AnyCharacter:
    case Kind::MoreWhiteSpace: return true;
    }
    return true;
}

inline constexpr Position kUnboundedLength = std::numeric_limits<Position>::max();

/// The fewest and the most units an occurrence of an element covers; the most
/// is kUnboundedLength for more white space.
struct LengthBounds {
    Position fewest = 0;
    Position most = 0;
};

LengthBounds lengthBoundsOf(const PatternElement& element);

}  // namespace quillet
