#pragma once

// The tables that gen_unicode_tables.py generates into UnicodeTables.cpp.
// Only engine/text/unicode reads them directly; everything else goes through
// engine/text/unicode/Unicode.h.

#include <cstdint>

namespace quillet::unicode::tables {

// BMP simple case folding: fold(u) = u + kFoldStage2[kFoldStage1[u >> 8] * 256
// + (u & 0xFF)], modulo 2^16.
extern const std::uint8_t kFoldStage1[256];
extern const std::uint16_t kFoldStage2[];

// Supplementary simple case folding, sorted by kSuppFoldFrom.
extern const std::uint32_t kSuppFoldFrom[];
extern const std::uint32_t kSuppFoldTo[];
extern const int kSuppFoldCount;

// BMP units that share their folding with other units, grouped by the folded
// value (kFoldClassKey, sorted). Group i has kFoldClassSize[i] members stored
// at kFoldClassMembers[i * kFoldClassStride], padded by repeating its first
// member.
inline constexpr int kFoldClassStride = 4;
extern const std::uint16_t kFoldClassKey[];
extern const std::uint8_t kFoldClassSize[];
extern const std::uint16_t kFoldClassMembers[];
extern const int kFoldClassCount;

// Word characters: one bit per BMP code point, then sorted inclusive ranges
// for the supplementary planes.
extern const std::uint32_t kWordBmp[2048];
extern const std::uint32_t kWordSuppFirst[];
extern const std::uint32_t kWordSuppLast[];
extern const int kWordSuppCount;

}  // namespace quillet::unicode::tables
