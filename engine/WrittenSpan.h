#pragma once

#include <string>

#include "engine/Position.h"
#include "engine/WholeWord.h"

namespace quillet {

/// Text that a job wrote, and the text that it replaced there.
struct WrittenSpan {
    Span span;
    std::u16string replaced;

    /// What whole words see at the written text's edges.
    WordEdges edges() const { return WordEdges::of(replaced); }
};

}  // namespace quillet
