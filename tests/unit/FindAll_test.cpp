// Find All through the engine: the rows, their pages as the shapes tell
// them, how they follow the user's edits, and Replace Checked.
#include <gtest/gtest.h>

#include "tests/unit/EngineHarness.h"

namespace quillet::testing {
namespace {

struct Listed {
    int32_t story;
    Span span;
    std::optional<int32_t> page;
    friend bool operator==(const Listed&, const Listed&) = default;
};

std::vector<Listed> listed(const FoundList& list) {
    std::vector<Listed> rows;
    for (const FoundRow& row : list.rows) rows.push_back({row.story, row.span, row.page});
    return rows;
}

TEST(FindAll, PagesComeFromTheFramesThatShowTheTextAndAlikeStoriesKeepTheirOwn) {
    simhost::PublicationModel model = publicationOf({u"a cat", u"a cat", u"cat and cat and cat"}, 3);
    model.stories[1].frames = {simhost::Frame{2, 0}};
    // The third flows from page 3 into a frame on no page after its first cat.
    model.stories[2].frames = {simhost::Frame{3, 8}, simhost::Frame{0, 0}};
    EngineHarness h(model);
    FoundList list;
    const FindAllReport report = h.engine.FindAll({u"cat", {}}, nullptr, list);

    EXPECT_EQ(listed(list), (std::vector<Listed>{{1, {2, 3}, 1}, {2, {2, 3}, 2}, {3, {0, 3}, 3}, {3, {8, 3}, std::nullopt},
                                                 {3, {16, 3}, std::nullopt}}));
    EXPECT_EQ(report.onNoPage, 2);
    EXPECT_EQ(report.stories, 3);
    EXPECT_EQ(list.rows[1].pageNumber, u"2");
    // Nothing was selected, displayed or written.
    EXPECT_TRUE(h.events.views.empty());
    EXPECT_TRUE(h.events.selections.empty());
    EXPECT_TRUE(h.events.writes.empty());
}

TEST(FindAll, WithoutShapesAPageIsLearntWhereAPickOrAFindShowsIt) {
    simhost::PublicationModel model = publicationOf({u"a cat", u"cat cat"}, 2);
    model.stories[1].frames = {simhost::Frame{2, 4}, simhost::Frame{0, 0}};
    simhost::HostCapabilities older;
    older.pageShapes = false;
    EngineHarness h(model, older);
    FoundList list;
    const FindAllReport report = h.engine.FindAll({u"cat", {}}, nullptr, list);
    EXPECT_EQ(report.onNoPage, 0);
    EXPECT_EQ(listed(list), (std::vector<Listed>{{1, {2, 3}, {}}, {2, {0, 3}, {}}, {2, {4, 3}, {}}}));
    EXPECT_TRUE(h.events.views.empty());
    // A pick walks to page 2; a Find Next passes over the one in overflow.
    EXPECT_EQ(h.engine.GoToFound(list, 1), Module1::PickOutcome::Selected);
    EXPECT_EQ(list.rows[1].page, 2);
    EXPECT_EQ(list.rows[1].pageNumber, u"2");
    h.findNext(u"cat");
    EXPECT_TRUE(list.rows[2].onNoPage);
    EXPECT_FALSE(list.rows[0].onNoPage);
}

TEST(FindAll, RowsFollowEditsAndThoseAnEditTouchedAreNeitherPickedNorWritten) {
    EngineHarness h(publicationOf({u"one cat, two cat, red cat"}));
    FoundList list;
    h.engine.FindAll({u"cat", {}}, nullptr, list);
    // The second made "cut", and then text typed before the first.
    h.host.publication().editStory(1, u"one cat, two cut, red cat");
    EXPECT_EQ(h.engine.GoToFound(list, 1), Module1::PickOutcome::NoLongerFound);
    h.host.publication().editStory(1, u"So one cat, two cut, red cat");
    EXPECT_EQ(h.engine.GoToFound(list, 1), Module1::PickOutcome::NoLongerFound);
    EXPECT_TRUE(list.rows[1].stale);
    EXPECT_EQ(h.engine.GoToFound(list, 2), Module1::PickOutcome::Selected);
    EXPECT_EQ(h.selection(), (simhost::SelectionModel{1, 26, 3}));
    EXPECT_EQ(list.rows[0].span, (Span{7, 3}));
    // Find Next goes on after the row gone to: from the start, after a wrap.
    h.messages.answers = {msgbox::kAnswerYes};
    h.findNext(u"cat");
    EXPECT_EQ(h.selection(), (simhost::SelectionModel{1, 8, 3}));
    EXPECT_FALSE(h.engine.memoryFault());
}

TEST(FindAll, ReplaceCheckedWritesTheCheckedRowsOnceAndTheListNeverHoldsTheJobsOutput) {
    EngineHarness h(publicationOf({u"cat cat", u"cat"}));
    FoundList list;
    const std::u16string cats = u"cats";
    h.engine.FindAll({u"cat", {}}, &cats, list);
    list.rows[1].checked = false;
    const ReplaceAllReport report = h.engine.ReplaceChecked(list, cats, {}, nullptr);
    EXPECT_EQ(report.replaced, 2);
    EXPECT_EQ(report.stories, 2);
    EXPECT_EQ(h.stories(), (std::vector<std::u16string>{u"cats cat", u"cats"}));
    EXPECT_EQ(listed(list), (std::vector<Listed>{{1, {5, 3}, 1}}));
    // Again: the "cat" of each "cats" is the job's own, and not listed.
    h.engine.FindAll({u"cat", {}}, &cats, list);
    EXPECT_EQ(listed(list), (std::vector<Listed>{{1, {5, 3}, 1}}));
    // A look-up lists them all.
    FoundList lookUp;
    h.engine.FindAll({u"cat", {}}, nullptr, lookUp);
    EXPECT_EQ(lookUp.rows.size(), 3u);
}

TEST(FindAll, AFailingReadKeepsWhatWasFoundAndTellsTheListIsIncomplete) {
    EngineHarness h(publicationOf({u"cat", u"cat", u"cat"}));
    h.host.faults().fail("Story.text", {hresults::kUnspecified, u"Unspecified error"}, 1, 1);
    FoundList list;
    const FindAllReport report = h.engine.FindAll({u"cat", {}}, nullptr, list);
    EXPECT_TRUE(report.incomplete);
    EXPECT_EQ(report.found, 1);
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_NE(h.messages.shown[0].prompt.find(u"Unspecified error"), std::u16string::npos);
}

}  // namespace
}  // namespace quillet::testing
