#pragma once

#include <string>
#include <string_view>

#include "engine/text/Position.h"

namespace quillet {

/// An occurrence in its line of context, as a list row shows it: about
/// kContextUnits code units on each side, cut at paragraph ends and line
/// breaks, and "…" where the cut falls inside a line. Inside the occurrence
/// a paragraph end shows as "¶", a line break as "↵" and a tab as a blank,
/// so that the row stays one line.
struct ContextLine {
    std::u16string text;
    /// The occurrence within `text`.
    Span occurrence;
};

inline constexpr Position kContextUnits = 25;

ContextLine contextLineOf(std::u16string_view story, Span occurrence);

}  // namespace quillet
