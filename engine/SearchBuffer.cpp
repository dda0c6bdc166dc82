#include "engine/SearchBuffer.h"

#include <algorithm>
#include <utility>

namespace quillet {

void SearchBuffer::load(std::u16string text) {
    content_ = std::move(text);
    selStart_ = 0;
    selLength_ = 0;
    forgetFinds();
}

std::u16string SearchBuffer::selectedText() const {
    return content_.substr(static_cast<std::size_t>(selStart_), static_cast<std::size_t>(selLength_));
}

void SearchBuffer::select(int32_t start, int32_t length) {
    const int64_t size = static_cast<int64_t>(content_.size());
    const int64_t s = std::clamp<int64_t>(start, 0, size);
    const int64_t l = std::clamp<int64_t>(length, 0, size - s);
    selStart_ = static_cast<int32_t>(s);
    selLength_ = static_cast<int32_t>(l);
}

void SearchBuffer::replaceSelection(std::u16string_view text) {
    const auto start = static_cast<std::size_t>(selStart_);
    // replace() copes with `text` pointing into content_ itself.
    content_.replace(start, static_cast<std::size_t>(selLength_), text.data(), text.size());
    selStart_ = static_cast<int32_t>(start + text.size());
    selLength_ = 0;

    // Whether an occurrence of n units begins at q depends on the units from
    // q - 2 to q + n + 1 at most: the window itself, the units either side
    // that decide the surrogate-pair rule and the code points before and
    // after it for whole words (each up to two units), and whether those
    // positions exist at all. Below start nothing moved or changed, so for
    // q + n + 1 < start, that is q < start - n - 1, the earlier finding
    // still holds; one unit more of margin costs nothing.
    if (memoOptions_ >= 0) {
        const int64_t n = static_cast<int64_t>(memoText_.size());
        const int64_t stillProven = std::max<int64_t>(0, static_cast<int64_t>(start) - n - 2);
        memoNoMatchBefore_ = std::min(memoNoMatchBefore_, stillProven);
    }
}

int32_t SearchBuffer::find(std::u16string_view text, int options) {
    if (text.empty()) return -1;
    options &= findopt::kWholeWord | findopt::kMatchCase;
    int64_t from = 0;
    if (options == memoOptions_ && text == std::u16string_view(memoText_)) {
        from = memoNoMatchBefore_;
    } else {
        memoText_.assign(text.data(), text.size());
        memoOptions_ = options;
        memoNoMatchBefore_ = 0;
        matcher_.prepare(text, options);
    }
    const int64_t found = matcher_.findFrom(content_, from);
    if (found < 0) {
        // Nothing from `from` on, nothing before it: nothing anywhere.
        memoNoMatchBefore_ = static_cast<int64_t>(content_.size()) + 1;
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
