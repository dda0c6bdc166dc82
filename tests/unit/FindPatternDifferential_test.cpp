// Random texts and find texts with codes, over a small alphabet, checked
// against a reference that reads the find text on its own and tries every
// way to match it, one code point at a time, by plain recursion. Each case
// compares matchAt at every position and findFrom from every position.
// QUILLET_DIFF_CASES=N runs N cases instead of the default.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "engine/text/FindPattern.h"

namespace quillet {
namespace {

// --- The alphabet, with what the reference needs to know of each character ----

struct Character {
    std::u16string text;
    char32_t folded;  // simple case folding
    bool letter = false;
    bool digit = false;
    bool white = false;  // tab or space separator
};

const std::vector<Character> kAlphabet = {
    {u"a", U'a', true}, {u"A", U'a', true}, {u"b", U'b', true}, {u"B", U'b', true},
    {u"k", U'k', true}, {u"K", U'k', true}, {u"\u212A", U'k', true},  // KELVIN SIGN
    {u"p", U'p', true}, {u"\u00E9", U'\u00E9', true}, {u"\u00C9", U'\u00E9', true},
    {u"\U00010400", U'\U00010428', true}, {u"\U00010428", U'\U00010428', true},  // Deseret
    {u"1", U'1', false, true}, {u"7", U'7', false, true}, {u"\u0663", U'\u0663', false, true},
    {u"\U0001D7D8", U'\U0001D7D8', false, true},  // MATHEMATICAL DOUBLE-STRUCK DIGIT ZERO
    {u"\u00B2", U'\u00B2'},                        // SUPERSCRIPT TWO: a number, no digit
    {u" ", U' ', false, false, true}, {u"\t", U'\t', false, false, true},
    {u"\u00A0", U'\u00A0', false, false, true}, {u"\u3000", U'\u3000', false, false, true},
    {u"\r", U'\r'}, {u"\n", U'\n'}, {u"\v", U'\v'}, {u"\u2028", U'\u2028'},
    {u"\u2014", U'\u2014'}, {u"\u2013", U'\u2013'}, {u"\u2011", U'\u2011'}, {u"\u00AD", U'\u00AD'},
    {u"^", U'^'}, {u"\U0001F600", U'\U0001F600'}, {u"\xDC00", U'\xDC00'},  // a lone surrogate
};

bool isHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// The code point at `pos` as the whole text decodes, and its units.
std::pair<char32_t, std::size_t> codePointAt(std::u16string_view s, std::size_t pos) {
    if (isHigh(s[pos]) && pos + 1 < s.size() && isLow(s[pos + 1]))
        return {0x10000 + ((char32_t(s[pos]) - 0xD800) << 10) + (char32_t(s[pos + 1]) - 0xDC00), 2};
    return {s[pos], 1};
}

// The alphabet's character `cp`, or null for half of a pair that a find
// text cut off.
const Character* characterOf(char32_t cp) {
    static const std::map<char32_t, const Character*> byCodePoint = [] {
        std::map<char32_t, const Character*> map;
        for (const Character& c : kAlphabet) map[codePointAt(c.text, 0).first] = &c;
        return map;
    }();
    const auto it = byCodePoint.find(cp);
    return it == byCodePoint.end() ? nullptr : it->second;
}

// --- The reference ----------------------------------------------------------

// One code point to match literally, or a code by its letter.
struct Atom {
    char16_t code = 0;
    char32_t literal = 0;
};

std::vector<Atom> referenceRead(std::u16string_view findText) {
    static const std::map<char16_t, char32_t> kCharacterCodes = {
        {u't', U'\t'}, {u's', U'\u00A0'}, {u'+', U'\u2014'}, {u'=', U'\u2013'},
        {u'~', U'\u2011'}, {u'-', U'\u00AD'}, {u'^', U'^'},
    };
    const std::u16string_view kClassCodes = u"pn?#$w";
    std::vector<Atom> atoms;
    for (std::size_t i = 0; i < findText.size();) {
        if (findText[i] == u'^' && i + 1 < findText.size()) {
            const char16_t letter = findText[i + 1];
            if (kCharacterCodes.count(letter) != 0) {
                atoms.push_back({0, kCharacterCodes.at(letter)});
                i += 2;
                continue;
            }
            if (kClassCodes.find(letter) != std::u16string_view::npos) {
                atoms.push_back({letter, 0});
                i += 2;
                continue;
            }
        }
        const auto [cp, units] = codePointAt(findText, i);
        atoms.push_back({0, cp});
        i += units;
    }
    return atoms;
}

// The positions where an atom that begins at `pos` may end, in the order a
// match tries them.
std::vector<std::size_t> endsOf(const Atom& atom, std::u16string_view text, std::size_t pos, bool matchCase) {
    if (pos >= text.size()) return {};
    // Every code point of the text is one of the alphabet's.
    const auto [cp, units] = codePointAt(text, pos);
    const Character& c = *characterOf(cp);
    switch (atom.code) {
    case 0: {
        const Character* literal = characterOf(atom.literal);
        const char32_t want = matchCase || literal == nullptr ? atom.literal : literal->folded;
        const char32_t have = matchCase ? cp : c.folded;
        if (want == have) return {pos + units};
        return {};
    }
    case u'p':
        if (cp != U'\r') return {};
        if (pos + 1 < text.size() && text[pos + 1] == u'\n') return {pos + 2, pos + 1};
        return {pos + 1};
    case u'n':
        if (cp == U'\v' || (cp == U'\n' && (pos == 0 || text[pos - 1] != u'\r'))) return {pos + 1};
        return {};
    case u'?': return {pos + units};
    case u'#': return c.digit ? std::vector<std::size_t>{pos + units} : std::vector<std::size_t>{};
    case u'$': return c.letter ? std::vector<std::size_t>{pos + units} : std::vector<std::size_t>{};
    case u'w': {
        std::size_t end = pos;
        while (end < text.size() && characterOf(codePointAt(text, end).first)->white) ++end;
        std::vector<std::size_t> ends;
        for (std::size_t e = end; e > pos; --e) ends.push_back(e);
        return ends;
    }
    }
    ADD_FAILURE() << "unknown code";
    return {};
}

std::optional<std::size_t> referenceEnd(const std::vector<Atom>& atoms, std::size_t next, std::u16string_view text,
                                        std::size_t pos, bool matchCase) {
    if (next == atoms.size()) return pos;
    for (std::size_t end : endsOf(atoms[next], text, pos, matchCase)) {
        if (auto found = referenceEnd(atoms, next + 1, text, end, matchCase)) return found;
    }
    return std::nullopt;
}

std::optional<std::int64_t> referenceMatchAt(const std::vector<Atom>& atoms, std::u16string_view text, std::size_t q,
                                             bool matchCase) {
    if (atoms.empty() || q >= text.size()) return std::nullopt;
    if (q > 0 && isLow(text[q]) && isHigh(text[q - 1])) return std::nullopt;
    const auto end = referenceEnd(atoms, 0, text, q, matchCase);
    if (!end) return std::nullopt;
    return static_cast<std::int64_t>(*end - q);
}

// --- Random cases -------------------------------------------------------------

const std::vector<std::u16string> kCodes = {u"^p", u"^n", u"^t", u"^s", u"^+", u"^=", u"^~",
                                            u"^-", u"^^", u"^?", u"^#", u"^$", u"^w"};

class Random {
public:
    explicit Random(std::uint32_t seed) : engine_(seed) {}
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(engine_); }
    bool chance(int percent) { return below(100) < percent; }
    template <class T>
    const T& pick(const std::vector<T>& from) {
        return from[static_cast<std::size_t>(below(static_cast<int>(from.size())))];
    }

    // A few characters per text keep matches frequent; CR LF pairs are
    // common in stories.
    std::u16string text(int maxCharacters) {
        std::vector<std::u16string> palette;
        for (int i = 2 + below(6); i > 0; --i) palette.push_back(pick(kAlphabet).text);
        if (chance(30)) palette.push_back(u"\r\n");
        std::u16string out;
        for (int i = below(maxCharacters + 1); i > 0; --i) out += pick(palette);
        return out;
    }

    std::u16string findText(const std::u16string& text) {
        if (text.empty() || chance(30)) return invented();
        return disguised(text);
    }

private:
    // Codes, characters, and carets before anything or at the end.
    std::u16string invented() {
        std::u16string out;
        for (int i = 1 + below(5); i > 0; --i) {
            const int kind = below(10);
            if (kind < 4) out += pick(kCodes);
            else if (kind < 9) out += pick(kAlphabet).text;
            else out += u"^";
        }
        return out;
    }

    // A piece of the text, which may begin with the second half of a pair,
    // with some characters in other cases or written as a code that matches
    // them.
    std::u16string disguised(const std::u16string& text) {
        std::size_t pos = static_cast<std::size_t>(below(static_cast<int>(text.size())));
        std::u16string out;
        for (int count = 1 + below(6); count > 0 && pos < text.size(); --count) {
            const auto [cp, units] = codePointAt(text, pos);
            std::u16string written = text.substr(pos, units);
            pos += units;
            const Character* c = characterOf(cp);
            if (c != nullptr && chance(50)) {
                if (c->white) {
                    written = u"^w";
                    while (chance(50) && pos < text.size() && characterOf(codePointAt(text, pos).first)->white)
                        ++pos;
                } else if (cp == U'\r') {
                    written = u"^p";
                    if (chance(50) && pos < text.size() && text[pos] == u'\n') ++pos;
                } else if (cp == U'\n' || cp == U'\v') {
                    written = u"^n";
                } else if (c->digit) {
                    written = u"^#";
                } else if (c->letter) {
                    written = chance(50) ? u"^$" : otherCase(*c);
                } else if (cp == U'^') {
                    written = u"^^";
                } else {
                    written = u"^?";
                }
            }
            out += written;
        }
        return out;
    }

    std::u16string otherCase(const Character& c) {
        std::vector<std::u16string> sameFolding;
        for (const Character& other : kAlphabet) {
            if (other.folded == c.folded) sameFolding.push_back(other.text);
        }
        return pick(sameFolding);
    }

    std::mt19937 engine_;
};

std::string escaped(std::u16string_view s) {
    std::string out;
    for (char16_t u : s) {
        char buffer[8];
        if (u >= 0x21 && u < 0x7F) {
            out += static_cast<char>(u);
        } else {
            std::snprintf(buffer, sizeof buffer, "<%X>", static_cast<unsigned>(u));
            out += buffer;
        }
    }
    return out;
}

int caseCount() {
    if (const char* env = std::getenv("QUILLET_DIFF_CASES")) return std::max(1, std::atoi(env));
    return 20000;
}

TEST(FindPatternDifferential, RandomFindTextsMatchLikeTheReference) {
    const int cases = caseCount();
    for (int c = 0; c < cases; ++c) {
        Random rng(0xc0de0000u + static_cast<std::uint32_t>(c));
        // Long texts now and then, so that the scan's vectorised blocks and
        // their tails both see matches.
        const std::u16string text = rng.text(rng.chance(5) ? 120 : 16);
        const std::u16string findText = rng.findText(text);
        const bool matchCase = rng.chance(50);
        const FindPattern pattern(findText, {matchCase, /*wholeWord=*/false});
        const std::vector<Atom> atoms = referenceRead(findText);
        const auto size = static_cast<std::int64_t>(text.size());
        std::vector<std::optional<std::int64_t>> want(static_cast<std::size_t>(size) + 1);
        for (std::int64_t q = 0; q <= size; ++q) {
            want[q] = referenceMatchAt(atoms, text, static_cast<std::size_t>(q), matchCase);
            ASSERT_EQ(pattern.matchAt(text, q), want[q])
                << "case " << c << ": find " << escaped(findText) << " in " << escaped(text) << " at " << q
                << (matchCase ? " matching case" : "");
        }
        std::optional<Span> first;
        for (Position from = size; from >= 0; --from) {
            if (want[from]) first = Span{from, *want[from]};
            const auto found = pattern.findFrom(text, from);
            ASSERT_EQ(found.has_value(), first.has_value())
                << "case " << c << ": find " << escaped(findText) << " in " << escaped(text) << " from " << from;
            if (found) {
                ASSERT_EQ(found->start, first->start) << "case " << c << ": from " << from;
                ASSERT_EQ(found->length, first->length) << "case " << c << ": from " << from;
            }
        }
    }
}

}  // namespace
}  // namespace quillet
