#pragma once

#include <optional>
#include <string>

#include "engine/HostChain.h"
#include "platform/MessageBox.h"

namespace quillet {

/// What the engine changes in the host only while it works, and puts back:
/// ScreenUpdating turned off, so that the host draws nothing while the
/// engine walks pages or writes (current hosts only), and an undo group
/// that makes a Replace All one undo step.
///
/// Both are put back before every box and at the end of every press: the
/// group ended, then ScreenUpdating turned on, each only when the engine
/// changed it. A host that refuses is asked again at once, and then at the
/// start of every later press until it agrees; the first time it still
/// refuses, the user is told in the engine's failure box. A host that lacks
/// the members, or refuses to change them in the first place, is left as it
/// stands and nobody is told.
class HostRestorer {
public:
    /// `boxes` shows the failure box; it must not put the host right itself.
    HostRestorer(HostChain& host, MessageBoxPort& boxes) : host_(host), boxes_(boxes) {}

    /// Turns drawing off, unless it is off already, which makes it someone
    /// else's to turn back on.
    void quietScreen();
    /// Begins the undo group `name` in the active publication, unless the
    /// engine holds one open already: later changes then join that one.
    void beginUndoGroup(const std::u16string& name);
    /// Ends the group, then turns drawing back on.
    void restore();
    /// Tries again, without a word, what the host refused to put back before.
    void retryPending();

private:
    /// Ends the group and turns drawing on, each at most `attempts` times;
    /// the last refusal, when one stands.
    std::optional<RaisedError> putBack(int attempts);

    HostChain& host_;
    MessageBoxPort& boxes_;
    /// The publication of a group that the engine began and has not ended.
    PublicationRef openGroup_;
    /// The engine turned drawing off and has not turned it back on.
    bool screenOff_ = false;
    /// Told since the host last refused.
    bool told_ = false;
};

}  // namespace quillet
