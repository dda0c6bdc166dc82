#include <gtest/gtest.h>

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

}  // namespace
}  // namespace quillet::testing
