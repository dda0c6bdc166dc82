#include "simhost/win32/PngFile.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <string_view>

namespace quillet::simhost {

namespace {

constexpr std::array<uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// A stored deflate block carries at most what its 16-bit length can say.
constexpr size_t kStoredBlockMax = 0xFFFF;
// PNG chunk lengths and sizes are at most 2^31 - 1.
constexpr uint64_t kPngMax = 0x7FFFFFFF;

constexpr std::array<uint32_t, 256> makeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

constexpr std::array<uint32_t, 256> kCrcTable = makeCrcTable();

void putBigEndian(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value >> 24));
    out.push_back(static_cast<uint8_t>(value >> 16));
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

/// Appends a chunk: length, type, data, and the CRC of type and data.
void putChunk(std::vector<uint8_t>& out, std::string_view type, std::span<const uint8_t> data) {
    putBigEndian(out, static_cast<uint32_t>(data.size()));
    const size_t typeAt = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    putBigEndian(out, crc32(std::span<const uint8_t>(out).subspan(typeAt)));
}

/// The image's rows, each led by its filter type 0 (None), as one zlib stream
/// of stored blocks.
std::vector<uint8_t> zlibStored(const RgbImage& image) {
    const size_t rowBytes = size_t{image.width} * 3;
    std::vector<uint8_t> raw;
    raw.reserve((rowBytes + 1) * image.height);
    for (uint32_t row = 0; row < image.height; ++row) {
        raw.push_back(0);
        const auto begin = image.pixels.begin() + static_cast<std::ptrdiff_t>(row * rowBytes);
        raw.insert(raw.end(), begin, begin + static_cast<std::ptrdiff_t>(rowBytes));
    }
    std::vector<uint8_t> stream;
    stream.reserve(raw.size() + raw.size() / kStoredBlockMax * 5 + 16);
    // Deflate with a 32 KiB window, no dictionary; the check bits make the
    // 16-bit header a multiple of 31.
    stream.push_back(0x78);
    stream.push_back(0x01);
    size_t at = 0;
    do {
        const size_t length = std::min(kStoredBlockMax, raw.size() - at);
        const bool last = at + length == raw.size();
        stream.push_back(last ? 1 : 0);  // BFINAL, then BTYPE 00: stored
        stream.push_back(static_cast<uint8_t>(length));
        stream.push_back(static_cast<uint8_t>(length >> 8));
        stream.push_back(static_cast<uint8_t>(~length));
        stream.push_back(static_cast<uint8_t>(~length >> 8));
        stream.insert(stream.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                      raw.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
    } while (at < raw.size());
    putBigEndian(stream, adler32(raw));
    return stream;
}

}  // namespace

uint32_t crc32(std::span<const uint8_t> bytes, uint32_t crc) {
    crc = ~crc;
    for (uint8_t byte : bytes) crc = kCrcTable[(crc ^ byte) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

uint32_t adler32(std::span<const uint8_t> bytes, uint32_t adler) {
    constexpr uint32_t kModulus = 65521;
    // 5552 bytes is the most that can be summed before the 32-bit sums could overflow.
    constexpr size_t kRun = 5552;
    uint32_t a = adler & 0xFFFF;
    uint32_t b = adler >> 16;
    for (size_t at = 0; at < bytes.size(); at += kRun) {
        const size_t end = std::min(bytes.size(), at + kRun);
        for (size_t i = at; i < end; ++i) {
            a += bytes[i];
            b += a;
        }
        a %= kModulus;
        b %= kModulus;
    }
    return (b << 16) | a;
}

std::vector<uint8_t> encodePng(const RgbImage& image) {
    if (image.width == 0 || image.height == 0 || image.width > kPngMax || image.height > kPngMax) return {};
    if (image.pixels.size() != uint64_t{image.width} * image.height * 3) return {};
    // The whole stream goes in one IDAT chunk, whose length must fit too.
    const uint64_t raw = (uint64_t{image.width} * 3 + 1) * image.height;
    const uint64_t blocks = (raw + kStoredBlockMax - 1) / kStoredBlockMax;
    if (2 + blocks * 5 + raw + 4 > kPngMax) return {};

    std::vector<uint8_t> png(kSignature.begin(), kSignature.end());
    std::vector<uint8_t> header;
    putBigEndian(header, image.width);
    putBigEndian(header, image.height);
    header.insert(header.end(), {8, 2, 0, 0, 0});  // bit depth, RGB, deflate, adaptive filters, no interlace
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", zlibStored(image));
    putChunk(png, "IEND", {});
    return png;
}

bool writePng(const std::filesystem::path& path, const RgbImage& image) {
    const std::vector<uint8_t> png = encodePng(image);
    if (png.empty()) return false;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    file.close();
    return static_cast<bool>(file);
}

}  // namespace quillet::simhost
