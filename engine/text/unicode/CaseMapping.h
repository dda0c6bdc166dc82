#pragma once

// The simple case mappings of the Unicode character database, one code
// point to one, that Keep Case writes capitals with. The data comes from
// tables generated at build time.

#include <cstdint>

namespace quillet::unicode {

// What gen_case_mappings.py generates into CaseMappingTables.cpp; read it
// through uppercaseOf and titlecaseOf.
namespace tables {

struct CaseMapping {
    std::uint32_t from;
    std::uint32_t to;
};

// The code points that have a simple uppercase mapping, sorted by `from`.
extern const CaseMapping kUppercase[];
extern const int kUppercaseCount;
// The code points whose simple titlecase mapping is not their uppercase
// one (the digraphs, Georgian), sorted by `from`.
extern const CaseMapping kTitlecaseApart[];
extern const int kTitlecaseApartCount;

}  // namespace tables

/// The simple uppercase mapping of `cp` ("ı" gives "I", "ǆ" gives "Ǆ"), or
/// `cp` where it has none: every code point, surrogates and values that are
/// not code points included.
char32_t uppercaseOf(char32_t cp);

/// The simple titlecase mapping of `cp`, the capital that begins a word
/// ("ǆ" gives "ǅ"); its uppercase mapping where the database gives none.
char32_t titlecaseOf(char32_t cp);

}  // namespace quillet::unicode
