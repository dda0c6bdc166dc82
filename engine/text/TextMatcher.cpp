#include "engine/text/TextMatcher.h"

#include <bit>
#include <cstdint>
#include <type_traits>

#include "engine/text/unicode/Unicode.h"

#if defined(__SSE2__) && !defined(QUILLET_NO_SIMD)
#define QUILLET_FIND_SSE2 1
#include <emmintrin.h>
#endif

namespace quillet {

using unicode::isHighSurrogate;
using unicode::isLowSurrogate;
using unicode::isSurrogate;

namespace {

// What the scans return where they find nothing. They return a plain
// position, not an optional one: around an optional result GCC made the
// case-matching scan half as fast (BM_Find1MiBTextMatcher).
constexpr Position kNotFound = -1;

// How often an ASCII unit turns up in ordinary prose, 0 for rare or unknown
// units. Anchoring on rare units keeps the prefilter's false candidates, each
// of which costs a verification, to a minimum.
int commonness(char16_t u) {
    static constexpr char kMostCommonFirst[] = " etaoinshrdlcumwfgypbvkjxqz";
    constexpr int kCount = sizeof kMostCommonFirst - 1;
    const bool upper = u >= u'A' && u <= u'Z';
    const char16_t lower = upper ? char16_t(u + 32) : u;
    for (int i = 0; i < kCount; ++i) {
        if (lower == char16_t(kMostCommonFirst[i])) return upper ? (kCount - i) / 4 : kCount - i;
    }
    if (u >= u'0' && u <= u'9') return 4;
    if (u == u'\r' || u == u'\n' || u == u',' || u == u'.') return 6;
    return 0;
}

// Compares a window of the content with the folded needle. Only windows
// that neither start nor end inside a surrogate pair count (the caller
// rejects the others), and in those, pairs decode as in the whole content.
inline bool equalFolded(const char16_t* w, const char16_t* folded, Position n) {
    for (Position i = 0; i < n; ++i) {
        const char16_t h = w[i];
        const char16_t f = folded[i];
        // Folded text folds to itself, so a unit already equal to the folded
        // needle needs no lookup; that includes the high half of a pair,
        // which folding never changes.
        if (h == f) continue;
        if (!isSurrogate(h)) {
            if (unicode::foldBmpUnit(h) != f) return false;
            continue;
        }
        // A differing high surrogate, or a lone low one, cannot fold to f.
        if (!isLowSurrogate(h) || i == 0 || !isHighSurrogate(w[i - 1])) return false;
        const char32_t cp = unicode::foldCodePoint(unicode::combineSurrogates(w[i - 1], h));
        if (char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF)) != f) return false;
    }
    return true;
}

inline bool inClass(char16_t u, const TextMatcher::Anchor& a) {
    u = char16_t(u | a.orMask);
    for (int k = 0; k < a.count; ++k) {
        if (u == a.units[k]) return true;
    }
    return false;
}

// Candidates one at a time: the whole scan without SSE2, and the last few
// positions with it.
Position scanPlain(const TextMatcher& m, const char16_t* h, Position size, Position q, Position qLast,
                   const TextMatcher::Anchor& a1, const TextMatcher::Anchor& a2) {
    for (; q <= qLast; ++q) {
        if (!inClass(h[q + a1.offset], a1)) continue;
        if (a2.count != 0 && !inClass(h[q + a2.offset], a2)) continue;
        if (m.matchesAt(h, size, q)) return q;
    }
    return kNotFound;
}

#if QUILLET_FIND_SSE2

inline __m128i load8(const char16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// Marks the lanes holding a unit the anchor admits. The class size and the
// use of the mask are template arguments so the compares unroll.
template <int K, bool Masked>
class ClassTest {
public:
    explicit ClassTest(const TextMatcher::Anchor& a) {
        for (int k = 0; k < K; ++k) units_[k] = _mm_set1_epi16(static_cast<short>(a.units[k]));
        mask_ = _mm_set1_epi16(static_cast<short>(a.orMask));
    }
    __m128i operator()(__m128i data) const {
        if constexpr (Masked) data = _mm_or_si128(data, mask_);
        __m128i hit = _mm_cmpeq_epi16(data, units_[0]);
        for (int k = 1; k < K; ++k) hit = _mm_or_si128(hit, _mm_cmpeq_epi16(data, units_[k]));
        return hit;
    }

private:
    __m128i units_[K];
    __m128i mask_;
};

// Stands in for the second anchor of a needle that has only one.
struct NoTest {
    explicit NoTest(const TextMatcher::Anchor&) {}
};

// Tests candidate positions 16 at a time: a position survives when both
// anchors admit the content units at their offsets from it.
template <class Test1, class Test2>
Position scanSse2(const TextMatcher& m, const char16_t* h, Position size, Position q, Position qLast,
                  const TextMatcher::Anchor& a1, const TextMatcher::Anchor& a2) {
    const Test1 test1(a1);
    const Test2 test2(a2);
    const char16_t* p1 = h + a1.offset;
    const char16_t* p2 = h + a2.offset;
    // Every load of a step stays within the content: its last unit is at
    // most qLast + offset <= size - 1.
    auto survivors = [&](Position at) {
        __m128i lo = test1(load8(p1 + at));
        __m128i hi = test1(load8(p1 + at + 8));
        if constexpr (!std::is_same_v<Test2, NoTest>) {
            lo = _mm_and_si128(lo, test2(load8(p2 + at)));
            hi = _mm_and_si128(hi, test2(load8(p2 + at + 8)));
        }
        // Lanes are 0 or -1, which pack to one byte each without saturating.
        return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(lo, hi)));
    };
    // Two blocks of 16 per step: candidates are rare, so one branch for 32
    // positions keeps the loop short.
    for (; q + 31 <= qLast; q += 32) {
        std::uint32_t bits = survivors(q) | (survivors(q + 16) << 16);
        while (bits != 0) {
            const Position c = q + std::countr_zero(bits);
            if (m.matchesAt(h, size, c)) return c;
            bits &= bits - 1;
        }
    }
    for (; q + 15 <= qLast; q += 16) {
        std::uint32_t bits = survivors(q);
        while (bits != 0) {
            const Position c = q + std::countr_zero(bits);
            if (m.matchesAt(h, size, c)) return c;
            bits &= bits - 1;
        }
    }
    return scanPlain(m, h, size, q, qLast, a1, a2);
}

// Calls f.template operator()<Test>() with the ClassTest for `a`.
template <class F>
Position withClassTest(const TextMatcher::Anchor& a, F&& f) {
    if (a.orMask != 0) return f.template operator()<ClassTest<1, true>>();
    switch (a.count) {
    case 1: return f.template operator()<ClassTest<1, false>>();
    case 2: return f.template operator()<ClassTest<2, false>>();
    case 3: return f.template operator()<ClassTest<3, false>>();
    default: return f.template operator()<ClassTest<4, false>>();
    }
}

Position scanSse2Any(const TextMatcher& m, const char16_t* h, Position size, Position q, Position qLast,
                     const TextMatcher::Anchor& a1, const TextMatcher::Anchor& a2) {
    return withClassTest(a1, [&]<class Test1>() {
        if (a2.count == 0) return scanSse2<Test1, NoTest>(m, h, size, q, qLast, a1, a2);
        return withClassTest(a2, [&]<class Test2>() { return scanSse2<Test1, Test2>(m, h, size, q, qLast, a1, a2); });
    });
}

#endif

}  // namespace

void TextMatcher::prepare(std::u16string_view needle, bool matchCase) {
    matchCase_ = matchCase;
    needle_.assign(needle.data(), needle.size());
    if (!matchCase_) {
        const Position n = length();
        for (Position i = 0; i < n; ++i) {
            const char16_t u = needle_[i];
            if (!isSurrogate(u)) {
                needle_[i] = unicode::foldBmpUnit(u);
            } else if (isHighSurrogate(u) && i + 1 < n && isLowSurrogate(needle_[i + 1])) {
                const char32_t cp = unicode::foldCodePoint(unicode::combineSurrogates(u, needle_[i + 1]));
                needle_[i] = char16_t(0xD800 + ((cp - 0x10000) >> 10));
                needle_[i + 1] = char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
                ++i;
            }
        }
    }
    chooseAnchors();
}

// One anchor in each half of the needle, the cheapest in each: not a
// surrogate if possible (the pairs of one script mostly share their high
// half, so it filters poorly), then the smallest class, then the rarest in
// prose. Ignoring case, the low half of a
// pair is never an anchor: the units it may stand for are not a BMP class.
// Every other unit is: a high surrogate or lone surrogate must match itself
// exactly, since folding keeps a pair's high surrogate.
void TextMatcher::chooseAnchors() {
    const Position n = length();
    const Position half = (n + 1) / 2;
    auto best = [&](Position from, Position to, Anchor& out) {
        out.count = 0;
        int bestCost = 0;
        for (Position i = from; i < to; ++i) {
            const char16_t u = needle_[i];
            if (!matchCase_ && isLowSurrogate(u) && i > 0 && isHighSurrogate(needle_[i - 1])) continue;
            Anchor a;
            a.offset = i;
            if (matchCase_) {
                a.count = 1;
                a.units[0] = u;
            } else {
                a.count = unicode::foldClass(u, a.units);
                const char16_t differ = char16_t(a.units[0] ^ a.units[1]);
                if (a.count == 2 && std::has_single_bit(static_cast<unsigned>(differ))) {
                    a.orMask = differ;
                    a.units[0] = char16_t(a.units[0] | differ);
                    a.count = 1;
                }
            }
            const int cost = (isSurrogate(u) ? 10000 : 0) + a.count * 100 + commonness(u);
            if (out.count == 0 || cost < bestCost) {
                out = a;
                bestCost = cost;
            }
        }
    };
    best(0, half, first_);
    best(half, n, second_);
}

std::optional<Position> TextMatcher::findFrom(std::u16string_view haystack, Position from) const {
    const Position n = length();
    const Position size = lengthOf(haystack);
    if (n == 0 || from < 0 || from > size - n) return std::nullopt;
    const char16_t* h = haystack.data();
    const Position qLast = size - n;
#if QUILLET_FIND_SSE2
    const Position found = scanSse2Any(*this, h, size, from, qLast, first_, second_);
#else
    const Position found = scanPlain(*this, h, size, from, qLast, first_, second_);
#endif
    if (found == kNotFound) return std::nullopt;
    return found;
}

bool TextMatcher::matchesAt(const char16_t* h, Position size, Position q) const {
    const Position n = length();
    const char16_t* w = h + q;
    const char16_t* f = needle_.data();
    if (matchCase_) {
        for (Position i = 0; i < n; ++i) {
            if (w[i] != f[i]) return false;
        }
    } else if (!equalFolded(w, f, n)) {
        return false;
    }
    if (q > 0 && isLowSurrogate(w[0]) && isHighSurrogate(w[-1])) return false;
    if (q + n < size && isHighSurrogate(w[n - 1]) && isLowSurrogate(w[n])) return false;
    return true;
}

}  // namespace quillet
