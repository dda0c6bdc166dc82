#include <gtest/gtest.h>

#include "engine/EngineTexts.h"
#include "tests/unit/EngineHarness.h"

namespace quillet::testing {
namespace {

using simhost::Frame;
using simhost::SelectionModel;

const std::u16string kStoryA = u"The cat sat. A cat ran. Cat!";
const std::u16string kStoryB = u"No match here.";
const std::u16string kStoryC = u"catalogue of cats";

TEST(FindNextStoryWalk, SelectsMatchesLeftToRightThenMovesOnToTheNextStoryWithAMatch) {
    EngineHarness h(publicationOf({kStoryA, kStoryB, kStoryC}));
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(h.findNext(u"cat"));
    EXPECT_EQ(h.events.selections, (std::vector<SelectionModel>{{1, 5, 3}, {1, 16, 3}, {1, 25, 3}, {3, 1, 3}, {3, 14, 3}}));
    EXPECT_EQ(h.events.selectedTexts[2], u"Cat");
    EXPECT_TRUE(h.messages.shown.empty());
    EXPECT_EQ(h.engine.searchState().StoryIndex, 3);
    EXPECT_EQ(h.engine.searchState().StoryText, kStoryC);
    // The buffer mirrors the story with the visited matches masked.
    EXPECT_EQ(h.buffer().content(), u"\u00A9\u00A9\u00A9alogue of \u00A9\u00A9\u00A9s");
    EXPECT_EQ(h.buffer().selStart(), 16);
    EXPECT_EQ(h.buffer().selLength(), 0);
}

TEST(FindNextStoryWalk, ThePageOnShowStaysWhenItShowsTheMatch) {
    EngineHarness h(publicationOf({kStoryA}, 3));
    h.findNext(u"cat");
    h.findNext(u"cat");
    EXPECT_TRUE(h.events.views.empty());
    EXPECT_TRUE(h.events.refusals.empty());
}

TEST(FindNextStoryWalk, AMatchAtTheVeryStartIsSelectedAtOne) {
    EngineHarness h(publicationOf({u"cat"}));
    h.findNext(u"cat");
    EXPECT_EQ(h.selection(), (SelectionModel{1, 1, 3}));
}

TEST(FindNextStoryWalk, TwoStoriesOfTheSameLengthAreEachSearchedInTheirOwnText) {
    EngineHarness h(publicationOf({u"cat dog", u"dog cat"}));
    h.findNext(u"cat");
    h.findNext(u"cat");
    EXPECT_EQ(h.events.selections, (std::vector<SelectionModel>{{1, 1, 3}, {2, 5, 3}}));
}

TEST(FindNextSearchState, ADifferentTextStartsANewSearchAtStoryOneComparingCase) {
    EngineHarness h(publicationOf({u"word Word", u"word"}));
    h.findNext(u"word");
    h.findNext(u"word");
    h.findNext(u"Word");  // a new search, though the buffer still holds the masks of the old one
    EXPECT_EQ(h.events.selections.back(), (SelectionModel{1, 1, 4}));
    EXPECT_EQ(h.engine.searchState().LastFindText, u"Word");
}

TEST(FindNextSearchState, OtherOptionsKeepTheRunningSearch) {
    EngineHarness h(publicationOf({u"cat Cat cat"}));
    h.findNext(u"cat");
    h.findNext(u"cat", /*matchCase=*/true);
    EXPECT_EQ(h.events.selections.back(), (SelectionModel{1, 9, 3}));
}

TEST(FindNextSearchState, ReturningTrueDoesNotEndTheSearch) {
    EngineHarness h(publicationOf({u"one cat"}));
    h.findNext(u"cat");
    h.messages.answers = {msgbox::kAnswerNo, msgbox::kAnswerNo};
    EXPECT_TRUE(h.findNext(u"cat"));
    EXPECT_TRUE(h.findNext(u"cat"));
    EXPECT_EQ(h.messages.shown.size(), 2u);
    EXPECT_EQ(h.events.selections.size(), 1u);
}

TEST(FindNextSearchState, ACopyrightSignIsFoundLikeAnyOtherCharacterOnceEach) {
    EngineHarness h(publicationOf({u"a \u00A9 b \u00A9", u"\u00A9 2024"}));
    h.findNext(u"\u00A9");
    h.findNext(u"\u00A9");
    h.findNext(u"\u00A9");
    EXPECT_TRUE(h.findNext(u"\u00A9"));
    EXPECT_EQ(h.events.selections, (std::vector<SelectionModel>{{1, 3, 1}, {1, 7, 1}, {2, 1, 1}}));
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].buttons, msgbox::kYesNoQuestion);
}

TEST(FindNextSearchState, ARecreatedFindDialogStartsWithAnEmptyBufferAndTheStoryIsSearchedAgain) {
    EngineHarness h(publicationOf({u"cat cat"}));
    h.findNext(u"cat");
    h.forms.findForm().value()->Show();
    h.windows.find("frmFind")->userCloseBox();
    h.findNext(u"cat");
    EXPECT_EQ(h.events.selections, (std::vector<SelectionModel>{{1, 1, 3}, {1, 1, 3}}));
}

TEST(FindNextSearchState, AnEditThatChangesTheStoryLengthMakesTheStoryLoadAgain) {
    EngineHarness h(publicationOf({u"cat cat"}));
    h.findNext(u"cat");
    h.host.publication().editStory(1, u"a cat cat");
    h.findNext(u"cat");
    EXPECT_EQ(h.events.selections.back(), (SelectionModel{1, 3, 3}));
}

TEST(FindNextWrap, AtTheEndTheQuestionComesAndYesSearchesFromStoryOneWithoutMasks) {
    EngineHarness h(publicationOf({u"cat", u"no", u"cat"}));
    h.findNext(u"cat");
    h.findNext(u"cat");
    h.messages.answers = {msgbox::kAnswerYes};
    EXPECT_FALSE(h.findNext(u"cat"));
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].prompt, texts::kWrapQuestion);
    EXPECT_EQ(h.messages.shown[0].buttons, 36);
    EXPECT_EQ(h.messages.shown[0].title, u"Tarnwick Find/Replace");
    EXPECT_EQ(h.events.selections.back(), (SelectionModel{1, 1, 3}));
    EXPECT_TRUE(h.events.views.empty());  // no page is displayed at the wrap
}

TEST(FindNextWrap, NoSelectsNothingAndReturnsTrue) {
    EngineHarness h(publicationOf({u"cat"}));
    h.findNext(u"cat");
    EXPECT_TRUE(h.findNext(u"cat"));
    EXPECT_EQ(h.events.selections.size(), 1u);
}

TEST(FindNextWrap, TheQuestionComesBackForAsLongAsTheUserSaysYes) {
    EngineHarness h(publicationOf({u"dog"}));
    h.messages.answers = {msgbox::kAnswerYes, msgbox::kAnswerYes, msgbox::kAnswerNo};
    EXPECT_TRUE(h.findNext(u"cat"));
    EXPECT_EQ(h.messages.shown.size(), 3u);
}

TEST(FindNextWrap, WithoutThePromptACallPassesEveryStoryTwiceSilentlyAndReturnsTrue) {
    EngineHarness h(publicationOf({u"a", u"b", u"c"}));
    // Three stories read twice: the seventh read would be the first to fail.
    h.host.faults().fail("TextSpan.text", {1, u"seventh read"}, 1, 6);
    auto result = h.engine.FindNext({u"cat", {}}, /*noWrapPrompt=*/true);
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->finished);
    EXPECT_TRUE(h.messages.shown.empty());
    EXPECT_TRUE(h.host.faults().check("TextSpan.text").has_value());
}

TEST(FindNextNoStories, EveryCallWithThatTextSaysThereIsNoTextToSearch) {
    EngineHarness h(publicationOf({}));
    EXPECT_FALSE(h.findNext(u"cat"));
    EXPECT_FALSE(h.findNext(u"cat"));
    ASSERT_EQ(h.messages.shown.size(), 2u);
    EXPECT_EQ(h.messages.shown[1].prompt, u"There is no text to search");
    EXPECT_EQ(h.messages.shown[1].buttons, 0);
    EXPECT_EQ(h.messages.shown[1].title, std::nullopt);
    EXPECT_FALSE(h.engine.searchState().LastFindText.has_value());
}

TEST(FindNextStoryIndex, TheFirstEmptySearchAsksToWrapInsteadOfAskingForStoryZero) {
    EngineHarness h(publicationOf({u"cat"}));
    EXPECT_TRUE(h.findNext(u""));
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].buttons, 36);
}

TEST(FindNextStoryIndex, AnIndexBeyondTheStoriesLeftCountsAsTheEndOfThePublication) {
    EngineHarness h(publicationOf({u"a", u"b", u"cat"}));
    h.findNext(u"cat");
    h.host.open(publicationOf({u"cat"}));
    h.messages.answers = {msgbox::kAnswerYes};
    EXPECT_FALSE(h.findNext(u"cat"));
    EXPECT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.events.selections.back(), (SelectionModel{1, 1, 3}));
}

simhost::PublicationModel storyOnPage(int32_t page, int32_t pages) {
    auto model = publicationOf({u"Text with a cat."}, pages);
    model.stories[0].frames = {Frame{page, 0}};
    return model;
}

TEST(FindNextReport, CountsTheOccurrencesOnNoPageThatThePressPassedOverEachOnce) {
    auto model = publicationOf({u"cat cat"});
    model.stories[0].frames = {Frame{0, 4}, Frame{1, 0}};
    EngineHarness h(model);
    auto first = h.engine.FindNext({u"cat", {}}, /*noWrapPrompt=*/true);
    ASSERT_TRUE(first);
    EXPECT_FALSE(first->finished);
    EXPECT_EQ(first->passedOverOnNoPage, 1);
    // The next press passes it again after the wrap: its own count.
    auto second = h.engine.FindNext({u"cat", {}}, /*noWrapPrompt=*/true);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->passedOverOnNoPage, 1);
    EXPECT_EQ(h.events.selections, (std::vector<SelectionModel>{{1, 5, 3}, {1, 5, 3}}));

    // Met before and after the wrap, in one press: counted once.
    auto hidden = publicationOf({u"cat"});
    hidden.stories[0].frames = {Frame{0, 0}};
    EngineHarness none(hidden);
    auto passed = none.engine.FindNext({u"cat", {}}, /*noWrapPrompt=*/true);
    ASSERT_TRUE(passed);
    EXPECT_TRUE(passed->finished);
    EXPECT_EQ(passed->passedOverOnNoPage, 1);
}

TEST(FindNextPageWalk, TheWalkGoesFromThePageOnShowToThoseAfterItThenFromPageOne) {
    struct Case {
        int32_t storyOn, shown;
        std::vector<int32_t> views;
    };
    const Case cases[] = {
        {3, 3, {}},
        {3, 2, {3}},
        {4, 2, {3, 4}},
        {1, 3, {4, 1}},
        {2, 3, {4, 1, 2}},
    };
    for (const Case& c : cases) {
        EngineHarness h(storyOnPage(c.storyOn, 4));
        h.host.publication().displayPage(c.shown);
        EXPECT_FALSE(h.findNext(u"cat"));
        EXPECT_EQ(h.events.views, c.views) << "story on page " << c.storyOn << ", page " << c.shown << " shown";
        EXPECT_EQ(h.selection(), (SelectionModel{1, 13, 3}));
        EXPECT_TRUE(h.messages.shown.empty());
    }
}

TEST(FindNextPageWalk, AStoryFlowingOntoTheNextPageIsSelectedWhereTheMatchBegins) {
    auto model = publicationOf({u"first frame|cat in the second"}, 2);
    model.stories[0].frames = {Frame{1, 12}, Frame{2, 0}};
    EngineHarness h(model);
    h.findNext(u"cat");
    EXPECT_EQ(h.events.views, (std::vector<int32_t>{2}));
    EXPECT_EQ(h.selection(), (SelectionModel{1, 13, 3}));
}

TEST(FindNextPageWalk, AStoryIsLookedForFirstOnThePageThatShowedItLast) {
    auto model = publicationOf({u"a cat, a cat"}, 5);
    model.stories[0].frames = {Frame{4, 0}};
    EngineHarness h(model);
    h.findNext(u"cat");
    EXPECT_EQ(h.events.views, (std::vector<int32_t>{2, 3, 4}));
    h.host.publication().displayPage(1);
    h.events.views.clear();
    h.findNext(u"cat");
    EXPECT_EQ(h.events.views, (std::vector<int32_t>{4}));
}

TEST(FindNextPageWalk, InACurrentHostTheHostDrawsOncePerSearchHoweverFarItWalks) {
    for (const bool current : {true, false}) {
        simhost::InMemoryHost host(storyOnPage(9, 10), {}, {.screenUpdating = current});
        ScriptedMessages messages;
        simhost::HeadlessWindowSystem windows(host.faults());
        Component component({messages, host, windows, windows});
        ASSERT_TRUE(component.engine().FindNext({u"cat", {}}, /*noWrapPrompt=*/false).ok());
        // Eight pages displayed and the selection: one redraw when drawing
        // comes back on, or one for each of them in an older host.
        EXPECT_EQ(host.redraws(), current ? 1 : 9);
        EXPECT_TRUE(host.screenUpdating());
    }
}

TEST(FindNextPageWalk, AnOlderHostReadsThePagesOnceAWalk) {
    auto model = storyOnPage(40, 40);
    simhost::InMemoryHost host(model, {}, {.pageIndex = false});
    ScriptedMessages messages;
    simhost::HeadlessWindowSystem windows(host.faults());
    Component component({messages, host, windows, windows});
    ASSERT_TRUE(component.engine().FindNext({u"cat", {}}, /*noWrapPrompt=*/false).ok());
    EXPECT_EQ(host.publication().model().displayedPage, 40);
    // Each page is read once to place the one on show, then displayed and
    // tried once: a few calls a page, not a few for every page at every step.
    EXPECT_LT(host.operations(), 6 * 40);
}

TEST(FindNextPageWalk, WhereNothingElseTellsTheDisplayedPageItIsTheNearestOneShowingItsNumber) {
    // A host without PageIndex whose sections both number their pages i, ii;
    // while the wrap question is shown, the user turns to the last page.
    struct PageTurningMessages : ScriptedMessages {
        explicit PageTurningMessages(simhost::InMemoryHost& host) : host(host) {}
        int show(const std::u16string& prompt, int buttons, const std::optional<std::u16string>& title) override {
            host.publication().displayPage(4);
            return ScriptedMessages::show(prompt, buttons, title);
        }
        simhost::InMemoryHost& host;
    };
    auto model = storyOnPage(3, 4);
    model.pageNumbers = {u"i", u"ii", u"i", u"ii"};
    simhost::InMemoryHost host(model, {}, {.pageIndex = false});
    PageTurningMessages messages(host);
    messages.answers = {msgbox::kAnswerYes};
    simhost::HeadlessWindowSystem windows(host.faults());
    Component component({messages, host, windows, windows});
    Module1& engine = component.engine();

    ASSERT_TRUE(engine.FindNext({u"cat", {}}, /*noWrapPrompt=*/false).ok());
    EXPECT_EQ(host.publication().model().displayedPage, 3);
    // The page shown now is neither the only one numbered "ii" nor the one
    // that the engine displayed last: of the pages numbered "ii", the one
    // next to the page last displayed is taken, and the walk finds the story.
    ASSERT_TRUE(engine.FindNext({u"cat", {}}, /*noWrapPrompt=*/false).ok());
    EXPECT_EQ(host.publication().model().displayedPage, 3);
}

TEST(FindNextErrorBox, AnotherSelectionFailureIsToldUnderErrorAndTheNextCallStartsTheStoryAgain) {
    EngineHarness h(publicationOf({u"cat cat"}));
    h.host.faults().fail("TextSpan.select", {-2147467259, u"Unspecified error"}, 1, 0);
    EXPECT_FALSE(h.findNext(u"cat"));
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].prompt, u"Run-time error type -2147467259 occurred.\r\nUnspecified error");
    EXPECT_EQ(h.messages.shown[0].buttons, 0);
    EXPECT_EQ(h.messages.shown[0].title, u"Error");
    h.findNext(u"cat");
    EXPECT_EQ(h.events.selections, (std::vector<SelectionModel>{{1, 1, 3}}));
}

TEST(FindNextFailures, HostFailuresOutsideTheSelectionGoToTheCallerWithTheHostsNumberAndText) {
    for (const char* operation : {"Application.publication", "PublicationView.setPage", "StoryCollection.count",
                                  "StoryCollection.item", "TextSpan.text"}) {
        EngineHarness h(storyOnPage(2, 2));
        h.host.faults().fail(operation, {-2147418113, u"Catastrophic failure"}, 1, 0);
        auto result = h.engine.FindNext({u"cat", {}}, /*noWrapPrompt=*/false);
        ASSERT_FALSE(result) << operation;
        EXPECT_EQ(result.error(), (RaisedError{-2147418113, u"Catastrophic failure"})) << operation;
        EXPECT_TRUE(h.messages.shown.empty()) << operation;
    }
}

TEST(FindNextFailures, AnApplicationClassThatGivesNoObjectIsACallThroughAnEmptyReference) {
    struct NoApplication : HostApplicationClass {
        Result<ApplicationRef> create() override { return ApplicationRef(); }
    } noApplication;
    ScriptedMessages messages;
    simhost::FaultPlan faults;
    simhost::HeadlessWindowSystem windows(faults);
    Component component({messages, noApplication, windows, windows});
    auto result = component.engine().FindNext({u"cat", {}}, /*noWrapPrompt=*/false);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error(), (RaisedError{91, u"Object variable or With block variable not set"}));
}

TEST(FindNextFailures, TheApplicationIsCreatedOnFirstNeedAndCreatedAgainAfterAFailure) {
    struct CountingClass : HostApplicationClass {
        explicit CountingClass(simhost::InMemoryHost& host) : host(host) {}
        Result<ApplicationRef> create() override {
            ++created;
            if (created == 1) return RaisedError{-2147221164, u"Class not registered"};
            return host.application();
        }
        simhost::InMemoryHost& host;
        int created = 0;
    };
    simhost::InMemoryHost host(publicationOf({u"cat cat"}), {});
    CountingClass applicationClass(host);
    ScriptedMessages messages;
    simhost::HeadlessWindowSystem windows(host.faults());
    Component component({messages, applicationClass, windows, windows});
    Module1& engine = component.engine();
    EXPECT_EQ(engine.FindNext({u"cat", {}}, /*noWrapPrompt=*/false).error().number, -2147221164);
    EXPECT_TRUE(engine.FindNext({u"cat", {}}, /*noWrapPrompt=*/false).ok());
    EXPECT_TRUE(engine.FindNext({u"cat", {}}, /*noWrapPrompt=*/false).ok());
    EXPECT_EQ(applicationClass.created, 2);
}

TEST(FindNextLimits, AFindTextOf32766CharactersWorksAndOneMoreOverflows) {
    const std::u16string longest(32766, u'x');
    EngineHarness h(publicationOf({u"a " + longest + u"x"}));
    EXPECT_FALSE(h.findNext(longest));
    EXPECT_EQ(h.selection(), (SelectionModel{1, 3, 32766}));

    auto tooLong = h.engine.FindNext({longest + u"x", {}}, /*noWrapPrompt=*/false);
    ASSERT_FALSE(tooLong);
    EXPECT_EQ(tooLong.error(), (RaisedError{6, u"Overflow"}));
    // The new search had begun before its mask overflowed.
    EXPECT_EQ(h.engine.searchState().LastFindText, longest + u"x");
    EXPECT_EQ(h.engine.searchState().StoryIndex, 1);
}

}  // namespace
}  // namespace quillet::testing
