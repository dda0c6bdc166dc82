#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "engine/Position.h"

namespace quillet {

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

/// Where a stretch that edits left alone lies afterwards, or nothing when
/// they changed it. `changes` are in order and apart, in the coordinates of
/// the text before them. A stretch touches a change when they overlap; an
/// empty stretch (a place) also when the change lies on both sides of it. An
/// insertion exactly at a place puts the place after the inserted text.
std::optional<Span> carried(Span span, const std::vector<ChangedStretch>& changes);

}  // namespace quillet
