#include "dialogs/win32/PopupMenu.h"

#include <string>

namespace quillet::win32 {

std::optional<size_t> choosePopup(HWND owner, HWND button, std::span<const std::u16string_view> items) {
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) return std::nullopt;
    // Identifiers from 1: the menu answers 0 when nothing was chosen.
    for (size_t i = 0; i < items.size(); ++i) {
        const std::wstring name(items[i].begin(), items[i].end());
        AppendMenuW(menu, MF_STRING, i + 1, name.c_str());
    }
    RECT place;
    GetWindowRect(button, &place);
    // Below the button, or above it where the screen ends, never over it.
    TPMPARAMS keepClear{sizeof keepClear, place};
    const auto chosen = static_cast<UINT>(TrackPopupMenuEx(
        menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_VERTICAL | TPM_RETURNCMD, place.left, place.bottom, owner, &keepClear));
    DestroyMenu(menu);
    if (chosen == 0) return std::nullopt;
    return chosen - 1;
}

}  // namespace quillet::win32
