#pragma once

#include <windows.h>

#include <vector>

#include "platform/Window.h"

namespace quillet::win32 {

/// A modal hold over the windows of this thread: while it lives, every other
/// top-level window of the thread and every control of `window` but `live`
/// is disabled, and the focus is on `live`. When it goes, it enables again
/// exactly what it disabled. Labels stay as they are: they take no input,
/// and a disabled one greys its text, which the user is meant to read.
///
/// A disabled window gets no input from the user, but input that someone
/// posted to it would still reach it when the message is dispatched; the
/// dialogs' message hook asks keepsFromUser to drop that too.
class ThreadHold final : public ModalHold {
public:
    ThreadHold(HWND window, HWND live);
    ~ThreadHold() override;
    ThreadHold(const ThreadHold&) = delete;
    ThreadHold& operator=(const ThreadHold&) = delete;

    /// The control that the innermost hold leaves the user in `window`;
    /// null when that hold is on another window, or none lives.
    static HWND liveControlIn(HWND window);
    /// Whether `message` is the keyboard's or the mouse's for a window that
    /// a living hold keeps from the user: it, or a window that it is a
    /// control of, is disabled.
    static bool keepsFromUser(const MSG& message);

private:
    static BOOL CALLBACK disableTopLevel(HWND window, LPARAM hold);
    static BOOL CALLBACK disableControl(HWND control, LPARAM hold);
    void disable(HWND window);

    HWND window_;
    HWND live_;
    ThreadHold* outer_;
    std::vector<HWND> disabled_;
};

}  // namespace quillet::win32
