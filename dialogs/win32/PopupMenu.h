#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace quillet::win32 {

/// Shows a menu of `items` under `button`, owned by `owner`, and waits until
/// the user chooses one or closes it: the chosen item's index, or nothing.
/// The owner hears the menu's notifications (WM_INITMENUPOPUP, WM_ENTERIDLE)
/// but no WM_COMMAND.
std::optional<size_t> choosePopup(HWND owner, HWND button, std::span<const std::u16string_view> items);

}  // namespace quillet::win32
