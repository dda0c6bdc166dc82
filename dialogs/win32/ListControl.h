#pragma once

#include <windows.h>
#include <commctrl.h>

#include <optional>

#include "platform/Window.h"

namespace quillet::win32 {

/// A list control of a dialog: a virtual report-view ListView that holds no
/// rows, texts or check states of its own. It asks the bound ListRows for
/// what it draws, so ten thousand rows cost nothing until they are seen, and
/// it hands what the user does with a row to the dialog's events: a
/// double-click or Enter picks the row, a click on its check box or Space
/// asks for the other check state, which the dialog sets in its rows before
/// it tells the list that they changed.
///
/// The object outlives its window: the dialog's window destroys its
/// controls before it destroys the objects that serve them.
class ListControl {
public:
    ListControl(const ControlSpec& control, WindowEvents& events) : control_(control), events_(events) {}
    ~ListControl();
    ListControl(const ListControl&) = delete;
    ListControl& operator=(const ListControl&) = delete;

    /// Makes the ListView, with the layout's columns, as the child `id` of
    /// `parent`; null when the platform makes none. Its place, font and
    /// column widths come with scaleTo.
    HWND create(HWND parent, int id, HINSTANCE module);
    HWND handle() const { return list_; }

    /// Gives the columns their widths at `dpi`; `font` is what the list was
    /// just given to draw with, and what the set-apart part is drawn in,
    /// bold and underlined.
    void scaleTo(UINT dpi, HFONT font);
    void bind(const ListRows& rows);
    /// The rows changed: the list takes their new count and draws them
    /// anew; from its first row, with nothing selected, when `fromTop`.
    void changed(bool fromTop);
    /// Answers a notification that the ListView sent its dialog.
    LRESULT notify(NMHDR& header);

private:
    static LRESULT CALLBACK listProcedure(HWND list, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT handleListMessage(UINT message, WPARAM wparam, LPARAM lparam);
    /// Whether the header may take `note` (HDN_*): a column that the layout
    /// never shows keeps its width of 0 whatever the user does.
    bool headerAllows(const NMHDR& note) const;

    size_t rowCount() const { return rows_ ? rows_->rowCount() : 0; }
    /// The row that Enter and Space act on: the selected one, else the one
    /// with the focus rectangle.
    std::optional<size_t> currentRow() const;
    /// The row whose check box is at `at` (client coordinates), if any.
    std::optional<size_t> checkBoxAt(POINT at) const;
    void toggle(size_t row);

    LRESULT answerDispInfo(LVITEMW& item) const;
    LRESULT customDraw(NMLVCUSTOMDRAW& draw) const;
    /// Draws the cell of the set-apart column in `row` whole: its text
    /// with the set-apart part bold and underlined.
    void drawSetApart(HDC dc, size_t row, bool stale) const;

    const ControlSpec& control_;
    WindowEvents& events_;
    HWND list_ = nullptr;
    /// The ListView's own procedure, which listProcedure stands in front of.
    WNDPROC listDefault_ = nullptr;
    const ListRows* rows_ = nullptr;
    /// The list's font in bold and underlined, for the set-apart part.
    HFONT apart_ = nullptr;
    /// The column whose cells draw a set-apart part, if any.
    std::optional<size_t> setApartColumn_;
    /// The left margin of a cell's text, at the list's DPI.
    int textMargin_ = 0;
};

}  // namespace quillet::win32
