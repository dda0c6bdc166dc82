// Finds in 1 MiB of English-like text: a plain find text through
// TextMatcher, and find texts with codes through FindPattern. What each
// looks for lies only in the text's last units, so every find scans it all.
// BM_Memcpy (SearchBufferBench.cpp) copies as many bytes, for the ratio.

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "bench/EnglishLikeText.h"
#include "engine/text/FindPattern.h"
#include "engine/text/TextMatcher.h"

namespace {

using quillet::FindOptions;
using quillet::FindPattern;
using quillet::TextMatcher;

constexpr std::size_t kUnits = 512 * 1024;  // 1 MiB of UTF-16
// The prose has no digits and no "lantern".
const std::u16string kTail = u" 12 lanterns, lantern\r\n";

const std::u16string& megabyteText() {
    static const std::u16string text = quillet::bench::englishLikeText(kUnits, 42, kTail);
    return text;
}

bool isInTail(quillet::Position at) { return at >= static_cast<quillet::Position>(kUnits - kTail.size()); }

FindOptions optionsOf(const benchmark::State& state) { return {state.range(0) != 0, /*wholeWord=*/false}; }

void countBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(kUnits * sizeof(char16_t)));
}

void BM_Find1MiBTextMatcher(benchmark::State& state) {
    const std::u16string& text = megabyteText();
    TextMatcher matcher;
    matcher.prepare(u"lanterns", optionsOf(state).matchCase);
    const auto found = matcher.findFrom(text, 0);
    if (!found || !isInTail(*found)) {
        state.SkipWithError("the find text occurs before the tail");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(matcher.findFrom(text, 0));
    countBytes(state);
}
BENCHMARK(BM_Find1MiBTextMatcher)->ArgName("matchCase")->Arg(0)->Arg(1);

void BM_Find1MiBFindPattern(benchmark::State& state, std::u16string_view findText) {
    const std::u16string& text = megabyteText();
    const FindPattern pattern(findText, optionsOf(state));
    const auto first = pattern.findFrom(text, 0);
    if (!first || !isInTail(first->start)) {
        state.SkipWithError("the find text does not occur in the tail alone");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(pattern.findFrom(text, 0));
    countBytes(state);
}
// A literal, then a code: the scan looks for the literal.
BENCHMARK_CAPTURE(BM_Find1MiBFindPattern, lantern_p, u"lantern^p")->ArgName("matchCase")->Arg(0)->Arg(1);
// Codes of varying length, then a literal: a window of starts before each.
BENCHMARK_CAPTURE(BM_Find1MiBFindPattern, digits_lanterns, u"^#^# lanterns")->ArgName("matchCase")->Arg(0)->Arg(1);
// Codes alone: every position is a start to try.
BENCHMARK_CAPTURE(BM_Find1MiBFindPattern, digits_only, u"^#^#")->ArgName("matchCase")->Arg(1);

}  // namespace
