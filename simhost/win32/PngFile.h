#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace quillet::simhost {

/// A picture as rows of 8-bit red, green and blue, the top row first and no
/// padding between rows: `pixels` holds width * height * 3 bytes.
struct RgbImage {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> pixels;
};

/// The CRC-32 of PNG chunks and zip files (polynomial 0xEDB88320), of `bytes`
/// continuing from `crc` (0 to start).
uint32_t crc32(std::span<const uint8_t> bytes, uint32_t crc = 0);

/// The Adler-32 checksum that ends a zlib stream, of `bytes` continuing from
/// `adler` (1 to start).
uint32_t adler32(std::span<const uint8_t> bytes, uint32_t adler = 1);

/// A PNG file that holds `image` exactly: colour type 2 (RGB), bit depth 8, no
/// interlace, filter 0 on every row, its zlib stream in stored (uncompressed)
/// deflate blocks, so no compression code is needed and any reader takes it.
/// Empty when the image has no pixels or its size does not fit the format
/// (PNG needs at least one row and one column).
std::vector<uint8_t> encodePng(const RgbImage& image);

/// Writes encodePng(image) to `path`, replacing the file; false when nothing
/// could be encoded or the file could not be written whole.
bool writePng(const std::filesystem::path& path, const RgbImage& image);

}  // namespace quillet::simhost
