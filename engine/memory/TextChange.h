#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/text/Position.h"

namespace quillet {

/// One replacement in a text: the span it replaced, and what it wrote there.
struct Rewrite {
    Span replaced;
    std::u16string written;
};

/// `before` with each of `rewrites` (in order, apart) made.
std::u16string rewritten(std::u16string_view before, const std::vector<Rewrite>& rewrites);

/// A stretch of a text that an edit changed: `oldLength` units from `start`
/// became `newLength` units.
struct ChangedStretch {
    Position start = 0;
    Position oldLength = 0;
    Position newLength = 0;
};

/// How `before` became `after`: the stretches that differ, in order, in the
/// coordinates of `before`; nothing when the texts are the same. The longest
/// beginning and then the longest end that the two texts share never count
/// as changed. Between them, a few edits apart (a word typed here and a
/// letter deleted there) come out as stretches of their own, so that what
/// lies between them is left alone; a rewrite comes out as one stretch.
/// Where an edit could have been made in several places (a letter typed
/// into a run of the same letter), it lies as far to the end as it can.
std::vector<ChangedStretch> changesBetween(std::u16string_view before, std::u16string_view after);

/// How many units `changes` take out and put in.
Position unitsChanged(const std::vector<ChangedStretch>& changes);

/// Whether `changes` made of `before` are a few quick edits (at most 8
/// units, or a quarter of the shorter text), rather than a text rewritten.
bool isAFewEdits(const std::vector<ChangedStretch>& changes, std::u16string_view before, std::u16string_view after);

/// How many units two texts share at their beginning and then at their end,
/// the end not reaching into the beginning.
struct SharedEnds {
    Position prefix = 0;
    Position suffix = 0;
};
SharedEnds sharedEndsOf(std::u16string_view a, std::u16string_view b);

/// How a change fares with the places (empty spans) at its edges.
enum class AtItsEdges {
    /// An edit: a place where it is made, or where it begins or ends, is
    /// touched: what stood on either side of the place is no longer what did.
    PlacesTouched,
    /// An undo: it puts back exactly what a write replaced, and the places
    /// beside it stand as they did before that write; one where text is put
    /// back stands after it.
    PlacesKept,
};

/// Whether `change` touches `span`: they overlap, or the change is made
/// inside it. A change next to a stretch of text leaves it alone; one at or
/// next to a place as `edges` says.
bool touches(const ChangedStretch& change, Span span, AtItsEdges edges = AtItsEdges::PlacesTouched);

/// Where a stretch that changes left alone lies afterwards, or nothing when
/// one touched it. `changes` are in order and apart, in the coordinates of
/// the text before them.
std::optional<Span> carried(Span span, const std::vector<ChangedStretch>& changes,
                            AtItsEdges edges = AtItsEdges::PlacesTouched);

}  // namespace quillet
