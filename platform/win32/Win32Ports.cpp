#include "platform/win32/Win32Ports.h"

#include <windows.h>

namespace quillet::win32 {

int Win32MessageBox::show(const std::u16string& prompt, int buttons, const std::optional<std::u16string>& title) {
    const std::u16string caption = title.value_or(u"Quillet");
    return MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(prompt.c_str()),
                       reinterpret_cast<const wchar_t*>(caption.c_str()), static_cast<UINT>(buttons));
}

int32_t Win32WindowService::SetWindowPos(WindowHandle window, WindowHandle insertAfter, int32_t x, int32_t y,
                                         int32_t cx, int32_t cy, uint32_t flags) {
    return ::SetWindowPos(reinterpret_cast<HWND>(window), reinterpret_cast<HWND>(insertAfter), x, y, cx, cy, flags);
}

}  // namespace quillet::win32
