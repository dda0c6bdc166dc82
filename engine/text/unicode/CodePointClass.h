#pragma once

// The classes of characters that a find text's codes ask for (letters,
// decimal digits, space separators) and that Keep Case reads (the cases of
// letters), by their Unicode general category. The data comes from tables
// generated at build time.

#include <cstdint>

namespace quillet::unicode {

enum class CodePointClass : std::uint8_t {
    Other,
    Letter,           // a letter of no case: Lt, Lm, Lo
    DecimalDigit,     // Nd
    SpaceSeparator,   // Zs; all of them are in the BMP
    UppercaseLetter,  // Lu
    LowercaseLetter,  // Ll
};

/// Whether the class is a letter's, of any case (L*).
inline bool isLetter(CodePointClass cls) {
    return cls == CodePointClass::Letter || cls == CodePointClass::UppercaseLetter ||
           cls == CodePointClass::LowercaseLetter;
}

// What gen_code_point_classes.py generates into CodePointClassTables.cpp;
// read it through classOf.
namespace tables {

// BMP classes: class(u) = kClassStage2[kClassStage1[u >> 8] * 256 + (u & 0xFF)].
extern const std::uint8_t kClassStage1[256];
extern const std::uint8_t kClassStage2[];

// Supplementary code points of a class other than Other, as runs of one
// class, sorted and apart.
struct ClassRun {
    std::uint32_t first;
    std::uint32_t last;
    CodePointClass cls;
};
extern const ClassRun kClassSuppRuns[];
extern const int kClassSuppRunCount;

}  // namespace tables

/// The class of a supplementary code point; Other past U+10FFFF.
CodePointClass supplementaryClassOf(char32_t cp);

/// The class of any code point. Surrogate code points and values that are
/// not code points are Other.
inline CodePointClass classOf(char32_t cp) {
    if (cp >= 0x10000) return supplementaryClassOf(cp);
    return static_cast<CodePointClass>(tables::kClassStage2[tables::kClassStage1[cp >> 8] * 256 + (cp & 0xFF)]);
}

}  // namespace quillet::unicode
