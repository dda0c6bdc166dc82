#include "dialogs/win32/ThreadHold.h"

namespace quillet::win32 {

namespace {

// The innermost living hold of the component; holds nest, each restoring
// what it found.
ThreadHold* innermost = nullptr;

bool isUserInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

}  // namespace

ThreadHold::ThreadHold(HWND window, HWND live) : window_(window), live_(live), outer_(innermost) {
    innermost = this;
    EnumThreadWindows(GetCurrentThreadId(), disableTopLevel, reinterpret_cast<LPARAM>(this));
    EnumChildWindows(window_, disableControl, reinterpret_cast<LPARAM>(this));
    // The control that had the focus may be disabled now, and a window
    // without a focused control gets keys as system keys, which Esc would
    // not press anything with.
    if (live_) SetFocus(live_);
}

ThreadHold::~ThreadHold() {
    innermost = outer_;
    for (auto it = disabled_.rbegin(); it != disabled_.rend(); ++it) {
        if (IsWindow(*it)) EnableWindow(*it, TRUE);
    }
}

BOOL CALLBACK ThreadHold::disableTopLevel(HWND window, LPARAM hold) {
    auto* self = reinterpret_cast<ThreadHold*>(hold);
    if (window != self->window_) self->disable(window);
    return TRUE;
}

BOOL CALLBACK ThreadHold::disableControl(HWND control, LPARAM hold) {
    auto* self = reinterpret_cast<ThreadHold*>(hold);
    if (control != self->live_ && !(SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_STATIC)) self->disable(control);
    return TRUE;
}

void ThreadHold::disable(HWND window) {
    if (!IsWindowEnabled(window)) return;
    EnableWindow(window, FALSE);
    disabled_.push_back(window);
}

HWND ThreadHold::liveControlIn(HWND window) {
    return innermost != nullptr && innermost->window_ == window ? innermost->live_ : nullptr;
}

bool ThreadHold::keepsFromUser(const MSG& message) {
    if (innermost == nullptr || !isUserInput(message.message)) return false;
    for (HWND window = message.hwnd; window != nullptr;
         window = (GetWindowLongW(window, GWL_STYLE) & WS_CHILD) ? GetParent(window) : nullptr) {
        if (!IsWindowEnabled(window)) return true;
    }
    return false;
}

}  // namespace quillet::win32
