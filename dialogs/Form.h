#pragma once

#include <memory>
#include <string_view>

#include "dialogs/FormContext.h"
#include "dialogs/FoundRows.h"
#include "engine/FoundList.h"
#include "engine/text/FindRequest.h"

namespace quillet {

/// What the two dialogs share: a window made from a layout, that counts as a
/// live object of the component, and whose events reach the dialog's handlers
/// through the guard for untrapped failures.
class Form : protected WindowEvents {
public:
    ~Form() override;

    Window& window() { return *window_; }
    /// Shows the dialog modeless and without an owner. A selection in the
    /// publication that would make a find text becomes the find box's text,
    /// all selected, so that typing replaces it.
    void Show();

protected:
    explicit Form(FormContext& context) : context_(context), liveObject_(context.liveObjects) {}
    /// Makes the window of a new dialog, hidden, and loads the dialog.
    template <typename Dialog>
    static Result<std::unique_ptr<Dialog>> loaded(std::unique_ptr<Dialog> dialog) {
        if (Status made = dialog->createWindow(Dialog::layout()); !made) return made.error();
        dialog->Form_Load();
        return dialog;
    }

    /// The press of a button, by the control's name.
    virtual Status click(std::string_view control) = 0;
    /// The change of a text box's text, by the control's name.
    virtual Status change(std::string_view control) = 0;

    /// What the dialog asks to find, read at the press from the find box and
    /// the two check boxes that both dialogs have: the text exactly as typed,
    /// and each option true when its box is not 0.
    FindRequest findRequest() const {
        return {window_->text("txtFindWhat"),
                FindOptions{window_->checkValue("chkCase") != 0, window_->checkValue("chkWholeWord") != 0}};
    }

    /// The Special menu: the code that the user chooses goes to the caret of
    /// the text box that last had the focus (the find box at first). It
    /// offers the codes of kCaretCodes that the box's text knows, in the
    /// table's order.
    void cmdSpecial_Click();
    /// What the status line under the buttons says.
    void showStatus(const std::u16string& text) { window_->setText("lblStatus", text); }

    /// Find All: the list shows every occurrence of the dialog's find text,
    /// passing over what the job of `replaceText` wrote (the Replace
    /// dialog's), and the status line how many and where.
    void findAll(const std::u16string* replaceText);
    /// The list shows its rows anew, as the engine keeps them.
    void showRows(bool fromTop = false) { window_->listChanged("lstFound", fromTop); }
    /// Whether any row of the list is checked.
    bool anyRowChecked() const;
    /// A row was gone to: its occurrence is selected and the search's current match.
    virtual void occurrencePicked() {}
    /// A row's check box changed.
    virtual void checksChanged() {}

    FoundList found_;

    FormContext& context_;
    std::unique_ptr<Window> window_;

private:
    Status createWindow(const FormLayout& layout);
    void onClick(std::string_view control) final;
    void onChange(std::string_view control) final;
    void onDestroyed() final;
    void onCloseBoxHeld() final;
    void onPick(std::string_view control, size_t row) final;
    void onCheck(std::string_view control, size_t row, bool checked) final;
    /// Runs a handler. A window destroyed meanwhile (its close box, clicked
    /// while one of the handler's boxes was up), or whose close box was
    /// pressed under the hold of a long job, ends the form afterwards, with
    /// the window if it still stands.
    template <typename Handler>
    void handle(Handler&& handler);

    FoundRows rows_{found_};
    LiveObjects::Token liveObject_;
    int handlersRunning_ = 0;
    bool windowDestroyed_ = false;
    bool closeBoxHeld_ = false;
};

}  // namespace quillet
