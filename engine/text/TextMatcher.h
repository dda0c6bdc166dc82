#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>


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
        std::int64_t offset = 0;
        int count = 0;  // 0: no such anchor
        char16_t units[4] = {};
        char16_t orMask = 0;
    };

    /// `needle` must not be empty.
    void prepare(std::u16string_view needle, bool matchCase);

    /// Position of the first occurrence that begins at or after `from`, or -1.
    std::int64_t findFrom(std::u16string_view haystack, std::int64_t from) const;

    std::size_t length() const { return needle_.size(); }

    /// Whether an occurrence begins at `q`; `q + length()` must not pass
    /// `size`.
    bool matchesAt(const char16_t* haystack, std::int64_t size, std::int64_t q) const;

private:
    void chooseAnchors();

    std::u16string needle_;  // folded unless matchCase_
    bool matchCase_ = true;
    Anchor first_;
    Anchor second_;
};

}  // namespace quillet
