#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "base/Result.h"
#include "platform/FormLayout.h"

namespace quillet {

/// A window handle as the window system gives it.
using WindowHandle = intptr_t;

/// What a dialog's window reports to its form.
class WindowEvents {
public:
    virtual ~WindowEvents() = default;
    /// A button was pressed: clicked, or Enter or Esc for the default and cancel buttons.
    virtual void onClick(std::string_view control) = 0;
    /// A text box's text changed.
    virtual void onChange(std::string_view control) = 0;
    /// The user ended the window with its close box. The window and its form may
    /// be deleted during this call; the caller touches neither afterwards.
    virtual void onDestroyed() = 0;
    /// The user pressed the close box while a modal hold was on the window
    /// (see Window::holdModal): the window stays until the job that holds it
    /// is over, and the form then ends it.
    virtual void onCloseBoxHeld() = 0;
    /// The user went to a row of a list (0-based): double-clicked it, or
    /// pressed Enter on it.
    virtual void onPick(std::string_view control, size_t row) = 0;
    /// The user set or cleared the check box of a row of a list (0-based).
    virtual void onCheck(std::string_view control, size_t row, bool checked) = 0;
};

/// The rows that a list control shows, held by its dialog: the list asks
/// for what it draws, so that ten thousand rows cost no window items.
class ListRows {
public:
    virtual ~ListRows() = default;
    virtual size_t rowCount() const = 0;
    /// The text of the column at `column` (as the layout orders them) in `row`.
    virtual std::u16string cell(size_t row, size_t column) const = 0;
    /// The part of the text of the column that sets apart, in `row`:
    /// its first code unit and length.
    virtual std::pair<size_t, size_t> setApart(size_t row) const = 0;
    virtual bool checked(size_t row) const = 0;
    /// A row that no longer stands for what it showed: drawn greyed.
    virtual bool stale(size_t row) const = 0;
};

/// While it lives, the user can reach nothing of the thread's windows but
/// one control of one window, as under a modal dialog.
class ModalHold {
public:
    virtual ~ModalHold() = default;
};

/// A dialog's top-level window: no owner, modeless. Destroying the object
/// destroys the window and its controls.
class Window {
public:
    virtual ~Window() = default;
    virtual WindowHandle handle() const = 0;
    /// Shows the window modeless and without an owner; showing a shown window changes nothing.
    virtual void show() = 0;
    virtual void hide() = 0;
    virtual bool visible() const = 0;

    virtual std::u16string text(std::string_view control) const = 0;
    virtual int checkValue(std::string_view control) const = 0;
    virtual bool enabled(std::string_view control) const = 0;
    virtual void setEnabled(std::string_view control, bool enabled) = 0;

    /// Sets a text box's or a label's text as the program does; a text box
    /// tells its change as when the user types.
    virtual void setText(std::string_view control, const std::u16string& text) = 0;
    /// Selects the whole text of a text box, so that typing replaces it.
    virtual void selectAll(std::string_view control) = 0;
    /// The text box that last had the focus; empty when none has had it.
    virtual std::string lastTextBox() const = 0;
    /// Puts `text` in place of a text box's selection, at its caret, and
    /// tells the change.
    virtual void insertAtCaret(std::string_view control, const std::u16string& text) = 0;
    /// Shows a menu of `items` at a button; the index of the item that the
    /// user chose, or nothing.
    virtual std::optional<size_t> chooseFrom(std::string_view control, std::span<const std::u16string_view> items) = 0;

    /// Makes a list control show `rows`, which outlive the window.
    virtual void bindList(std::string_view control, const ListRows& rows) = 0;
    /// The bound rows changed (their count, texts or checks): the list shows
    /// them anew, from its first row when `fromTop`.
    virtual void listChanged(std::string_view control, bool fromTop) = 0;

    /// Disables every other window of the thread, and every control of this
    /// one but `control`, until the hold goes. Esc presses `control`
    /// meanwhile, and so does the close box, after onCloseBoxHeld: the job
    /// stops as `control` stops it, and ends as it would, before the window
    /// goes.
    virtual std::unique_ptr<ModalHold> holdModal(std::string_view control) = 0;
    /// Lets the window system deliver what waits for the thread's windows:
    /// while a long job runs, the windows are drawn and `control` of a
    /// modal hold can be pressed.
    virtual void pumpMessages() = 0;
};

/// Creates dialog windows, hidden, from their layout.
class WindowFactory {
public:
    virtual ~WindowFactory() = default;
    virtual Result<std::unique_ptr<Window>> create(const FormLayout& layout, WindowEvents& events) = 0;
};

/// The window system's positioning service.
class WindowService {
public:
    virtual ~WindowService() = default;
    /// As user32's SetWindowPos: non-zero on success.
    virtual int32_t SetWindowPos(WindowHandle window, WindowHandle insertAfter, int32_t x, int32_t y, int32_t cx,
                                 int32_t cy, uint32_t flags) = 0;
};

}  // namespace quillet
