// The stand-in host's pictures of the screen: a PNG file of the whole screen,
// read back through the Windows Imaging Component, shows the windows where
// they are in their colours.
#include <windows.h>
#include <wincodec.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win32/ComPtr.h"
#include "simhost/win32/ScreenCapture.h"

namespace quillet::test {
namespace {

using win32::ComPtr;

/// A top-level window of one colour, on top of everything. Each has a window
/// class of its own: the colour is the class's background brush.
class Swatch {
public:
    Swatch(COLORREF colour, int x, int y)
        : brush_(CreateSolidBrush(colour)), className_(L"QuilletTestSwatch" + std::to_wstring(colour)) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hbrBackground = brush_;
        windowClass.lpszClassName = className_.c_str();
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, className_.c_str(), L"", WS_POPUP, x, y, kSize,
                                  kSize, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ShowWindow(window_, SW_SHOWNOACTIVATE);
    }
    ~Swatch() {
        DestroyWindow(window_);
        UnregisterClassW(className_.c_str(), GetModuleHandleW(nullptr));
        DeleteObject(brush_);
    }
    Swatch(const Swatch&) = delete;
    Swatch& operator=(const Swatch&) = delete;

    static constexpr int kSize = 40;

private:
    HBRUSH brush_;
    std::wstring className_;
    HWND window_ = nullptr;
};

/// A PNG file as a decoder reads it: its size, and its pixels as rows of
/// blue, green and red, the top row first.
struct DecodedPng {
    UINT width = 0;
    UINT height = 0;
    std::vector<BYTE> pixels;

    std::array<BYTE, 3> pixelAt(UINT x, UINT y) const {
        const BYTE* pixel = &pixels[(size_t{y} * width + x) * 3];
        return {pixel[0], pixel[1], pixel[2]};
    }
};

/// `path` decoded by the Windows Imaging Component's PNG decoder, converted to
/// 24-bit BGR; every failure fails the test.
DecodedPng decodePng(const std::filesystem::path& path) {
    DecodedPng png;
    ComPtr<IWICImagingFactory> factory;
    EXPECT_EQ(S_OK, CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                     reinterpret_cast<void**>(factory.out())));
    if (!factory) return png;
    ComPtr<IWICBitmapDecoder> decoder;
    EXPECT_EQ(S_OK, factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                       WICDecodeMetadataCacheOnDemand, decoder.out()));
    if (!decoder) return png;
    GUID container{};
    EXPECT_EQ(S_OK, decoder->GetContainerFormat(&container));
    EXPECT_TRUE(IsEqualGUID(container, GUID_ContainerFormatPng));
    ComPtr<IWICBitmapFrameDecode> frame;
    EXPECT_EQ(S_OK, decoder->GetFrame(0, frame.out()));
    if (!frame) return png;
    ComPtr<IWICFormatConverter> converter;
    EXPECT_EQ(S_OK, factory->CreateFormatConverter(converter.out()));
    if (!converter) return png;
    EXPECT_EQ(S_OK, converter->Initialize(frame.get(), GUID_WICPixelFormat24bppBGR, WICBitmapDitherTypeNone, nullptr,
                                          0.0, WICBitmapPaletteTypeCustom));
    EXPECT_EQ(S_OK, converter->GetSize(&png.width, &png.height));
    png.pixels.resize(size_t{png.width} * png.height * 3);
    EXPECT_EQ(S_OK, converter->CopyPixels(nullptr, png.width * 3, static_cast<UINT>(png.pixels.size()),
                                          png.pixels.data()));
    return png;
}

class ScreenCapture : public testing::Test {
protected:
    void SetUp() override {
        wchar_t folder[MAX_PATH] = {};
        wchar_t file[MAX_PATH] = {};
        ASSERT_NE(GetTempPathW(MAX_PATH, folder), 0u);
        ASSERT_NE(GetTempFileNameW(folder, L"png", 0, file), 0u);
        path_ = file;
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }

    std::filesystem::path path_;
};

TEST_F(ScreenCapture, APictureOfTheScreenIsAPngOfItsSizeWithTheWindowsWhereTheyAreInTheirColours) {
    // Red above blue: a picture upside down, or in blue-green-red, shows them otherwise.
    const Swatch red(RGB(255, 0, 0), 20, 30);
    const Swatch blue(RGB(0, 0, 255), 20, 300);
    simhost::paintThreadWindows();

    ASSERT_TRUE(simhost::saveScreen(path_));
    std::ifstream file(path_, std::ios::binary);
    std::string signature(8, '\0');
    file.read(signature.data(), static_cast<std::streamsize>(signature.size()));
    EXPECT_EQ("\x89PNG\r\n\x1A\n", signature);

    const DecodedPng png = decodePng(path_);
    EXPECT_EQ(png.width, static_cast<UINT>(GetSystemMetrics(SM_CXVIRTUALSCREEN)));
    EXPECT_EQ(png.height, static_cast<UINT>(GetSystemMetrics(SM_CYVIRTUALSCREEN)));
    ASSERT_FALSE(png.pixels.empty());
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int middle = Swatch::kSize / 2;
    EXPECT_EQ(png.pixelAt(20 + middle - left, 30 + middle - top), (std::array<BYTE, 3>{0, 0, 255}));
    EXPECT_EQ(png.pixelAt(20 + middle - left, 300 + middle - top), (std::array<BYTE, 3>{255, 0, 0}));
}

TEST_F(ScreenCapture, AFolderThatDoesNotExistIsAFailure) {
    EXPECT_FALSE(simhost::saveScreen(path_.parent_path() / L"no such folder" / L"picture.png"));
}

}  // namespace
}  // namespace quillet::test
