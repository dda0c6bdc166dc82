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

void UndoHistory::storyDeleted(int32_t story) {
    renumber([story](int32_t k) { return k == story ? 0 : k > story ? k - 1 : k; });
}

void UndoHistory::storyInserted(int32_t story) {
    renumber([story](int32_t k) { return k >= story ? k + 1 : k; });
}

void UndoHistory::renumber(const std::function<int32_t(int32_t)>& map) {
    auto renumbered = [&](Step& step) {
        for (Write& write : step) write.story = map(write.story);
        std::erase_if(step, [](const Write& write) { return write.story == 0; });
    };
    for (Step& step : done_) renumbered(step);
    renumbered(open_);
    // A step whose every write went with its story has nothing left to take back.
    std::erase_if(done_, [](const Step& step) { return step.empty(); });
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
