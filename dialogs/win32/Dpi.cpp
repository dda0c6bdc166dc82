#include "dialogs/win32/Dpi.h"

namespace quillet::win32 {

namespace {

/// A function of user32 that older Windows lacks, or null there.
template <typename Function>
Function* user32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

}  // namespace

UINT systemDpi() {
    if (auto* getDpiForSystem = user32Function<decltype(GetDpiForSystem)>("GetDpiForSystem"))
        return getDpiForSystem();
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return static_cast<UINT>(dpi);
}

UINT windowDpi(HWND window) {
    auto* getDpiForWindow = user32Function<decltype(GetDpiForWindow)>("GetDpiForWindow");
    const UINT dpi = getDpiForWindow ? getDpiForWindow(window) : 0;
    return dpi != 0 ? dpi : systemDpi();
}

SIZE frameSize(SIZE client, DWORD style, DWORD exStyle, UINT dpi) {
    RECT frame{0, 0, client.cx, client.cy};
    auto* adjustForDpi = user32Function<decltype(AdjustWindowRectExForDpi)>("AdjustWindowRectExForDpi");
    if (!adjustForDpi || !adjustForDpi(&frame, style, /*bMenu=*/FALSE, exStyle, dpi)) {
        frame = {0, 0, client.cx, client.cy};
        AdjustWindowRectEx(&frame, style, /*bMenu=*/FALSE, exStyle);
    }
    return {frame.right - frame.left, frame.bottom - frame.top};
}

}  // namespace quillet::win32
