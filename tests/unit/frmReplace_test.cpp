#include <gtest/gtest.h>

#include "dialogs/StatusLine.h"
#include "tests/unit/EngineHarness.h"
#include "tests/unit/HostResults.h"

namespace quillet::testing {
namespace {

/// The window of a dialog, shown, as the user drives it.
template <typename Dialog>
simhost::DialogView& shown(EngineHarness& h, Result<Dialog*> form) {
    valueOf(std::move(form))->Show();
    return *h.windows.find(Dialog::layout().name);
}

TEST(frmReplace, AfterReplaceAllNothingCanBeReplacedUntilItsOwnFindNextSelectsAMatchAgain) {
    EngineHarness h(publicationOf({u"a cat and a cat"}));
    simhost::DialogView& replace = shown(h, h.forms.replaceForm());
    replace.userSetText("txtFindWhat", u"cat");
    replace.userSetText("txtReplaceWith", u"cats");
    ASSERT_TRUE(replace.userPress("cmdFind"));
    ASSERT_TRUE(replace.userPress("cmdReplaceAll"));
    EXPECT_EQ(h.stories()[0], u"a cats and a cats");

    // What is selected now is the last "cats" that Replace All wrote: the
    // buttons must not offer to replace the search's own output.
    replace.userSetText("txtReplaceWith", u"dog");
    EXPECT_FALSE(replace.userPress("cmdReplace"));
    EXPECT_FALSE(replace.userPress("cmdReplaceAll"));
    EXPECT_EQ(h.stories()[0], u"a cats and a cats");

    // A search of the Find dialog does not count.
    simhost::DialogView& find = shown(h, h.forms.findForm());
    find.userSetText("txtFindWhat", u"cats");
    find.userPress("cmdFind");
    EXPECT_EQ(h.selection(), (simhost::SelectionModel{1, 3, 4}));
    EXPECT_FALSE(replace.enabled("cmdReplace"));

    // Its own Find Next starts a search for "cat" again, to which the "cats"
    // are ordinary text.
    ASSERT_TRUE(replace.userPress("cmdFind"));
    EXPECT_EQ(h.selection(), (simhost::SelectionModel{1, 3, 3}));
    EXPECT_TRUE(replace.enabled("cmdReplace"));
    EXPECT_TRUE(replace.enabled("cmdReplaceAll"));
}

TEST(frmReplace, AReplaceAllEndedByAFailureDisablesReplacingToo) {
    EngineHarness h(publicationOf({u"cat cat"}));
    simhost::DialogView& replace = shown(h, h.forms.replaceForm());
    replace.userSetText("txtFindWhat", u"cat");
    ASSERT_TRUE(replace.userPress("cmdFind"));
    h.host.faults().fail("TextSpan.setText", {-2147418113, u"Catastrophic failure"}, 0, 0);
    ASSERT_TRUE(replace.userPress("cmdReplaceAll"));
    EXPECT_EQ(h.messages.shown.size(), 1u);
    EXPECT_FALSE(replace.enabled("cmdReplace"));
    EXPECT_FALSE(replace.enabled("cmdReplaceAll"));
}

TEST(DialogStatusLine, SaysWhatReplaceAllDidAndWhatASearchLeftInTextOnNoPage) {
    auto model = publicationOf({u"cat cat", u"a cat", u"cat in overflow"});
    model.stories[2].frames = {simhost::Frame{0, 0}};
    EngineHarness h(model);
    simhost::DialogView& replace = shown(h, h.forms.replaceForm());
    replace.userSetText("txtFindWhat", u"cat");
    replace.userSetText("txtReplaceWith", u"dog");
    ASSERT_TRUE(replace.userPress("cmdFind"));
    EXPECT_EQ(replace.text("lblStatus"), u"");
    ASSERT_TRUE(replace.userPress("cmdReplaceAll"));
    EXPECT_EQ(replace.text("lblStatus"), u"4 replaced in 3 stories.");
    replace.userSetText("txtFindWhat", u"dog");
    replace.userSetText("txtReplaceWith", u"cat");
    for (int press = 0; press < 3; ++press) {
        ASSERT_TRUE(replace.userPress("cmdFind"));
        EXPECT_EQ(replace.text("lblStatus"), u"");
    }
    // This one passes over the one in overflow to the end of the publication.
    ASSERT_TRUE(replace.userPress("cmdFind"));
    EXPECT_EQ(replace.text("lblStatus"), u"1 more in text that is on no page.");
    // A new press says its own.
    h.messages.answers = {msgbox::kAnswerYes};
    ASSERT_TRUE(replace.userPress("cmdFind"));
    EXPECT_EQ(replace.text("lblStatus"), u"");
}

TEST(frmReplace, FindAllListsWhatToReplaceAndReplaceCheckedWaitsForNoFindNext) {
    auto model = publicationOf({u"a cat", u"cat in overflow"});
    model.stories[1].frames = {simhost::Frame{0, 0}};
    EngineHarness h(model);
    simhost::DialogView& replace = shown(h, h.forms.replaceForm());
    EXPECT_FALSE(replace.enabled("cmdReplaceChecked"));
    replace.userSetText("txtFindWhat", u"cat");
    replace.userSetText("txtReplaceWith", u"dog");
    ASSERT_TRUE(replace.userPress("cmdFindAll"));
    EXPECT_EQ(replace.text("lblStatus"), u"2 found in 2 stories. 1 of them is in text that is on no page.");
    const auto rows = replace.rows("lstFound");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].cells, (std::vector<std::u16string>{u"1", u"a cat", u"1", u"3", u"3", u"1"}));
    EXPECT_EQ(rows[1].cells[0], u"no page");
    EXPECT_TRUE(replace.enabled("cmdReplaceChecked"));
    // Every box cleared: nothing to replace.
    ASSERT_TRUE(replace.userCheck("lstFound", 0, false));
    ASSERT_TRUE(replace.userCheck("lstFound", 1, false));
    EXPECT_FALSE(replace.enabled("cmdReplaceChecked"));
    ASSERT_TRUE(replace.userCheck("lstFound", 1, true));
    // A row gone to can be replaced at once.
    ASSERT_TRUE(replace.userPick("lstFound", 0));
    EXPECT_EQ(h.selection(), (simhost::SelectionModel{1, 3, 3}));
    EXPECT_TRUE(replace.enabled("cmdReplace"));
    ASSERT_TRUE(replace.userPress("cmdReplaceChecked"));
    EXPECT_EQ(h.stories(), (std::vector<std::u16string>{u"a cat", u"dog in overflow"}));
    EXPECT_EQ(replace.text("lblStatus"), u"1 replaced in 1 story.");
    EXPECT_EQ(replace.rows("lstFound").size(), 1u);
    // No row past the end, and none at all in an empty list.
    EXPECT_FALSE(replace.userPick("lstFound", 1));
    replace.userSetText("txtFindWhat", u"bird");
    ASSERT_TRUE(replace.userPress("cmdFindAll"));
    EXPECT_EQ(replace.text("lblStatus"), u"No occurrences found.");
    EXPECT_FALSE(replace.enabled("cmdReplaceChecked"));
}

TEST(DialogStatusLine, CountsWhatFindAllFoundInStoriesAndOnNoPage) {
    EXPECT_EQ(foundInStories(1, 1), u"1 found in 1 story.");
    EXPECT_EQ(foundInStories(2, 1), u"2 found in 1 story.");
    EXPECT_EQ(foundInStories(1200, 3), u"1,200 found in 3 stories.");
    EXPECT_EQ(ofThemOnNoPage(1), u"1 of them is in text that is on no page.");
    EXPECT_EQ(ofThemOnNoPage(2), u"2 of them are in text that is on no page.");
    EXPECT_EQ(noLongerFound(0), u"");
}

TEST(DialogStatusLine, JoinsWhatItsPartsSayWithOneBlankAndNoneInFront) {
    EXPECT_EQ(statusLineOf({u"", u"2 replaced in 1 story.", u"", u"1 more in text that is on no page.", u""}),
              u"2 replaced in 1 story. 1 more in text that is on no page.");
    EXPECT_EQ(statusLineOf({u"", moreOnNoPage(3)}), u"3 more in text that is on no page.");
    EXPECT_EQ(statusLineOf({replacedInStories(0, 0), moreOnNoPage(0)}), u"0 replaced in 0 stories.");
    EXPECT_EQ(statusLineOf({u"", u""}), u"");
}

TEST(DialogSpecialMenu, PutsTheChosenCodeAtTheCaretOfTheTextBoxThatLastHadTheFocus) {
    EngineHarness h(publicationOf({u"a	b"}));
    simhost::DialogView& replace = shown(h, h.forms.replaceForm());
    replace.userSetText("txtFindWhat", u"a");
    h.menus.add(u"Tab Character");
    ASSERT_TRUE(replace.userPress("cmdSpecial"));
    EXPECT_EQ(replace.text("txtFindWhat"), u"a^t");
    // The replacement's menu has no codes for classes of characters.
    replace.userSetText("txtReplaceWith", u"x");
    h.menus.add(u"Any Digit");
    ASSERT_TRUE(replace.userPress("cmdSpecial"));
    EXPECT_EQ(replace.text("txtReplaceWith"), u"x");
    h.menus.add(u"Paragraph Mark");
    ASSERT_TRUE(replace.userPress("cmdSpecial"));
    EXPECT_EQ(replace.text("txtReplaceWith"), u"x^p");
    // No choice: nothing changes.
    ASSERT_TRUE(replace.userPress("cmdSpecial"));
    EXPECT_EQ(replace.text("txtReplaceWith"), u"x^p");
    EXPECT_FALSE(replace.enabled("cmdReplace"));  // the find text changed
}

TEST(ReplaceAllRun, ALongRunShowsHowFarItIsHoldsTheUserOffAllButCloseAndStopsThere) {
    const std::u16string manyCats = [] {
        std::u16string text;
        for (int i = 0; i < 20; ++i) text += u"cat ";
        return text;
    }();
    EngineHarness h(publicationOf({manyCats}));
    simhost::DialogView& find = shown(h, h.forms.findForm());
    simhost::DialogView& replace = shown(h, h.forms.replaceForm());
    replace.userSetText("txtFindWhat", u"cat");
    replace.userSetText("txtReplaceWith", u"dog");
    ASSERT_TRUE(replace.userPress("cmdFind"));
    // Each write takes 200 ms: from the third on, the run shows itself and
    // lets the window system deliver what waits. At the fifth time the user
    // tries every control, and Esc (Close) stops the run.
    int writes = 0;
    std::vector<std::u16string> statuses;
    h.windows.onPump([&] {
        statuses.push_back(replace.text("lblStatus"));
        if (++writes < 5) return;
        EXPECT_FALSE(replace.userPress("cmdFind"));
        EXPECT_FALSE(replace.userPress("cmdReplace"));
        EXPECT_FALSE(replace.userSetText("txtFindWhat", u"dog"));
        EXPECT_FALSE(find.userPress("cmdFind"));
        EXPECT_TRUE(replace.userEsc());
    });
    auto clock = std::chrono::steady_clock::time_point{};
    h.forms.useClock([&] { return clock += std::chrono::milliseconds(200); });
    ASSERT_TRUE(replace.userPress("cmdReplaceAll"));
    EXPECT_EQ(writes, 5);
    EXPECT_EQ(statuses.front(), u"Replacing\u2026 3 of 20");
    EXPECT_EQ(h.messages.shown.back().prompt, u"Replace All stopped: 7 of 20 replaced.");
    EXPECT_EQ(h.host.publication().undoSteps(), 1u);
    EXPECT_TRUE(replace.visible());
    EXPECT_EQ(replace.text("lblStatus"), u"7 replaced in 1 story.");
    // Everything can be reached again.
    h.windows.onPump(nullptr);
    EXPECT_TRUE(find.userPress("cmdFind"));
}

/// What the window system shows of the dialogs' lives, each event with the
/// number of message boxes shown before it. Made before the harness, it sees
/// the windows' lives to their end.
class FormEventsAmongBoxes : public simhost::WindowObserver {
public:
    void formEvent(std::string_view form, std::string_view op) override {
        events.push_back(std::string(form) + " " + std::string(op) + " after " + std::to_string(messages->shown.size()) +
                         " boxes");
    }
    const ScriptedMessages* messages = nullptr;
    std::vector<std::string> events;
};

TEST(ReplaceAllRun, TheCloseBoxStopsALongRunThatEndsAsStoppedAndThenDestroysTheDialog) {
    FormEventsAmongBoxes formEvents;
    EngineHarness h(publicationOf({u"cat cat cat cat cat cat cat cat", u"cat cat"}));
    formEvents.messages = &h.messages;
    h.windows.observe(formEvents);
    simhost::DialogView& replace = shown(h, h.forms.replaceForm());
    replace.userSetText("txtFindWhat", u"cat");
    replace.userSetText("txtReplaceWith", u"dog");
    ASSERT_TRUE(replace.userPress("cmdFind"));
    const auto stories = h.stories();
    // Each write takes 200 ms: the run holds the dialog from the third write
    // on, and the close box comes after the fourth.
    int pumps = 0;
    h.windows.onPump([&] {
        if (++pumps != 2) return;
        EXPECT_TRUE(replace.userCloseBox());
    });
    auto clock = std::chrono::steady_clock::time_point{};
    h.forms.useClock([&] { return clock += std::chrono::milliseconds(200); });
    formEvents.events.clear();

    // The window, and `replace` with it, is gone once the press returns.
    ASSERT_TRUE(replace.userPress("cmdReplaceAll"));

    EXPECT_EQ(pumps, 2);
    EXPECT_EQ(h.stories()[0], u"dog dog dog dog cat cat cat cat");
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].prompt, u"Replace All stopped: 4 of 10 replaced.");
    EXPECT_EQ(formEvents.events, std::vector<std::string>{"frmReplace destroyed after 1 boxes"});
    EXPECT_EQ(h.windows.find("frmReplace"), nullptr);
    // What it wrote is one undo step, as any stopped run's.
    EXPECT_EQ(h.host.publication().undoSteps(), 1u);
    EXPECT_TRUE(h.host.publication().undo());
    EXPECT_EQ(h.stories(), stories);
    // The next use makes a new dialog, empty, that works.
    h.windows.onPump(nullptr);
    simhost::DialogView& again = shown(h, h.forms.replaceForm());
    EXPECT_EQ(again.text("txtReplaceWith"), u"");
    again.userSetText("txtFindWhat", u"cat");
    EXPECT_TRUE(again.userPress("cmdFind"));
    EXPECT_TRUE(again.userCloseBox());
    EXPECT_EQ(h.windows.find("frmReplace"), nullptr);
}

TEST(ReplaceAllRun, AShortRunIsNeitherShownNorHeld) {
    EngineHarness h(publicationOf({u"cat cat"}));
    simhost::DialogView& replace = shown(h, h.forms.replaceForm());
    replace.userSetText("txtFindWhat", u"cat");
    ASSERT_TRUE(replace.userPress("cmdFind"));
    int pumps = 0;
    h.windows.onPump([&] { ++pumps; });
    auto clock = std::chrono::steady_clock::time_point{};
    h.forms.useClock([&] { return clock += std::chrono::milliseconds(100); });
    ASSERT_TRUE(replace.userPress("cmdReplaceAll"));
    EXPECT_EQ(pumps, 0);
    EXPECT_EQ(replace.text("lblStatus"), u"2 replaced in 1 story.");
}

}  // namespace
}  // namespace quillet::testing
