#include "engine/text/FindPattern.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

namespace quillet {

void PrintTo(const Span& match, std::ostream* os) {
    *os << "{start " << match.start << ", length " << match.length << "}";
}

namespace {

using Match = Span;

constexpr FindOptions kAnyCase{};
constexpr FindOptions kCase{/*matchCase=*/true, /*wholeWord=*/false};

std::optional<Match> firstMatch(std::u16string_view findText, std::u16string_view text, FindOptions options = kCase,
                          std::int64_t from = 0) {
    return FindPattern(findText, options).findFrom(text, from);
}

std::optional<std::int64_t> matchAt(std::u16string_view findText, std::u16string_view text, std::int64_t q,
                                    FindOptions options = kCase) {
    return FindPattern(findText, options).matchAt(text, q);
}

struct Case {
    std::u16string findText;
    std::u16string text;
    std::optional<Match> want;
};

template <std::size_t N>
void expectFinds(const Case (&cases)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        EXPECT_EQ(firstMatch(cases[i].findText, cases[i].text), cases[i].want) << "case " << i;
    }
}

// --- Codes for one character ------------------------------------------------

TEST(FindPatternCharacterCodes, EachStandsForItsCharacterAndNothingLikeIt) {
    const Case cases[] = {
        {u"a^tb", u"xa\tb", Match{1, 3}},
        {u"^t", u"a    b", std::nullopt},
        {u"^s", u"a \u00A0", Match{2, 1}},
        {u"^+", u"a-\u2013\u2014", Match{3, 1}},
        {u"^=", u"a-\u2014\u2013", Match{3, 1}},
        {u"^~", u"a-\u2011", Match{2, 1}},
        {u"^-", u"a-\u00AD", Match{2, 1}},
        {u"^^", u"a^b", Match{1, 1}},
        {u"1^^2", u"1^^2 1^2", Match{5, 3}},
        {u"^t^s^+^=^~^-^^", u"\t\u00A0\u2014\u2013\u2011\u00AD^", Match{0, 7}},
    };
    expectFinds(cases);
}

TEST(FindPatternCharacterCodes, ACaretBeforeAnythingElseOrAtTheEndIsACaret) {
    const Case cases[] = {
        {u"^", u"a^b", Match{1, 1}},
        {u"a^", u"a a^", Match{2, 2}},
        {u"^x", u"x ^x", Match{2, 2}},
        {u"^ ", u"^  ", Match{0, 2}},
        // Codes are case-sensitive.
        {u"^P", u"\r ^P", Match{2, 2}},
        {u"^T", u"\t^T", Match{1, 2}},
        // The caret of ^^ is taken; what follows reads normally.
        {u"^^p", u"\r^p", Match{1, 2}},
        {u"^^^p", u"^p^\r", Match{2, 2}},
        {u"^^^", u"^^^", Match{0, 2}},
        // The unit after a lone caret can begin nothing, so it is literal too.
        {u"^1^t", u"^1\t", Match{0, 3}},
    };
    expectFinds(cases);
}

TEST(FindPatternCharacterCodes, ALiteralFindTextFindsItsTextAndNothingThatItsCodesWouldMatch) {
    // Before each text, what its carets would match if they began codes.
    const std::u16string_view decoys = u"2\v 10\u00AD3 x \r\t\u00A0\u2014\u2013\u2011 9a\u3000 ";
    for (const std::u16string_view text : {u"2^n", u"10^-3", u"^?", u"^p^t^s^+^=^~", u"^#^$^w", u"^^", u"a^", u"^"}) {
        const std::u16string haystack = std::u16string(decoys) + std::u16string(text);
        EXPECT_EQ(firstMatch(literalFindText(text), haystack),
                  (Match{static_cast<std::int64_t>(decoys.size()), static_cast<std::int64_t>(text.size())}))
            << std::string(text.begin(), text.end());
    }
    EXPECT_EQ(literalFindText(u"2^n"), u"2^^n");
    EXPECT_EQ(literalFindText(u"no caret"), u"no caret");
}

TEST(FindPatternCharacterCodes, OnlyATextWithACaretHasCodes) {
    EXPECT_FALSE(FindPattern::hasCodes(u""));
    EXPECT_FALSE(FindPattern::hasCodes(u"plain \r\n text"));
    EXPECT_TRUE(FindPattern::hasCodes(u"^"));
    EXPECT_TRUE(FindPattern::hasCodes(u"end^"));
    EXPECT_TRUE(FindPattern::hasCodes(u"a^xb"));
}

// --- Paragraph ends and line breaks ------------------------------------------

TEST(FindPatternBreaks, AParagraphEndIsACrLfPairWholeOrALoneCr) {
    const Case cases[] = {
        {u"^p", u"a\r\nb", Match{1, 2}},
        {u"^p", u"a\rb", Match{1, 1}},
        {u"^p", u"a\nb\r", Match{3, 1}},
        {u"^p", u"\n\r\r\n", Match{1, 1}},
        {u"a^p", u"a\r\n", Match{0, 3}},
        {u"^p^p", u"\r\n\r\r\n", Match{0, 3}},
        {u"^p", u"a\n\u2029\u2028", std::nullopt},
    };
    expectFinds(cases);
    // The LF of a pair begins no paragraph end.
    EXPECT_EQ(firstMatch(u"^p", u"\r\nx", kCase, 1), std::nullopt);
}

TEST(FindPatternBreaks, AParagraphEndGivesUpItsLfOnlyWhenTheRestFails) {
    const Case cases[] = {
        {u"^p\n", u"\r\n", Match{0, 2}},
        {u"^pb", u"\r\nb", Match{0, 3}},
        {u"x^p^?", u"x\r\n", Match{0, 3}},
        {u"x^p^?", u"x\r\ny", Match{0, 4}},
        // Given up, the LF follows a CR: it is no line break.
        {u"^p^n", u"\r\n", std::nullopt},
        {u"^p^n", u"\r\n\v", Match{0, 3}},
    };
    expectFinds(cases);
}

TEST(FindPatternBreaks, ALineBreakIsAVerticalTabOrAnLfThatFollowsNoCr) {
    const Case cases[] = {
        {u"^n", u"a\vb", Match{1, 1}},
        {u"^n", u"a\nb", Match{1, 1}},
        {u"^n", u"\nb", Match{0, 1}},
        {u"^n", u"a\r\nb\r", std::nullopt},
        {u"^n", u"\r\n\n", Match{2, 1}},
        {u"^n", u"\u2028\u2029\f", std::nullopt},
    };
    expectFinds(cases);
    // Whether an LF follows a CR is the text's, not the match's.
    EXPECT_EQ(matchAt(u"^n", u"\r\n", 1), std::nullopt);
    EXPECT_EQ(firstMatch(u"^n", u"\r\n", kCase, 1), std::nullopt);
}

// --- Classes -------------------------------------------------------------------

TEST(FindPatternClasses, AnyCharacterIsOneCodePoint) {
    const Case cases[] = {
        {u"a^?c", u"abc", Match{0, 3}},
        {u"a^?c", u"a\U0001F600c", Match{0, 4}},
        {u"a^?c", u"a\r\nc", std::nullopt},
        {u"^?^?", u"\U0001F600", std::nullopt},
        {u"^?", u"\r", Match{0, 1}},
        // A lone surrogate is one code point.
        {u"a^?", u"a\xD83D", Match{0, 2}},
        {u"^?b", u"\xDE00" u"b", Match{0, 2}},
    };
    expectFinds(cases);
}

TEST(FindPatternClasses, DigitsAreDecimalDigitsOfAnyScript) {
    const Case cases[] = {
        {u"^#", u"x7", Match{1, 1}},
        {u"^#", u"x\u0663", Match{1, 1}},          // ARABIC-INDIC DIGIT THREE
        {u"^#", u"x\uFF13", Match{1, 1}},          // FULLWIDTH DIGIT THREE
        {u"^#", u"x\U0001D7D8", Match{1, 2}},      // MATHEMATICAL DOUBLE-STRUCK DIGIT ZERO
        {u"^#", u"\u00B2\u2163\u00BD", std::nullopt},  // superscript, Roman numeral, fraction: not Nd
        {u"^#^#", u"1a22", Match{2, 2}},
    };
    expectFinds(cases);
}

TEST(FindPatternClasses, LettersAreLettersOfAnyScriptAndCase) {
    const Case cases[] = {
        {u"^$", u"1Z", Match{1, 1}},
        {u"^$", u"1\u00DF", Match{1, 1}},          // sharp s
        {u"^$", u"1\u4E2D", Match{1, 1}},          // CJK
        {u"^$", u"1\u02B0", Match{1, 1}},          // modifier letter (Lm)
        {u"^$", u"1\U00010400", Match{1, 2}},      // DESERET CAPITAL LETTER LONG I
        {u"^$", u"1_\u0301\U0001F600 ", std::nullopt},
        {u"^$^$", u"a1bc", Match{2, 2}},
    };
    expectFinds(cases);
    // The classes ignore case with and without matchCase.
    EXPECT_EQ(firstMatch(u"^$", u"1A", kAnyCase), (Match{1, 1}));
    EXPECT_EQ(firstMatch(u"^$", u"1a", kCase), (Match{1, 1}));
}

TEST(FindPatternClasses, WhiteSpaceIsARunOfTabsAndSpaceSeparators) {
    const Case cases[] = {
        {u"^w", u"a \t\u00A0\u3000\u2002\u202Fb", Match{1, 6}},
        {u"a^wb", u"ab a  b", Match{3, 4}},
        {u"^w", u"\r\n\v\u2028\u2029\f\u200B", std::nullopt},
        {u"^w", u"x\r \n", Match{2, 1}},
        {u"a^w", u"a", std::nullopt},
    };
    expectFinds(cases);
}

TEST(FindPatternClasses, WhiteSpaceGivesBackOneUnitAtATimeUntilTheRestMatches) {
    const Case cases[] = {
        {u"^w ", u"  ", Match{0, 2}},
        {u"^w ", u" ", std::nullopt},
        {u"^w^t", u" \t \tx", Match{0, 4}},
        {u"a^w^wb", u"a   b", Match{0, 5}},
        {u"a^w^wb", u"a b", std::nullopt},
        {u"^w ^w", u"   ", Match{0, 3}},
        {u"^w^s^w", u" \u00A0 \u00A0 ", Match{0, 5}},
    };
    expectFinds(cases);
}

TEST(FindPatternClasses, ManyRunsOfWhiteSpaceOverALongRunStayPolynomial) {
    // Every way of cutting 3000 spaces into 12 runs fails on what follows
    // them; trying them one by one, at one start or at each, would never end.
    std::u16string runs;
    for (int i = 0; i < 12; ++i) runs += u"^w";
    const std::u16string spaces(3000, u' ');
    EXPECT_EQ(matchAt(runs + u"x", spaces + u"y", 0), std::nullopt);
    EXPECT_EQ(matchAt(runs + u"x", spaces + u"x", 0), 3001);
    EXPECT_EQ(firstMatch(runs + u"^#", spaces + u"y"), std::nullopt);
    EXPECT_EQ(firstMatch(runs + u"^#", u"y" + spaces + u"7"), (Match{1, 3001}));
}

// --- Case and surrogate pairs -------------------------------------------------

TEST(FindPatternLiterals, WithoutMatchCaseLiteralsCompareFolded) {
    EXPECT_EQ(firstMatch(u"CAT^p", u"cat\r", kAnyCase), (Match{0, 4}));
    EXPECT_EQ(firstMatch(u"CAT^p", u"cat\r", kCase), std::nullopt);
    EXPECT_EQ(firstMatch(u"k^#", u"\u212A1", kAnyCase), (Match{0, 2}));  // KELVIN SIGN
    EXPECT_EQ(firstMatch(u"\u03C3^w\u03A3", u"\u03C2 \u03C3", kAnyCase), (Match{0, 3}));
    EXPECT_EQ(firstMatch(u"\U00010400^#", u"x\U000104281", kAnyCase), (Match{1, 3}));
    EXPECT_EQ(firstMatch(u"\U00010400^#", u"x\U000104281", kCase), std::nullopt);
}

TEST(FindPatternLiterals, NoMatchBeginsOrEndsInsideASurrogatePair) {
    const std::u16string pair = u"\U0001F600";
    EXPECT_EQ(matchAt(u"^?", pair, 1), std::nullopt);
    EXPECT_EQ(firstMatch(u"^?", pair + u"a", kCase, 1), (Match{2, 1}));
    // A literal lone half matches a lone surrogate, never half of a pair.
    EXPECT_EQ(firstMatch(u"\xD83D^?", pair + u"x"), std::nullopt);
    EXPECT_EQ(firstMatch(u"\xD83D^?", u"\xD83Dx"), (Match{0, 2}));
    EXPECT_EQ(firstMatch(u"^?\xDE00", pair), std::nullopt);
    EXPECT_EQ(firstMatch(u"^?\xDE00", u"a\xDE00"), (Match{0, 2}));
}

// --- The scan -------------------------------------------------------------------

TEST(FindPatternScan, FromIsTheEarliestStart) {
    const std::u16string text = u"a1 b2 c3";
    EXPECT_EQ(firstMatch(u"^$^#", text, kCase, -5), (Match{0, 2}));
    EXPECT_EQ(firstMatch(u"^$^#", text, kCase, 1), (Match{3, 2}));
    EXPECT_EQ(firstMatch(u"^$^#", text, kCase, 3), (Match{3, 2}));
    EXPECT_EQ(firstMatch(u"^$^#", text, kCase, 7), std::nullopt);
    EXPECT_EQ(firstMatch(u"^$^#", text, kCase, 100), std::nullopt);
    EXPECT_EQ(matchAt(u"^$^#", text, -1), std::nullopt);
    EXPECT_EQ(matchAt(u"^$^#", text, 8), std::nullopt);
}

TEST(FindPatternScan, AnEmptyFindTextMatchesNowhere) {
    EXPECT_EQ(firstMatch(u"", u"abc"), std::nullopt);
    EXPECT_EQ(matchAt(u"", u"abc", 0), std::nullopt);
}

TEST(FindPatternScan, FindsTheFirstStartWhereverItsLiteralLies) {
    const Case cases[] = {
        // The literal after codes of varying length: the earliest start wins,
        // even when a later occurrence of the literal gives it.
        {u"^?^?ab", u"\U0001F600xab", Match{0, 5}},
        {u"^#^# ab", u"1 ab 12 ab", Match{5, 5}},
        {u"^p^#ab", u"\r\n1ab", Match{0, 5}},
        {u"^?ab^?ab", u"xabyxabzab", Match{4, 6}},
        // A literal after a run of white space: any start before it.
        {u"^w^$ab", u"x   yab", Match{1, 6}},
        {u"x^wab", u"x x  ab", Match{2, 5}},
        // Only codes, or a paragraph end as the one thing to look for.
        {u"^#^p", u"1\n2\r\n", Match{2, 3}},
        {u"^w^#", u"a  b 1", Match{4, 2}},
    };
    expectFinds(cases);
}

TEST(FindPatternScan, FindsInLongTextAtEveryOffset) {
    // Starts on both sides of the vectorised blocks of the literal's scan and
    // in the tail after them.
    for (int length = 4; length < 80; ++length) {
        for (int at = 0; at + 4 <= length; ++at) {
            std::u16string text(static_cast<std::size_t>(length), u'b');
            text.replace(static_cast<std::size_t>(at), 4, u"7Xy\r");
            ASSERT_EQ(firstMatch(u"^#xY^p", text, kAnyCase), (Match{at, 4})) << length;
            ASSERT_EQ(firstMatch(u"^#^$^$^p", text, kCase), (Match{at, 4})) << length;
            ASSERT_EQ(firstMatch(u"^#xY^p", text, kCase), std::nullopt) << length;
        }
    }
}

}  // namespace
}  // namespace quillet
