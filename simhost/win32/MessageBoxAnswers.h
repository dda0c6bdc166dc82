#pragma once

#include <windows.h>

#include "platform/MessageBox.h"
#include "simhost/win32/ThreadHook.h"

namespace quillet::simhost {

/// Answers the real message boxes that the add-in shows on this thread: each
/// box, once active, is read (title, prompt, buttons), handed to `answers`,
/// which tells the answer, and closed with it.
class MessageBoxAnswers {
public:
    explicit MessageBoxAnswers(MessageBoxPort& answers);
    ~MessageBoxAnswers();
    MessageBoxAnswers(const MessageBoxAnswers&) = delete;
    MessageBoxAnswers& operator=(const MessageBoxAnswers&) = delete;

private:
    static LRESULT CALLBACK watch(int code, WPARAM wparam, LPARAM lparam);

    ThreadHook hook_{WH_CBT, watch};
};

}  // namespace quillet::simhost
