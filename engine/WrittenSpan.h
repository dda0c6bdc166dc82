#pragma once

#include <cstdint>
#include <string>

#include "engine/Position.h"
#include "engine/WholeWord.h"

namespace quillet {

/// Text that a job wrote, and the text that it replaced there.
struct WrittenSpan {
    Span span;
    std::u16string replaced;
    /// When it was written among all writes: of empty spans at one place,
    /// the later one replaced text that came after the earlier one's.
    uint64_t writeOrder = 0;

    /// What whole words see at the written text's edges.
    WordEdges edges() const { return WordEdges::of(replaced); }
    /// The same writing, moved `by` units with the text around it.
    WrittenSpan movedBy(Position by) const { return {{span.start + by, span.length}, replaced, writeOrder}; }
};

}  // namespace quillet
