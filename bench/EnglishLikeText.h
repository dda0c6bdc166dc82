#pragma once

// Deterministic English-like text for the find benchmarks: words of prose in
// sentences, with now and then a CR LF, and a chosen tail at the very end,
// where the benchmarks plant what they look for.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillet::bench {

/// `units` units of prose whose last units are `tail`. The words are lower
/// case ASCII letters, capitalised at the start of a sentence and now and
/// then elsewhere; there are no digits. The same seed gives the same text
/// everywhere.
std::u16string englishLikeText(std::size_t units, std::uint64_t seed, std::u16string_view tail);

}  // namespace quillet::bench
