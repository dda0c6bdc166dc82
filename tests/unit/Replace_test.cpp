#include <gtest/gtest.h>

#include "tests/unit/EngineHarness.h"

namespace quillet::testing {
namespace {

using simhost::Frame;
using simhost::SelectionModel;

bool replace(EngineHarness& h, const std::u16string& find, const std::u16string& with, bool quiet = false) {
    return h.engine.ReplaceAndFindNext({find, {}}, with, quiet);
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
    for (const char* operation : {"Publication.selection", "PublicationSelection.text", "TextSpan.start", "Story.text",
                                  "TextSpan.span", "TextSpan.setText"}) {
        EngineHarness h(publicationOf({u"cat cat"}));
        h.findNext(u"cat");
        h.host.faults().fail(operation, {-2147467259, u"Unspecified error"}, 1, 0);
        EXPECT_FALSE(replace(h, u"cat", u"kittens")) << operation;
        EXPECT_EQ(h.stories()[0], u"cat cat") << operation;
        EXPECT_EQ(h.selection(), (SelectionModel{1, 5, 3})) << operation;
        EXPECT_TRUE(h.messages.shown.empty()) << operation;
    }
}

TEST(ReplaceAndFindNext, WritesOnlyWhenTheSelectionIsStillTheMatchAtItsPlace) {
    // The same text elsewhere in the story: not the match.
    EngineHarness h(publicationOf({u"cat and cat"}));
    h.findNext(u"cat");
    h.host.publication().select(SelectionModel{1, 9, 3});
    EXPECT_FALSE(replace(h, u"cat", u"dog"));
    EXPECT_TRUE(h.events.writes.empty());
    // The search went on from the match, to the one the user had selected.
    EXPECT_EQ(h.selection(), (SelectionModel{1, 9, 3}));
    EXPECT_FALSE(replace(h, u"cat", u"dog"));
    EXPECT_EQ(h.stories()[0], u"cat and dog");
}

TEST(ReplaceAndFindNext, AHostThatCannotSayWhereTheSelectionBeginsIsJudgedOnTheTextAlone) {
    // A host without the member: the selected text decides.
    EngineHarness older(publicationOf({u"cat and cat"}));
    older.findNext(u"cat");
    older.host.faults().fail("TextSpan.start", {hresults::kUnknownName, u"Unknown name."}, 0, 0);
    EXPECT_FALSE(replace(older, u"cat", u"dog"));
    EXPECT_EQ(older.stories()[0], u"dog and cat");
    // Any other failure to say where it begins: nothing is written.
    EngineHarness failing(publicationOf({u"cat and cat"}));
    failing.findNext(u"cat");
    failing.host.faults().fail("TextSpan.start", {hresults::kUnspecified, u"Unspecified error"}, 0, 0);
    EXPECT_FALSE(replace(failing, u"cat", u"dog"));
    EXPECT_EQ(failing.stories()[0], u"cat and cat");
}

TEST(ReplaceAndFindNext, NeverWritesOverTextThatTheSearchWroteEvenAfterTheFindWindowWentAway) {
    EngineHarness h(publicationOf({u"cat cat"}));
    h.findNext(u"cat");
    EXPECT_FALSE(replace(h, u"cat", u"cats"));
    h.forms.windowDestroyed(*h.forms.existingFindForm());
    EXPECT_TRUE(replace(h, u"cat", u"cats"));
    EXPECT_EQ(h.stories()[0], u"cats cats");
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].prompt, u"All instances of \"cat\" have been replaced with \"cats\".");
    // Until the user changes the story: then its text is ordinary text again.
    h.host.publication().editStory(1, u"cats cats!");
    h.messages.answers = {msgbox::kAnswerYes};
    EXPECT_FALSE(h.findNext(u"cat"));
    EXPECT_EQ(h.selection(), (SelectionModel{1, 1, 3}));
}

simhost::PublicationModel threeCatsTheMiddleOneOnNoPage() {
    auto model = publicationOf({u"cat", u"cat", u"cat"});
    model.stories[1].frames = {Frame{0, 0}};
    return model;
}

TEST(ReplaceAndFindNext, AMatchThatNoPageShowsIsPassedOverAsFindNextDoes) {
    EngineHarness h(threeCatsTheMiddleOneOnNoPage());
    h.findNext(u"cat");
    EXPECT_FALSE(replace(h, u"cat", u"dog"));
    EXPECT_EQ(h.stories(), (std::vector<std::u16string>{u"dog", u"cat", u"cat"}));
    EXPECT_EQ(h.selection(), (SelectionModel{3, 1, 3}));
    EXPECT_TRUE(replace(h, u"cat", u"dog"));
    EXPECT_EQ(h.stories(), (std::vector<std::u16string>{u"dog", u"cat", u"dog"}));
    EXPECT_EQ(h.events.writes.size(), 2u);
}

TEST(ReplaceAndFindNext, AReplacementOf32767CharactersIsWrittenThenOverflowsInABoxWithoutSearching) {
    EngineHarness h(publicationOf({u"cat cat"}));
    h.findNext(u"cat");
    const auto viewsBefore = h.events.views.size();
    EXPECT_FALSE(replace(h, u"cat", std::u16string(32767, u'x')));
    EXPECT_EQ(h.stories()[0].size(), 32767u + 4u);
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].prompt, u"Run-time error type 6 occurred.\r\nOverflow");
    EXPECT_EQ(h.messages.shown[0].title, std::nullopt);
    EXPECT_EQ(h.events.views.size(), viewsBefore);  // FindNext never ran
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

TEST(ReplaceAll, StopsAtTheFirstPassThatEndsInAnErrorBox) {
    EngineHarness h(publicationOf({u"cat cat cat"}));
    h.findNext(u"cat");
    h.host.faults().fail("TextSpan.select", {-2147467259, u"Unspecified error"}, 0, 1);
    replaceAll(h, u"cat", u"dog");
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].title, u"Error");
    EXPECT_EQ(h.stories()[0], u"dog dog cat");
}

TEST(ReplaceAll, WritesAnOccurrenceThatNoPageShowsWithoutSelectingItAndGoesOn) {
    auto model = publicationOf({u"a cat", u"cat in overflow, cat", u"cat"}, 2);
    model.stories[1].frames = {Frame{2, 4}, Frame{0, 0}};
    EngineHarness h(model);
    h.findNext(u"cat");
    replaceAll(h, u"cat", u"cats");
    EXPECT_EQ(h.stories(), (std::vector<std::u16string>{u"a cats", u"cats in overflow, cats", u"cats"}));
    EXPECT_EQ(h.events.writes.size(), 4u);
    // Only the shown occurrences were ever selected, each once, and never
    // text that the sweep wrote itself.
    EXPECT_EQ(h.events.selections, (std::vector<SelectionModel>{{1, 3, 3}, {2, 1, 3}, {3, 1, 3}}));
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

TEST(ReplaceAll, WithoutACurrentMatchAFailingWriteIntoTheSelectionIsPassedOver) {
    EngineHarness h(publicationOf({u"cat", u"cat"}));
    replaceAll(h, u"cat", u"dog");  // nothing is selected: the first write fails
    EXPECT_EQ(h.stories(), (std::vector<std::u16string>{u"dog", u"dog"}));
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].prompt, u"Replace complete!");
}

TEST(ReplaceAll, AnOverflowingReplacementShowsOneBox) {
    EngineHarness h(publicationOf({u"cat cat"}));
    h.findNext(u"cat");
    replaceAll(h, u"cat", std::u16string(40000, u'x'));
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].prompt, u"Run-time error type 6 occurred.\r\nOverflow");
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
