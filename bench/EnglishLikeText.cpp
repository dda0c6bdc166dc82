#include "bench/EnglishLikeText.h"

namespace quillet::bench {

namespace {

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

}  // namespace

std::u16string englishLikeText(std::size_t units, std::uint64_t seed, std::u16string_view tail) {
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
    while (text.size() < units - tail.size()) {
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
    text.resize(units - tail.size(), u' ');
    text += tail;
    return text;
}

}  // namespace quillet::bench
