#include "simhost/win32/MenuAnswers.h"

#include <string>
#include <vector>

#include "simhost/win32/KeyStroke.h"

namespace quillet::simhost {

namespace {

MenuChoices* choosing = nullptr;
// The menu loop tells its owner that it is idle again after each key it
// takes; its menu is answered once, at the first time.
bool answered = false;

std::vector<std::u16string> itemsOf(HMENU menu) {
    std::vector<std::u16string> items;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t name[256] = {};
        const int length = GetMenuStringW(menu, static_cast<UINT>(i), name, 256, MF_BYPOSITION);
        items.emplace_back(name, name + length);
    }
    return items;
}

void answer(HWND menuWindow) {
    const std::vector<std::u16string> items =
        itemsOf(reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0)));
    const std::vector<std::u16string_view> names(items.begin(), items.end());
    const auto chosen = choosing->choose(names);
    if (!chosen) {
        EndMenu();
        return;
    }
    // A menu opens with no item selected: the first Down selects the first.
    for (size_t i = 0; i <= *chosen; ++i) postKeyStroke(menuWindow, VK_DOWN);
    postKeyStroke(menuWindow, VK_RETURN);
}

}  // namespace

MenuAnswers::MenuAnswers(MenuChoices& choices) {
    choosing = &choices;
}

MenuAnswers::~MenuAnswers() {
    choosing = nullptr;
}

LRESULT CALLBACK MenuAnswers::watch(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HC_ACTION && choosing != nullptr) {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lparam);
        if (message->message == WM_ENTERMENULOOP) answered = false;
        // Sent to the menu's owner with the window that shows the menu.
        if (message->message == WM_ENTERIDLE && message->wParam == MSGF_MENU && message->lParam != 0 && !answered) {
            answered = true;
            answer(reinterpret_cast<HWND>(message->lParam));
        }
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace quillet::simhost
