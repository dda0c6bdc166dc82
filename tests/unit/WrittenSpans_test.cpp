#include "engine/WrittenSpans.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

using Spans = std::vector<WrittenSpans::Span>;

std::vector<std::pair<int64_t, int64_t>> pairs(const Spans& spans) {
    std::vector<std::pair<int64_t, int64_t>> out;
    for (const auto& span : spans) out.emplace_back(span.start, span.length);
    return out;
}

TEST(WrittenSpans, LaterReplacementsMoveTheSpansAfterThem) {
    WrittenSpans written;
    written.record(1, u"cat and cat", 8, 3, u"cats");
    written.record(1, u"cat and cats", 0, 3, u"a");   // before it
    written.record(1, u"a and cats", 2, 3, u"");      // between them
    EXPECT_EQ(pairs(written.of(1, u"a  cats")),
              (std::vector<std::pair<int64_t, int64_t>>{{0, 1}, {2, 0}, {3, 4}}));
    EXPECT_TRUE(written.of(2, u"a  cats").empty());  // each story on its own
}

TEST(WrittenSpans, AStoryThatReadsOtherwiseLosesItsSpans) {
    WrittenSpans written;
    written.record(1, u"cat", 0, 3, u"cats");
    written.record(2, u"cat", 0, 3, u"cats");
    // A write into a story that another hand changed starts its spans afresh.
    ASSERT_TRUE(written.of(2, u"cats!").empty());
    written.record(2, u"cats!", 0, 4, u"dog");
    EXPECT_EQ(pairs(written.of(2, u"dog!")), (std::vector<std::pair<int64_t, int64_t>>{{0, 3}}));
    ASSERT_TRUE(written.of(2, u"cat").empty());
    written.record(2, u"cat", 0, 3, u"cats");
    EXPECT_TRUE(written.of(1, u"cats!").empty());
    EXPECT_TRUE(written.of(1, u"cats").empty());  // gone for good
    EXPECT_EQ(written.of(2, u"cats").size(), 1u);
    written.clear();
    EXPECT_TRUE(written.of(2, u"cats").empty());
}

TEST(WrittenSpans, AnOccurrenceTouchesWrittenTextOrTheMiddleOfAnEmptyReplacement) {
    const Spans spans{{2, 3}, {8, 0}};
    // Written text from 2 to 4.
    EXPECT_FALSE(WrittenSpans::touch(spans, 0, 2));
    EXPECT_TRUE(WrittenSpans::touch(spans, 1, 2));
    EXPECT_TRUE(WrittenSpans::touch(spans, 4, 2));
    EXPECT_FALSE(WrittenSpans::touch(spans, 5, 2));
    // An empty replacement at 8: only an occurrence across it.
    EXPECT_FALSE(WrittenSpans::touch(spans, 6, 2));
    EXPECT_TRUE(WrittenSpans::touch(spans, 7, 2));
    EXPECT_FALSE(WrittenSpans::touch(spans, 8, 2));
}

}  // namespace
}  // namespace quillet
