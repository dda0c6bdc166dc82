#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "simhost/DialogView.h"
#include "simhost/win32/ThreadHook.h"

namespace quillet::simhost {

/// The add-in's dialog windows as the stand-in host sees and drives them: it
/// finds them by their window class and caption, reads their controls, and
/// acts on them with the messages that a user's actions send. It also reports
/// their lives, watching the messages that reach them on this thread.
class Win32Dialogs : public DialogFinder {
public:
    explicit Win32Dialogs(WindowObserver& observer);
    ~Win32Dialogs() override;
    Win32Dialogs(const Win32Dialogs&) = delete;
    Win32Dialogs& operator=(const Win32Dialogs&) = delete;

    DialogView* find(std::string_view form) override;

private:
    static LRESULT CALLBACK watch(int code, WPARAM wparam, LPARAM lparam);

    WindowObserver& observer_;
    ThreadHook hook_{WH_CALLWNDPROC, watch};
    std::map<std::string, std::unique_ptr<DialogView>, std::less<>> views_;
};

}  // namespace quillet::simhost
