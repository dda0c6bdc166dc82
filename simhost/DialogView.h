#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/FormLayout.h"

namespace quillet::simhost {

/// One dialog's window as the user sees and drives it.
class DialogView {
public:
    virtual ~DialogView() = default;

    virtual const FormLayout& layout() const = 0;
    virtual bool visible() const = 0;
    virtual bool topmost() const = 0;
    virtual std::u16string text(std::string_view control) const = 0;
    virtual int checkValue(std::string_view control) const = 0;
    virtual bool enabled(std::string_view control) const = 0;
    /// A list's rows as it shows them: each column's text, in the layout's
    /// order, and the row's check box.
    struct ShownRow {
        std::vector<std::u16string> cells;
        bool checked = false;
    };
    virtual std::vector<ShownRow> rows(std::string_view control) const = 0;

    // What the user does. Each returns false, doing nothing, when a user could
    // not do it: the window is not shown, or the control is disabled.
    virtual bool userSetText(std::string_view control, std::u16string text) = 0;
    virtual bool userSetCheck(std::string_view control, int value) = 0;
    virtual bool userPress(std::string_view control) = 0;
    virtual bool userEnter() = 0;
    virtual bool userEsc() = 0;
    /// Double-clicks row `row` (0-based) of a list.
    virtual bool userPick(std::string_view control, size_t row) = 0;
    /// Sets or clears the check box of row `row` (0-based) of a list.
    virtual bool userCheck(std::string_view control, size_t row, bool checked) = 0;
    /// The close box: the window and everything in it are destroyed; under
    /// the hold of a long job, once the job has stopped and ended.
    virtual bool userCloseBox() = 0;
};

/// Finds the dialogs' windows.
class DialogFinder {
public:
    virtual ~DialogFinder() = default;
    /// The living window of the form with this name, if any.
    virtual DialogView* find(std::string_view form) = 0;
};

/// What the window system shows of the dialogs' lives, as it happens.
class WindowObserver {
public:
    virtual ~WindowObserver() = default;
    virtual void formEvent(std::string_view form, std::string_view op) = 0;  // created, shown, hidden, destroyed
};

}  // namespace quillet::simhost
