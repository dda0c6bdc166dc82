// Random buffers and random sequences of load / select / maskSelection /
// find, checked against a model buffer whose find scans every position from 0
// one code point at a time, passing over every window that covers a mask or
// spans a seam. QUILLET_DIFF_CASES=N runs N sequences instead of
// the default.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "engine/text/SearchBuffer.h"
#include "engine/text/unicode/Unicode.h"

namespace quillet {
namespace {

bool isHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Code points of `s`; a lone surrogate is its own code point.
std::vector<char32_t> decode(std::u16string_view s) {
    std::vector<char32_t> out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (isHigh(s[i]) && i + 1 < s.size() && isLow(s[i + 1])) {
            out.push_back(0x10000 + ((char32_t(s[i]) - 0xD800) << 10) + (char32_t(s[i + 1]) - 0xDC00));
            ++i;
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

/// The model of the buffer: the story's text, which characters are masked,
/// and the seams that empty replacements left.
struct Model {
    std::u16string text;
    std::vector<bool> masked;
    std::vector<int32_t> seams;
    int32_t selStart = 0;
    int32_t selLength = 0;

    std::u16string content() const {
        std::u16string shown = text;
        for (size_t i = 0; i < shown.size(); ++i) {
            if (masked[i]) shown[i] = u'\u00A9';
        }
        return shown;
    }

    bool fenced(size_t q, size_t n) const {
        for (size_t i = q; i < q + n; ++i) {
            if (masked[i]) return true;
        }
        return std::any_of(seams.begin(), seams.end(), [&](int32_t s) {
            return static_cast<size_t>(s) > q && static_cast<size_t>(s) < q + n;
        });
    }
};

int32_t referenceFind(const Model& model, std::u16string_view needle, FindOptions options) {
    const std::u16string& h = model.text;
    const bool matchCase = options.matchCase;
    const bool wholeWord = options.wholeWord;
    const size_t n = needle.size();
    if (n == 0 || n > h.size()) return -1;
    auto fold = [&](std::vector<char32_t> cps) {
        if (!matchCase) {
            for (char32_t& c : cps) c = unicode::foldCodePoint(c);
        }
        return cps;
    };
    const std::vector<char32_t> want = fold(decode(needle));
    for (size_t q = 0; q + n <= h.size(); ++q) {
        if (model.fenced(q, n)) continue;
        const bool startsInPair = q > 0 && isLow(h[q]) && isHigh(h[q - 1]);
        const bool endsInPair = q + n < h.size() && isHigh(h[q + n - 1]) && isLow(h[q + n]);
        if (startsInPair || endsInPair) continue;
        if (fold(decode(std::u16string_view(h).substr(q, n))) != want) continue;
        if (wholeWord) {
            const std::vector<char32_t> before = decode(std::u16string_view(h).substr(0, q));
            const std::vector<char32_t> after = decode(std::u16string_view(h).substr(q + n));
            if (!before.empty() && unicode::isWordCodePoint(before.back())) continue;
            if (!after.empty() && unicode::isWordCodePoint(after.front())) continue;
        }
        return static_cast<int32_t>(q);
    }
    return -1;
}

// Pieces the random text is made of: letters in several cases and their
// folding relatives (classes of 2, 3 and 4 units), marks, digits, connectors,
// separators, line breaks, masks, surrogate pairs and lone surrogates.
const std::vector<std::u16string> kPieces = {
    u"a", u"A", u"b", u"B", u"k", u"K", u"\u212A", u"s", u"S", u"\u017F", u"i", u"I", u"\u0131",
    u"\u03C3", u"\u03C2", u"\u03A3", u"\u03B8", u"\u0398", u"\u03D1", u"\u03F4", u"\u00E9", u"\u00C9",
    u"\u0301", u"1", u"_", u" ", u".", u"\r", u"\n", u"\u00A9", u"\u00A9", u"\U00010400", u"\U00010428",
    u"\U0001F600", u"\xD801", u"\xDC00", u"\xDC28",
};

// Each piece's case variants, used to disguise a needle taken from the text.
const std::vector<std::vector<std::u16string>> kVariants = {
    {u"a", u"A"},
    {u"b", u"B"},
    {u"k", u"K", u"\u212A"},
    {u"s", u"S", u"\u017F"},
    {u"i", u"I"},
    {u"\u03C3", u"\u03C2", u"\u03A3"},
    {u"\u03B8", u"\u0398", u"\u03D1", u"\u03F4"},
    {u"\u00E9", u"\u00C9"},
    {u"\U00010400", u"\U00010428"},
};

class Random {
public:
    explicit Random(uint32_t seed) : engine_(seed) {}
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(engine_); }
    bool chance(int percent) { return below(100) < percent; }

    std::u16string text(int maxPieces) {
        std::u16string out;
        const int count = below(maxPieces + 1);
        // A few pieces per text keep occurrences frequent.
        const int palette = 2 + below(6);
        std::vector<int> chosen;
        for (int i = 0; i < palette; ++i) chosen.push_back(below(static_cast<int>(kPieces.size())));
        for (int i = 0; i < count; ++i) out += kPieces[chosen[below(palette)]];
        return out;
    }

    // A piece of the content (possibly splitting a pair) with its letters'
    // cases shuffled, or now and then unrelated text.
    std::u16string needle(const std::u16string& content) {
        if (content.empty() || chance(15)) return text(4);
        const int start = below(static_cast<int>(content.size()));
        const int length = 1 + below(std::min<int>(8, static_cast<int>(content.size()) - start));
        std::u16string piece = content.substr(start, length);
        std::u16string out;
        for (size_t i = 0; i < piece.size();) {
            bool replaced = false;
            for (const auto& group : kVariants) {
                for (const auto& v : group) {
                    if (piece.compare(i, v.size(), v) == 0 && chance(50)) {
                        out += group[below(static_cast<int>(group.size()))];
                        i += v.size();
                        replaced = true;
                        break;
                    }
                }
                if (replaced) break;
            }
            if (!replaced) out += piece[i++];
        }
        return out;
    }

private:
    std::mt19937 engine_;
};

int caseCount() {
    if (const char* env = std::getenv("QUILLET_DIFF_CASES")) return std::max(1, std::atoi(env));
    return 1000;
}

TEST(SearchBufferDifferential, RandomEditsAndFindsMatchTheReference) {
    const int cases = caseCount();
    const FindOptions optionsList[] = {{false, false}, {false, true}, {true, false}, {true, true}};
    for (int c = 0; c < cases; ++c) {
        Random rng(0x5eed0000u + static_cast<uint32_t>(c));
        SearchBuffer buffer;
        Model model;
        // Long contents now and then, so the vectorised blocks and their
        // tails both see matches.
        const int maxPieces = rng.chance(20) ? 200 : 40;
        std::vector<std::u16string> needles;
        std::string log;
        auto reload = [&] {
            model = Model{rng.text(maxPieces), {}, {}, 0, 0};
            model.masked.assign(model.text.size(), false);
            buffer.load(model.text);
            log += "load;";
            // Keeping the needles checks that nothing proved about the old
            // content survives.
            if (!needles.empty() && rng.chance(50)) return;
            needles.clear();
            for (int i = 0; i < 3; ++i) needles.push_back(rng.needle(model.text));
        };
        reload();
        auto mask = [&](const std::u16string& standsFor) {
            buffer.maskSelection(standsFor);
            const auto start = static_cast<size_t>(model.selStart);
            const auto length = static_cast<size_t>(model.selLength);
            const auto written = static_cast<int32_t>(standsFor.size());
            model.text.replace(start, length, standsFor);
            model.masked.erase(model.masked.begin() + static_cast<std::ptrdiff_t>(start),
                               model.masked.begin() + static_cast<std::ptrdiff_t>(start + length));
            model.masked.insert(model.masked.begin() + static_cast<std::ptrdiff_t>(start), standsFor.size(), true);
            std::vector<int32_t> seams;
            // Seams inside the masked span go; those after it move with the text.
            for (int32_t seam : model.seams) {
                if (seam <= model.selStart) seams.push_back(seam);
                else if (seam >= model.selStart + model.selLength) seams.push_back(seam + written - model.selLength);
            }
            if (standsFor.empty()) seams.push_back(model.selStart);
            model.seams = seams;
            model.selStart += written;
            model.selLength = 0;
            log += "mask " + std::to_string(standsFor.size()) + ";";
        };
        auto find = [&](const std::u16string& needle, FindOptions options) {
            const int32_t want = referenceFind(model, needle, options);
            if (want >= 0) {
                model.selStart = want;
                model.selLength = static_cast<int32_t>(needle.size());
            }
            log += std::string("find ") + (options.matchCase ? "case " : "") + (options.wholeWord ? "word" : "") + ";";
            EXPECT_EQ(buffer.find(needle, options), want) << "case " << c << ": " << log;
            return want;
        };
        for (int step = 0; step < 40 && !HasFailure(); ++step) {
            const int op = rng.below(100);
            if (op < 5) {
                reload();
            } else if (op < 25) {
                const int size = static_cast<int>(model.text.size());
                const int start = rng.below(size + 3) - 1;
                const int length = rng.below(10) - 1;
                buffer.select(start, length);
                model.selStart = std::clamp(start, 0, size);
                model.selLength = std::clamp(length, 0, size - model.selStart);
                log += "select " + std::to_string(start) + "," + std::to_string(length) + ";";
            } else if (op < 45) {
                // The selection masked as a visited match, or as a
                // replacement of any length, the empty one included.
                if (rng.chance(50)) {
                    mask(model.text.substr(static_cast<size_t>(model.selStart), static_cast<size_t>(model.selLength)));
                } else {
                    mask(rng.text(4));
                }
            } else {
                // Now and then the engine's replace-all pattern: find, mask
                // the match, find the same text again.
                const std::u16string& needle = needles[static_cast<size_t>(rng.below(3))];
                const FindOptions options = optionsList[rng.below(4)];
                const int rounds = rng.chance(30) ? 2 + rng.below(4) : 1;
                for (int r = 0; r < rounds; ++r) {
                    if (find(needle, options) < 0 || r + 1 == rounds) break;
                    mask(rng.chance(70) ? model.text.substr(static_cast<size_t>(model.selStart),
                                                            static_cast<size_t>(model.selLength))
                                        : rng.text(3));
                }
            }
            ASSERT_EQ(buffer.content(), model.content()) << "case " << c << ": " << log;
            ASSERT_TRUE(buffer.mirrors(model.text)) << "case " << c << ": " << log;
            ASSERT_EQ(buffer.selStart(), model.selStart) << "case " << c << ": " << log;
            ASSERT_EQ(buffer.selLength(), model.selLength) << "case " << c << ": " << log;
        }
        if (HasFailure()) return;
    }
}

}  // namespace
}  // namespace quillet
