// An occurrence in the one line of context that a list row shows.
#include <gtest/gtest.h>

#include "engine/text/ContextLine.h"

namespace quillet {
namespace {

std::u16string marked(std::u16string_view story, Span occurrence) {
    const ContextLine line = contextLineOf(story, occurrence);
    std::u16string shown = line.text;
    shown.insert(static_cast<size_t>(line.occurrence.end()), u"]");
    shown.insert(static_cast<size_t>(line.occurrence.start), u"[");
    return shown;
}

TEST(ContextLine, ShortTextsShowWholeAndLongOnesAreCutWithAnEllipsis) {
    EXPECT_EQ(marked(u"the cat sat", {4, 3}), u"the [cat] sat");
    const std::u16string longText(40, u'a');
    const std::u16string story = longText + u"cat" + longText;
    const std::u16string side(25, u'a');
    EXPECT_EQ(marked(story, {40, 3}), u"\u2026" + side + u"[cat]" + side + u"\u2026");
}

TEST(ContextLine, ParagraphEndsAndLineBreaksCutTheLineAndShowAsMarksInside) {
    EXPECT_EQ(marked(u"first para\r\nthe cat sat\rnext", {16, 3}), u"the [cat] sat");
    EXPECT_EQ(marked(u"a\vcat\u2028b", {2, 3}), u"[cat]");
    // An occurrence that spans a paragraph end stays on one line.
    EXPECT_EQ(marked(u"end.\r\nNext\tword", {3, 5}), u"end[.\u00B6Ne]xt word");
}

TEST(ContextLine, ASurrogatePairIsNeverCutInTwo) {
    // 24 units before the occurrence, then a pair whose low half would be the 25th.
    std::u16string story = u"\U0001F600" + std::u16string(24, u'x') + u"cat";
    const ContextLine line = contextLineOf(story, {26, 3});
    EXPECT_EQ(line.text.substr(0, 1), u"\u2026");
    EXPECT_NE(line.text[1], u'\xDE00');
    EXPECT_EQ(line.text.substr(static_cast<size_t>(line.occurrence.start)), u"cat");
}

}  // namespace
}  // namespace quillet
