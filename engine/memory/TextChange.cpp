#include "engine/memory/TextChange.h"

#include <algorithm>

#include "engine/text/SameText.h"

namespace quillet {

namespace {

/// The most single-unit edits that the middle of two texts is aligned with:
/// enough for a few words typed here and there between two presses, and few
/// enough that comparing a long story with one that is wholly new stays cheap.
constexpr int kMostEdits = 64;
/// The shortest text that two edits may leave alone between them: shorter,
/// it is more likely a letter that a rewrite happens to share with what it
/// replaced than text that the user did not touch.
constexpr Position kShortestUntouched = 3;
/// The units that a couple of quick edits change in a text of any length
/// (a quarter of a long one): a short story typed anew changes more, and
/// whatever letters the alignment finds in common are no text left alone.
constexpr Position kFewUnits = 8;

bool fewUnits(Position changed, Position shorterLength) { return changed <= std::max<Position>(kFewUnits, shorterLength / 4); }

/// Whether `changes` tell of a few edits here and there, rather than of
/// text rewritten in which the alignment found letters in common.
bool fewEditsApart(const std::vector<ChangedStretch>& changes, Position shorterLength) {
    for (size_t i = 1; i < changes.size(); ++i) {
        if (changes[i].start - (changes[i - 1].start + changes[i - 1].oldLength) < kShortestUntouched) return false;
    }
    return fewUnits(unitsChanged(changes), shorterLength);
}

/// One row of Myers' diff: for each diagonal k = x - y, how far along `a`
/// the furthest path with a given count of edits gets.
using Reaches = std::vector<Position>;

Position& reachOn(Reaches& row, Position k) { return row[static_cast<size_t>(k + kMostEdits + 1)]; }

/// Whether the furthest path onto diagonal `k` with `d` edits comes down
/// from diagonal k + 1 (a unit of `b` put in) rather than from k - 1.
bool comesDown(Reaches& row, Position k, Position d) {
    return k == -d || (k != d && reachOn(row, k - 1) < reachOn(row, k + 1));
}

/// The rows of the forward pass, one for each count of edits up to the
/// count that aligns `a` with `b`; nothing when that takes more than
/// kMostEdits single-unit edits.
std::optional<std::vector<Reaches>> forwardPass(std::u16string_view a, std::u16string_view b) {
    const auto n = lengthOf(a);
    const auto m = lengthOf(b);
    Reaches reach(2 * kMostEdits + 3, 0);
    std::vector<Reaches> rows;
    for (Position d = 0; d <= kMostEdits; ++d) {
        bool done = false;
        for (Position k = -d; k <= d; k += 2) {
            Position x = comesDown(reach, k, d) ? reachOn(reach, k + 1) : reachOn(reach, k - 1) + 1;
            Position y = x - k;
            while (x < n && y < m && a[static_cast<size_t>(x)] == b[static_cast<size_t>(y)]) ++x, ++y;
            reachOn(reach, k) = x;
            done = done || (x >= n && y >= m);
        }
        rows.push_back(reach);
        if (done) return rows;
    }
    return std::nullopt;
}

/// One single-unit edit at (x, y): a unit of `a` taken out, or one of `b` put in.
struct Edit {
    Position x;
    Position y;
    bool takesOut;
};

/// The edits of the forward pass's path to (n, m), in order: walked back
/// from the end, one edit at a time.
std::vector<Edit> editsOf(std::vector<Reaches>& rows, Position n, Position m) {
    std::vector<Edit> script;
    Position x = n;
    Position y = m;
    for (auto d = static_cast<Position>(rows.size()) - 1; d > 0; --d) {
        Reaches& before = rows[static_cast<size_t>(d - 1)];
        const Position k = x - y;
        const bool down = comesDown(before, k, d);
        const Position fromK = down ? k + 1 : k - 1;
        x = reachOn(before, fromK);
        y = x - fromK;
        script.push_back({x, y, !down});
    }
    std::reverse(script.begin(), script.end());
    return script;
}

/// The shortest alignment of `a` with `b` (Myers' O(ND) diff), as the
/// changed stretches between the units they share, placed at `offset`;
/// nothing when it takes more than kMostEdits single-unit edits.
std::optional<std::vector<ChangedStretch>> aligned(std::u16string_view a, std::u16string_view b, Position offset) {
    auto rows = forwardPass(a, b);
    if (!rows) return std::nullopt;
    // Edits with no shared unit between them make one stretch.
    std::vector<ChangedStretch> changes;
    Position endX = -1;
    Position endY = -1;
    for (const Edit& edit : editsOf(*rows, lengthOf(a), lengthOf(b))) {
        if (edit.x != endX || edit.y != endY) changes.push_back({offset + edit.x, 0, 0});
        ++(edit.takesOut ? changes.back().oldLength : changes.back().newLength);
        endX = edit.x + (edit.takesOut ? 1 : 0);
        endY = edit.y + (edit.takesOut ? 0 : 1);
    }
    return changes;
}

}  // namespace

std::u16string rewritten(std::u16string_view before, const std::vector<Rewrite>& rewrites) {
    std::u16string after;
    after.reserve(before.size());
    Position copied = 0;
    for (const Rewrite& rewrite : rewrites) {
        after.append(unitsOf(before, copied, rewrite.replaced.start - copied));
        after.append(rewrite.written);
        copied = rewrite.replaced.end();
    }
    after.append(unitsOf(before, copied, lengthOf(before) - copied));
    return after;
}

Position unitsChanged(const std::vector<ChangedStretch>& changes) {
    Position units = 0;
    for (const ChangedStretch& change : changes) units += change.oldLength + change.newLength;
    return units;
}

bool isAFewEdits(const std::vector<ChangedStretch>& changes, std::u16string_view before, std::u16string_view after) {
    return fewUnits(unitsChanged(changes), std::min(lengthOf(before), lengthOf(after)));
}

SharedEnds sharedEndsOf(std::u16string_view a, std::u16string_view b) {
    const size_t shortest = std::min(a.size(), b.size());
    size_t prefix = 0;
    while (prefix < shortest && a[prefix] == b[prefix]) ++prefix;
    size_t suffix = 0;
    while (suffix < shortest - prefix && a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix]) ++suffix;
    return {static_cast<Position>(prefix), static_cast<Position>(suffix)};
}

std::vector<ChangedStretch> changesBetween(std::u16string_view before, std::u16string_view after) {
    if (sameText(before, after)) return {};
    const auto [prefix, suffix] = sharedEndsOf(before, after);
    const std::u16string_view oldMiddle = unitsOf(before, prefix, lengthOf(before) - prefix - suffix);
    const std::u16string_view newMiddle = unitsOf(after, prefix, lengthOf(after) - prefix - suffix);
    const ChangedStretch whole{prefix, lengthOf(oldMiddle), lengthOf(newMiddle)};
    if (oldMiddle.empty() || newMiddle.empty()) return {whole};
    auto edits = aligned(oldMiddle, newMiddle, prefix);
    if (!edits || !fewEditsApart(*edits, std::min(lengthOf(before), lengthOf(after)))) return {whole};
    return *edits;
}

bool touches(const ChangedStretch& change, Span span, AtItsEdges edges) {
    const Position end = change.start + change.oldLength;
    if (span.length == 0 && edges == AtItsEdges::PlacesKept) return change.start < span.start && span.start < end;
    if (span.length == 0) return change.start <= span.start && span.start <= end;
    if (change.oldLength == 0) return span.start < change.start && change.start < span.end();
    return change.start < span.end() && span.start < end;
}

std::optional<Span> carried(Span span, const std::vector<ChangedStretch>& changes, AtItsEdges edges) {
    Position shift = 0;
    for (const ChangedStretch& change : changes) {
        if (touches(change, span, edges)) return std::nullopt;
        // Changes are in order: one that neither touches the span nor ends
        // by its start lies after it, and so do all that follow.
        if (change.start + change.oldLength > span.start) break;
        shift += change.newLength - change.oldLength;
    }
    return Span{span.start + shift, span.length};
}

}  // namespace quillet
