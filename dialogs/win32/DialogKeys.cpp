#include "dialogs/win32/DialogKeys.h"

#include <windows.h>

#include <string>

#include "dialogs/win32/ThreadHold.h"
#include "dialogs/win32/Win32Windows.h"

namespace quillet::win32 {

namespace {

int dialogWindows = 0;
HHOOK hook = nullptr;

bool isDialogWindow(HWND window) {
    wchar_t windowClass[32] = {};
    return window && GetClassNameW(window, windowClass, 32) && std::wstring(windowClass) == kDialogWindowClass;
}

/// Makes a message that the loop which fetched it dispatches as nothing.
void consume(MSG& message) {
    message.message = WM_NULL;
    message.wParam = 0;
    message.lParam = 0;
}

LRESULT CALLBACK filter(int code, WPARAM removal, LPARAM lparam) {
    auto* message = reinterpret_cast<MSG*>(lparam);
    if (code == HC_ACTION && removal == PM_REMOVE) {
        if (ThreadHold::keepsFromUser(*message)) {
            consume(*message);
        } else if (message->message >= WM_KEYFIRST && message->message <= WM_KEYLAST) {
            HWND dialog = GetAncestor(message->hwnd, GA_ROOT);
            if (isDialogWindow(dialog) && IsDialogMessageW(dialog, message)) consume(*message);
        }
    }
    return CallNextHookEx(nullptr, code, removal, lparam);
}

}  // namespace

void dialogWindowCreated() {
    if (dialogWindows++ == 0) hook = SetWindowsHookExW(WH_GETMESSAGE, filter, nullptr, GetCurrentThreadId());
}

void dialogWindowDestroyed() {
    if (--dialogWindows == 0 && hook) {
        UnhookWindowsHookEx(hook);
        hook = nullptr;
    }
}

}  // namespace quillet::win32
