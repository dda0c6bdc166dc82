#pragma once

#include <windows.h>

namespace quillet::simhost {

/// A hook procedure of `kind` (WH_CBT, WH_CALLWNDPROC, ...) on this thread,
/// removed when the object goes.
class ThreadHook {
public:
    ThreadHook(int kind, HOOKPROC procedure)
        : hook_(SetWindowsHookExW(kind, procedure, nullptr, GetCurrentThreadId())) {}
    ~ThreadHook() {
        if (hook_) UnhookWindowsHookEx(hook_);
    }
    ThreadHook(const ThreadHook&) = delete;
    ThreadHook& operator=(const ThreadHook&) = delete;

private:
    HHOOK hook_;
};

}  // namespace quillet::simhost
