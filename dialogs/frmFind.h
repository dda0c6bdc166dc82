#pragma once

#include <memory>

#include "dialogs/Form.h"
#include "engine/text/SearchBuffer.h"

namespace quillet {

/// The Find dialog. An instance stands for one life of its window: the search
/// buffer on it starts empty when the window is created and dies with it.
class frmFind final : public Form {
public:
    /// Creates the window, hidden, and loads it.
    static Result<std::unique_ptr<frmFind>> create(FormContext& context);
    static const FormLayout& layout();

    /// The engine's search buffer; the user never sees it.
    SearchBuffer rtbFinder;

    void Form_Load();
    Status cmdFind_Click();
    void cmdFindAll_Click();
    void cmdClose_Click();

private:
    using Form::Form;
    Status click(std::string_view control) override;
    Status change(std::string_view) override { return {}; }
};

}  // namespace quillet
