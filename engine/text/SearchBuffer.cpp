#include "engine/text/SearchBuffer.h"

#include <algorithm>
#include <utility>

namespace quillet {

void SearchBuffer::load(std::u16string text) {
    text_ = std::move(text);
    fences_.clear();
    selStart_ = 0;
    selLength_ = 0;
    memoNoMatchBefore_ = 0;
}

std::u16string SearchBuffer::content() const { return shown(0, lengthOf(text_)); }

std::u16string SearchBuffer::selectedText() const { return shown(selStart_, selLength_); }

std::u16string SearchBuffer::shown(Position start, Position length) const {
    std::u16string text(unitsOf(text_, start, length));
    const Position end = start + length;
    auto fence = std::upper_bound(fences_.begin(), fences_.end(), start,
                                  [](Position at, const Fence& f) { return at < f.end; });
    for (; fence != fences_.end() && fence->start < end; ++fence) {
        std::fill(text.begin() + (std::max(fence->start, start) - start),
                  text.begin() + (std::min(fence->end, end) - start), kMaskChar);
    }
    return text;
}

void SearchBuffer::select(int32_t start, int32_t length) {
    const auto size = lengthOf(text_);
    const Position s = std::clamp<Position>(start, 0, size);
    const Position l = std::clamp<Position>(length, 0, size - s);
    selStart_ = static_cast<int32_t>(s);
    selLength_ = static_cast<int32_t>(l);
}

void SearchBuffer::maskSelection(std::u16string_view standsFor) {
    maskSelectionWith(standsFor, Fence{});
}

void SearchBuffer::maskWritten(std::u16string_view written, WordEdges replaced) {
    maskSelectionWith(written, Fence{0, 0, replaced.first, replaced.last, replaced.inDoubt, replaced.inDoubt});
}

void SearchBuffer::maskSelectionWith(std::u16string_view standsFor, Fence fence) {
    const Position start = selStart_;
    text_.replace(static_cast<size_t>(start), static_cast<size_t>(selLength_), standsFor.data(), standsFor.size());
    const auto written = lengthOf(standsFor);
    fence.start = start;
    fence.end = start + written;
    replaceFences(start, selLength_, fence);
    selStart_ = static_cast<int32_t>(start + written);
    selLength_ = 0;

    // Whether an occurrence of n units begins at q depends on the units from
    // q - 2 to q + n + 1 at most: the window itself, the units either side
    // that decide the surrogate-pair rule and the code points before and
    // after it for whole words (each up to two units), and whether those
    // positions exist at all; and on a fence that it touches or that ends or
    // begins at its edges. Below start nothing moved or changed, and a new
    // fence only takes occurrences away or changes what is seen at its
    // edges, so for q + n + 1 < start, that is q < start - n - 1, the earlier
    // finding still holds; one unit more of margin costs nothing.
    if (memoOptions_) {
        const auto n = lengthOf(memoText_);
        memoNoMatchBefore_ = pattern_ ? 0 : std::min(memoNoMatchBefore_, std::max<Position>(0, start - n - 2));
    }
}

void SearchBuffer::replaceFences(Position start, Position replacedLength, Fence fence) {
    const Position end = start + replacedLength;
    const Position shift = (fence.end - fence.start) - replacedLength;
    // Fences that end before the replaced span keep their place; one that
    // runs into it keeps its part before it, and one that runs out of it its
    // part after it. A seam at either edge of the span joins the new fence,
    // and what it made the edges look like stays so.
    auto first = std::lower_bound(fences_.begin(), fences_.end(), start, [](const Fence& f, Position at) {
        return f.end < at || (f.end == at && f.start < at);  // wholly before the span
    });
    auto last = std::upper_bound(first, fences_.end(), end, [](Position at, const Fence& f) {
        return f.start > at || (f.start == at && f.end > at);  // wholly after the span
    });
    std::vector<Fence> middle;
    if (first != last) {
        const Fence& front = *first;
        const Fence& back = *std::prev(last);
        if (front.start < start)
            middle.push_back({front.start, start, front.seenAfterStart, kNoCodePoint, front.afterStartInDoubt, false});
        if (front.start == start && front.end == start && front.seenAfterStart != kNoCodePoint) {
            fence.seenAfterStart = front.seenAfterStart;
            fence.afterStartInDoubt = front.afterStartInDoubt;
        }
        if (back.start == end && back.end == end && back.seenBeforeEnd != kNoCodePoint) {
            fence.seenBeforeEnd = back.seenBeforeEnd;
            fence.beforeEndInDoubt = back.beforeEndInDoubt;
        }
        middle.push_back(fence);
        if (back.end > end)
            middle.push_back({end + shift, back.end + shift, kNoCodePoint, back.seenBeforeEnd, false, back.beforeEndInDoubt});
    } else {
        middle.push_back(fence);
    }
    for (auto after = last; after != fences_.end(); ++after) {
        after->start += shift;
        after->end += shift;
    }
    const auto at = fences_.erase(first, last);
    fences_.insert(at, middle.begin(), middle.end());
}

const SearchBuffer::Fence* SearchBuffer::fenceAcross(Position at, Position length) const {
    // The first fence that ends after `at`; no later one starts before it ends.
    auto fence = std::upper_bound(fences_.begin(), fences_.end(), at,
                                  [](Position q, const Fence& f) { return q < f.end; });
    if (fence == fences_.end() || fence->start >= at + length) return nullptr;
    return &*fence;
}

bool SearchBuffer::isWholeWordAt(Position at, Position length) const {
    // Written text is seen as what it replaced; writing in doubt is seen so,
    // and as it reads too: the occurrence must be a whole word both ways.
    const char32_t ownBefore = codePointBefore(text_, at);
    char32_t before = ownBefore;
    bool beforeInDoubt = false;
    // The last fence that ends at `at` is the nearest: a seam there comes after a fence that ends there too.
    auto ending = std::upper_bound(fences_.begin(), fences_.end(), at,
                                   [](Position q, const Fence& f) { return q < f.end; });
    if (ending != fences_.begin() && std::prev(ending)->end == at &&
        std::prev(ending)->seenBeforeEnd != kNoCodePoint) {
        before = std::prev(ending)->seenBeforeEnd;
        beforeInDoubt = std::prev(ending)->beforeEndInDoubt;
    }

    const Position end = at + length;
    const char32_t ownAfter = codePointAt(text_, end);
    char32_t after = ownAfter;
    bool afterInDoubt = false;
    auto starting = std::lower_bound(fences_.begin(), fences_.end(), end,
                                     [](const Fence& f, Position q) { return f.start < q; });
    if (starting != fences_.end() && starting->start == end && starting->seenAfterStart != kNoCodePoint) {
        after = starting->seenAfterStart;
        afterInDoubt = starting->afterStartInDoubt;
    }
    if (!isWholeWord(before, after)) return false;
    if (!beforeInDoubt && !afterInDoubt) return true;
    return isWholeWord(beforeInDoubt ? ownBefore : before, afterInDoubt ? ownAfter : after);
}

void SearchBuffer::prepare(std::u16string_view text, FindOptions options) {
    if (options == memoOptions_ && text == std::u16string_view(memoText_)) return;
    memoText_.assign(text.data(), text.size());
    memoOptions_ = options;
    memoNoMatchBefore_ = 0;
    pattern_.reset();
    if (FindPattern::hasCodes(text)) pattern_.emplace(text, options);
    else matcher_.prepare(text, options.matchCase);
}

std::optional<Span> SearchBuffer::candidateFrom(Position from) const {
    if (pattern_) return pattern_->findFrom(text_, from);
    const auto found = matcher_.findFrom(text_, from);
    if (!found) return std::nullopt;
    return Span{*found, lengthOf(memoText_)};
}

std::optional<Span> SearchBuffer::scanFrom(Position from) const {
    auto found = candidateFrom(from);
    while (found) {
        // An occurrence of the plain needle that starts before a fence's end
        // and touches it is fenced off, so the next candidate lies at that
        // end or later; a pattern's may be shorter further on.
        if (const Fence* fence = fenceAcross(found->start, found->length)) {
            const bool inside = found->start >= fence->start;
            found = candidateFrom(pattern_ && !inside ? found->start + 1 : std::max(found->start + 1, fence->end));
            continue;
        }
        if (memoOptions_->wholeWord && !isWholeWordAt(found->start, found->length)) {
            found = candidateFrom(found->start + 1);
            continue;
        }
        return found;
    }
    return std::nullopt;
}

int32_t SearchBuffer::find(std::u16string_view text, FindOptions options) {
    if (text.empty()) return -1;
    prepare(text, options);
    const auto found = scanFrom(memoNoMatchBefore_);
    if (!found) {
        // Nothing from the bound on, nothing before it: nothing anywhere.
        memoNoMatchBefore_ = lengthOf(text_) + 1;
        return -1;
    }
    memoNoMatchBefore_ = found->start;
    selStart_ = static_cast<int32_t>(found->start);
    selLength_ = static_cast<int32_t>(found->length);
    return selStart_;
}

std::optional<Span> SearchBuffer::findFrom(std::u16string_view text, FindOptions options, Position from) {
    if (text.empty()) return std::nullopt;
    prepare(text, options);
    return scanFrom(std::max(from, memoNoMatchBefore_));
}

}  // namespace quillet
