#pragma once

#include <windows.h>

#include "platform/MessageBox.h"

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

    HHOOK hook_ = nullptr;
};

}  // namespace quillet::simhost
