#include "simhost/win32/ScreenCapture.h"

#include <windows.h>
#include <wincodec.h>

#include <system_error>

#include "platform/win32/ComPtr.h"

namespace quillet::simhost {

using win32::ComPtr;

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

/// Rows of pixels in blue, green, red, as a 24-bit DIB holds them: the top
/// row first, each `stride` bytes after the one above.
struct BgrRows {
    UINT width;
    UINT height;
    UINT stride;
    BYTE* pixels;
};

/// Encodes `rows` as a PNG file at `path` with the Windows Imaging Component.
HRESULT encodePng(const std::filesystem::path& path, const BgrRows& rows) {
    ComPtr<IWICImagingFactory> factory;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(factory.out()));
    if (FAILED(hr)) return hr;
    ComPtr<IWICStream> stream;
    if (FAILED(hr = factory->CreateStream(stream.out()))) return hr;
    if (FAILED(hr = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE))) return hr;
    ComPtr<IWICBitmapEncoder> encoder;
    if (FAILED(hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.out()))) return hr;
    if (FAILED(hr = encoder->Initialize(stream.get(), WICBitmapEncoderNoCache))) return hr;
    ComPtr<IWICBitmapFrameEncode> frame;
    if (FAILED(hr = encoder->CreateNewFrame(frame.out(), nullptr))) return hr;
    if (FAILED(hr = frame->Initialize(nullptr))) return hr;
    if (FAILED(hr = frame->SetSize(rows.width, rows.height))) return hr;
    // The encoder answers with the format that it will write instead when it
    // has no such one; the rows would have to be converted first.
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (FAILED(hr = frame->SetPixelFormat(&format))) return hr;
    if (!IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) return WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
    if (FAILED(hr = frame->WritePixels(rows.height, rows.stride, rows.stride * rows.height, rows.pixels))) return hr;
    if (FAILED(hr = frame->Commit())) return hr;
    return encoder->Commit();
}

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

bool saveScreen(const std::filesystem::path& path) {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width <= 0 || height <= 0) return false;

    Owned screen(GetDC(nullptr), [](HDC dc) { ReleaseDC(nullptr, dc); });
    if (!screen) return false;
    Owned memory(CreateCompatibleDC(screen.get()), DeleteDC);
    if (!memory) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down: the first row in memory is the top of the screen
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Owned bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0), DeleteObject);
    if (!bitmap || bits == nullptr) return false;
    HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
    const bool copied = BitBlt(memory.get(), 0, 0, width, height, screen.get(), left, top, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    SelectObject(memory.get(), previous);
    if (!copied) return false;

    // DIB rows are padded to 4 bytes.
    const BgrRows rows{static_cast<UINT>(width), static_cast<UINT>(height), (static_cast<UINT>(width) * 3 + 3) & ~3u,
                       static_cast<BYTE*>(bits)};
    if (SUCCEEDED(encodePng(path, rows))) return true;
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    return false;
}

}  // namespace quillet::simhost
