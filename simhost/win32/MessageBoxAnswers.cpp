#include "simhost/win32/MessageBoxAnswers.h"

#include <set>
#include <string>

#include "platform/win32/WindowText.h"

namespace quillet::simhost {

namespace {

MessageBoxPort* answering = nullptr;
// Boxes answered already: a box may be activated more than once.
std::set<HWND> answered;

constexpr int kPromptId = 0xFFFF;

std::u16string textOf(HWND window) {
    const std::wstring text = win32::windowText(window);
    return std::u16string(text.begin(), text.end());
}

BOOL CALLBACK findIcon(HWND child, LPARAM found) {
    if (SendMessageW(child, STM_GETICON, 0, 0) != 0) *reinterpret_cast<bool*>(found) = true;
    return TRUE;
}

/// The button code that the box was shown with, as far as the add-in uses them.
int buttonsOf(HWND box) {
    if (GetDlgItem(box, IDYES) != nullptr) return msgbox::kYesNoQuestion;
    bool icon = false;
    EnumChildWindows(box, findIcon, reinterpret_cast<LPARAM>(&icon));
    return icon ? msgbox::kOkInformation : msgbox::kOkOnly;
}

}  // namespace

MessageBoxAnswers::MessageBoxAnswers(MessageBoxPort& answers) {
    answering = &answers;
}

MessageBoxAnswers::~MessageBoxAnswers() {
    answering = nullptr;
    answered.clear();
}

LRESULT CALLBACK MessageBoxAnswers::watch(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_ACTIVATE && answering != nullptr) {
        HWND box = reinterpret_cast<HWND>(wparam);
        wchar_t windowClass[16] = {};
        GetClassNameW(box, windowClass, 16);
        if (std::wstring(windowClass) == L"#32770" && GetDlgItem(box, kPromptId) != nullptr &&
            answered.insert(box).second) {
            const int answer = answering->show(textOf(GetDlgItem(box, kPromptId)), buttonsOf(box), textOf(box));
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
        }
    }
    if (code == HCBT_DESTROYWND) answered.erase(reinterpret_cast<HWND>(wparam));
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace quillet::simhost
