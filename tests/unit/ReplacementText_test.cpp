#include "engine/text/ReplacementText.h"

#include <gtest/gtest.h>

#include <string>

namespace quillet {
namespace {

TEST(ReplacementText, CharacterCodesWriteTheirCharacters) {
    EXPECT_EQ(expandReplacement(u"a^tb^s^+^=^~^-^^c", u"story"), u"a\tb\u00A0\u2014\u2013\u2011\u00AD^c");
    EXPECT_EQ(expandReplacement(u"", u"story"), u"");
    EXPECT_EQ(expandReplacement(u"no codes\r\n", u"story"), u"no codes\r\n");
}

TEST(ReplacementText, FindOnlyCodesAndLoneCaretsStayAsTyped) {
    EXPECT_EQ(expandReplacement(u"^?^#^$^w", u"story"), u"^?^#^$^w");
    EXPECT_EQ(expandReplacement(u"^x^P^1^", u"story"), u"^x^P^1^");
    // ^^ is a caret, and the letter after it is a letter.
    EXPECT_EQ(expandReplacement(u"^^p^^^p", u"a\rb"), u"^p^\r");
}

TEST(ReplacementText, AParagraphEndTakesTheStorysForm) {
    EXPECT_EQ(expandReplacement(u"a^pb", u"one\rtwo\r\nthree"), u"a\r\nb");
    EXPECT_EQ(expandReplacement(u"a^pb", u"one\rtwo\nthree"), u"a\rb");
    EXPECT_EQ(expandReplacement(u"^p^p", u""), u"\r\r");
    EXPECT_EQ(expandReplacement(u"^p", u"\n\r"), u"\r");
}

TEST(ReplacementText, ALineBreakIsAVerticalTabUnlessTheStoryBreaksLinesWithLoneLfs) {
    EXPECT_EQ(expandReplacement(u"a^nb", u"one\ntwo"), u"a\nb");
    EXPECT_EQ(expandReplacement(u"a^nb", u"one\r\ntwo\n"), u"a\nb");
    EXPECT_EQ(expandReplacement(u"a^nb", u"one\ntwo\vthree"), u"a\vb");
    EXPECT_EQ(expandReplacement(u"a^nb", u"one\r\ntwo"), u"a\vb");
    EXPECT_EQ(expandReplacement(u"a^nb", u""), u"a\vb");
    EXPECT_EQ(expandReplacement(u"^n^p", u"\n"), u"\n\r");
}

}  // namespace
}  // namespace quillet
