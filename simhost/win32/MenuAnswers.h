#pragma once

#include <windows.h>

#include "simhost/MenuChoices.h"
#include "simhost/win32/ThreadHook.h"

namespace quillet::simhost {

/// Answers the popup menus that the add-in shows on this thread, as a user
/// with the keyboard: once a menu waits for input, its items are handed to
/// `choices`, and the item chosen is picked with the arrow keys and Enter;
/// a menu for which no choice waits is ended without one.
class MenuAnswers {
public:
    explicit MenuAnswers(MenuChoices& choices);
    ~MenuAnswers();
    MenuAnswers(const MenuAnswers&) = delete;
    MenuAnswers& operator=(const MenuAnswers&) = delete;

private:
    static LRESULT CALLBACK watch(int code, WPARAM wparam, LPARAM lparam);

    ThreadHook hook_{WH_CALLWNDPROC, watch};
};

}  // namespace quillet::simhost
