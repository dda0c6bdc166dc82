#pragma once

#include <windows.h>

#include <string>

namespace quillet::win32 {

/// The text of `window`: a control's content, or a top-level window's caption.
inline std::wstring windowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace quillet::win32
