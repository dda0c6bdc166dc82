#pragma once

#include <exception>
#include <new>
#include <optional>

#include "base/Result.h"
#include "engine/FailureBox.h"
#include "platform/MessageBox.h"

namespace quillet {

/// Runs the handler of a user event (a dialog's button, a command bar's
/// button). A failure that reaches it ends the handler, changes nothing more,
/// and is told in a box without a title; nothing escapes to the host.
template <typename Handler>
void runEventHandler(MessageBoxPort& messages, Handler&& handler) {
    std::optional<RaisedError> failure;
    try {
        if (Status status = handler(); !status) failure = status.error();
    } catch (const std::bad_alloc&) {
        failure = RaisedError{7, u"Out of memory"};
    } catch (...) {
        failure = RaisedError{51, u"Internal error"};
    }
    if (failure) showFailureBox(messages, *failure);
}

}  // namespace quillet
