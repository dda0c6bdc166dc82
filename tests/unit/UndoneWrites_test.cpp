// A text read as another with some of the writing made there taken back.
#include <gtest/gtest.h>

#include "engine/memory/UndoneWrites.h"

namespace quillet {
namespace {

std::vector<Span> undoneSpans(std::u16string_view before, const std::vector<WrittenSpan>& spans,
                              std::u16string_view after) {
    std::vector<const WrittenSpan*> pointers;
    for (const WrittenSpan& span : spans) pointers.push_back(&span);
    const auto undone = undoneWrites(before, pointers, after);
    std::vector<Span> taken;
    if (undone) {
        for (const WrittenSpan* span : undone->spans) taken.push_back(span->span);
    }
    return taken;
}

TEST(UndoneWrites, ExactlyTheWritingPutBackIsTakenBackAndNothingElseMayHaveChanged) {
    // "cat cat" made "cats cats": the second put back.
    const std::vector<WrittenSpan> two{{{0, 4}, u"cat", 1}, {{5, 4}, u"cat", 2}};
    EXPECT_EQ(undoneSpans(u"cats cats", two, u"cats cat"), (std::vector<Span>{{5, 4}}));
    EXPECT_EQ(undoneSpans(u"cats cats", two, u"cat cat"), (std::vector<Span>{{0, 4}, {5, 4}}));
    // Anything else changed too: no undo.
    EXPECT_TRUE(undoneSpans(u"cats cats", two, u"cats cat!").empty());
    // Nothing taken back: the same text is no undo.
    EXPECT_TRUE(undoneSpans(u"cats cats", two, u"cats cats").empty());
}

TEST(UndoneWrites, AReplacementThatBeginsWithWhatItReplacedReadsBothWaysAndWhatFollowsDecides) {
    // "cat" made "cats" in "cats x", which reads "catss x": back at "cats x",
    // reading the span as written leads nowhere ("s x" is no " x"), and as
    // taken back, "cat" + "s x" reads so.
    const std::vector<WrittenSpan> one{{{0, 4}, u"cat", 1}};
    EXPECT_EQ(undoneSpans(u"catss x", one, u"cats x"), (std::vector<Span>{{0, 4}}));
    const std::vector<WrittenSpan> empties{{{2, 0}, u"ab", 1}, {{2, 0}, u"c", 2}};
    // Two empty replacements at one place, put back in the order of their writes.
    EXPECT_EQ(undoneSpans(u"x y", empties, u"x abcy"), (std::vector<Span>{{2, 0}, {2, 0}}));
    EXPECT_EQ(undoneSpans(u"x y", empties, u"x aby"), (std::vector<Span>{{2, 0}}));
}

}  // namespace
}  // namespace quillet
