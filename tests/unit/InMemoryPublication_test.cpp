#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "simhost/Utf8.h"
#include "simhost/memory/InMemoryHost.h"
#include "tests/unit/HostResults.h"

namespace quillet::testing {
namespace {

using simhost::Frame;
using simhost::PublicationModel;
using simhost::SelectionModel;
using simhost::StoryModel;
using simhost::toUtf8;

constexpr int32_t kRefused = hresults::kNotOnDisplayedPage;
constexpr int32_t kInvalid = hresults::kInvalidArgument;
const RaisedError kInjected{-2147418113, u"Catastrophic failure"};

/// Every event of the host, in order, in a form that compares in one line.
class EventLog : public simhost::HostEvents {
public:
    void viewSet(int32_t page) override { add("view " + std::to_string(page)); }
    void selected(int32_t story, int32_t start, int32_t length, const std::u16string& text) override {
        add("select " + where(story, start, length) + " " + toUtf8(text));
    }
    void refused(int32_t story, int32_t start, int32_t length) override { add("refused " + where(story, start, length)); }
    void written(int32_t story, int32_t start, int32_t length, const std::u16string& oldText,
                 const std::u16string& newText) override {
        add("write " + where(story, start, length) + " " + toUtf8(oldText) + ">" + toUtf8(newText));
    }
    void screenUpdatingSet(bool updating) override { add(updating ? "screen on" : "screen off"); }
    void undoGroupBegun(const std::u16string& name) override { add("undo begin " + toUtf8(name)); }
    void undoGroupEnded() override { add("undo end"); }

    std::vector<std::string> take() { return std::exchange(events_, {}); }

private:
    static std::string where(int32_t story, int32_t start, int32_t length) {
        return std::to_string(story) + " " + std::to_string(start) + " " + std::to_string(length);
    }
    void add(std::string event) { events_.push_back(std::move(event)); }

    std::vector<std::string> events_;
};

using Events = std::vector<std::string>;

struct Host {
    explicit Host(PublicationModel model, simhost::HostCapabilities offered = {})
        : host(std::move(model), {}, offered) {
        host.listen(log);
    }

    PublicationRef publication() { return valueOf(host.application()->publication()); }
    TextSpanRef story(int32_t index) {
        return valueOf(valueOf(valueOf(publication()->stories())->item(index))->textSpan());
    }
    TextSpanRef span(int32_t story, int32_t start, int32_t length) { return valueOf(this->story(story)->span(start, length)); }
    PageRef page(int32_t index) { return valueOf(valueOf(publication()->pages())->item(index)); }
    PublicationViewRef view() { return valueOf(publication()->view()); }
    std::u16string displayedPageNumber() { return valueOf(valueOf(view()->page())->number()); }
    Result<TextSpanRef> selectionSpan() { return valueOf(publication()->selection())->textSpan(); }
    const PublicationModel& model() { return host.publication().model(); }
    std::u16string storyText(int32_t index) { return model().stories[index - 1].text; }
    std::vector<std::u16string> storyTexts() {
        std::vector<std::u16string> texts;
        for (const StoryModel& story : model().stories) texts.push_back(story.text);
        return texts;
    }

    EventLog log;
    simhost::InMemoryHost host;
};

PublicationModel onPages(int32_t pages, std::vector<StoryModel> stories) {
    PublicationModel model;
    model.pageNumbers.clear();
    for (int32_t page = 1; page <= pages; ++page) model.pageNumbers.push_back(simhost::fromUtf8(std::to_string(page)));
    model.stories = std::move(stories);
    return model;
}

/// Stories of one frame each, on page 1.
PublicationModel onPageOne(const std::vector<std::u16string>& texts, int32_t pages = 1) {
    std::vector<StoryModel> stories;
    for (const auto& text : texts) stories.push_back({text, {Frame{1, 0}}});
    return onPages(pages, std::move(stories));
}

// --- Selecting -------------------------------------------------------------

TEST(InMemoryPublicationSelect, ASpanOnTheDisplayedPageBecomesTheSelection) {
    Host h(onPageOne({u"The cat sat."}));
    succeed(h.span(1, 5, 3)->select());
    EXPECT_EQ(h.model().selection, (SelectionModel{1, 5, 3}));
    EXPECT_EQ(h.log.take(), (Events{"select 1 5 3 cat"}));
    EXPECT_EQ(valueOf(valueOf(h.selectionSpan())->text()), u"cat");
}

TEST(InMemoryPublicationSelect, ASpanStartingOffTheDisplayedPageIsRefusedAndTheSelectionStays) {
    Host h(onPages(2, {{u"first", {Frame{1, 0}}}, {u"on page two", {Frame{2, 0}}}}));
    succeed(h.span(1, 1, 5)->select());
    h.log.take();

    EXPECT_TRUE(failedWith(h.span(2, 4, 4)->select(), kRefused));
    EXPECT_EQ(h.log.take(), (Events{"refused 2 4 4"}));
    EXPECT_EQ(h.model().selection, (SelectionModel{1, 1, 5}));
}

TEST(InMemoryPublicationSelect, AStoryOverTwoPagesIsSelectableOnThePageOfTheSpansFirstCharacter) {
    // Frame one holds "abcd" on page 1; the last frame holds the rest on page 2,
    // whatever length it gives itself.
    Host h(onPages(2, {{u"abcdefghij", {Frame{1, 4}, Frame{2, 1}}}}));

    succeed(h.span(1, 4, 3)->select());  // starts on page 1, runs on into page 2
    EXPECT_TRUE(failedWith(h.span(1, 5, 1)->select(), kRefused));
    EXPECT_TRUE(failedWith(h.span(1, 11, 0)->select(), kRefused));  // the caret after the end

    h.host.publication().displayPage(2);
    EXPECT_TRUE(failedWith(h.span(1, 4, 1)->select(), kRefused));
    succeed(h.span(1, 5, 1)->select());
    succeed(h.span(1, 10, 1)->select());
    succeed(h.span(1, 11, 0)->select());

    EXPECT_EQ(h.log.take(), (Events{"select 1 4 3 def", "refused 1 5 1", "refused 1 11 0", "refused 1 4 1",
                                    "select 1 5 1 e", "select 1 10 1 j", "select 1 11 0 "}));
}

TEST(InMemoryPublicationSelect, TextOnPageZeroIsNeverSelectable) {
    Host h(onPages(3, {{u"overflow", {Frame{0, 0}}}, {u"fits, then overflows", {Frame{1, 4}, Frame{0, 0}}}}));
    for (int32_t page = 1; page <= 3; ++page) {
        h.host.publication().displayPage(page);
        EXPECT_TRUE(failedWith(h.span(1, 1, 1)->select(), kRefused)) << "page " << page;
        EXPECT_TRUE(failedWith(h.span(2, 5, 1)->select(), kRefused)) << "page " << page;
    }
    EXPECT_FALSE(h.model().selection.has_value());
}

// --- Collections -----------------------------------------------------------

TEST(InMemoryPublicationCollections, AnIndexOutsideACollectionIsAnInvalidArgument) {
    Host h(onPageOne({u"one", u"two"}, 3));
    auto stories = valueOf(h.publication()->stories());
    auto pages = valueOf(h.publication()->pages());
    ASSERT_EQ(valueOf(stories->count()), 2);
    ASSERT_EQ(valueOf(pages->count()), 3);

    const RaisedError invalid{kInvalid, u"The parameter is incorrect."};
    for (const int32_t index : {0, 3, -1}) EXPECT_TRUE(failedWith(stories->item(index), invalid)) << "story " << index;
    for (const int32_t index : {0, 4, -1}) EXPECT_TRUE(failedWith(pages->item(index), invalid)) << "page " << index;
    EXPECT_TRUE(stories->item(2).ok());
    EXPECT_TRUE(pages->item(3).ok());
}

// --- The view --------------------------------------------------------------

TEST(InMemoryPublicationView, SetPageDisplaysThePageAndReportsEverySetEvenOfTheSamePage) {
    PublicationModel model = onPageOne({u"text"}, 3);
    model.pageNumbers = {u"i", u"ii", u"7"};
    Host h(model);
    EXPECT_EQ(h.displayedPageNumber(), u"i");

    succeed(h.view()->setPage(h.page(3)));
    succeed(h.view()->setPage(h.page(3)));
    EXPECT_EQ(h.displayedPageNumber(), u"7");
    EXPECT_EQ(h.model().displayedPage, 3);
    EXPECT_EQ(h.log.take(), (Events{"view 3", "view 3"}));

    // The user turning the page is no work of the add-in's.
    h.host.publication().displayPage(2);
    EXPECT_EQ(h.displayedPageNumber(), u"ii");
    EXPECT_TRUE(h.log.take().empty());
}

TEST(InMemoryPublicationView, SetPageRefusesNoPageAndAPageOfAnotherPublication) {
    Host h(onPageOne({u"text"}, 2));
    PageRef stale = h.page(2);
    h.host.open(onPageOne({u"other"}, 2));

    EXPECT_TRUE(failedWith(h.view()->setPage(nullptr), kInvalid));
    EXPECT_TRUE(failedWith(h.view()->setPage(stale), kInvalid));
    EXPECT_EQ(h.model().displayedPage, 1);
    EXPECT_TRUE(h.log.take().empty());
}

// --- Pages -------------------------------------------------------------------

TEST(InMemoryPublicationPages, APagesIndexIsItsPlaceWhateverNumberItShows) {
    PublicationModel model = onPageOne({u"text"}, 3);
    model.pageNumbers = {u"5", u"iv", u"5"};
    Host h(model);
    EXPECT_EQ(valueOf(h.page(2)->index()), 2);
    EXPECT_EQ(valueOf(h.page(3)->index()), 3);
    h.host.publication().displayPage(3);
    EXPECT_EQ(valueOf(valueOf(h.view()->page())->index()), 3);
}

TEST(InMemoryPublicationPages, AnOlderHostsPageHasNoIndexNotEvenOneThatCouldBeMadeToFail) {
    Host h(onPageOne({u"text"}, 2), {.pageIndex = false});
    h.host.faults().fail("Page.index", {hresults::kUnspecified, u"Unspecified error"}, /*count=*/1, /*after=*/0);
    EXPECT_TRUE(failedWith(h.page(2)->index(), RaisedError{hresults::kUnknownName, u"Unknown name."}));
    EXPECT_TRUE(h.host.faults().planned("Page.index"));
    EXPECT_EQ(valueOf(h.page(2)->number()), u"2");
}

TEST(InMemoryPublicationPages, EveryCallHandsOutANewPageObject) {
    Host h(onPageOne({u"text"}, 2));
    const PageRef page = h.page(1);
    EXPECT_TRUE(page->isSameObject(*page));
    EXPECT_FALSE(page->isSameObject(*h.page(1)));
    EXPECT_FALSE(valueOf(h.view()->page())->isSameObject(*page));
}

// --- Shapes ------------------------------------------------------------------

/// What each text frame on `page` shows, in the order of its shapes: the
/// text and where it begins in its story.
std::vector<std::pair<std::u16string, int32_t>> framesShownOn(Host& h, int32_t page) {
    const ShapeCollectionRef shapes = valueOf(h.page(page)->shapes());
    std::vector<std::pair<std::u16string, int32_t>> shown;
    for (int32_t index = 1, count = valueOf(shapes->count()); index <= count; ++index) {
        const ShapeRef shape = valueOf(shapes->item(index));
        EXPECT_TRUE(valueOf(shape->hasTextFrame()));
        const TextSpanRef range = valueOf(valueOf(shape->textFrame())->textRange());
        shown.emplace_back(valueOf(range->text()), valueOf(range->start()));
    }
    return shown;
}

using Shown = std::vector<std::pair<std::u16string, int32_t>>;

PublicationModel framesOverThreePages() {
    return onPages(3, {
                          {u"On one.", {Frame{1, 0}}},
                          {u"abcdefghij", {Frame{2, 4}, Frame{1, 3}, Frame{2, 0}}},
                          {u"overflow", {Frame{0, 0}}},
                          {u"short", {Frame{3, 10}, Frame{1, 0}}},
                          {u"fits, then overflows", {Frame{3, 4}, Frame{0, 0}}},
                      });
}

TEST(InMemoryPublicationShapes, EachPageHoldsATextFrameForEachOfItsFramesInTheOrderOfTheStories) {
    Host h(framesOverThreePages());
    // The last frame of story 4 lies past the end of its text: it shows
    // nothing, from there. Overflow is on no page.
    EXPECT_EQ(framesShownOn(h, 1), (Shown{{u"On one.", 0}, {u"efg", 4}, {u"", 5}}));
    EXPECT_EQ(framesShownOn(h, 2), (Shown{{u"abcd", 0}, {u"hij", 7}}));
    EXPECT_EQ(framesShownOn(h, 3), (Shown{{u"short", 0}, {u"fits", 0}}));

    const ShapeCollectionRef shapes = valueOf(h.page(2)->shapes());
    for (const int32_t index : {0, 3, -1}) EXPECT_TRUE(failedWith(shapes->item(index), kInvalid)) << index;
    EXPECT_TRUE(h.log.take().empty());
}

TEST(InMemoryPublicationShapes, AFramesRangeIsASpanLikeAnyOtherOverTheStoryAsItIsNow) {
    Host h(framesOverThreePages());
    const PageRef page = h.page(1);
    const int64_t before = h.host.operations();
    const ShapeCollectionRef shapes = valueOf(page->shapes());
    const TextSpanRef shown = valueOf(valueOf(valueOf(shapes->item(2))->textFrame())->textRange());
    // Each call is an operation of the host's, whatever its role.
    EXPECT_EQ(h.host.operations() - before, 4);
    EXPECT_EQ(valueOf(valueOf(valueOf(shown->story())->textSpan())->text()), u"abcdefghij");
    EXPECT_EQ(valueOf(valueOf(shown->span(2, 2))->text()), u"fg");

    h.host.publication().editStory(2, u"ABCDEFGHIJ");
    EXPECT_EQ(valueOf(shown->text()), u"EFG");
    succeed(shown->select());
    succeed(shown->setText(u"x"));
    EXPECT_EQ(h.storyText(2), u"ABCDxHIJ");
    EXPECT_EQ(h.log.take(), (Events{"select 2 5 3 EFG", "write 2 5 3 EFG>x"}));

    // The collection holds what the page holds at each call.
    ASSERT_TRUE(h.host.publication().insertStory(1, u"new"));
    EXPECT_EQ(valueOf(shapes->count()), 4);
}

TEST(InMemoryPublicationShapes, AnOlderHostsPageHasNoShapesNotEvenOnesThatCouldBeMadeToFail) {
    Host h(framesOverThreePages(), {.pageShapes = false});
    const PageRef page = h.page(1);
    h.host.faults().fail("Page.shapes", kInjected, /*count=*/1, /*after=*/0);
    const int64_t before = h.host.operations();
    // Without Shapes, no shape, frame or range of one can be reached either.
    EXPECT_TRUE(failedWith(page->shapes(), simhost::unknownMember()));
    EXPECT_EQ(h.host.operations(), before);
    EXPECT_TRUE(h.host.faults().planned("Page.shapes"));
    EXPECT_EQ(valueOf(page->index()), 1);
}

// --- The publication object ---------------------------------------------------

TEST(InMemoryPublicationObject, TheHostHandsOutOneObjectWhileThePublicationIsOpenAndANewOneForAnother) {
    Host h(onPageOne({u"first"}));
    const PublicationRef first = h.publication();
    EXPECT_TRUE(first->isSameObject(*h.publication()));
    EXPECT_TRUE(h.publication()->isSameObject(*first));

    h.host.open(onPageOne({u"second"}));
    const PublicationRef second = h.publication();
    EXPECT_FALSE(second->isSameObject(*first));
    EXPECT_TRUE(second->isSameObject(*h.publication()));
    // The add-in's reference keeps the first publication as it was.
    EXPECT_EQ(valueOf(valueOf(valueOf(valueOf(first->stories())->item(1))->textSpan())->text()), u"first");
}

TEST(InMemoryPublicationObject, AHostThatKeepsNoObjectHandsOutANewOneAtEveryCall) {
    Host h(onPageOne({u"text"}), {.samePublicationObject = false});
    const PublicationRef publication = h.publication();
    EXPECT_TRUE(publication->isSameObject(*publication));
    EXPECT_FALSE(publication->isSameObject(*h.publication()));
    EXPECT_EQ(valueOf(valueOf(publication->stories())->count()), 1);
}

TEST(InMemoryPublicationObject, AClosedPublicationGoesOnceTheAddInLetsGoOfItsObjects) {
    for (const bool same : {true, false}) {
        SCOPED_TRACE(same ? "one object" : "a new object at every call");
        Host h(onPageOne({u"text"}), {.samePublicationObject = same});
        const std::weak_ptr<simhost::InMemoryPublication> first = h.host.publication().weak_from_this();
        PublicationRef held = h.publication();
        StoryCollectionRef stories = valueOf(held->stories());
        h.host.open(onPageOne({u"other"}));
        held.reset();
        EXPECT_FALSE(first.expired()) << "the stories still reach it";
        stories.reset();
        EXPECT_TRUE(first.expired());
    }
}

// --- The publication's selection --------------------------------------------

TEST(InMemoryPublicationSelection, WithNothingSelectedItsSpanIsAnUnspecifiedError) {
    Host h(onPageOne({u"text"}));
    EXPECT_TRUE(failedWith(h.selectionSpan(), RaisedError{hresults::kUnspecified, u"Unspecified error"}));

    h.host.publication().select(SelectionModel{1, 2, 2});
    EXPECT_TRUE(h.selectionSpan().ok());
    h.host.publication().select(std::nullopt);
    EXPECT_TRUE(failedWith(h.selectionSpan(), hresults::kUnspecified));
}

TEST(InMemoryPublicationSelection, SettingItsTextReplacesExactlyTheSelectedCharactersAndSelectsTheNewText) {
    Host h(onPageOne({u"The cat sat on the mat.", u"cat"}));
    h.host.publication().select(SelectionModel{1, 5, 3});
    TextSpanRef selection = valueOf(h.selectionSpan());

    succeed(selection->setText(u"elephant"));
    EXPECT_EQ(h.storyText(1), u"The elephant sat on the mat.");
    EXPECT_EQ(h.storyText(2), u"cat");
    EXPECT_EQ(h.log.take(), (Events{"write 1 5 3 cat>elephant"}));
    EXPECT_EQ(h.model().selection, (SelectionModel{1, 5, 8}));
    EXPECT_EQ(valueOf(valueOf(h.selectionSpan())->text()), u"elephant");
    EXPECT_EQ(valueOf(selection->text()), u"elephant");

    succeed(selection->setText(u""));
    EXPECT_EQ(h.storyText(1), u"The  sat on the mat.");
    EXPECT_EQ(h.model().selection, (SelectionModel{1, 5, 0}));

    // An empty selection is a caret: its text goes in there.
    succeed(valueOf(h.selectionSpan())->setText(u"dog"));
    EXPECT_EQ(h.storyText(1), u"The dog sat on the mat.");
    EXPECT_EQ(h.log.take(), (Events{"write 1 5 8 elephant>", "write 1 5 0 >dog"}));
    EXPECT_EQ(h.model().selection, (SelectionModel{1, 5, 3}));
}

TEST(InMemoryPublicationSelection, WritingAnotherSpanMovesTheSelectionWithTheTextAfterItOrClearsItWhenItOverlaps) {
    Host h(onPageOne({u"The cat sat.", u"Other"}));
    h.host.publication().select(SelectionModel{1, 5, 3});

    succeed(h.span(1, 1, 3)->setText(u"A"));
    EXPECT_EQ(h.storyText(1), u"A cat sat.");
    EXPECT_EQ(h.model().selection, (SelectionModel{1, 3, 3}));  // moved along with its text
    EXPECT_EQ(valueOf(valueOf(h.selectionSpan())->text()), u"cat");

    // After the selection, or in another story: it stays.
    succeed(h.span(1, 7, 3)->setText(u"sits"));
    succeed(h.span(2, 1, 5)->setText(u"New"));
    EXPECT_EQ(h.model().selection, (SelectionModel{1, 3, 3}));

    // A span that is exactly the selection: the selection covers the new text.
    succeed(h.span(1, 3, 3)->setText(u"dog"));
    EXPECT_EQ(h.model().selection, (SelectionModel{1, 3, 3}));
    EXPECT_EQ(h.storyText(1), u"A dog sits.");

    succeed(h.story(1)->setText(u"Hi"));
    EXPECT_EQ(h.model().selection, std::nullopt);
    EXPECT_EQ(h.log.take(), (Events{"write 1 1 3 The>A", "write 1 7 3 sat>sits", "write 2 1 5 Other>New",
                                    "write 1 3 3 cat>dog", "write 1 1 11 A dog sits.>Hi"}));
}

// --- Spans -------------------------------------------------------------------

TEST(InMemoryPublicationSpans, SubSpansAreRelativeToTheirParentAndEndWithIt) {
    Host h(onPageOne({u"0123456789"}));
    TextSpanRef parent = h.span(1, 3, 5);  // "23456"
    EXPECT_EQ(valueOf(parent->text()), u"23456");
    EXPECT_EQ(valueOf(valueOf(parent->span(2, 3))->text()), u"345");
    EXPECT_EQ(valueOf(valueOf(parent->span(2, 99))->text()), u"3456");
    EXPECT_EQ(valueOf(valueOf(parent->span(6, 0))->text()), u"");

    for (const auto& [start, length] : std::vector<std::pair<int32_t, int32_t>>{{0, 1}, {7, 0}, {1, -1}})
        EXPECT_TRUE(failedWith(parent->span(start, length), kInvalid)) << start << ", " << length;

    succeed(valueOf(parent->span(2, 3))->select());
    EXPECT_EQ(h.model().selection, (SelectionModel{1, 4, 3}));
    succeed(valueOf(parent->span(2, 2))->setText(u"xyz"));
    EXPECT_EQ(h.storyText(1), u"012xyz56789");
    EXPECT_EQ(h.log.take(), (Events{"select 1 4 3 345", "write 1 4 2 34>xyz"}));
}

TEST(InMemoryPublicationSpans, SpansTakenBeforeAnEditClampToTheNewText) {
    Host h(onPageOne({u"0123456789"}));
    TextSpanRef whole = h.story(1);
    TextSpanRef tail = h.span(1, 6, 3);
    TextSpanRef middle = h.span(1, 2, 5);

    h.host.publication().editStory(1, u"abc");
    EXPECT_EQ(valueOf(whole->text()), u"abc");
    EXPECT_EQ(valueOf(tail->text()), u"");
    EXPECT_EQ(valueOf(middle->text()), u"bc");
    EXPECT_EQ(valueOf(valueOf(whole->span(8, 2))->text()), u"");

    succeed(tail->select());
    EXPECT_EQ(h.model().selection, (SelectionModel{1, 4, 0}));
    succeed(tail->setText(u"d"));
    EXPECT_EQ(h.storyText(1), u"abcd");
    EXPECT_EQ(valueOf(tail->text()), u"d");
    EXPECT_EQ(h.log.take(), (Events{"select 1 4 0 ", "write 1 4 0 >d"}));
}

// --- What the user does --------------------------------------------------------

TEST(InMemoryPublicationUser, EditingAStoryKeepsTheSelectionInsideItsText) {
    Host h(onPageOne({u"The cat sat.", u"other"}));
    h.host.publication().select(SelectionModel{1, 5, 3});

    h.host.publication().editStory(2, u"");
    EXPECT_EQ(h.model().selection, (SelectionModel{1, 5, 3}));
    h.host.publication().editStory(1, u"The ca");
    EXPECT_EQ(h.model().selection, (SelectionModel{1, 5, 2}));
    h.host.publication().editStory(1, u"Th");
    EXPECT_EQ(h.model().selection, (SelectionModel{1, 3, 0}));

    h.host.publication().editStory(3, u"no such story");
    EXPECT_EQ(h.model().stories.size(), 2u);
    EXPECT_TRUE(h.log.take().empty());
}

TEST(InMemoryPublicationUser, ASelectionOutsideItsStoryIsClampedOrDropped) {
    Host h(onPageOne({u"abc"}));
    h.host.publication().select(SelectionModel{1, 3, 10});
    EXPECT_EQ(h.model().selection, (SelectionModel{1, 3, 1}));
    h.host.publication().select(SelectionModel{1, 9, 1});
    EXPECT_EQ(h.model().selection, (SelectionModel{1, 4, 0}));
    h.host.publication().select(SelectionModel{2, 1, 1});
    EXPECT_FALSE(h.model().selection.has_value());

    PublicationModel opened = onPageOne({u"abc"});
    opened.selection = SelectionModel{1, 2, 5};
    h.host.open(opened);
    EXPECT_EQ(h.model().selection, (SelectionModel{1, 2, 2}));
}

// --- Moving a text box ------------------------------------------------------------

std::vector<std::u16string> movedTo(int32_t story, int32_t to) {
    Host h(onPageOne({u"one", u"two", u"three"}));
    EXPECT_TRUE(h.host.publication().moveStory(story, to));
    return h.storyTexts();
}

TEST(InMemoryPublicationMove, AMovedStoryComesAtItsNewPlaceTheOthersKeepingTheirOrder) {
    using Texts = std::vector<std::u16string>;
    EXPECT_EQ(movedTo(3, 1), (Texts{u"three", u"one", u"two"}));
    EXPECT_EQ(movedTo(1, 3), (Texts{u"two", u"three", u"one"}));
    EXPECT_EQ(movedTo(1, 2), (Texts{u"two", u"one", u"three"}));
    EXPECT_EQ(movedTo(2, 2), (Texts{u"one", u"two", u"three"}));

    // A swap of the first and the last takes two moves.
    Host h(onPageOne({u"one", u"two", u"three"}));
    ASSERT_TRUE(h.host.publication().moveStory(1, 3));
    ASSERT_TRUE(h.host.publication().moveStory(2, 1));
    EXPECT_EQ(h.storyTexts(), (Texts{u"three", u"two", u"one"}));
}

TEST(InMemoryPublicationMove, TheStoryKeepsItsFramesASelectionInItGoesAndOthersFollowTheirStories) {
    Host h(onPages(2, {{u"one", {Frame{1, 0}}},
                       {u"two, then more", {Frame{2, 4}, Frame{0, 0}}},
                       {u"three", {Frame{1, 0}}}}));
    simhost::InMemoryPublication& publication = h.host.publication();
    publication.select(SelectionModel{3, 1, 2});
    ASSERT_TRUE(publication.moveStory(2, 3));
    EXPECT_EQ(h.model().selection, (SelectionModel{2, 1, 2}));
    ASSERT_EQ(h.model().stories[2].frames.size(), 2u);
    EXPECT_EQ(h.model().stories[2].frames[0].page, 2);
    EXPECT_EQ(h.model().stories[2].frames[1].page, 0);
    h.host.publication().displayPage(2);
    succeed(h.span(3, 1, 3)->select());

    ASSERT_TRUE(publication.moveStory(3, 1));
    EXPECT_FALSE(h.model().selection.has_value()) << "the cut takes the selection in the moved story";
    EXPECT_EQ(h.log.take(), (Events{"select 3 1 3 two"})) << "a move is the user's: the host shows no write";
}

TEST(InMemoryPublicationMove, TheCutAndThePasteAreAnUndoStepEachAndAMoveNowhereIsRefused) {
    Host h(onPageOne({u"one", u"two", u"three"}));
    simhost::InMemoryPublication& publication = h.host.publication();
    EXPECT_FALSE(publication.moveStory(4, 1));
    EXPECT_FALSE(publication.moveStory(1, 4));
    EXPECT_FALSE(publication.moveStory(1, 0));
    EXPECT_EQ(publication.undoSteps(), 0u);

    ASSERT_TRUE(publication.moveStory(1, 3));
    EXPECT_EQ(publication.undoSteps(), 2u);
    EXPECT_TRUE(publication.undo());
    EXPECT_EQ(h.storyTexts(), (std::vector<std::u16string>{u"two", u"three"})) << "the paste goes first";
    EXPECT_TRUE(publication.undo());
    EXPECT_EQ(h.storyTexts(), (std::vector<std::u16string>{u"one", u"two", u"three"}));
}

// --- Undo ----------------------------------------------------------------------

TEST(InMemoryPublicationUndo, EachWriteOutsideAGroupIsOneStepAndUndoTakesTheLastBackExactly) {
    Host h(onPages(2, {{u"The cat sat.", {Frame{1, 0}}}, {u"A cat on no page.", {Frame{0, 0}}}}));
    PublicationModel before = h.model();
    succeed(h.span(1, 5, 3)->setText(u"elephant"));
    succeed(h.span(2, 3, 3)->setText(u""));
    succeed(h.span(1, 1, 3)->setText(u"A"));
    EXPECT_EQ(h.host.publication().undoSteps(), 3u);

    EXPECT_TRUE(h.host.publication().undo());
    EXPECT_EQ(h.storyTexts(), (std::vector<std::u16string>{u"The elephant sat.", u"A  on no page."}));
    EXPECT_TRUE(h.host.publication().undo());
    EXPECT_TRUE(h.host.publication().undo());
    EXPECT_EQ(h.model().stories[0].text, before.stories[0].text);
    EXPECT_EQ(h.model().stories[1].text, before.stories[1].text);
    EXPECT_EQ(h.host.publication().undoSteps(), 0u);
    EXPECT_FALSE(h.host.publication().undo());
}

TEST(InMemoryPublicationUndo, AGroupIsOneStepHoweverManyWritesAndNestedGroupsItHolds) {
    Host h(onPageOne({u"a b c", u"d"}));
    const PublicationRef pub = h.publication();
    succeed(h.span(2, 1, 1)->setText(u"D"));
    succeed(pub->beginUndoGroup(u"Replace All"));
    succeed(h.span(1, 1, 1)->setText(u"A"));
    succeed(pub->beginUndoGroup(u"inner"));
    succeed(h.span(1, 3, 1)->setText(u"BB"));
    succeed(pub->endUndoGroup());
    EXPECT_TRUE(h.host.publication().undoGroupOpen());
    EXPECT_FALSE(h.host.publication().undo()) << "a host refuses an undo inside a group";
    succeed(h.span(1, 6, 1)->setText(u"C"));
    succeed(pub->endUndoGroup());
    EXPECT_EQ(h.storyText(1), u"A BB C");
    EXPECT_EQ(h.host.publication().undoSteps(), 2u);
    EXPECT_EQ(h.log.take(), (Events{"write 2 1 1 d>D", "undo begin Replace All", "write 1 1 1 a>A", "undo begin inner",
                                    "write 1 3 1 b>BB", "undo end", "write 1 6 1 c>C", "undo end"}));

    EXPECT_TRUE(h.host.publication().undo());
    EXPECT_EQ(h.storyTexts(), (std::vector<std::u16string>{u"a b c", u"D"}));
    EXPECT_TRUE(h.log.take().empty()) << "an undo is the user's, no work of the add-in's";
}

TEST(InMemoryPublicationUndo, AGroupThatChangedNothingLeavesNoStepAndAnEndWithoutABeginFails) {
    Host h(onPageOne({u"text"}));
    const PublicationRef pub = h.publication();
    succeed(pub->beginUndoGroup(u"Replace All"));
    succeed(pub->endUndoGroup());
    EXPECT_EQ(h.host.publication().undoSteps(), 0u);
    EXPECT_TRUE(failedWith(pub->endUndoGroup(), hresults::kUnspecified));
    EXPECT_EQ(h.log.take(), (Events{"undo begin Replace All", "undo end"}));
}

TEST(InMemoryPublicationUndo, UndoKeepsTheSelectionInsideTheTextItGivesBack) {
    Host h(onPageOne({u"The cat sat."}));
    h.host.publication().select(SelectionModel{1, 5, 3});
    succeed(valueOf(h.selectionSpan())->setText(u"elephant"));
    EXPECT_EQ(h.model().selection, (SelectionModel{1, 5, 8}));
    succeed(h.span(1, 14, 4)->setText(u"sat on the mat."));
    h.host.publication().select(SelectionModel{1, 16, 10});

    EXPECT_TRUE(h.host.publication().undo());
    EXPECT_EQ(h.storyText(1), u"The elephant sat.");
    EXPECT_EQ(h.model().selection, (SelectionModel{1, 16, 2}));
}

TEST(InMemoryPublicationUndo, TheUsersEditsAreStepsOfTheirOwnAndUndoTakesBackTheLatestFirst) {
    Host h(onPageOne({u"The cat sat.", u"A cat."}));
    simhost::InMemoryPublication& publication = h.host.publication();
    succeed(h.span(1, 5, 3)->setText(u"dog"));
    ASSERT_TRUE(publication.typeInto(1, 1, 3, u"One"));
    publication.editStory(2, u"A cow.");
    publication.editStory(2, u"A cow.");  // the same text again is still a step of the user's
    EXPECT_EQ(publication.undoSteps(), 4u);

    EXPECT_TRUE(publication.undo());
    EXPECT_TRUE(publication.undo());
    EXPECT_EQ(h.storyTexts(), (std::vector<std::u16string>{u"One dog sat.", u"A cat."}));
    EXPECT_TRUE(publication.undo());
    EXPECT_EQ(h.storyTexts(), (std::vector<std::u16string>{u"The dog sat.", u"A cat."}))
        << "the typing goes first, the write under it stays";
    EXPECT_TRUE(publication.undo());
    EXPECT_EQ(h.storyTexts(), (std::vector<std::u16string>{u"The cat sat.", u"A cat."}));
    EXPECT_FALSE(publication.undo());
    EXPECT_EQ(h.log.take(), (Events{"write 1 5 3 cat>dog"})) << "the user's steps and undos show no event";
}

TEST(InMemoryPublicationUndo, ADeletedTextBoxComesBackAtItsPlaceWithItsFramesAndAnAddedOneGoes) {
    Host h(onPages(2, {{u"one", {Frame{1, 0}}},
                       {u"two, then more", {Frame{2, 4}, Frame{0, 0}}},
                       {u"three", {Frame{1, 0}}}}));
    simhost::InMemoryPublication& publication = h.host.publication();
    publication.select(SelectionModel{3, 2, 3});
    ASSERT_TRUE(publication.deleteStory(2));
    ASSERT_TRUE(publication.insertStory(1, u"new"));
    EXPECT_EQ(h.model().selection, (SelectionModel{3, 2, 3}));

    EXPECT_TRUE(publication.undo());
    EXPECT_EQ(h.storyTexts(), (std::vector<std::u16string>{u"one", u"three"}));
    EXPECT_EQ(h.model().selection, (SelectionModel{2, 2, 3}));
    EXPECT_TRUE(publication.undo());
    EXPECT_EQ(h.storyTexts(), (std::vector<std::u16string>{u"one", u"two, then more", u"three"}));
    EXPECT_EQ(h.model().selection, (SelectionModel{3, 2, 3})) << "the selection stays in its story";
    ASSERT_EQ(h.model().stories[1].frames.size(), 2u);
    EXPECT_EQ(h.model().stories[1].frames[0].page, 2);
    EXPECT_EQ(h.model().stories[1].frames[0].length, 4);
    EXPECT_EQ(h.model().stories[1].frames[1].page, 0);
    EXPECT_EQ(publication.undoSteps(), 0u);
}

TEST(InMemoryPublicationUndo, AWriteIsTakenBackInItsOwnStoryWhereverTextBoxesCameAndWentBeforeIt) {
    Host h(onPageOne({u"first", u"second cat", u"third"}));
    simhost::InMemoryPublication& publication = h.host.publication();
    ASSERT_TRUE(publication.deleteStory(1));
    succeed(h.span(1, 8, 3)->setText(u"dog"));
    ASSERT_TRUE(publication.insertStory(1, u"added"));

    EXPECT_TRUE(publication.undo());
    EXPECT_TRUE(publication.undo());
    EXPECT_EQ(h.storyTexts(), (std::vector<std::u16string>{u"second cat", u"third"}));
    EXPECT_TRUE(publication.undo());
    EXPECT_EQ(h.storyTexts(), (std::vector<std::u16string>{u"first", u"second cat", u"third"}));
}

TEST(InMemoryPublicationUndo, ChangesMadeWhileTheHostStillHoldsAGroupOpenJoinIt) {
    Host h(onPageOne({u"a cat", u"b"}));
    simhost::InMemoryPublication& publication = h.host.publication();
    const PublicationRef pub = h.publication();
    succeed(pub->beginUndoGroup(u"Replace All"));
    succeed(h.span(1, 3, 3)->setText(u"dog"));
    h.host.faults().fail("Publication.endUndo", kInjected, /*count=*/1, /*after=*/0);
    EXPECT_TRUE(failedWith(pub->endUndoGroup(), kInjected));

    ASSERT_TRUE(publication.typeInto(1, 1, 1, u"A"));
    ASSERT_TRUE(publication.deleteStory(2));
    ASSERT_TRUE(publication.insertStory(1, u"new"));
    EXPECT_EQ(publication.undoSteps(), 1u);
    EXPECT_FALSE(publication.undo()) << "a host refuses an undo inside a group";

    succeed(pub->endUndoGroup());
    EXPECT_EQ(publication.undoSteps(), 1u);
    EXPECT_TRUE(publication.undo());
    EXPECT_EQ(h.storyTexts(), (std::vector<std::u16string>{u"a cat", u"b"}));
    EXPECT_FALSE(publication.undo());
}

// --- Redraws and ScreenUpdating -------------------------------------------------

TEST(InMemoryHostScreen, PageDisplaysSelectionsAndWritesRedrawUnlessUpdatingIsOff) {
    Host h(onPages(2, {{u"one", {Frame{1, 0}}}, {u"two", {Frame{2, 0}}}}));
    const ApplicationRef app = h.host.application();
    succeed(h.view()->setPage(h.page(1)));
    succeed(h.span(1, 1, 3)->select());
    EXPECT_TRUE(failedWith(h.span(2, 1, 3)->select(), kRefused)) << "a refusal draws nothing";
    succeed(h.span(1, 1, 3)->setText(u"ONE"));
    EXPECT_EQ(h.host.redraws(), 3);

    succeed(app->setScreenUpdating(false));
    EXPECT_FALSE(valueOf(app->screenUpdating()));
    succeed(h.view()->setPage(h.page(2)));
    succeed(h.span(2, 1, 3)->select());
    succeed(h.span(2, 1, 3)->setText(u"TWO"));
    succeed(app->setScreenUpdating(false));
    EXPECT_EQ(h.host.redraws(), 3);

    // Back on, the window shows everything at once; on again changes nothing.
    succeed(app->setScreenUpdating(true));
    succeed(app->setScreenUpdating(true));
    EXPECT_EQ(h.host.redraws(), 4);
    EXPECT_TRUE(h.host.screenUpdating());
    h.log.take();
}

TEST(InMemoryHostScreen, EverySetIsAnEventEvenOfTheSameValue) {
    Host h(onPageOne({u"text"}));
    const ApplicationRef app = h.host.application();
    succeed(app->setScreenUpdating(false));
    succeed(app->setScreenUpdating(false));
    succeed(app->setScreenUpdating(true));
    EXPECT_EQ(h.log.take(), (Events{"screen off", "screen off", "screen on"}));
}

// --- What an older host lacks ----------------------------------------------------

TEST(InMemoryHostOffers, AnOlderHostHasNoneOfTheMembersAndNoFailureIsPlannedForThem) {
    Host h(onPageOne({u"text"}), simhost::HostCapabilities{false, false, true});
    const ApplicationRef app = h.host.application();
    const PublicationRef pub = h.publication();
    for (const char* operation : {"Application.screenUpdating", "Publication.beginUndo", "Publication.endUndo"})
        h.host.faults().fail(operation, kInjected, /*count=*/1, /*after=*/0);

    const RaisedError unknown = simhost::unknownMember();
    EXPECT_TRUE(failedWith(app->screenUpdating(), unknown));
    EXPECT_TRUE(failedWith(app->setScreenUpdating(false), unknown));
    EXPECT_TRUE(failedWith(pub->beginUndoGroup(u"Replace All"), unknown));
    EXPECT_TRUE(failedWith(pub->endUndoGroup(), unknown));
    for (const char* operation : {"Application.screenUpdating", "Publication.beginUndo", "Publication.endUndo"})
        EXPECT_TRUE(h.host.faults().planned(operation)) << operation;

    EXPECT_TRUE(h.host.screenUpdating());
    succeed(h.story(1)->setText(u"one"));
    succeed(h.story(1)->setText(u"two"));
    EXPECT_EQ(h.host.publication().undoSteps(), 2u);
    EXPECT_EQ(h.log.take(), (Events{"write 1 1 4 text>one", "write 1 1 3 one>two"}));
}

TEST(InMemoryHostOffers, EachMemberFailsByItsOwnNameAndChangesNothing) {
    Host h(onPageOne({u"text"}));
    const ApplicationRef app = h.host.application();
    const PublicationRef pub = h.publication();
    h.host.faults().fail("Application.screenUpdating", kInjected, /*count=*/2, /*after=*/0);
    EXPECT_TRUE(failedWith(app->screenUpdating(), kInjected));
    EXPECT_TRUE(failedWith(app->setScreenUpdating(false), kInjected));
    EXPECT_TRUE(h.host.screenUpdating());

    h.host.faults().fail("Publication.beginUndo", kInjected, /*count=*/1, /*after=*/0);
    EXPECT_TRUE(failedWith(pub->beginUndoGroup(u"Replace All"), kInjected));
    EXPECT_FALSE(h.host.publication().undoGroupOpen());

    succeed(pub->beginUndoGroup(u"Replace All"));
    h.host.faults().fail("Publication.endUndo", kInjected, /*count=*/1, /*after=*/0);
    EXPECT_TRUE(failedWith(pub->endUndoGroup(), kInjected));
    EXPECT_TRUE(h.host.publication().undoGroupOpen());
    EXPECT_EQ(h.log.take(), (Events{"undo begin Replace All"}));
}

// --- Injected failures ---------------------------------------------------------

template <typename T>
std::optional<RaisedError> failureOf(const Result<T>& result) {
    if (result) return std::nullopt;
    return result.error();
}

/// One call of each publication operation that scenario files can fail by name.
struct Operation {
    const char* name;
    std::function<std::optional<RaisedError>()> call;
};

std::vector<Operation> everyOperation(Host& h) {
    const ApplicationRef app = h.host.application();
    const PublicationRef pub = h.publication();
    const PageCollectionRef pages = valueOf(pub->pages());
    const PageRef page = h.page(1);
    const PublicationViewRef view = h.view();
    const StoryCollectionRef stories = valueOf(pub->stories());
    const StoryRef story = valueOf(stories->item(1));
    const TextSpanRef span = h.story(1);
    const std::u16string text = valueOf(span->text());
    const PublicationSelectionRef selection = valueOf(pub->selection());
    const ShapeCollectionRef shapes = valueOf(page->shapes());
    const ShapeRef shape = valueOf(shapes->item(1));
    const TextFrameRef frame = valueOf(shape->textFrame());
    simhost::InMemoryHost& host = h.host;
    return {
        {"Application.query", [&host] { return failureOf(host.applicationObject()->queryApplication()); }},
        {"Application.publication", [=] { return failureOf(app->publication()); }},
        {"Application.toolbars", [=] { return failureOf(app->toolbars()); }},
        {"Publication.pages", [=] { return failureOf(pub->pages()); }},
        {"Publication.selection", [=] { return failureOf(pub->selection()); }},
        {"Publication.stories", [=] { return failureOf(pub->stories()); }},
        {"Publication.view", [=] { return failureOf(pub->view()); }},
        {"PageCollection.item", [=] { return failureOf(pages->item(1)); }},
        {"PageCollection.count", [=] { return failureOf(pages->count()); }},
        {"Page.number", [=] { return failureOf(page->number()); }},
        {"Page.index", [=] { return failureOf(page->index()); }},
        {"Page.shapes", [=] { return failureOf(page->shapes()); }},
        {"ShapeCollection.count", [=] { return failureOf(shapes->count()); }},
        {"ShapeCollection.item", [=] { return failureOf(shapes->item(1)); }},
        {"Shape.hasTextFrame", [=] { return failureOf(shape->hasTextFrame()); }},
        {"Shape.textFrame", [=] { return failureOf(shape->textFrame()); }},
        {"TextFrame.textRange", [=] { return failureOf(frame->textRange()); }},
        {"PublicationView.page", [=] { return failureOf(view->page()); }},
        {"PublicationView.setPage", [=] { return failureOf(view->setPage(page)); }},
        {"StoryCollection.item", [=] { return failureOf(stories->item(1)); }},
        {"StoryCollection.count", [=] { return failureOf(stories->count()); }},
        {"Story.text", [=] { return failureOf(story->textSpan()); }},
        {"TextSpan.text", [=] { return failureOf(span->text()); }},
        {"TextSpan.setText", [=] { return failureOf(span->setText(text)); }},
        {"TextSpan.span", [=] { return failureOf(span->span(1, 1)); }},
        {"TextSpan.select", [=] { return failureOf(span->select()); }},
        {"PublicationSelection.text", [=] { return failureOf(selection->textSpan()); }},
    };
}

TEST(InMemoryPublicationFaults, EachOperationFailsByItsOwnNameWithTheInjectedErrorAndDoesNothing) {
    Host h(onPageOne({u"The cat sat."}));
    h.host.publication().select(SelectionModel{1, 1, 3});
    const std::vector<Operation> operations = everyOperation(h);

    for (const Operation& target : operations) {
        SCOPED_TRACE(target.name);
        h.host.faults().heal();
        h.host.faults().fail(target.name, kInjected, /*count=*/0, /*after=*/0);
        const PublicationModel before = h.model();
        h.log.take();
        EXPECT_EQ(target.call(), kInjected);
        EXPECT_TRUE(h.log.take().empty());
        EXPECT_EQ(h.model().stories[0].text, before.stories[0].text);
        EXPECT_EQ(h.model().selection, before.selection);

        for (const Operation& other : operations) {
            if (&other == &target) continue;
            EXPECT_EQ(other.call(), std::nullopt) << other.name;
        }
    }
}

/// Whether each of `calls` calls of StoryCollection.count passed.
std::vector<bool> countCalls(Host& h, int calls) {
    auto stories = valueOf(h.publication()->stories());
    std::vector<bool> passed;
    for (int i = 0; i < calls; ++i) passed.push_back(stories->count().ok());
    return passed;
}

TEST(InMemoryPublicationFaults, FailuresBeginAfterTheGivenPassesAndLastTheGivenCount) {
    Host h(onPageOne({u"text"}));
    h.host.faults().fail("StoryCollection.count", kInjected, /*count=*/2, /*after=*/3);
    EXPECT_EQ(countCalls(h, 7), (std::vector<bool>{true, true, true, false, false, true, true}));

    h.host.faults().fail("StoryCollection.count", kInjected, /*count=*/1, /*after=*/0);
    EXPECT_EQ(countCalls(h, 2), (std::vector<bool>{false, true}));
}

TEST(InMemoryPublicationFaults, ACountOfZeroFailsEveryCallUntilHealed) {
    Host h(onPageOne({u"text"}));
    h.host.faults().fail("StoryCollection.count", kInjected, /*count=*/0, /*after=*/1);
    h.host.faults().fail("TextSpan.text", kInjected, /*count=*/0, /*after=*/0);
    std::vector<bool> expected(50, false);
    expected[0] = true;
    EXPECT_EQ(countCalls(h, 50), expected);

    h.host.faults().heal();
    EXPECT_EQ(countCalls(h, 3), (std::vector<bool>{true, true, true}));
    EXPECT_TRUE(h.story(1)->text().ok());
}

TEST(InMemoryPublicationFaults, ANewPlanForAnOperationReplacesTheEarlierOne) {
    Host h(onPageOne({u"text"}));
    const RaisedError later{-2147024882, u"Not enough memory resources are available to complete this operation."};
    h.host.faults().fail("StoryCollection.count", kInjected, /*count=*/0, /*after=*/0);
    h.host.faults().fail("StoryCollection.count", later, /*count=*/1, /*after=*/1);

    auto stories = valueOf(h.publication()->stories());
    EXPECT_TRUE(stories->count().ok());
    EXPECT_TRUE(failedWith(stories->count(), later));
    EXPECT_TRUE(stories->count().ok());
}

}  // namespace
}  // namespace quillet::testing
