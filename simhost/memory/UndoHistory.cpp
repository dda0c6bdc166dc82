#include "simhost/memory/UndoHistory.h"

#include <algorithm>

namespace quillet::simhost {

void UndoHistory::beginGroup() { ++depth_; }

bool UndoHistory::endGroup() {
    if (depth_ == 0) return false;
    if (--depth_ == 0 && !open_.empty()) {
        done_.push_back(std::move(open_));
        open_.clear();
    }
    return true;
}

void UndoHistory::recordWrite(int32_t story, size_t offset, std::u16string oldText, size_t newLength) {
    Write write{story, offset, std::move(oldText), newLength};
    if (depth_ > 0) {
        open_.push_back(std::move(write));
        return;
    }
    done_.push_back(Step{std::move(write)});
}

bool UndoHistory::undo(const StoryTexts& stories) {
    if (depth_ > 0 || done_.empty()) return false;
    const Step step = std::move(done_.back());
    done_.pop_back();
    // Last write first: each one finds the text as the write left it.
    for (auto write = step.rbegin(); write != step.rend(); ++write) {
        std::u16string* text = stories(write->story);
        if (text == nullptr) continue;
        const size_t offset = std::min(write->offset, text->size());
        text->replace(offset, std::min(write->newLength, text->size() - offset), write->oldText);
    }
    return true;
}

}  // namespace quillet::simhost
