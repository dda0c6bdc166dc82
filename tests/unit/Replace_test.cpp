#include <gtest/gtest.h>

#include "tests/unit/EngineHarness.h"

namespace quillet::testing {
namespace {

using simhost::Frame;
using simhost::SelectionModel;

bool replace(EngineHarness& h, const std::u16string& find, const std::u16string& with, bool quiet = false) {
    return h.engine.ReplaceAndFindNext({find, {}}, with, quiet).finished;
}

TEST(ReplaceAndFindNext, WritesOverTheMatchAndSelectsTheNextOne) {
    EngineHarness h(publicationOf({u"cat and cat", u"cat"}));
    h.findNext(u"cat");
    EXPECT_FALSE(replace(h, u"cat", u"dog"));
    EXPECT_EQ(h.stories()[0], u"dog and cat");
    EXPECT_EQ(h.selection(), (SelectionModel{1, 9, 3}));
    EXPECT_FALSE(replace(h, u"cat", u"dog"));
    EXPECT_EQ(h.selection(), (SelectionModel{2, 1, 3}));
}

TEST(ReplaceAndFindNext, TheSearchGoesOnAfterTheReplacementNeverInsideIt) {
    EngineHarness h(publicationOf({u"cat cat"}));
    h.findNext(u"cat");
    EXPECT_FALSE(replace(h, u"cat", u"cats"));
    EXPECT_EQ(h.selection(), (SelectionModel{1, 6, 3}));
    // The buffer mirrors the changed story, with the replacement masked.
    EXPECT_EQ(h.buffer().content(), u"\u00A9\u00A9\u00A9\u00A9 \u00A9\u00A9\u00A9");
    EXPECT_EQ(h.buffer().content().size(), h.stories()[0].size());
}

TEST(ReplaceAndFindNext, AnOccurrencePassedOverWithFindNextIsFoundOnlyAfterTheWrap) {
    EngineHarness h(publicationOf({u"cat cat cat"}));
    h.findNext(u"cat");
    h.findNext(u"cat");
    EXPECT_FALSE(replace(h, u"cat", u"dog"));
    EXPECT_EQ(h.selection(), (SelectionModel{1, 9, 3}));
    EXPECT_FALSE(replace(h, u"cat", u"dog"));
    EXPECT_EQ(h.stories()[0], u"cat dog dog");
    EXPECT_EQ(h.selection(), (SelectionModel{1, 1, 3}));  // after wrapping without asking
    EXPECT_TRUE(h.messages.shown.empty());
}

TEST(ReplaceAndFindNext, AnEmptyReplacementDeletesTheMatchAndJoinsNothingIntoANewOne) {
    struct Case {
        std::u16string story, find, after;
        SelectionModel next;
    };
    const Case cases[] = {
        {u"a cat, a cat", u"cat", u"a , a cat", {1, 7, 3}},
        // "B" + "aB" would be an occurrence across the deleted one.
        {u"BBaaBB xaB", u"ab", u"BBaB xaB", {1, 7, 2}},
    };
    for (const Case& c : cases) {
        EngineHarness h(publicationOf({c.story}));
        h.findNext(c.find);
        EXPECT_FALSE(replace(h, c.find, u""));
        EXPECT_EQ(h.stories()[0], c.after);
        EXPECT_EQ(h.selection(), c.next);
    }
}

TEST(ReplaceAndFindNext, TheLastReplacementSaysAllInstancesHaveBeenReplacedUnlessQuiet) {
    for (const bool quiet : {false, true}) {
        EngineHarness h(publicationOf({u" cat "}));
        h.findNext(u" cat ");
        EXPECT_TRUE(replace(h, u" cat ", u" dog ", quiet));
        if (quiet) {
            EXPECT_TRUE(h.messages.shown.empty());
            continue;
        }
        ASSERT_EQ(h.messages.shown.size(), 1u);
        EXPECT_EQ(h.messages.shown[0].prompt, u"All instances of \" cat \" have been replaced with \" dog \".");
        EXPECT_EQ(h.messages.shown[0].buttons, 64);
        EXPECT_EQ(h.messages.shown[0].title, u"Tarnwick Find/Replace");
    }
}

TEST(ReplaceAndFindNext, AFailingWriteIsPassedOverAndTheSearchStillMovesOn) {
    EngineHarness h(publicationOf({u"cat cat"}));
    h.findNext(u"cat");
    h.host.faults().fail("PublicationSelection.text", {-2147467259, u"Unspecified error"}, 1, 0);
    EXPECT_FALSE(replace(h, u"cat", u"dog"));
    EXPECT_EQ(h.stories()[0], u"cat cat");
    EXPECT_EQ(h.selection(), (SelectionModel{1, 5, 3}));
    EXPECT_TRUE(h.messages.shown.empty());
}

TEST(ReplaceAndFindNext, AFailingWriteOfAnotherLengthStillMovesOnToTheNextMatch) {
    for (const char* operation : {"Publication.selection", "PublicationSelection.text", "TextSpan.start",
                                  "TextSpan.story", "Story.text", "TextSpan.setText"}) {
        EngineHarness h(publicationOf({u"cat cat"}));
        h.findNext(u"cat");
        h.host.faults().fail(operation, {-2147467259, u"Unspecified error"}, 1, 0);
        EXPECT_FALSE(replace(h, u"cat", u"kittens")) << operation;
        EXPECT_EQ(h.stories()[0], u"cat cat") << operation;
        EXPECT_EQ(h.selection(), (SelectionModel{1, 5, 3})) << operation;
        EXPECT_TRUE(h.messages.shown.empty()) << operation;
    }
}

TEST(ReplaceAndFindNext, WritesOverTheUsersSelectionWhereverItIsAndGoesOnAfterIt) {
    // Another occurrence in the same story, and one in another story.
    EngineHarness h(publicationOf({u"cat and cat", u"cat two"}));
    h.findNext(u"cat");
    h.host.publication().select(SelectionModel{1, 9, 3});
    EXPECT_FALSE(replace(h, u"cat", u"dog"));
    EXPECT_EQ(h.stories()[0], u"cat and dog");
    EXPECT_EQ(h.selection(), (SelectionModel{2, 1, 3}));
    h.host.publication().select(SelectionModel{1, 1, 3});
    EXPECT_FALSE(replace(h, u"cat", u"dog"));
    EXPECT_EQ(h.stories(), (std::vector<std::u16string>{u"dog and dog", u"cat two"}));
    EXPECT_EQ(h.selection(), (SelectionModel{2, 1, 3}));
}

TEST(ReplaceAndFindNext, WritesNothingWhereTheSelectionIsNoOccurrenceOrTheJobsOwnText) {
    const SelectionModel selections[] = {{1, 1, 2}, {1, 3, 3}, {1, 9, 4}};
    for (const SelectionModel& selected : selections) {
        EngineHarness h(publicationOf({u"cat concat cat"}));
        h.findNext(u"cat", /*matchCase=*/false, /*wholeWord=*/true);
        h.host.publication().select(selected);
        EXPECT_FALSE(h.engine.ReplaceAndFindNext({u"cat", {false, true}}, u"dog", false).finished);
        EXPECT_EQ(h.stories()[0], u"cat concat cat");
        // It goes on as Find Next does.
        EXPECT_EQ(h.selection(), (SelectionModel{1, 12, 3}));
    }
    EngineHarness h(publicationOf({u"cat"}));
    h.findNext(u"cat");
    EXPECT_TRUE(replace(h, u"cat", u"cats"));
    h.host.publication().select(SelectionModel{1, 1, 3});
    EXPECT_TRUE(replace(h, u"cat", u"cats"));
    EXPECT_EQ(h.stories()[0], u"cats");
}

TEST(ReplaceAndFindNext, WithoutTheSelectionsStartTheSelectedTextIsWrittenWhereTheStoryTellsItWent) {
    EngineHarness h(publicationOf({u"cat and cat"}));
    h.findNext(u"cat");
    h.host.faults().fail("TextSpan.start", {hresults::kUnknownName, u"Unknown name."}, 0, 0);
    h.host.publication().select(SelectionModel{1, 9, 3});
    EXPECT_FALSE(replace(h, u"cat", u"cats"));
    EXPECT_EQ(h.stories()[0], u"cat and cats");
    // The job's own text is known where it went, and the search went on
    // after it. Now the selected "cat" may as well be the one inside it:
    // nothing is written.
    EXPECT_EQ(h.selection(), (SelectionModel{1, 1, 3}));
    replace(h, u"cat", u"cats");
    EXPECT_EQ(h.stories()[0], u"cat and cats");
    // Where the write could not tell which of two places it went to, it is not made.
    EngineHarness twice(publicationOf({u"aaa"}));
    twice.findNext(u"a");
    twice.host.faults().fail("TextSpan.start", {hresults::kUnknownName, u"Unknown name."}, 0, 0);
    twice.host.publication().select(SelectionModel{1, 2, 1});
    replace(twice, u"a", u"aa");
    EXPECT_EQ(twice.stories()[0], u"aaa");
    // Any other failure to say where it begins: nothing is written.
    EngineHarness failing(publicationOf({u"cat and cat"}));
    failing.findNext(u"cat");
    failing.host.faults().fail("TextSpan.start", {hresults::kUnspecified, u"Unspecified error"}, 0, 0);
    EXPECT_FALSE(replace(failing, u"cat", u"dog"));
    EXPECT_EQ(failing.stories()[0], u"cat and cat");
}

TEST(ReplaceAndFindNext, WithoutTheSelectionsStoryOnlyAStoryThatTheTextPlacesForCertainIsWritten) {
    // Two stories that read alike at the selection: the write goes through
    // the selection, and the story that changed tells which one it was.
    for (const std::u16string with : {u"dog", u"cats"}) {
        simhost::InMemoryHost host(publicationOf({u"cat one", u"cat two"}), {}, {.spanStory = false});
        ScriptedMessages messages;
        simhost::HeadlessWindowSystem windows(host.faults());
        Component component({messages, host, windows, windows});
        Module1& engine = component.engine();
        ASSERT_TRUE(engine.FindNext({u"cat", {}}, /*noWrapPrompt=*/false).ok());
        host.publication().select(SelectionModel{2, 1, 3});
        EXPECT_FALSE(engine.ReplaceAndFindNext({u"cat", {}}, with, /*quiet=*/false).finished);
        EXPECT_EQ(host.publication().model().stories[1].text, with + u" two");
        EXPECT_EQ(host.publication().model().stories[0].text, u"cat one");
        EXPECT_EQ(host.publication().model().selection, (SelectionModel{1, 1, 3}));
        // The selected "cat" of story 1 may now be the one that "cats" begins
        // with in story 2, which is the job's own: then nothing is written.
        engine.ReplaceAndFindNext({u"cat", {}}, with, /*quiet=*/false);
        EXPECT_EQ(host.publication().model().stories[0].text, with == u"dog" ? u"dog one" : u"cat one");
    }
}

TEST(ReplaceAndFindNext, NeverWritesOverTextThatTheJobWroteWhateverTheUserDoesMeanwhile) {
    EngineHarness h(publicationOf({u"cat cat"}));
    h.findNext(u"cat");
    EXPECT_FALSE(replace(h, u"cat", u"cats"));
    h.forms.end(*h.forms.existingFindForm());
    EXPECT_TRUE(replace(h, u"cat", u"cats"));
    EXPECT_EQ(h.stories()[0], u"cats cats");
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].prompt, u"All instances of \"cat\" have been replaced with \"cats\".");
    // The user types elsewhere in the story: what the job wrote stays its own.
    for (const std::u16string typed : {u"A cats cats", u"A cats cats!"}) {
        h.host.publication().editStory(1, typed);
        h.host.publication().select(SelectionModel{1, 3, 3});
        h.messages.shown.clear();
        EXPECT_TRUE(replace(h, u"cat", u"cats"));
        EXPECT_EQ(h.stories()[0], typed);
        h.engine.ReplaceAll({u"cat", {}}, u"cats");
        EXPECT_EQ(h.stories()[0], typed);
    }
    // Another job may write over it.
    h.engine.ReplaceAll({u"cat", {}}, u"dog");
    EXPECT_EQ(h.stories()[0], u"A dogs dogs!");
}

simhost::PublicationModel threeCatsTheMiddleOneOnNoPage() {
    auto model = publicationOf({u"cat", u"cat", u"cat"});
    model.stories[1].frames = {Frame{0, 0}};
    return model;
}

TEST(ReplaceAndFindNext, AMatchThatNoPageShowsIsPassedOverAsFindNextDoes) {
    EngineHarness h(threeCatsTheMiddleOneOnNoPage());
    h.findNext(u"cat");
    const FindNextReport first = h.engine.ReplaceAndFindNext({u"cat", {}}, u"dog", /*quiet=*/false);
    EXPECT_FALSE(first.finished);
    EXPECT_EQ(first.passedOverOnNoPage, 1);
    EXPECT_EQ(h.stories(), (std::vector<std::u16string>{u"dog", u"cat", u"cat"}));
    EXPECT_EQ(h.selection(), (SelectionModel{3, 1, 3}));
    const FindNextReport last = h.engine.ReplaceAndFindNext({u"cat", {}}, u"dog", /*quiet=*/false);
    EXPECT_TRUE(last.finished);
    EXPECT_EQ(last.passedOverOnNoPage, 1);
    EXPECT_EQ(h.stories(), (std::vector<std::u16string>{u"dog", u"cat", u"dog"}));
    EXPECT_EQ(h.events.writes.size(), 2u);
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].prompt, u"All instances of \"cat\" on the pages have been replaced with \"dog\". "
                                          u"1 more is in text that is on no page.");
}

TEST(ReplaceAndFindNext, AReplacementOfAnyLengthIsWrittenWholeAndTheSearchGoesOn) {
    EngineHarness h(publicationOf({u"cat cat"}));
    h.findNext(u"cat");
    const std::u16string longest(40000, u'x');
    EXPECT_FALSE(replace(h, u"cat", longest));
    EXPECT_EQ(h.stories()[0], longest + u" cat");
    EXPECT_EQ(h.selection(), (SelectionModel{1, 40002, 3}));
    EXPECT_TRUE(h.messages.shown.empty());
    // A find text that cannot be masked fails before anything is written.
    h.host.publication().select(SelectionModel{1, 1, 40000});
    EXPECT_FALSE(replace(h, longest, u"y"));
    EXPECT_EQ(h.stories()[0], longest + u" cat");
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].prompt, u"Run-time error type 6 occurred.\r\nOverflow");
}

void replaceAll(EngineHarness& h, const std::u16string& find, const std::u16string& with, bool matchCase = false,
                bool wholeWord = false) {
    h.engine.ReplaceAll({find, {matchCase, wholeWord}}, with);
}

TEST(ReplaceAll, ReplacesWhatWasThereOnceAndSaysReplaceCompleteOnce) {
    EngineHarness h(publicationOf({u"a cat and a cat", u"cat"}));
    h.findNext(u"cat");
    replaceAll(h, u"cat", u"cats");
    EXPECT_EQ(h.stories(), (std::vector<std::u16string>{u"a cats and a cats", u"cats"}));
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].prompt, u"Replace complete!");
    EXPECT_EQ(h.messages.shown[0].buttons, 0);
    EXPECT_EQ(h.messages.shown[0].title, u"Tarnwick Find/Replace");
}

TEST(ReplaceAll, StartingInTheMiddleItWrapsOnceAndStopsWhereItBegan) {
    EngineHarness h(publicationOf({u"cat", u"cat cat", u"cat"}));
    h.findNext(u"cat");
    h.findNext(u"cat");
    h.findNext(u"cat");  // the second cat of story 2
    replaceAll(h, u"cat", u"a cat");
    EXPECT_EQ(h.stories(), (std::vector<std::u16string>{u"a cat", u"a cat a cat", u"a cat"}));
    EXPECT_EQ(h.messages.shown.size(), 1u);
}

TEST(ReplaceAll, ASingleOccurrenceIsReplacedOnce) {
    EngineHarness h(publicationOf({u"one cat"}));
    h.findNext(u"cat");
    replaceAll(h, u"cat", u"dog");
    EXPECT_EQ(h.stories()[0], u"one dog");
    EXPECT_EQ(h.messages.shown.size(), 1u);
}

TEST(ReplaceAll, WithoutACurrentMatchItLeavesTheSelectionAloneAndReplacesEveryOccurrence) {
    EngineHarness h(publicationOf({u"x cat", u"cat"}));
    h.host.publication().select(SelectionModel{1, 1, 1});
    replaceAll(h, u"cat", u"dog");
    EXPECT_EQ(h.stories(), (std::vector<std::u16string>{u"x dog", u"dog"}));
    EXPECT_EQ(h.messages.shown.size(), 1u);
}

TEST(ReplaceAll, AStoryThatCannotBeReadStopsItBeforeAnythingIsWritten) {
    EngineHarness h(publicationOf({u"cat", u"cat", u"cat"}));
    h.findNext(u"cat");
    h.host.faults().fail("TextSpan.text", {-2147467259, u"Unspecified error"}, 1, 2);
    replaceAll(h, u"cat", u"dog");
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].prompt, u"Run-time error type -2147467259 occurred.\r\nUnspecified error");
    EXPECT_EQ(h.stories(), (std::vector<std::u16string>{u"cat", u"cat", u"cat"}));
}

TEST(ReplaceAll, SelectsNothingAndLeavesThePageOnShow) {
    auto model = publicationOf({u"a cat", u"cat on page 3"}, 3);
    model.stories[1].frames = {Frame{3, 0}};
    EngineHarness h(model);
    h.findNext(u"cat");
    h.host.publication().displayPage(2);
    const auto report = h.engine.ReplaceAll({u"cat", {}}, u"dog");
    EXPECT_EQ(h.stories(), (std::vector<std::u16string>{u"a dog", u"dog on page 3"}));
    EXPECT_EQ(h.events.selections.size(), 1u);
    EXPECT_TRUE(h.events.views.empty());
    EXPECT_EQ(h.host.publication().model().displayedPage, 2);
    EXPECT_EQ(report.replaced, 2);
    EXPECT_EQ(report.stories, 2);
    EXPECT_FALSE(report.stopped);
}

TEST(ReplaceAll, WholeWordsAreJudgedAsIfEachReplacementWereStillTheTextItReplaced) {
    // Writing "-" over "-a" makes the next "-a" look like a whole word; it is
    // not one, as Find Next shows.
    EngineHarness h(publicationOf({u"x -a-a-a"}));
    EXPECT_FALSE(h.findNext(u"-a", false, true));
    EXPECT_TRUE(h.findNext(u"-a", false, true));
    replaceAll(h, u"-a", u"-", /*matchCase=*/false, /*wholeWord=*/true);
    EXPECT_EQ(h.stories()[0], u"x --a-a");
}

TEST(ReplaceAll, TheDialogMayStopItAfterAnyWriteAndWhatIsDoneIsOneUndoStep) {
    struct StopAfter : ReplaceAllProgress {
        explicit StopAfter(int64_t writes) : writes(writes) {}
        bool proceed(int64_t done, int64_t total) override {
            told.emplace_back(done, total);
            return done < writes;
        }
        void ended() override { ++ends; }
        int ends = 0;
        int64_t writes;
        std::vector<std::pair<int64_t, int64_t>> told;
    } stop(2);
    EngineHarness h(publicationOf({u"cat cat", u"cat"}));
    h.findNext(u"cat");
    const auto report = h.engine.ReplaceAll({u"cat", {}}, u"dog", {}, &stop);
    EXPECT_EQ(h.stories(), (std::vector<std::u16string>{u"dog dog", u"cat"}));
    EXPECT_EQ(stop.told, (std::vector<std::pair<int64_t, int64_t>>{{1, 3}, {2, 3}}));
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(report.replaced, 2);
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].prompt, u"Replace All stopped: 2 of 3 replaced.");
    EXPECT_EQ(h.host.publication().undoSteps(), 1u);
}

TEST(ReplaceAll, WritesAnOccurrenceThatNoPageShowsWithoutSelectingItAndGoesOn) {
    auto model = publicationOf({u"a cat", u"cat in overflow, cat", u"cat"}, 2);
    model.stories[1].frames = {Frame{2, 4}, Frame{0, 0}};
    EngineHarness h(model);
    h.findNext(u"cat");
    replaceAll(h, u"cat", u"cats");
    EXPECT_EQ(h.stories(), (std::vector<std::u16string>{u"a cats", u"cats in overflow, cats", u"cats"}));
    EXPECT_EQ(h.events.writes.size(), 4u);
    // Only Find Next selected anything.
    EXPECT_EQ(h.events.selections, (std::vector<SelectionModel>{{1, 3, 3}}));
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].prompt, u"Replace complete!");
}

TEST(ReplaceAll, AnUnshownOccurrenceBeforeTheStartPointIsWrittenAfterTheWrapAndMovesTheStartPoint) {
    auto model = publicationOf({u"cat cat cat"});
    model.stories[0].frames = {Frame{0, 4}, Frame{1, 0}};
    EngineHarness h(model);
    h.findNext(u"cat");  // passes over the first, selects the second
    EXPECT_EQ(h.selection(), (SelectionModel{1, 5, 3}));
    replaceAll(h, u"cat", u"a cat");
    EXPECT_EQ(h.stories()[0], u"a cat a cat a cat");
    EXPECT_EQ(h.events.writes.size(), 3u);
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].prompt, u"Replace complete!");
}

TEST(ReplaceAll, StartsAtTheSelectedMatchAfterAFindNextWentOnToTheEndWithoutSelecting) {
    // The last Find Next went past the selected match to the end of the
    // publication, the second time passing over occurrences that no page
    // shows, and the user declined to wrap. Starting anywhere but at the
    // selected match would write over a replacement or leave an occurrence.
    auto plain = publicationOf({u"a cat, and a cat", u"no match"});
    auto overflow = publicationOf({u"a cat, and a cat", u"a cat"}, 2);
    overflow.stories[0].frames = {Frame{1, 8}, Frame{0, 0}};
    overflow.stories[1].frames = {Frame{0, 0}};
    for (const std::u16string with : {u"dog", u"cats", u""}) {
        for (const auto& model : {plain, overflow}) {
            EngineHarness h(model);
            std::vector<std::u16string> expected = h.stories();
            for (auto& story : expected) {
                for (size_t at = story.find(u"cat"); at != std::u16string::npos; at = story.find(u"cat", at + with.size()))
                    story.replace(at, 3, with);
            }
            h.findNext(u"cat");
            h.findNext(u"cat");
            EXPECT_TRUE(h.findNext(u"cat"));
            h.messages.shown.clear();
            replaceAll(h, u"cat", with);
            EXPECT_EQ(h.stories(), expected) << ::testing::PrintToString(with);
            ASSERT_EQ(h.messages.shown.size(), 1u);
            EXPECT_EQ(h.messages.shown[0].prompt, u"Replace complete!");
        }
    }
}

TEST(ReplaceAll, AWriteThatFailsEndsTheSweepWithOneBoxAndNeverSaysComplete) {
    // Whatever the replacement's length, a write that always fails is told
    // once: no runaway of passes over the same match, no false "complete".
    for (const char* operation : {"Story.text", "TextSpan.span", "TextSpan.setText"}) {
        for (const std::u16string with : {u"dog", u"kittens"}) {
            EngineHarness h(publicationOf({u"cat cat", u"cat"}));
            h.findNext(u"cat");
            h.host.faults().fail(operation, {-2147418113, u"Catastrophic failure"}, 0, 0);
            replaceAll(h, u"cat", with);
            ASSERT_EQ(h.messages.shown.size(), 1u) << operation;
            EXPECT_EQ(h.messages.shown[0].prompt,
                      u"Run-time error type -2147418113 occurred.\r\nCatastrophic failure");
            EXPECT_EQ(h.messages.shown[0].buttons, 0);
            EXPECT_EQ(h.messages.shown[0].title, std::nullopt);
            EXPECT_EQ(h.events.selections.size(), 1u) << operation;
            EXPECT_EQ(h.stories(), (std::vector<std::u16string>{u"cat cat", u"cat"}));
        }
    }
}

TEST(ReplaceAll, AWriteThatFailsLaterKeepsWhatWasReplacedAndStopsThere) {
    EngineHarness h(publicationOf({u"cat cat cat"}));
    h.findNext(u"cat");
    h.host.faults().fail("TextSpan.setText", {-2147418113, u"Catastrophic failure"}, 1, 1);
    replaceAll(h, u"cat", u"dog");
    EXPECT_EQ(h.stories()[0], u"dog cat cat");
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].title, std::nullopt);
}

TEST(ReplaceAll, AFailingWriteIntoAnUnshownOccurrenceEndsTheSweepToo) {
    EngineHarness h(threeCatsTheMiddleOneOnNoPage());
    h.findNext(u"cat");
    h.host.faults().fail("TextSpan.setText", {-2147418113, u"Catastrophic failure"}, 1, 1);
    replaceAll(h, u"cat", u"dog");
    EXPECT_EQ(h.stories(), (std::vector<std::u16string>{u"dog", u"cat", u"cat"}));
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].prompt, u"Run-time error type -2147418113 occurred.\r\nCatastrophic failure");
}

TEST(ReplaceAll, WithNothingSelectedItReplacesEveryOccurrence) {
    EngineHarness h(publicationOf({u"cat", u"cat"}));
    replaceAll(h, u"cat", u"dog");
    EXPECT_EQ(h.stories(), (std::vector<std::u16string>{u"dog", u"dog"}));
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].prompt, u"Replace complete!");
}

TEST(ReplaceAll, AReplacementOfAnyLengthIsWrittenWhole) {
    EngineHarness h(publicationOf({u"cat cat"}));
    h.findNext(u"cat");
    const std::u16string longest(40000, u'x');
    replaceAll(h, u"cat", longest);
    EXPECT_EQ(h.stories()[0], longest + u" " + longest);
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].prompt, u"Replace complete!");
}

TEST(ReplaceAll, APublicationWithoutStoriesSaysSoOnceAndEnds) {
    EngineHarness h(publicationOf({}));
    replaceAll(h, u"cat", u"dog");
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].prompt, u"There is no text to search");
}

TEST(ReplaceAll, APublicationWhoseStoriesWereRemovedEndsWithoutAnyBox) {
    // The current match's story is gone, and so is every other: there is
    // nothing to write, nothing that failed, and nothing complete.
    EngineHarness h(publicationOf({u"cat"}));
    h.findNext(u"cat");
    h.host.open(publicationOf({}));
    replaceAll(h, u"cat", u"dog");
    replaceAll(h, u"cat", u"dog");
    EXPECT_TRUE(h.messages.shown.empty());
    EXPECT_TRUE(h.events.writes.empty());
}

TEST(ReplaceAll, CaseAndWholeWordOptionsApplyToEveryPass) {
    EngineHarness h(publicationOf({u"Cat cat concatenate cat."}));
    h.findNext(u"cat", true, true);
    replaceAll(h, u"cat", u"dog", /*matchCase=*/true, /*wholeWord=*/true);
    EXPECT_EQ(h.stories()[0], u"Cat dog concatenate dog.");
}

}  // namespace
}  // namespace quillet::testing
