#pragma once

#include <cstdint>
#include <string>

#include "engine/text/Position.h"
#include "engine/text/WholeWord.h"

namespace quillet {

/// Text that a job wrote, and the text that it replaced there.
struct WrittenSpan {
    Span span;
    std::u16string replaced;
    /// When it was written among all writes: of empty spans at one place,
    /// the later one replaced text that came after the earlier one's.
    uint64_t writeOrder = 0;
    /// Whether this is certainly the job's writing. Where the story it
    /// stands in could be another one (text boxes moved, or alike, or
    /// another publication that could not be told apart), it is only
    /// possibly the job's: it is never written over all the same, and an
    /// occurrence next to it must be a whole word both ways, as it reads
    /// and as if the writing were the text it replaced.
    bool certain = true;

    /// What whole words see at the written text's edges.
    WordEdges edges() const { return WordEdges::of(replaced, /*inDoubt=*/!certain); }
    /// The same writing, moved `by` units with the text around it.
    WrittenSpan movedBy(Position by) const {
        WrittenSpan moved = *this;
        moved.span.start += by;
        return moved;
    }
    /// Whether two spans hold the same writing, wherever and whenever made.
    bool sameWritingAs(const WrittenSpan& other) const {
        return span == other.span && replaced == other.replaced && certain == other.certain;
    }
};

}  // namespace quillet
