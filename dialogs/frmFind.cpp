#include "dialogs/frmFind.h"

#include "dialogs/FoundListColumns.h"
#include "dialogs/SetTopmost.h"
#include "dialogs/StatusLine.h"
#include "engine/Module1.h"

namespace quillet {

namespace {

constexpr ControlSpec kControls[] = {
    {"lblFindWhat", ControlKind::Label, u"Find What?", 120, 120, 975, 255, 0},
    {"txtFindWhat", ControlKind::TextBox, u"", 1080, 120, 2775, 285, 1},
    {"chkWholeWord", ControlKind::CheckBox, u"Find Whole Word Only", 120, 480, 4455, 255, 2},
    {"chkCase", ControlKind::CheckBox, u"Match Case", 120, 720, 4455, 255, 3},
    {"cmdFind", ControlKind::Button, u"Find Next", 120, 1080, 2175, 375, 4, /*isDefault=*/true},
    {"cmdClose", ControlKind::Button, u"Close", 2400, 1080, 2175, 375, 5, false, /*isCancel=*/true},
    // Below the client area and never shown: the place of the search buffer.
    {"rtbFinder", ControlKind::RichText, u"", 360, 4920, 2535, 2415, 6, false, false, /*visible=*/false},
    {"cmdSpecial", ControlKind::Button, u"Special", 3960, 120, 615, 285, 7},
    {"cmdFindAll", ControlKind::Button, u"Find All", 120, 1560, 2175, 375, 8},
    {"lstFound", ControlKind::List, u"", 120, 2040, 4455, 1935, 9, false, false, true, kFoundColumns},
    // Two lines, under the list.
    {"lblStatus", ControlKind::Label, u"", 120, 4080, 4455, 480, 10},
};

constexpr FormLayout kLayout{"frmFind", u"Tarnwick Find", BorderStyle::FixedSingle, /*showInTaskbar=*/true,
                             4680,      4680,            u"Tahoma",                8.25,
                             kControls};

}  // namespace

const FormLayout& frmFind::layout() { return kLayout; }

Result<std::unique_ptr<frmFind>> frmFind::create(FormContext& context) {
    return loaded(std::unique_ptr<frmFind>(new frmFind(context)));
}

void frmFind::Form_Load() { (void)SetTopmost(context_.windowService, window_->handle(), true); }

Status frmFind::cmdFind_Click() {
    showStatus(u"");
    auto found = context_.engine.FindNext(findRequest(), /*noWrapPrompt=*/false);
    if (!found) return found.error();
    showStatus(moreOnNoPage(found->passedOverOnNoPage));
    return {};
}

void frmFind::cmdFindAll_Click() { findAll(nullptr); }

void frmFind::cmdClose_Click() { window_->hide(); }

Status frmFind::click(std::string_view control) {
    if (control == "cmdFind") return cmdFind_Click();
    if (control == "cmdFindAll") cmdFindAll_Click();
    if (control == "cmdSpecial") cmdSpecial_Click();
    if (control == "cmdClose") cmdClose_Click();
    return {};
}

}  // namespace quillet
