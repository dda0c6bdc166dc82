#include "dialogs/frmReplace.h"

#include "dialogs/FoundListColumns.h"
#include "dialogs/ReplaceAllRun.h"
#include "dialogs/SetTopmost.h"
#include "dialogs/StatusLine.h"
#include "engine/Module1.h"

namespace quillet {

namespace {

constexpr ControlSpec kControls[] = {
    {"txtFindWhat", ControlKind::TextBox, u"", 1200, 120, 2655, 285, 0},
    {"txtReplaceWith", ControlKind::TextBox, u"", 1200, 480, 2655, 285, 1},
    {"chkWholeWord", ControlKind::CheckBox, u"Find Whole Word Only", 120, 840, 4455, 255, 2},
    {"chkCase", ControlKind::CheckBox, u"Match Case", 120, 1080, 4455, 255, 3},
    {"cmdFind", ControlKind::Button, u"Find Next", 120, 1680, 2175, 375, 4, /*isDefault=*/true},
    {"cmdReplace", ControlKind::Button, u"Replace", 2400, 1680, 2175, 375, 5},
    {"cmdReplaceAll", ControlKind::Button, u"Replace All", 120, 2160, 2175, 375, 6},
    {"lblFindWhat", ControlKind::Label, u"Find What?", 120, 120, 975, 255, 7},
    {"cmdClose", ControlKind::Button, u"Close", 2400, 2160, 2175, 375, 8, false, /*isCancel=*/true},
    {"lblReplaceWith", ControlKind::Label, u"Replace with:", 120, 480, 975, 255, 9},
    {"chkKeepCase", ControlKind::CheckBox, u"Keep Case", 120, 1320, 4455, 255, 10},
    // Beside the two text boxes, for whichever had the focus last.
    {"cmdSpecial", ControlKind::Button, u"Special", 3960, 300, 615, 285, 11},
    {"cmdFindAll", ControlKind::Button, u"Find All", 120, 2640, 2175, 375, 12},
    {"cmdReplaceChecked", ControlKind::Button, u"Replace Checked", 2400, 2640, 2175, 375, 13},
    {"lstFound", ControlKind::List, u"", 120, 3120, 4455, 1935, 14, false, false, true, kFoundColumns,
     /*checkBoxes=*/true},
    // Two lines, under the list.
    {"lblStatus", ControlKind::Label, u"", 120, 5160, 4455, 480, 15},
};

/// What the status line says a press left: occurrences in text on no page,
/// and those that may be the job's own earlier replacements.
std::u16string whatWasLeft(const FindNextReport& report) {
    return statusLineOf({moreOnNoPage(report.passedOverOnNoPage), moreInDoubtOnTheLine(report.leftInDoubt)});
}

constexpr FormLayout kLayout{"frmReplace", u"Tarnwick Replace", BorderStyle::FixedDialog, /*showInTaskbar=*/false,
                             4680,         5760,               u"",                      0,
                             kControls};

}  // namespace

const FormLayout& frmReplace::layout() { return kLayout; }

Result<std::unique_ptr<frmReplace>> frmReplace::create(FormContext& context) {
    return loaded(std::unique_ptr<frmReplace>(new frmReplace(context)));
}

void frmReplace::enableReplacing(bool enabled) {
    window_->setEnabled("cmdReplace", enabled);
    window_->setEnabled("cmdReplaceAll", enabled);
}

void frmReplace::Form_Load() {
    enableReplacing(false);
    checksChanged();
    (void)SetTopmost(context_.windowService, window_->handle(), true);
}

void frmReplace::txtFindWhat_Change() { enableReplacing(false); }

Status frmReplace::cmdFind_Click() {
    showStatus(u"");
    const std::u16string replaceText = window_->text("txtReplaceWith");
    auto found = context_.engine.FindNext(findRequest(), /*noWrapPrompt=*/false, &replaceText);
    if (!found) return found.error();
    if (!found->finished) enableReplacing(true);
    showStatus(whatWasLeft(*found));
    return {};
}

void frmReplace::cmdReplace_Click() {
    showStatus(u"");
    const FindNextReport report = context_.engine.ReplaceAndFindNext(findRequest(), window_->text("txtReplaceWith"),
                                                                     /*quiet=*/false, replaceOptions());
    if (report.finished) enableReplacing(false);
    showStatus(whatWasLeft(report));
}

void frmReplace::cmdReplaceAll_Click() {
    showStatus(u"");
    ReplaceAllRun run(*window_, context_.clock);
    running_ = &run;
    const ReplaceAllReport report =
        context_.engine.ReplaceAll(findRequest(), window_->text("txtReplaceWith"), replaceOptions(), &run);
    running_ = nullptr;
    // What is selected now is text that Replace All wrote, or nothing of the
    // search at all: a Replace would write over it.
    enableReplacing(false);
    // Replace All writes text on no page too: it leaves only what may be its own.
    showStatus(statusLineOf({replacedInStories(report.replaced, report.stories),
                             moreInDoubtOnTheLine(report.leftInDoubt)}));
}

void frmReplace::cmdFindAll_Click() {
    const std::u16string replaceText = window_->text("txtReplaceWith");
    findAll(&replaceText);
}

void frmReplace::cmdReplaceChecked_Click() {
    showStatus(u"");
    ReplaceAllRun run(*window_, context_.clock);
    running_ = &run;
    const ReplaceAllReport report = context_.engine.ReplaceChecked(found_, window_->text("txtReplaceWith"), replaceOptions(), &run);
    running_ = nullptr;
    checksChanged();
    showStatus(statusLineOf({replacedInStories(report.replaced, report.stories), noLongerFound(report.noLongerFound)}));
}

void frmReplace::checksChanged() { window_->setEnabled("cmdReplaceChecked", anyRowChecked()); }

void frmReplace::cmdClose_Click() {
    // While Replace All runs, Close is the one button the user can reach: it stops the run.
    if (running_) {
        running_->stop();
        return;
    }
    window_->hide();
}

ReplaceOptions frmReplace::replaceOptions() const { return {window_->checkValue("chkKeepCase") != 0}; }

Status frmReplace::click(std::string_view control) {
    if (control == "cmdFind") return cmdFind_Click();
    if (control == "cmdReplace") cmdReplace_Click();
    if (control == "cmdReplaceAll") cmdReplaceAll_Click();
    if (control == "cmdFindAll") cmdFindAll_Click();
    if (control == "cmdReplaceChecked") cmdReplaceChecked_Click();
    if (control == "cmdSpecial") cmdSpecial_Click();
    if (control == "cmdClose") cmdClose_Click();
    return {};
}

Status frmReplace::change(std::string_view control) {
    if (control == "txtFindWhat") txtFindWhat_Change();
    return {};
}

}  // namespace quillet
