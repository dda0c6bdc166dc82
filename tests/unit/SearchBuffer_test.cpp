#include "engine/text/SearchBuffer.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/text/unicode/Unicode.h"

namespace quillet {
namespace {

constexpr FindOptions kAnyCase{};
constexpr FindOptions kWord{/*matchCase=*/false, /*wholeWord=*/true};
constexpr FindOptions kCase{/*matchCase=*/true, /*wholeWord=*/false};
constexpr FindOptions kWordCase{/*matchCase=*/true, /*wholeWord=*/true};

const std::u16string kMask3 = u"\u00A9\u00A9\u00A9";

int32_t findIn(std::u16string content, std::u16string_view needle, FindOptions options) {
    SearchBuffer buffer;
    buffer.load(std::move(content));
    return buffer.find(needle, options);
}

// --- Content and selection -------------------------------------------------

TEST(SearchBufferEditing, LoadKeepsContentExactlyAndSelectsNothingAtStart) {
    SearchBuffer buffer;
    buffer.select(0, 0);
    const std::u16string text = u"one\r\ntwo\rthree\n\u00A9" u"\xD801";
    buffer.load(text);
    EXPECT_EQ(buffer.content(), text);
    EXPECT_EQ(buffer.selStart(), 0);
    EXPECT_EQ(buffer.selLength(), 0);

    buffer.select(5, 3);
    buffer.load(u"ab");
    EXPECT_EQ(buffer.selStart(), 0);
    EXPECT_EQ(buffer.selLength(), 0);
}

TEST(SearchBufferEditing, SelectClampsIntoContent) {
    struct Case { int32_t start, length, wantStart, wantLength; };
    const Case cases[] = {{2, 3, 2, 3}, {4, 100, 4, 2}, {-3, 2, 0, 2}, {9, 1, 6, 0}, {1, -5, 1, 0}, {6, 0, 6, 0}};
    SearchBuffer buffer;
    buffer.load(u"abcdef");
    for (const Case& c : cases) {
        buffer.select(c.start, c.length);
        EXPECT_EQ(buffer.selStart(), c.wantStart) << c.start << "," << c.length;
        EXPECT_EQ(buffer.selLength(), c.wantLength) << c.start << "," << c.length;
    }
    buffer.select(2, 3);
    EXPECT_EQ(buffer.selectedText(), u"cde");
}

TEST(SearchBufferEditing, MasksShowAsMaskCharactersAndStandForTheStory) {
    SearchBuffer buffer;
    buffer.load(u"one two three");
    buffer.select(4, 3);
    buffer.maskSelection(u"2");
    EXPECT_EQ(buffer.content(), u"one \u00A9 three");
    EXPECT_TRUE(buffer.mirrors(u"one 2 three"));
    EXPECT_FALSE(buffer.mirrors(u"one \u00A9 three"));
    EXPECT_EQ(buffer.selStart(), 5);
    EXPECT_EQ(buffer.selLength(), 0);

    // An empty selection inserts.
    buffer.maskSelection(u"\r\n");
    EXPECT_EQ(buffer.content(), u"one \u00A9\u00A9\u00A9 three");
    EXPECT_TRUE(buffer.mirrors(u"one 2\r\n three"));
    EXPECT_EQ(buffer.selStart(), 7);

    // Masking with nothing deletes.
    buffer.select(0, 4);
    buffer.maskSelection(u"");
    EXPECT_EQ(buffer.content(), u"\u00A9\u00A9\u00A9 three");
    EXPECT_TRUE(buffer.mirrors(u"2\r\n three"));
    EXPECT_EQ(buffer.selStart(), 0);
    EXPECT_EQ(buffer.selLength(), 0);

    buffer.load(u"\u00A9 loaded");
    EXPECT_TRUE(buffer.mirrors(u"\u00A9 loaded"));
}

// --- Find options --------------------------------------------------------------

TEST(SearchBufferFind, OptionsSelectCaseAndWholeWord) {
    const std::u16string text = u"Catalog cat CAT cats Cat";
    EXPECT_EQ(findIn(text, u"cat", kAnyCase), 0);
    EXPECT_EQ(findIn(text, u"cat", kCase), 8);
    EXPECT_EQ(findIn(text, u"cat", kWord), 8);
    EXPECT_EQ(findIn(text, u"CAT", kWordCase), 12);
    EXPECT_EQ(findIn(text, u"Cat", kWordCase), 21);
    EXPECT_EQ(findIn(text, u"cats", kWordCase), 16);
    EXPECT_EQ(findIn(text, u"dog", kAnyCase), -1);
}

TEST(SearchBufferFind, SelectsTheFirstOccurrenceWhateverTheSelection) {
    SearchBuffer buffer;
    buffer.load(u"cat cat cat");
    buffer.select(6, 3);
    EXPECT_EQ(buffer.find(u"cat", kAnyCase), 0);
    EXPECT_EQ(buffer.selStart(), 0);
    EXPECT_EQ(buffer.selLength(), 3);
    buffer.select(9, 0);
    EXPECT_EQ(buffer.find(u"cat", kAnyCase), 0);
}

TEST(SearchBufferFind, FailureAndEmptyTextLeaveTheSelection) {
    SearchBuffer buffer;
    buffer.load(u"abc abc");
    buffer.select(2, 3);
    EXPECT_EQ(buffer.find(u"xyz", kAnyCase), -1);
    EXPECT_EQ(buffer.find(u"", kAnyCase), -1);
    EXPECT_EQ(buffer.find(u"abc abc abc", kAnyCase), -1);
    EXPECT_EQ(buffer.find(u"abc", kWord), 0);
    buffer.select(2, 3);
    EXPECT_EQ(buffer.find(u"ab", kWord), -1);
    EXPECT_EQ(buffer.selStart(), 2);
    EXPECT_EQ(buffer.selLength(), 3);

    SearchBuffer empty;
    EXPECT_EQ(empty.find(u"a", kAnyCase), -1);
}

TEST(SearchBufferFind, LineBreaksAreContentAndWordBoundaries) {
    const std::u16string text = u"first\r\nsecond\rthird\nend";
    EXPECT_EQ(findIn(text, u"\r\n", kAnyCase), 5);
    EXPECT_EQ(findIn(text, u"\n", kCase), 6);
    EXPECT_EQ(findIn(text, u"\r", kCase), 5);
    EXPECT_EQ(findIn(text, u"second\rthird", kAnyCase), 7);
    EXPECT_EQ(findIn(text, u"second", kWordCase), 7);
    EXPECT_EQ(findIn(text, u"third", kWord), 14);
    EXPECT_EQ(findIn(text, u"first", kWord), 0);
    EXPECT_EQ(findIn(text, u"end", kWord), 20);
}

TEST(SearchBufferFind, FindsInLongContentAtEveryOffset) {
    // Positions on both sides of the vectorised blocks and the tail after them.
    for (int length = 1; length < 80; ++length) {
        for (int at = 0; at + 3 <= length; at += 1) {
            std::u16string text(static_cast<std::size_t>(length), u'x');
            text.replace(static_cast<std::size_t>(at), 3, u"aBc");
            ASSERT_EQ(findIn(text, u"AbC", kAnyCase), at) << length;
            ASSERT_EQ(findIn(text, u"aBc", kCase), at) << length;
            ASSERT_EQ(findIn(text, u"abc", kCase), -1) << length;
        }
    }
}

// --- Masks, the engine's replace pattern, and the memo of earlier finds -------

TEST(SearchBufferMasks, MaskingAMatchLetsTheNextFindReachTheNextOccurrence) {
    SearchBuffer buffer;
    buffer.load(u"cat, Cat and CAT.");
    std::vector<int32_t> found;
    for (int32_t p; (p = buffer.find(u"cat", kWord)) >= 0;) {
        found.push_back(p);
        EXPECT_EQ(buffer.selectedText().size(), 3u);
        buffer.maskSelection(buffer.selectedText());
        EXPECT_EQ(buffer.selStart(), p + 3);
        EXPECT_EQ(buffer.selLength(), 0);
    }
    EXPECT_EQ(found, (std::vector<int32_t>{0, 5, 13}));
    EXPECT_EQ(buffer.content(), u"\u00A9\u00A9\u00A9, \u00A9\u00A9\u00A9 and \u00A9\u00A9\u00A9.");
    EXPECT_TRUE(buffer.mirrors(u"cat, Cat and CAT."));
    EXPECT_EQ(buffer.selStart(), 16);  // the failed find left the last insertion point
}

TEST(SearchBufferMasks, AMaskIsNeverPartOfAnOccurrenceWhileALoadedMaskCharacterIs) {
    SearchBuffer buffer;
    buffer.load(u"a \u00A9 b \u00A9");
    std::vector<int32_t> found;
    for (int32_t p; (p = buffer.find(u"\u00A9", kAnyCase)) >= 0;) {
        found.push_back(p);
        buffer.maskSelection(buffer.selectedText());
    }
    EXPECT_EQ(found, (std::vector<int32_t>{2, 6}));

    // A replacement that holds the find text is not found again either.
    buffer.load(u"\u00A91 \u00A91");
    ASSERT_EQ(buffer.find(u"\u00A91", kCase), 0);
    buffer.maskSelection(u"(c)1");
    EXPECT_EQ(buffer.find(u"\u00A91", kCase), 5);
    EXPECT_EQ(buffer.find(u"1", kCase), 6);
    EXPECT_EQ(buffer.find(u"\u00A9", kCase), 5);
}

TEST(SearchBufferMasks, WholeWordsAreJudgedOnWhatAMaskStandsFor) {
    SearchBuffer buffer;
    // The second "-A" follows the first one's letter, masked or not.
    buffer.load(u"-A-A");
    ASSERT_EQ(buffer.find(u"-A", kWord), 0);
    buffer.maskSelection(buffer.selectedText());
    EXPECT_EQ(buffer.find(u"-A", kWord), -1);

    // Only the last "a-" is a whole word; the masks do not make the others one.
    buffer.load(u"A-a-a--x e");
    ASSERT_EQ(buffer.find(u"a-", kWord), 4);
    buffer.maskSelection(buffer.selectedText());
    EXPECT_EQ(buffer.find(u"a-", kWord), -1);

    // A replacement's mask counts as the replacement: a letter joins the
    // next occurrence, a full stop parts it.
    buffer.load(u" A a");
    ASSERT_EQ(buffer.find(u" a", kWord), 0);
    buffer.maskSelection(u"b");
    EXPECT_EQ(buffer.find(u" a", kWord), -1);
    buffer.load(u" A a");
    ASSERT_EQ(buffer.find(u" a", kWord), 0);
    buffer.maskSelection(u".");
    EXPECT_EQ(buffer.find(u" a", kWord), 1);
}

TEST(SearchBufferMasks, WrittenTextCountsAsTheTextItReplacedForWholeWords) {
    SearchBuffer buffer;
    // "-" written for "-a": the next "-a" still follows the letter it replaced.
    buffer.load(u"x -a-a");
    ASSERT_EQ(buffer.find(u"-a", kWord), 2);
    buffer.maskWritten(u"-", WordEdges::of(u"-a"));
    EXPECT_TRUE(buffer.mirrors(u"x --a"));
    EXPECT_EQ(buffer.find(u"-a", kWord), -1);
    // A letter written for a full stop joins nothing to a word.
    buffer.load(u". a.");
    buffer.select(0, 1);
    buffer.maskWritten(u"b", WordEdges::of(u"."));
    EXPECT_EQ(buffer.find(u" a", kWord), 1);
    // Nor does an empty replacement, on either side of its seam.
    buffer.load(u"x.a");
    buffer.select(1, 1);
    buffer.maskWritten(u"", WordEdges::of(u"."));
    EXPECT_EQ(buffer.find(u"a", kWord), 1);
    EXPECT_EQ(buffer.find(u"x", kWord), 0);
}

TEST(SearchBufferMasks, WritingInDoubtMakesAWholeWordOnlyWhereItIsOneBothWays) {
    SearchBuffer buffer;
    // "c" that may have been written for ".": the "." before it is a whole
    // word as if it were, but not as it reads.
    buffer.load(u".c.");
    buffer.select(1, 1);
    buffer.maskWritten(u"c", WordEdges::of(u".", /*inDoubt=*/true));
    EXPECT_EQ(buffer.find(u".", kWord), -1);
    // Nor the other way round: a letter that may have been written for a
    // letter keeps its neighbour from being a whole word.
    buffer.load(u"a.");
    buffer.select(1, 1);
    buffer.maskWritten(u".", WordEdges::of(u"x", /*inDoubt=*/true));
    EXPECT_EQ(buffer.find(u"a", kWord), -1);
    // Where both ways agree, it is one; and certain writing is seen one way.
    buffer.load(u"a..");
    buffer.select(2, 1);
    buffer.maskWritten(u".", WordEdges::of(u",", /*inDoubt=*/true));
    EXPECT_EQ(buffer.find(u"a", kWord), 0);
    buffer.load(u".c.");
    buffer.select(1, 1);
    buffer.maskWritten(u"c", WordEdges::of(u"."));
    EXPECT_EQ(buffer.find(u".", kWord), 0);
    // A mask of what was visited next to a seam in doubt keeps the doubt.
    buffer.load(u"a.b");
    buffer.select(1, 0);
    buffer.maskWritten(u"", WordEdges::of(u"x", /*inDoubt=*/true));
    buffer.select(1, 1);
    buffer.maskSelection(u".");
    EXPECT_EQ(buffer.find(u"a", kWord), -1);
}

TEST(SearchBufferFind, AFindTextWithCodesSelectsMatchesOfTheirOwnLengthsPastMasksAndAsWholeWords) {
    SearchBuffer buffer;
    buffer.load(u"a\r\nb\rc  d");
    ASSERT_EQ(buffer.find(u"^p", kAnyCase), 1);
    EXPECT_EQ(buffer.selLength(), 2);
    buffer.maskSelection(buffer.selectedText());
    ASSERT_EQ(buffer.find(u"^p", kAnyCase), 4);
    EXPECT_EQ(buffer.selLength(), 1);
    EXPECT_EQ(buffer.findFrom(u"^w", kAnyCase, 0), (Span{6, 2}));
    // The match at a place is the pattern's longest: a run of white space
    // that reaches into a mask is no occurrence, and no shorter one is tried.
    buffer.select(7, 1);
    buffer.maskSelection(u" ");
    EXPECT_EQ(buffer.findFrom(u"c^w", kAnyCase, 0), std::nullopt);
    EXPECT_EQ(buffer.findFrom(u"^w", kAnyCase, 0), std::nullopt);
    // Whole words are judged at the edges of the match found.
    buffer.load(u"x12 34y 56");
    EXPECT_EQ(buffer.find(u"^#^#", kWord), 8);
}

TEST(SearchBufferFind, FindFromLooksOnlyAtOrAfterItsPlaceAndSelectsNothing) {
    SearchBuffer buffer;
    buffer.load(u"cat cat cat");
    buffer.select(2, 1);
    EXPECT_EQ(buffer.findFrom(u"cat", kAnyCase, 1), (Span{4, 3}));
    EXPECT_EQ(buffer.findFrom(u"cat", kAnyCase, 8), (Span{8, 3}));
    EXPECT_EQ(buffer.findFrom(u"cat", kAnyCase, 9), std::nullopt);
    EXPECT_EQ(buffer.findFrom(u"", kAnyCase, 0), std::nullopt);
    EXPECT_EQ(buffer.selStart(), 2);
    EXPECT_EQ(buffer.selLength(), 1);
    // What a find proved before still counts.
    ASSERT_EQ(buffer.find(u"cat", kAnyCase), 0);
    buffer.maskSelection(buffer.selectedText());
    EXPECT_EQ(buffer.findFrom(u"cat", kAnyCase, 0), (Span{4, 3}));
}

TEST(SearchBufferMasks, AnEmptyReplacementLeavesASeamThatNoOccurrenceSpans) {
    SearchBuffer buffer;
    buffer.load(u"aabb ab");
    ASSERT_EQ(buffer.find(u"ab", kAnyCase), 1);
    buffer.maskSelection(u"");
    EXPECT_TRUE(buffer.mirrors(u"ab ab"));
    EXPECT_EQ(buffer.find(u"ab", kAnyCase), 3);
    // On either side of the seam, occurrences are found as ever.
    buffer.load(u"abab");
    buffer.select(2, 0);
    buffer.maskSelection(u"");
    EXPECT_EQ(buffer.find(u"ab", kAnyCase), 0);
    buffer.maskSelection(buffer.selectedText());
    EXPECT_EQ(buffer.find(u"ab", kAnyCase), 2);
    EXPECT_EQ(buffer.find(u"ba", kAnyCase), -1);
}

TEST(SearchBufferMasks, MasksOfAnotherLengthReplaceTheMasksUnderThemAndMoveTheOthers) {
    SearchBuffer buffer;
    buffer.load(u"ab ab ab");
    ASSERT_EQ(buffer.find(u"ab", kAnyCase), 0);
    buffer.maskSelection(u"ab");
    ASSERT_EQ(buffer.find(u"ab", kAnyCase), 3);
    buffer.maskSelection(u"ab");
    // The first match's mask becomes a replacement's, one longer.
    buffer.select(0, 2);
    buffer.maskSelection(u"xyz");
    EXPECT_TRUE(buffer.mirrors(u"xyz ab ab"));
    EXPECT_EQ(buffer.find(u"ab", kAnyCase), 7);
    EXPECT_EQ(buffer.find(u"b a", kAnyCase), -1);
    // A mask over part of another one and plain text after it.
    buffer.select(5, 3);
    buffer.maskSelection(u"");
    EXPECT_TRUE(buffer.mirrors(u"xyz ab"));
    EXPECT_EQ(buffer.content(), u"\u00A9\u00A9\u00A9 \u00A9b");
    EXPECT_EQ(buffer.find(u"b", kAnyCase), 5);
}

// An earlier find proved where no occurrence begins; a mask written near
// that place must change the answer where it changes the text or a boundary.
TEST(SearchBufferMasks, AMaskNearAnEarlierFindChangesTheNextAnswer) {
    struct Case {
        const char* why;
        std::u16string content;
        std::u16string needle;
        FindOptions options;
        int32_t before;
        int32_t maskStart, maskLength;
        std::u16string standsFor;
        int32_t after;
    };
    const Case cases[] = {
        {"the replacement is no occurrence", u"cat c_t", u"cat", kAnyCase, 0, 0, 3, u"c_t", -1},
        {"a shorter replacement before the next occurrence moves it", u"dog cat", u"cat", kAnyCase, 4, 0, 3, u"a", 2},
        {"the unit after an earlier candidate becomes a boundary", u"cats cat", u"cat", kWord, 5, 3, 1, u" ", 0},
        {"the unit before an earlier candidate becomes a boundary", u"xcat cat", u"cat", kWord, 5, 0, 1, u".", 1},
        {"the letter after an earlier candidate loses its low half, two units past its end",
         u"cat\U00010400 cat\U00010400", u"cat", kWord, -1, 4, 1, u"!", 0},
        {"the candidate stops ending inside a pair when the low half after it is replaced",
         u"ab\xD801" u"\xDC00 ab", u"ab\xD801", kCase, -1, 3, 1, u"!", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        SearchBuffer buffer;
        buffer.load(c.content);
        ASSERT_EQ(buffer.find(c.needle, c.options), c.before);
        buffer.select(c.maskStart, c.maskLength);
        buffer.maskSelection(c.standsFor);
        EXPECT_EQ(buffer.find(c.needle, c.options), c.after);
    }
}

TEST(SearchBufferMasks, LoadAndOtherTextsDoNotReuseAnEarlierFind) {
    SearchBuffer buffer;
    buffer.load(u"aaaa cat");
    ASSERT_EQ(buffer.find(u"cat", kAnyCase), 5);
    buffer.load(u"cat");
    EXPECT_EQ(buffer.find(u"cat", kAnyCase), 0);

    buffer.load(u"Cat cat");
    ASSERT_EQ(buffer.find(u"cat", kCase), 4);
    EXPECT_EQ(buffer.find(u"cat", kAnyCase), 0);
    EXPECT_EQ(buffer.find(u"Cat", kCase), 0);
    ASSERT_EQ(buffer.find(u"cat", kCase), 4);
    // Selecting changes nothing that was proved.
    buffer.select(0, 0);
    EXPECT_EQ(buffer.find(u"cat", kCase), 4);
}

// --- Unicode case folding -------------------------------------------------------

TEST(SearchBufferFolding, SigmaFormsMatchEachOther) {
    const std::u16string sigmas[] = {u"\u03A3", u"\u03C3", u"\u03C2"};
    for (const auto& needle : sigmas) {
        for (const auto& content : sigmas) {
            EXPECT_EQ(findIn(u"x" + content, needle, kAnyCase), 1);
            EXPECT_EQ(findIn(u"x" + content, needle, kCase), needle == content ? 1 : -1);
        }
    }
    EXPECT_EQ(findIn(u"\u039F\u0394\u039F\u03A3", u"\u03BF\u03B4\u03BF\u03C2", kWord), 0);
}

TEST(SearchBufferFolding, CompatibilityLettersFoldToAscii) {
    EXPECT_EQ(findIn(u"\u212Aelvin", u"kelvin", kAnyCase), 0);  // KELVIN SIGN
    EXPECT_EQ(findIn(u"kelvin", u"\u212A", kAnyCase), 0);
    EXPECT_EQ(findIn(u"Kelvin", u"\u212A", kAnyCase), 0);
    EXPECT_EQ(findIn(u"\u212Aelvin", u"kelvin", kCase), -1);
    EXPECT_EQ(findIn(u"Mi\u017F\u017F", u"MISS", kAnyCase), 0);  // LONG S
    EXPECT_EQ(findIn(u"mass", u"\u017F", kAnyCase), 2);
    EXPECT_EQ(findIn(u"\u00DF", u"\u1E9E", kAnyCase), 0);  // capital sharp s folds simply to ß
    EXPECT_EQ(findIn(u"\u00DF", u"ss", kAnyCase), -1);     // but full folding is not used
}

TEST(SearchBufferFolding, DottedAndDotlessIAreNotFoldedTogether) {
    EXPECT_EQ(findIn(u"I", u"i", kAnyCase), 0);
    EXPECT_EQ(findIn(u"\u0131", u"i", kAnyCase), -1);  // dotless ı
    EXPECT_EQ(findIn(u"\u0131", u"I", kAnyCase), -1);
    EXPECT_EQ(findIn(u"\u0130", u"i", kAnyCase), -1);  // capital İ
    EXPECT_EQ(findIn(u"\u0130\u0131", u"\u0131", kAnyCase), 1);
}

TEST(SearchBufferFolding, SupplementaryPairsFoldAsOneCodePoint) {
    const std::u16string capital = u"\U00010400";  // DESERET CAPITAL LETTER LONG I
    const std::u16string small = u"\U00010428";
    ASSERT_EQ(capital.size(), 2u);
    EXPECT_EQ(findIn(u"a" + small + u"b", capital, kAnyCase), 1);
    EXPECT_EQ(findIn(u"a" + capital + u"b", u"A" + small + u"B", kAnyCase), 0);
    EXPECT_EQ(findIn(u"a" + small, capital, kCase), -1);
    EXPECT_EQ(findIn(small + small, capital, kAnyCase), 0);
    // Only the high half alone matches itself, not a differing low half.
    EXPECT_EQ(findIn(u"\U00010401", capital, kAnyCase), -1);
}

TEST(SearchBufferFolding, LoneSurrogatesCompareAsThemselves) {
    const std::u16string lone = u"\xD801";
    EXPECT_EQ(findIn(u"a" + lone + u"b", u"A" + lone + u"B", kAnyCase), 0);
    EXPECT_EQ(findIn(u"a\xDC00", u"\xDC28", kAnyCase), -1);
    EXPECT_EQ(findIn(u"a\xDC28", u"\xDC28", kAnyCase), 1);
}

TEST(UnicodeTables, FoldCodePointUsesSimpleFolding) {
    const std::pair<char32_t, char32_t> folds[] = {
        {U'A', U'a'}, {U'a', U'a'}, {U'\u03A3', U'\u03C3'}, {U'\u03C2', U'\u03C3'}, {U'\u212A', U'k'},
        {U'\u017F', U's'}, {U'\u1E9E', U'\u00DF'}, {U'\u0130', U'\u0130'}, {U'\u0131', U'\u0131'},
        {U'\U00010400', U'\U00010428'}, {U'\U0001E900', U'\U0001E922'}, {U'\U0001F600', U'\U0001F600'},
        {0xD801, 0xD801}, {0x110000, 0x110000}};
    for (const auto& [from, to] : folds) {
        EXPECT_EQ(uint32_t(unicode::foldCodePoint(from)), uint32_t(to)) << std::hex << uint32_t(from);
    }
}

// The prefilter only looks for a class's members, so a unit that folds like
// the anchor but is missing from its class would hide a match.
TEST(UnicodeTables, FoldClassesHoldExactlyTheUnitsThatFoldAlike) {
    std::map<char16_t, std::set<char16_t>> byFold;
    for (char32_t u = 0; u < 0x10000; ++u) {
        if (unicode::isSurrogate(u)) continue;
        const char32_t folded = unicode::foldCodePoint(u);
        ASSERT_LT(folded, 0x10000u);
        ASSERT_FALSE(unicode::isSurrogate(folded));
        ASSERT_EQ(unicode::foldCodePoint(folded), folded);
        byFold[char16_t(folded)].insert(char16_t(u));
    }
    size_t largest = 0;
    for (char32_t u = 0; u < 0x10000; ++u) {
        char16_t members[unicode::kMaxFoldClass];
        const int count = unicode::foldClass(char16_t(u), members);
        const std::set<char16_t> got(members, members + count);
        ASSERT_EQ(got.size(), static_cast<size_t>(count)) << uint32_t(u);
        if (unicode::isSurrogate(u)) {
            ASSERT_EQ(got, std::set<char16_t>{char16_t(u)});
            continue;
        }
        ASSERT_EQ(got, byFold[unicode::foldBmpUnit(char16_t(u))]) << std::hex << uint32_t(u);
        largest = std::max(largest, got.size());
    }
    EXPECT_EQ(largest, 4u);  // θ Θ ϑ ϴ and the like
    EXPECT_EQ(byFold[u's'], (std::set<char16_t>{u'S', u's', u'\u017F'}));
}

TEST(UnicodeTables, WordCodePointsAreLettersMarksNumbersAndConnectors) {
    for (char32_t cp : {U'a', U'Z', U'0', U'_', U'\u00E9', U'\u0301', U'\u00B2', U'\u203F', U'\u4E00',
                        U'\u9FFF', U'\uAC00', U'\U00010400', U'\U0001D7CE', U'\U00020000'}) {
        EXPECT_TRUE(unicode::isWordCodePoint(cp)) << std::hex << uint32_t(cp);
    }
    for (char32_t cp : {U' ', U'.', U'-', U'\r', U'\n', U'\u00A9', U'\u00A0', U'\u2019', U'\U0001F600',
                        char32_t(0xD801), char32_t(0xDC00), U'\U000E0001'}) {
        EXPECT_FALSE(unicode::isWordCodePoint(cp)) << std::hex << uint32_t(cp);
    }
}

// --- Whole words -------------------------------------------------------------------

TEST(SearchBufferWholeWord, AccentedLettersAndMarksExtendAWord) {
    EXPECT_EQ(findIn(u"termin\u00E9", u"termin", kWord), -1);
    EXPECT_EQ(findIn(u"terminee termin\u00E9", u"termin", kWord), -1);
    EXPECT_EQ(findIn(u"termine\u0301", u"termine", kWord), -1);   // combining acute after it
    EXPECT_EQ(findIn(u"\u0301termine", u"termine", kWord), -1);   // a mark before it
    EXPECT_EQ(findIn(u"termin\u00E9 termin", u"termin", kWord), 8);
    EXPECT_EQ(findIn(u"termin\u00E9", u"termin\u00E9", kWord), 0);
    EXPECT_EQ(findIn(u"Termin\u00C9.", u"termin\u00E9", kWord), 0);
}

TEST(SearchBufferWholeWord, DigitsAndConnectorsAreWordCharacters) {
    EXPECT_EQ(findIn(u"cat9", u"cat", kWord), -1);
    EXPECT_EQ(findIn(u"9cat", u"cat", kWord), -1);
    EXPECT_EQ(findIn(u"my_cat cat_", u"cat", kWord), -1);
    EXPECT_EQ(findIn(u"cat\u00B2 cat", u"cat", kWord), 5);  // superscript two is No
    EXPECT_EQ(findIn(u"cat-cat", u"cat", kWord), 0);
    EXPECT_EQ(findIn(u"(cat)", u"cat", kWord), 1);
    EXPECT_EQ(findIn(u"cat.", u"cat", kWord), 0);
    EXPECT_EQ(findIn(u"\u00A9cat\u00A9", u"cat", kWord), 1);  // copyright signs are not letters
}

TEST(SearchBufferWholeWord, OnlyTheNeighboursCount) {
    EXPECT_EQ(findIn(u"cat", u"cat", kWord), 0);
    EXPECT_EQ(findIn(u"a cat", u" cat", kWord), -1);
    EXPECT_EQ(findIn(u". cat", u" cat", kWord), 1);
    EXPECT_EQ(findIn(u"x-y", u"-", kWord), -1);
    EXPECT_EQ(findIn(u"x - y", u"-", kWord), 2);
}

TEST(SearchBufferWholeWord, SupplementaryNeighboursAreDecodedAsPairs) {
    const std::u16string letter = u"\U00010400";  // a letter (Lu)
    const std::u16string emoji = u"\U0001F600";   // a symbol (So)
    const std::u16string digit = u"\U0001D7CE";   // MATHEMATICAL BOLD DIGIT ZERO (Nd)
    EXPECT_EQ(findIn(letter + u"cat", u"cat", kWord), -1);
    EXPECT_EQ(findIn(u"cat" + letter, u"cat", kWord), -1);
    EXPECT_EQ(findIn(u"cat" + digit, u"cat", kWord), -1);
    EXPECT_EQ(findIn(emoji + u"cat" + emoji, u"cat", kWord), 2);
    EXPECT_EQ(findIn(u"a" + letter + u"b " + letter, letter, kWord), 5);
    // Lone surrogates are not letters.
    EXPECT_EQ(findIn(u"\xD801" u"cat\xDC00", u"cat", kWord), 1);
}

// --- Surrogate pairs are never split ---------------------------------------------

TEST(SearchBufferSurrogates, AMatchNeverBeginsOrEndsInsideAPair) {
    const std::u16string pair = u"\U00010400";  // D801 DC00
    for (FindOptions options : {kAnyCase, kWord, kCase, kWordCase}) {
        SCOPED_TRACE(::testing::Message() << options.matchCase << options.wholeWord);
        EXPECT_EQ(findIn(u"a" + pair, u"\xDC00", options), -1);
        EXPECT_EQ(findIn(u"a" + pair, u"\xD801", options), -1);
        EXPECT_EQ(findIn(pair + u"b", u"\xDC00" u"b", options), -1);
        EXPECT_EQ(findIn(u"a" + pair, u"a\xD801", options), -1);
        EXPECT_EQ(findIn(u"a" + pair, u"a" + pair, options), 0);
        // The first candidate is inside a pair, the next one is a lone unit.
        EXPECT_EQ(findIn(pair + u" \xDC00", u"\xDC00", options), 3);
        EXPECT_EQ(findIn(pair + u" \xD801", u"\xD801", options), 3);
    }
    EXPECT_EQ(findIn(u"\xDC00\xD801", u"\xDC00\xD801", kCase), 0);  // not a pair: low first
}

}  // namespace
}  // namespace quillet
