#include "engine/HostRestorer.h"

#include "engine/FailureBox.h"

namespace quillet {

void HostRestorer::quietScreen() {
    if (screenOff_) return;
    if (auto updating = host_.screenUpdating(); updating && *updating)
        screenOff_ = host_.setScreenUpdating(false).ok();
}

void HostRestorer::beginUndoGroup(const std::u16string& name) {
    if (openGroup_) return;
    if (auto group = host_.beginUndoGroup(name)) openGroup_ = std::move(*group);
}

std::optional<RaisedError> HostRestorer::putBack(int attempts) {
    std::optional<RaisedError> groupRefused;
    for (int attempt = 0; openGroup_ && attempt < attempts; ++attempt) {
        const Status ended = openGroup_->endUndoGroup();
        if (ended) openGroup_.reset();
        if (!ended) groupRefused = ended.error();
    }
    std::optional<RaisedError> screenRefused;
    for (int attempt = 0; screenOff_ && attempt < attempts; ++attempt) {
        const Status on = host_.setScreenUpdating(true);
        if (on) screenOff_ = false;
        if (!on) screenRefused = on.error();
    }
    if (!openGroup_ && !screenOff_) {
        told_ = false;
        return std::nullopt;
    }
    return openGroup_ ? groupRefused : screenRefused;
}

void HostRestorer::restore() {
    const auto refused = putBack(/*attempts=*/2);
    if (!refused || told_) return;
    told_ = true;
    showFailureBox(boxes_, *refused);
}

void HostRestorer::retryPending() { (void)putBack(/*attempts=*/1); }

}  // namespace quillet
