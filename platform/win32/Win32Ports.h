#pragma once

#include "platform/MessageBox.h"
#include "platform/Window.h"

namespace quillet::win32 {

/// Message boxes with no owner window; a box given no title shows "Quillet".
class Win32MessageBox : public MessageBoxPort {
public:
    int show(const std::u16string& prompt, int buttons, const std::optional<std::u16string>& title) override;
};

/// user32's SetWindowPos.
class Win32WindowService : public WindowService {
public:
    int32_t SetWindowPos(WindowHandle window, WindowHandle insertAfter, int32_t x, int32_t y, int32_t cx, int32_t cy,
                         uint32_t flags) override;
};

}  // namespace quillet::win32
