#pragma once

#include <memory>

#include "dialogs/Form.h"
#include "engine/text/FindRequest.h"

namespace quillet {

class ReplaceAllRun;

/// The Replace dialog. "Replace" and "Replace All" can be pressed only after
/// this dialog's own "Find Next" returned false or a row of its list was
/// gone to, and only until the find text is edited again, a Replace
/// finishes the search, or a Replace All ends. "Replace Checked" can be
/// pressed whenever a row of the list is checked.
class frmReplace final : public Form {
public:
    /// Creates the window, hidden, and loads it.
    static Result<std::unique_ptr<frmReplace>> create(FormContext& context);
    static const FormLayout& layout();

    void Form_Load();
    void txtFindWhat_Change();
    Status cmdFind_Click();
    void cmdReplace_Click();
    void cmdReplaceAll_Click();
    void cmdFindAll_Click();
    void cmdReplaceChecked_Click();
    void cmdClose_Click();

private:
    using Form::Form;
    Status click(std::string_view control) override;
    Status change(std::string_view control) override;
    /// Enables or disables "Replace" and "Replace All" together.
    void enableReplacing(bool enabled);
    void occurrencePicked() override { enableReplacing(true); }
    void checksChanged() override;
    /// How the replacement is written, read at the press.
    ReplaceOptions replaceOptions() const;

    /// The Replace All running now, if any.
    ReplaceAllRun* running_ = nullptr;
};

}  // namespace quillet
