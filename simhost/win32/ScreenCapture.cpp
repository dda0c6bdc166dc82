#include "simhost/win32/ScreenCapture.h"

#include <windows.h>

namespace quillet::simhost {

namespace {

BOOL CALLBACK repaint(HWND window, LPARAM) {
    if (IsWindowVisible(window))
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return TRUE;
}

/// Releases a GDI handle on every way out.
template <typename Handle, typename Release>
class Owned {
public:
    Owned(Handle handle, Release release) : handle_(handle), release_(release) {}
    ~Owned() {
        if (handle_) release_(handle_);
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    Handle handle_;
    Release release_;
};

}  // namespace

void paintThreadWindows() {
    EnumThreadWindows(GetCurrentThreadId(), repaint, 0);
    // Only paint messages: a posted message of the add-in's must wait for a
    // loop of the add-in's or the host's, as it would without the picture.
    // Bounded: a window that never validates itself would paint for ever.
    MSG message;
    for (int i = 0; i < 1000 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT); ++i)
        DispatchMessageW(&message);
    // Wine hands a window's painting to the X server when its thread waits
    // for messages; a wait that times out at once is enough.
    MsgWaitForMultipleObjectsEx(0, nullptr, 0, QS_ALLINPUT, 0);
    GdiFlush();
}

std::optional<RgbImage> captureScreen() {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width <= 0 || height <= 0) return std::nullopt;

    Owned screen(GetDC(nullptr), [](HDC dc) { ReleaseDC(nullptr, dc); });
    if (!screen) return std::nullopt;
    Owned memory(CreateCompatibleDC(screen.get()), DeleteDC);
    if (!memory) return std::nullopt;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down: the first row in memory is the top of the screen
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Owned bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0), DeleteObject);
    if (!bitmap || bits == nullptr) return std::nullopt;
    HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
    const bool copied = BitBlt(memory.get(), 0, 0, width, height, screen.get(), left, top, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    SelectObject(memory.get(), previous);
    if (!copied) return std::nullopt;

    RgbImage image{static_cast<uint32_t>(width), static_cast<uint32_t>(height), {}};
    image.pixels.resize(size_t{image.width} * image.height * 3);
    // DIB rows are padded to 4 bytes and hold blue, green, red.
    const size_t stride = (size_t{image.width} * 3 + 3) & ~size_t{3};
    const auto* source = static_cast<const uint8_t*>(bits);
    uint8_t* target = image.pixels.data();
    for (uint32_t row = 0; row < image.height; ++row) {
        const uint8_t* pixel = source + row * stride;
        for (uint32_t column = 0; column < image.width; ++column, pixel += 3, target += 3) {
            target[0] = pixel[2];
            target[1] = pixel[1];
            target[2] = pixel[0];
        }
    }
    return image;
}

}  // namespace quillet::simhost
