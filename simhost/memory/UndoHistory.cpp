#include "simhost/memory/UndoHistory.h"

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

void UndoHistory::record(StoryChange change) {
    if (depth_ > 0) {
        open_.push_back(std::move(change));
        return;
    }
    done_.push_back(Step{std::move(change)});
}

std::optional<std::vector<StoryChange>> UndoHistory::takeLatest() {
    if (depth_ > 0 || done_.empty()) return std::nullopt;
    Step latest = std::move(done_.back());
    done_.pop_back();
    return latest;
}

}  // namespace quillet::simhost
