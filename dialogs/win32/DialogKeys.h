#pragma once

namespace quillet::win32 {

// The host's message loop does not ask our modeless dialogs whether a key is
// theirs, so a hook on the thread does: Enter, Esc and Tab then work as in
// any dialog. The same hook drops the input that a modal hold keeps from the
// user (ThreadHold). It lives while a dialog window exists: each window says
// when it is made and when it is gone.

void dialogWindowCreated();
void dialogWindowDestroyed();

}  // namespace quillet::win32
