#include "engine/SearchBuffer.h"

#include <algorithm>
#include <utility>

namespace quillet {

void SearchBuffer::load(std::u16string text) {
    text_ = std::move(text);
    fences_.clear();
    selStart_ = 0;
    selLength_ = 0;
    forgetFinds();
}

std::u16string SearchBuffer::content() const { return shown(0, static_cast<int64_t>(text_.size())); }

std::u16string SearchBuffer::selectedText() const { return shown(selStart_, selLength_); }

std::u16string SearchBuffer::shown(int64_t start, int64_t length) const {
    std::u16string text = text_.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(length));
    const int64_t end = start + length;
    auto fence = std::upper_bound(fences_.begin(), fences_.end(), start,
                                  [](int64_t at, const Fence& f) { return at < f.end; });
    for (; fence != fences_.end() && fence->start < end; ++fence) {
        std::fill(text.begin() + (std::max(fence->start, start) - start),
                  text.begin() + (std::min(fence->end, end) - start), kMaskChar);
    }
    return text;
}

void SearchBuffer::select(int32_t start, int32_t length) {
    const int64_t size = static_cast<int64_t>(text_.size());
    const int64_t s = std::clamp<int64_t>(start, 0, size);
    const int64_t l = std::clamp<int64_t>(length, 0, size - s);
    selStart_ = static_cast<int32_t>(s);
    selLength_ = static_cast<int32_t>(l);
}

void SearchBuffer::maskSelection(std::u16string_view standsFor) {
    const auto start = static_cast<std::size_t>(selStart_);
    const auto replaced = static_cast<std::size_t>(selLength_);
    text_.replace(start, replaced, standsFor.data(), standsFor.size());
    const auto written = static_cast<int64_t>(standsFor.size());
    replaceFences(selStart_, selLength_, Fence{selStart_, selStart_ + written});
    selStart_ = static_cast<int32_t>(selStart_ + written);
    selLength_ = 0;

    // Whether an occurrence of n units begins at q depends on the units from
    // q - 2 to q + n + 1 at most: the window itself, the units either side
    // that decide the surrogate-pair rule and the code points before and
    // after it for whole words (each up to two units), and whether those
    // positions exist at all. Below start nothing moved or changed, and a
    // new fence only takes occurrences away, so for q + n + 1 < start, that
    // is q < start - n - 1, the earlier finding still holds; one unit more of
    // margin costs nothing.
    if (memoOptions_) {
        const int64_t n = static_cast<int64_t>(memoText_.size());
        const int64_t stillProven = std::max<int64_t>(0, static_cast<int64_t>(start) - n - 2);
        memoNoMatchBefore_ = std::min(memoNoMatchBefore_, stillProven);
    }
}

void SearchBuffer::replaceFences(int64_t start, int64_t replacedLength, Fence fence) {
    const int64_t end = start + replacedLength;
    const int64_t shift = (fence.end - fence.start) - replacedLength;
    // Fences that end before the replaced span keep their place; one that
    // runs into it keeps its part before it, and one that runs out of it its
    // part after it. A seam at either edge of the span is dropped: the new
    // fence stands there.
    auto first = std::lower_bound(fences_.begin(), fences_.end(), start, [](const Fence& f, int64_t at) {
        return f.end < at || (f.end == at && f.start < at);  // wholly before the span
    });
    auto last = std::upper_bound(first, fences_.end(), end, [](int64_t at, const Fence& f) {
        return f.start > at || (f.start == at && f.end > at);  // wholly after the span
    });
    std::vector<Fence> middle;
    if (first != last && first->start < start) middle.push_back({first->start, start});
    middle.push_back(fence);
    if (first != last && std::prev(last)->end > end) middle.push_back({end + shift, std::prev(last)->end + shift});
    for (auto after = last; after != fences_.end(); ++after) {
        after->start += shift;
        after->end += shift;
    }
    const auto at = fences_.erase(first, last);
    fences_.insert(at, middle.begin(), middle.end());
}

const SearchBuffer::Fence* SearchBuffer::fenceAcross(int64_t at, int64_t length) const {
    // The first fence that ends after `at`; no later one starts before it ends.
    auto fence = std::upper_bound(fences_.begin(), fences_.end(), at,
                                  [](int64_t q, const Fence& f) { return q < f.end; });
    if (fence == fences_.end() || fence->start >= at + length) return nullptr;
    return &*fence;
}

int32_t SearchBuffer::find(std::u16string_view text, FindOptions options) {
    if (text.empty()) return -1;
    int64_t from = 0;
    if (options == memoOptions_ && text == std::u16string_view(memoText_)) {
        from = memoNoMatchBefore_;
    } else {
        memoText_.assign(text.data(), text.size());
        memoOptions_ = options;
        memoNoMatchBefore_ = 0;
        matcher_.prepare(text, options);
    }
    const auto length = static_cast<int64_t>(text.size());
    int64_t found = matcher_.findFrom(text_, from);
    // Every occurrence that starts before a fence's end and touches it is
    // fenced off, so the next candidate lies at that end or later.
    for (const Fence* fence; found >= 0 && (fence = fenceAcross(found, length)) != nullptr;)
        found = matcher_.findFrom(text_, std::max(found + 1, fence->end));
    if (found < 0) {
        // Nothing from `from` on, nothing before it: nothing anywhere.
        memoNoMatchBefore_ = static_cast<int64_t>(text_.size()) + 1;
        return -1;
    }
    memoNoMatchBefore_ = found;
    selStart_ = static_cast<int32_t>(found);
    selLength_ = static_cast<int32_t>(text.size());
    return selStart_;
}

// The prepared text and options stay: they say nothing about the content,
// and the engine looks for the same text in story after story.
void SearchBuffer::forgetFinds() { memoNoMatchBefore_ = 0; }

}  // namespace quillet
