#include "engine/QuietSweep.h"

#include "engine/EngineTexts.h"

namespace quillet {

QuietSweep::QuietSweep(HostChain& host, GuardedMessages& messages)
    : host_(host),
      messages_(messages),
      outerWatcher_(host.watchWrites(this)),
      outerGuard_(messages.guardWith(this)) {}

QuietSweep::~QuietSweep() {
    restore();
    host_.watchWrites(outerWatcher_);
    messages_.guardWith(outerGuard_);
}

void QuietSweep::beforeWrite() {
    if (quiet_) return;
    quiet_ = true;
    // Updating that is off already is someone else's to turn back on.
    if (auto updating = host_.screenUpdating(); updating && *updating)
        turnedUpdatingOff_ = host_.setScreenUpdating(false).ok();
    if (auto group = host_.beginUndoGroup(texts::kReplaceAllUndo)) undoGroup_ = std::move(*group);
}

void QuietSweep::restore() {
    if (!quiet_) return;
    quiet_ = false;
    // Failures are passed over: the host stays as it stands, and the user is
    // told nothing about members that they never asked for.
    if (undoGroup_) (void)undoGroup_->endUndoGroup();
    undoGroup_.reset();
    if (turnedUpdatingOff_) (void)host_.setScreenUpdating(true);
    turnedUpdatingOff_ = false;
}

}  // namespace quillet
