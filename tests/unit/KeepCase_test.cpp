#include <gtest/gtest.h>

#include "engine/text/KeepCase.h"
#include "engine/text/ReplacementText.h"
#include "engine/text/unicode/CaseMapping.h"

namespace quillet {
namespace {

struct Case {
    std::u16string_view occurrence, replacement, written;
};

template <std::size_t N>
void expectWritten(const Case (&cases)[N]) {
    for (const Case& c : cases) {
        EXPECT_EQ(inCaseOf(c.occurrence, std::u16string(c.replacement)), c.written)
            << "case " << (&c - cases) << ": " << std::string(c.replacement.begin(), c.replacement.end());
    }
}

TEST(KeepCase, TheReplacementTakesTheCaseOfWhatItReplaces) {
    const Case cases[] = {
        {u"cat", u"dog", u"dog"},       {u"Cat", u"dog", u"Dog"},     {u"CAT", u"dog", u"DOG"},
        {u"cAt", u"dog", u"dog"},       {u"CAT", u"Dog", u"DOG"},     {u"Cat", u"dOG", u"DOG"},
        // One capital is a first capital; the first cased letter decides, whatever comes before it.
        {u"A", u"the", u"The"},         {u"-Cat", u"dog", u"Dog"},    {u"1CAT", u"a-b", u"A-B"},
        // Letters of other scripts.
        {u"\u0394\u0395", u"\u03B1\u03B2", u"\u0391\u0392"}, {u"Kk", u"k", u"K"},
        // Nothing cased: as typed.
        {u"123", u"dog", u"dog"},
    };
    expectWritten(cases);
}

TEST(KeepCase, OnlyAFirstCharacterThatIsALetterTakesAFirstCapital) {
    const Case cases[] = {
        {u"First", u"2nd", u"2nd"},         {u"-Cat", u"-dog", u"-dog"},
        {u"First", u" one", u" one"},       {u"FIRST", u"2nd", u"2ND"},
        // A circled letter has a capital, but is a symbol.
        {u"Cat", u"\u24D0b", u"\u24D0b"},   {u"CAT", u"\u24D0b", u"\u24B6B"},
        // A letter of no case is a first character like any other.
        {u"Cat", u"\u4E2Ddog", u"\u4E2Ddog"},
    };
    expectWritten(cases);
}

TEST(KeepCase, CapitalsAreTheCharacterDatabasesSimpleMappings) {
    const Case cases[] = {
        // Dotless i has its capital in I, though nothing folds with it.
        {u"SO\u011EUK", u"\u0131l\u0131k", u"ILIK"},
        {u"So\u011Fuk", u"\u0131l\u0131k", u"Il\u0131k"},
        // A digraph begins a word with its titlecase, and is all capitals in its uppercase.
        {u"Cat", u"\u01C6ungla", u"\u01C5ungla"},  {u"CAT", u"\u01C6ungla", u"\u01C4UNGLA"},
        {u"Cat", u"\u01C4ungla", u"\u01C5ungla"},  {u"CAT", u"\u01C5", u"\u01C4"},
        // Georgian letters have capitals, but begin a word as they are.
        {u"Cat", u"\u10D0\u10D1", u"\u10D0\u10D1"}, {u"CAT", u"\u10D0\u10D1", u"\u1C90\u1C91"},
        // One code point to one: no capital takes two letters.
        {u"CAT", u"stra\u00DFe", u"STRA\u00DFE"},   {u"CAT", u"\u017F\u00B5\u03C2", u"S\u039C\u03A3"},
    };
    expectWritten(cases);
}

TEST(KeepCase, LettersOutsideTheBasicMultilingualPlaneAreReadAndWrittenAsLetters) {
    const Case cases[] = {
        // Deseret: U+10400 and U+10401 are the capitals of U+10428 and U+10429.
        {u"\U00010400\U00010401", u"\U00010428\U00010429", u"\U00010400\U00010401"},
        {u"\U00010400\U00010429", u"dog", u"Dog"},
        {u"\U00010428\U00010400", u"dog", u"dog"},
        {u"Cat", u"\U00010428\U00010429", u"\U00010400\U00010429"},
        {u"CAT", u"a\U00010429b", u"A\U00010401B"},
        // A lone surrogate is no letter, and stays as it is.
        {u"CAT", u"a\xD801" u"b", u"A\xD801" u"B"},
        {u"Cat", u"\xDC28" u"b", u"\xDC28" u"b"},
    };
    expectWritten(cases);
}

TEST(CaseMapping, UppercaseAndTitlecaseAreTheDatabasesOneCodePointToOne) {
    struct Mapping {
        char32_t cp, upper, title;
    };
    const Mapping mappings[] = {
        {U'a', U'A', U'A'},           {U'A', U'A', U'A'},           {U'1', U'1', U'1'},
        {0x0131, U'I', U'I'},         {0x01C6, 0x01C4, 0x01C5},     {0x01C5, 0x01C4, 0x01C5},
        {0x01C4, 0x01C4, 0x01C5},     {0x00DF, 0x00DF, 0x00DF},     {0x10D0, 0x1C90, 0x10D0},
        {0x10428, 0x10400, 0x10400},  {0x1E922, 0x1E900, 0x1E900},  {0x10400, 0x10400, 0x10400},
        // Surrogates and values past the code points map to themselves.
        {0xD801, 0xD801, 0xD801},     {0x110000, 0x110000, 0x110000},
    };
    for (const Mapping& m : mappings) {
        EXPECT_EQ(unicode::uppercaseOf(m.cp), m.upper) << std::hex << uint32_t(m.cp);
        EXPECT_EQ(unicode::titlecaseOf(m.cp), m.title) << std::hex << uint32_t(m.cp);
    }
}

TEST(KeepCase, CodesAreWrittenAsTheStoryWritesThemBeforeTheCaseIsTaken) {
    EXPECT_EQ(replacementFor(u"end^p", u"STOP", u"a\r\nb", ReplaceOptions{true}), u"END\r\n");
    EXPECT_EQ(replacementFor(u"end^p", u"STOP", u"a\rb", ReplaceOptions{false}), u"end\r");
}

}  // namespace
}  // namespace quillet
