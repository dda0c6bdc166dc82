// SearchBuffer::find throughput on 1 MiB of English-like text, next to a
// memcpy of the same bytes, and the cost of one find in a small story.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "engine/SearchBuffer.h"

namespace {

using quillet::FindOptions;
using quillet::SearchBuffer;

constexpr std::size_t kBufferUnits = 512 * 1024;  // 1 MiB of UTF-16

// Two needles planted one after the other at the very end. Alternating them
// makes every timed find a first find of a new text, so it scans the whole
// content from 0: the memo of the previous find (which would let a repeat of
// the same text resume at its match) never applies, and the content is
// loaded once, outside the timing.
const std::u16string kNeedles[2] = {u"cathedral", u"Cathedral"};
const std::u16string kTail = u" cathedral Cathedral.\r\n";

// Deterministic everywhere, unlike the standard distributions.
class SplitMix {
public:
    explicit SplitMix(std::uint64_t seed) : state_(seed) {}
    std::uint32_t below(std::uint32_t n) {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return static_cast<std::uint32_t>((z ^ (z >> 31)) % n);
    }

private:
    std::uint64_t state_;
};

std::u16string englishLikeText(std::size_t units, std::uint64_t seed) {
    static const char* const kWords[] = {
        "the", "of", "and", "to", "in", "a", "is", "that", "for", "it", "as", "was", "with", "be", "by",
        "on", "not", "he", "this", "are", "or", "his", "from", "at", "which", "but", "have", "an", "they",
        "you", "were", "her", "she", "there", "one", "all", "we", "their", "would", "been", "has", "when",
        "who", "will", "more", "no", "if", "out", "so", "said", "what", "up", "its", "about", "into",
        "than", "them", "can", "only", "other", "new", "some", "could", "time", "these", "two", "may",
        "then", "do", "first", "any", "my", "now", "such", "like", "our", "over", "man", "me", "even",
        "most", "made", "after", "also", "did", "many", "before", "must", "through", "back", "years",
        "where", "much", "your", "way", "well", "down", "should", "because", "each", "just", "those",
        "people", "how", "too", "little", "state", "good", "very", "make", "world", "still", "own",
        "see", "men", "work", "long", "get", "here", "between", "both", "life", "being", "under",
        "never", "day", "same", "another", "know", "while", "last", "might", "us", "great", "old",
        "year", "off", "come", "since", "against", "go", "came", "right", "used", "take", "three",
        "church", "tower", "castle", "cottage", "dream", "thread", "hedge", "ledger", "rally",
    };
    constexpr std::uint32_t kWordCount = sizeof kWords / sizeof kWords[0];
    SplitMix rng(seed);
    std::u16string text;
    text.reserve(units + 64);
    bool sentenceStart = true;
    while (text.size() < units - kTail.size()) {
        const char* word = kWords[rng.below(kWordCount)];
        const bool capital = sentenceStart || rng.below(12) == 0;
        for (const char* p = word; *p != '\0'; ++p) {
            const char c = (p == word && capital) ? static_cast<char>(*p - 'a' + 'A') : *p;
            text.push_back(static_cast<char16_t>(c));
        }
        sentenceStart = false;
        const std::uint32_t r = rng.below(100);
        if (r < 6) {
            text += u", ";
        } else if (r < 12) {
            text += u". ";
            sentenceStart = true;
        } else if (r < 13) {
            text += u".\r\n";
            sentenceStart = true;
        } else {
            text += u" ";
        }
    }
    text.resize(units - kTail.size(), u' ');
    text += kTail;
    return text;
}

const std::u16string& megabyteText() {
    static const std::u16string text = englishLikeText(kBufferUnits, 42);
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
    const std::u16string story = englishLikeText(512, 7);  // 1 KB
    SearchBuffer buffer;
    for (auto _ : state) {
        buffer.load(story);
        benchmark::DoNotOptimize(buffer.find(u"cathedral", options));
    }
}
BENCHMARK(BM_FindSmallStory)->ArgNames({"matchCase", "wholeWord"})->Args({0, 0})->Args({1, 1});

}  // namespace
