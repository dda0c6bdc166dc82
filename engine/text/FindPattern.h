#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "engine/text/CaretCodes.h"
#include "engine/text/FindRequest.h"
#include "engine/text/PatternElement.h"
#include "engine/text/Position.h"

namespace quillet {

/// A find text with codes, prepared for matching: kCaretCodes lists the
/// codes, and readCaretCodes tells how a text reads. Each code matches what
/// the table says it stands for; in detail,
///   a paragraph end  CR LF where the text has the pair, else CR
///   a line break     U+000B, or an LF that does not follow a CR
///   any character    one code point (a surrogate pair is one; so is a lone
///                    surrogate)
///   white space      one or more of tab and the space separators (U+0020 and
///                    U+00A0 among them); never CR, LF, U+000B, U+2028 or
///                    U+2029
///
/// Without matchCase, the literal characters compare under Unicode simple
/// case folding, as TextMatcher compares them; the classes ignore case by
/// nature. wholeWord is not looked at: the caller judges the boundaries of
/// the match.
///
/// The match at a position is the first one found by matching the pattern
/// left to right, each code trying its longest reach first and the match
/// going back to the latest code with a shorter reach left when the rest of
/// the pattern fails: ^w takes the whole run of white space, then gives back
/// one unit at a time (so "^w " matches two spaces as a space and the literal
/// space), and ^p takes a CR LF pair whole, then the CR alone. Every other
/// code reaches exactly one way. The match never begins or ends inside a
/// surrogate pair, and is never empty; an empty find text matches nowhere.
///
/// Going back never tries the same rest of the pattern from the same place
/// twice, so a match costs at most the pattern's elements times the units it
/// looks at, however many runs of white space it holds.
class FindPattern {
public:
    FindPattern(std::u16string_view findText, FindOptions options);

    /// Whether `findText` may hold a code: only a text with a caret needs a
    /// FindPattern, and a plain TextMatcher finds every other one.
    static bool hasCodes(std::u16string_view findText) { return hasCaret(findText); }

    /// The length of the match that begins at `at`, if one does.
    std::optional<Position> matchAt(std::u16string_view text, Position at) const;

    /// The first match that begins at or after `from` (0 if negative).
    std::optional<Span> findFrom(std::u16string_view text, Position from) const;

private:
    /// The element the scan looks for first, and how far before it a match
    /// can begin.
    struct Anchor {
        std::size_t element = 0;
        Position fewestBefore = 0;
        Position mostBefore = 0;  // kUnboundedLength after a ^w
    };
    class FailedStates;

    void chooseAnchor();
    std::optional<Position> matchFrom(std::u16string_view text, Position q, FailedStates& failed) const;
    /// The first match that begins in [first, last].
    std::optional<Span> firstMatchIn(std::u16string_view text, Position first, Position last,
                                     FailedStates& failed) const;

    std::vector<PatternElement> elements_;
    std::optional<Anchor> anchor_;
};

}  // namespace quillet
