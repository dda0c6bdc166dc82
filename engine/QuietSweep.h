#pragma once

#include "engine/GuardedMessages.h"
#include "engine/HostChain.h"

namespace quillet {

/// What a Replace All spares the user of a current host, for as long as it
/// lives: from just before the first write on, the host draws nothing
/// (ScreenUpdating off) and gathers every change into one undo step (an undo
/// group of the active publication named "Replace All"). Before any box
/// that the engine shows meanwhile, and when it goes, it puts both back: the
/// group ended, then ScreenUpdating set back to what it was, each only when
/// it was changed. A write after such a box begins again, as a step of its
/// own.
///
/// A sweep that writes nothing leaves the host untouched. A host that lacks
/// the members, or fails any of these calls, is left as it stands; such a
/// failure is never shown and stops nothing.
class QuietSweep : private HostChain::WriteWatcher, private GuardedMessages::Guard {
public:
    QuietSweep(HostChain& host, GuardedMessages& messages);
    ~QuietSweep();
    QuietSweep(const QuietSweep&) = delete;
    QuietSweep& operator=(const QuietSweep&) = delete;

private:
    void beforeWrite() override;
    void beforeBox() override { restore(); }
    void restore();

    HostChain& host_;
    GuardedMessages& messages_;
    HostChain::WriteWatcher* outerWatcher_;
    GuardedMessages::Guard* outerGuard_;
    bool quiet_ = false;
    /// ScreenUpdating was on and this sweep turned it off.
    bool turnedUpdatingOff_ = false;
    /// The publication in which this sweep's undo group is open.
    PublicationRef undoGroup_;
};

}  // namespace quillet
