#include <gtest/gtest.h>

#include "engine/KeepCase.h"
#include "engine/ReplacementText.h"

namespace quillet {
namespace {

TEST(KeepCase, TheReplacementTakesTheCaseOfWhatItReplaces) {
    struct Case {
        std::u16string_view occurrence, replacement, written;
    };
    const Case cases[] = {
        {u"cat", u"dog", u"dog"},       {u"Cat", u"dog", u"Dog"},     {u"CAT", u"dog", u"DOG"},
        {u"cAt", u"dog", u"dog"},       {u"CAT", u"Dog", u"DOG"},     {u"Cat", u"dOG", u"DOG"},
        // One capital is a first capital; the first cased letter decides, whatever comes before it.
        {u"A", u"the", u"The"},         {u"-Cat", u"-dog", u"-Dog"},  {u"1CAT", u"a-b", u"A-B"},
        // Letters of other scripts, and one that folds with a second capital.
        {u"\u0394\u0395", u"\u03B1\u03B2", u"\u0391\u0392"}, {u"Kk", u"k", u"K"},
        // Nothing cased: as typed.
        {u"123", u"dog", u"dog"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(inCaseOf(c.occurrence, std::u16string(c.replacement)), c.written)
            << "over " << std::string(c.occurrence.begin(), c.occurrence.end());
    }
}

TEST(KeepCase, CodesAreWrittenAsTheStoryWritesThemBeforeTheCaseIsTaken) {
    EXPECT_EQ(replacementFor(u"end^p", u"STOP", u"a\r\nb", ReplaceOptions{true}), u"END\r\n");
    EXPECT_EQ(replacementFor(u"end^p", u"STOP", u"a\rb", ReplaceOptions{false}), u"end\r");
}

}  // namespace
}  // namespace quillet
