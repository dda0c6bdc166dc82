// SearchBuffer::find throughput on 1 MiB of English-like text, next to a
// memcpy of the same bytes, and the cost of one find in a small story.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench/EnglishLikeText.h"
#include "engine/text/SearchBuffer.h"

namespace {

using quillet::FindOptions;
using quillet::SearchBuffer;
using quillet::bench::englishLikeText;

constexpr std::size_t kBufferUnits = 512 * 1024;  // 1 MiB of UTF-16

// Two needles planted one after the other at the very end. Alternating them
// makes every timed find a first find of a new text, so it scans the whole
// content from 0: the memo of the previous find (which would let a repeat of
// the same text resume at its match) never applies, and the content is
// loaded once, outside the timing.
const std::u16string kNeedles[2] = {u"cathedral", u"Cathedral"};
const std::u16string kTail = u" cathedral Cathedral.\r\n";

const std::u16string& megabyteText() {
    static const std::u16string text = englishLikeText(kBufferUnits, 42, kTail);
    return text;
}

void BM_Memcpy(benchmark::State& state) {
    const std::u16string& text = megabyteText();
    std::vector<char16_t> copy(text.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), text.data(), text.size() * sizeof(char16_t));
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size() * sizeof(char16_t)));
}
BENCHMARK(BM_Memcpy);

/// The options that a benchmark's arguments name: matchCase, then wholeWord.
FindOptions optionsOf(const benchmark::State& state) { return {state.range(0) != 0, state.range(1) != 0}; }

void BM_Find1MiB(benchmark::State& state) {
    const FindOptions options = optionsOf(state);
    SearchBuffer buffer;
    buffer.load(megabyteText());
    const auto tailStart = static_cast<int32_t>(kBufferUnits - kTail.size());
    // Both needles must first occur in the tail, or the scan is not the
    // whole buffer.
    for (const auto& needle : kNeedles) {
        const int32_t at = buffer.find(needle, options);
        if (at < tailStart) {
            state.SkipWithError("needle occurs before the end of the text");
            return;
        }
    }
    std::size_t which = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(buffer.find(kNeedles[which], options));
        which ^= 1;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(kBufferUnits * sizeof(char16_t)));
}
BENCHMARK(BM_Find1MiB)->ArgNames({"matchCase", "wholeWord"})->Args({0, 0})->Args({0, 1})->Args({1, 0})->Args({1, 1});

// One call as the engine makes it per story: copy the story in, find once
// (planted at its end, so the whole story is scanned).
void BM_FindSmallStory(benchmark::State& state) {
    const FindOptions options = optionsOf(state);
    const std::u16string story = englishLikeText(512, 7, kTail);  // 1 KB
    SearchBuffer buffer;
    for (auto _ : state) {
        buffer.load(story);
        benchmark::DoNotOptimize(buffer.find(u"cathedral", options));
    }
}
BENCHMARK(BM_FindSmallStory)->ArgNames({"matchCase", "wholeWord"})->Args({0, 0})->Args({1, 1});

}  // namespace
