// The stand-in host's pictures of the screen: the PNG files it writes, read
// back with a decoder of the test's own, and the capture of the screen.
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "simhost/win32/PngFile.h"
#include "simhost/win32/ScreenCapture.h"

namespace quillet::test {
namespace {

using simhost::RgbImage;
using Bytes = std::vector<uint8_t>;

// Checksums computed here the slow, obvious way, independently of the writer's tables.
uint32_t slowCrc32(const uint8_t* bytes, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

uint32_t slowAdler32(const Bytes& bytes) {
    uint64_t a = 1;
    uint64_t b = 0;
    for (uint8_t byte : bytes) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return static_cast<uint32_t>((b << 16) | a);
}

uint32_t bigEndian(const Bytes& bytes, size_t at) {
    return uint32_t{bytes.at(at)} << 24 | uint32_t{bytes.at(at + 1)} << 16 | uint32_t{bytes.at(at + 2)} << 8 |
           bytes.at(at + 3);
}

struct Chunk {
    std::string type;
    Bytes data;
};

/// What a reader finds in a PNG file; every check that fails is reported.
struct ReadPng {
    std::vector<Chunk> chunks;
    uint32_t width = 0;
    uint32_t height = 0;
    Bytes header;        // IHDR
    Bytes inflated;      // the zlib stream's content
    size_t storedBlocks = 0;
};

/// Splits the file into chunks (checking each CRC), then inflates the IDAT
/// stream, which must hold stored blocks only.
ReadPng readPng(const Bytes& file) {
    ReadPng png;
    const Bytes signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_GE(file.size(), signature.size());
    EXPECT_TRUE(std::equal(signature.begin(), signature.end(), file.begin()));
    size_t at = signature.size();
    while (at + 12 <= file.size()) {
        const uint32_t length = bigEndian(file, at);
        if (at + 12 + length > file.size()) {
            ADD_FAILURE() << "a chunk runs past the end of the file";
            return png;
        }
        Chunk chunk{std::string(file.begin() + static_cast<std::ptrdiff_t>(at + 4),
                                file.begin() + static_cast<std::ptrdiff_t>(at + 8)),
                    Bytes(file.begin() + static_cast<std::ptrdiff_t>(at + 8),
                          file.begin() + static_cast<std::ptrdiff_t>(at + 8 + length))};
        EXPECT_EQ(bigEndian(file, at + 8 + length), slowCrc32(file.data() + at + 4, length + 4))
            << "CRC of the " << chunk.type << " chunk";
        png.chunks.push_back(std::move(chunk));
        at += 12 + length;
    }
    EXPECT_EQ(at, file.size()) << "bytes after the last chunk";
    if (png.chunks.empty()) return png;

    EXPECT_EQ(png.chunks.front().type, "IHDR");
    EXPECT_EQ(png.chunks.back().type, "IEND");
    EXPECT_TRUE(png.chunks.back().data.empty());
    png.header = png.chunks.front().data;
    if (png.header.size() != 13) {
        ADD_FAILURE() << "IHDR holds " << png.header.size() << " bytes";
        return png;
    }
    png.width = bigEndian(png.header, 0);
    png.height = bigEndian(png.header, 4);

    Bytes stream;
    for (const Chunk& chunk : png.chunks) {
        if (chunk.type == "IDAT") stream.insert(stream.end(), chunk.data.begin(), chunk.data.end());
    }
    if (stream.size() < 6) {
        ADD_FAILURE() << "the zlib stream is " << stream.size() << " bytes long";
        return png;
    }
    EXPECT_EQ(stream[0] & 0x0F, 8) << "compression method deflate";
    EXPECT_EQ((stream[0] * 256 + stream[1]) % 31, 0) << "zlib header check bits";
    EXPECT_EQ(stream[1] & 0x20, 0) << "no preset dictionary";
    size_t in = 2;
    bool last = false;
    while (!last) {
        if (in + 5 > stream.size()) {
            ADD_FAILURE() << "the deflate stream ends inside a block header";
            return png;
        }
        last = (stream[in] & 1) != 0;
        EXPECT_EQ((stream[in] >> 1) & 3, 0) << "block " << png.storedBlocks << " is not stored";
        const uint32_t length = stream[in + 1] | stream[in + 2] << 8;
        const uint32_t complement = stream[in + 3] | stream[in + 4] << 8;
        EXPECT_EQ(length ^ 0xFFFF, complement) << "NLEN of block " << png.storedBlocks;
        in += 5;
        if (in + length > stream.size()) {
            ADD_FAILURE() << "block " << png.storedBlocks << " runs past the stream";
            return png;
        }
        png.inflated.insert(png.inflated.end(), stream.begin() + static_cast<std::ptrdiff_t>(in),
                            stream.begin() + static_cast<std::ptrdiff_t>(in + length));
        in += length;
        ++png.storedBlocks;
    }
    EXPECT_EQ(in + 4, stream.size()) << "the Adler-32 ends the stream";
    if (in + 4 <= stream.size()) {
        EXPECT_EQ(bigEndian(stream, in), slowAdler32(png.inflated)) << "Adler-32";
    }
    return png;
}

/// Each row as the file must hold it: filter type 0, then the row's pixels.
Bytes filteredRows(const RgbImage& image) {
    Bytes rows;
    for (uint32_t row = 0; row < image.height; ++row) {
        rows.push_back(0);
        const auto begin = image.pixels.begin() + static_cast<std::ptrdiff_t>(size_t{row} * image.width * 3);
        rows.insert(rows.end(), begin, begin + static_cast<std::ptrdiff_t>(size_t{image.width} * 3));
    }
    return rows;
}

RgbImage gradient(uint32_t width, uint32_t height) {
    RgbImage image{width, height, {}};
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            image.pixels.push_back(static_cast<uint8_t>(x * 7 + y));
            image.pixels.push_back(static_cast<uint8_t>(y * 13));
            image.pixels.push_back(static_cast<uint8_t>(x ^ y));
        }
    }
    return image;
}

class PngFileTest : public testing::Test {
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

    Bytes fileBytes() const {
        std::ifstream file(path_, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    std::filesystem::path path_;
};

TEST_F(PngFileTest, RoundTripGivesBackEveryPixelWithValidChecksums) {
    const RgbImage image = gradient(5, 3);
    ASSERT_TRUE(simhost::writePng(path_, image));

    const ReadPng png = readPng(fileBytes());
    ASSERT_EQ(png.chunks.size(), 3u);
    EXPECT_EQ(png.chunks[1].type, "IDAT");
    EXPECT_EQ(png.width, 5u);
    EXPECT_EQ(png.height, 3u);
    // Bit depth 8, colour type 2 (RGB), compression 0, filter method 0, no interlace.
    EXPECT_EQ(Bytes(png.header.begin() + 8, png.header.end()), (Bytes{8, 2, 0, 0, 0}));
    EXPECT_EQ(png.storedBlocks, 1u);
    EXPECT_EQ(png.inflated, filteredRows(image));
}

TEST_F(PngFileTest, RowsBeyondOneStoredBlockSpanSeveralWithOnlyTheLastFinal) {
    // 301 bytes a row: rows and blocks (at most 65,535 bytes) end at different places.
    const RgbImage image = gradient(100, 400);
    ASSERT_TRUE(simhost::writePng(path_, image));

    const ReadPng png = readPng(fileBytes());
    EXPECT_EQ(png.width, 100u);
    EXPECT_EQ(png.height, 400u);
    EXPECT_EQ(png.storedBlocks, 2u);
    EXPECT_EQ(png.inflated, filteredRows(image));
}

TEST_F(PngFileTest, AnImageOfExactlyOneFullBlockNeedsNoEmptyBlockAfterIt) {
    // 15 rows of 1 + 3 * 1,456 bytes make 65,535 bytes: one full block.
    const RgbImage image = gradient(1456, 15);
    ASSERT_TRUE(simhost::writePng(path_, image));

    const ReadPng png = readPng(fileBytes());
    EXPECT_EQ(png.storedBlocks, 1u);
    EXPECT_EQ(png.inflated, filteredRows(image));
}

TEST_F(PngFileTest, ChecksumsGiveTheirPublishedCheckValues) {
    const std::string digits = "123456789";
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(digits.data()), digits.size());
    EXPECT_EQ(simhost::crc32(bytes), 0xCBF43926u);
    EXPECT_EQ(simhost::crc32(bytes.subspan(4), simhost::crc32(bytes.first(4))), 0xCBF43926u);
    EXPECT_EQ(simhost::adler32(bytes), 0x091E01DEu);
    // Past the run after which the sums are reduced.
    const Bytes large(20000, 0xFF);
    EXPECT_EQ(simhost::adler32(large), slowAdler32(large));
}

TEST_F(PngFileTest, NoFileForAnEmptyImageOrPixelsThatDoNotFitItsSize) {
    std::filesystem::remove(path_);
    EXPECT_TRUE(simhost::encodePng(RgbImage{0, 0, {}}).empty());
    EXPECT_TRUE(simhost::encodePng(RgbImage{2, 2, Bytes(11, 0)}).empty());
    EXPECT_FALSE(simhost::writePng(path_, RgbImage{2, 0, {}}));
    EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(PngFileTest, AFolderThatDoesNotExistIsAFailure) {
    EXPECT_FALSE(simhost::writePng(path_.parent_path() / L"no such folder" / L"picture.png", gradient(2, 2)));
}

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

Bytes pixelAt(const RgbImage& image, int x, int y) {
    const size_t at = (size_t(y) * image.width + size_t(x)) * 3;
    return Bytes(image.pixels.begin() + static_cast<std::ptrdiff_t>(at),
                 image.pixels.begin() + static_cast<std::ptrdiff_t>(at + 3));
}

TEST(ScreenCapture, ShowsWindowsWhereTheyAreInTheirColours) {
    // Red above blue: a picture upside down, or in blue-green-red, shows them otherwise.
    const Swatch red(RGB(255, 0, 0), 20, 30);
    const Swatch blue(RGB(0, 0, 255), 20, 300);
    simhost::paintThreadWindows();

    const std::optional<RgbImage> screen = simhost::captureScreen();
    ASSERT_TRUE(screen.has_value());
    EXPECT_EQ(screen->width, static_cast<uint32_t>(GetSystemMetrics(SM_CXVIRTUALSCREEN)));
    EXPECT_EQ(screen->height, static_cast<uint32_t>(GetSystemMetrics(SM_CYVIRTUALSCREEN)));
    ASSERT_EQ(screen->pixels.size(), size_t{screen->width} * screen->height * 3);
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int middle = Swatch::kSize / 2;
    EXPECT_EQ(pixelAt(*screen, 20 + middle - left, 30 + middle - top), (Bytes{255, 0, 0}));
    EXPECT_EQ(pixelAt(*screen, 20 + middle - left, 300 + middle - top), (Bytes{0, 0, 255}));
}

}  // namespace
}  // namespace quillet::test
