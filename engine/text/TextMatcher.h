#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/text/Position.h"

namespace quillet {

/// One needle prepared for SearchBuffer::find: folded once when the find
/// ignores case, with the two code units the scan prefilters on. Preparing a
/// new needle reuses the storage of the previous one. Whole words are the
/// buffer's to judge: a mask may stand for other text at an occurrence's edge.
class TextMatcher {
public:
    /// A needle position the scan checks before verifying a candidate: a
    /// content unit u may stand there in a match only if (u | orMask) is one
    /// of `units`. The mask merges a pair of units that differ in one bit,
    /// such as 'a' and 'A', into one compare.
    struct Anchor {
        Position offset = 0;
        int count = 0;  // 0: no such anchor
        char16_t units[4] = {};
        char16_t orMask = 0;
    };

    /// `needle` must not be empty.
    void prepare(std::u16string_view needle, bool matchCase);

    /// Where the first occurrence that begins at or after `from` begins, if one does.
    std::optional<Position> findFrom(std::u16string_view haystack, Position from) const;

    Position length() const { return lengthOf(needle_); }

    /// Whether an occurrence begins at `at` in the `size` units of
    /// `haystack`; `at + length()` must not pass `size`.
    bool matchesAt(const char16_t* haystack, Position size, Position at) const;

private:
    void chooseAnchors();

    std::u16string needle_;  // folded unless matchCase_
    bool matchCase_ = true;
    Anchor first_;
    Anchor second_;
};

}  // namespace quillet
