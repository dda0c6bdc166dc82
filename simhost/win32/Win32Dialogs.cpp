#include "simhost/win32/Win32Dialogs.h"

#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/frmFind.h"
#include "dialogs/frmReplace.h"
#include "dialogs/win32/Win32Windows.h"
#include "platform/win32/WindowText.h"
#include "simhost/win32/KeyStroke.h"

namespace quillet::simhost {

namespace {

using win32::windowText;

// The one instance that the hook reports to: hooks carry no context.
Win32Dialogs* watching = nullptr;
WindowObserver* observer = nullptr;

const FormLayout* layoutOfCaption(const std::wstring& caption) {
    for (const FormLayout* layout : {&frmFind::layout(), &frmReplace::layout()}) {
        if (caption == std::wstring(layout->caption.begin(), layout->caption.end())) return layout;
    }
    return nullptr;
}

/// The form of a dialog window of the add-in, or null for any other window.
const FormLayout* formOf(HWND window) {
    wchar_t windowClass[32] = {};
    GetClassNameW(window, windowClass, 32);
    if (std::wstring(windowClass) != win32::kDialogWindowClass) return nullptr;
    return layoutOfCaption(windowText(window));
}

class Win32DialogView : public DialogView {
public:
    Win32DialogView(HWND window, const FormLayout& layout) : window_(window), layout_(layout) {}

    HWND window() const { return window_; }
    const FormLayout& layout() const override { return layout_; }
    bool visible() const override { return IsWindowVisible(window_); }
    bool topmost() const override { return (GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }
    std::u16string text(std::string_view control) const override {
        const std::wstring text = windowText(child(control));
        return std::u16string(text.begin(), text.end());
    }
    int checkValue(std::string_view control) const override {
        return static_cast<int>(SendMessageW(child(control), BM_GETCHECK, 0, 0));
    }
    bool enabled(std::string_view control) const override { return IsWindowEnabled(child(control)); }
    /// Every row as the list hands it to whoever reads it: each column's
    /// text, the hidden ones too, and the state image of its check box.
    std::vector<ShownRow> rows(std::string_view control) const override {
        const ControlSpec* entry = layout_.control(control);
        if (entry == nullptr || entry->kind != ControlKind::List) return {};
        HWND list = child(control);
        const int count = ListView_GetItemCount(list);
        std::vector<ShownRow> shown;
        shown.reserve(static_cast<size_t>(std::max(count, 0)));
        for (int row = 0; row < count; ++row) {
            ShownRow& line = shown.emplace_back();
            for (size_t column = 0; column < entry->columns.size(); ++column)
                line.cells.push_back(itemText(list, row, static_cast<int>(column)));
            if (entry->checkBoxes) line.checked = isChecked(list, row);
        }
        return shown;
    }

    /// The user clicks into the box, types its new text over the old (one
    /// change), and leaves the caret after it.
    bool userSetText(std::string_view control, std::u16string text) override {
        if (!usable(control)) return false;
        HWND box = child(control);
        SetForegroundWindow(window_);
        SetFocus(box);
        const std::wstring wide(text.begin(), text.end());
        SetWindowTextW(box, wide.c_str());
        SendMessageW(box, EM_SETSEL, wide.size(), static_cast<LPARAM>(wide.size()));
        return true;
    }
    bool userSetCheck(std::string_view control, int value) override {
        if (!usable(control)) return false;
        SendMessageW(child(control), BM_SETCHECK, static_cast<WPARAM>(value), 0);
        return true;
    }
    bool userPress(std::string_view control) override {
        const ControlSpec* entry = layout_.control(control);
        if (entry == nullptr || entry->kind != ControlKind::Button || !usable(control)) return false;
        SendMessageW(window_, WM_COMMAND, MAKEWPARAM(win32::controlId(layout_, control), BN_CLICKED),
                     reinterpret_cast<LPARAM>(child(control)));
        return true;
    }
    /// The user brings the row into view and double-clicks it, away from
    /// its check box.
    bool userPick(std::string_view control, size_t row) override {
        HWND list = usableList(control, row, /*withCheckBoxes=*/false);
        if (list == nullptr) return false;
        const int item = static_cast<int>(row);
        SetForegroundWindow(window_);
        ListView_EnsureVisible(list, item, /*fPartialOK=*/FALSE);
        const POINT at = pickPoint(list, item);
        const LPARAM place = MAKELPARAM(at.x, at.y);
        PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, place);
        PostMessageW(list, WM_LBUTTONUP, 0, place);
        PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, place);
        PostMessageW(list, WM_LBUTTONUP, 0, place);
        deliverInput();
        return true;
    }
    /// The user brings the row into view and clicks its check box, unless
    /// it already shows what is wanted.
    bool userCheck(std::string_view control, size_t row, bool checked) override {
        HWND list = usableList(control, row, /*withCheckBoxes=*/true);
        if (list == nullptr) return false;
        const int item = static_cast<int>(row);
        if (isChecked(list, item) == checked) return true;
        SetForegroundWindow(window_);
        ListView_EnsureVisible(list, item, /*fPartialOK=*/FALSE);
        const std::optional<POINT> box = checkBoxOf(list, item);
        if (!box) return false;
        const LPARAM place = MAKELPARAM(box->x, box->y);
        PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, place);
        PostMessageW(list, WM_LBUTTONUP, 0, place);
        deliverInput();
        return true;
    }
    bool userEnter() override { return pressRole(/*isDefault=*/true, VK_RETURN); }
    bool userEsc() override { return pressRole(/*isDefault=*/false, VK_ESCAPE); }
    bool userCloseBox() override {
        if (!visible()) return false;
        SendMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
        return true;
    }

private:
    HWND child(std::string_view control) const { return GetDlgItem(window_, win32::controlId(layout_, control)); }
    bool usable(std::string_view control) const { return visible() && enabled(control); }
    /// The list `control`, when a user could reach its row `row` (and that
    /// row's check box when `withCheckBoxes`); else null.
    HWND usableList(std::string_view control, size_t row, bool withCheckBoxes) const {
        const ControlSpec* entry = layout_.control(control);
        if (entry == nullptr || entry->kind != ControlKind::List || (withCheckBoxes && !entry->checkBoxes)) return nullptr;
        if (!usable(control)) return nullptr;
        HWND list = child(control);
        return row < static_cast<size_t>(std::max(ListView_GetItemCount(list), 0)) ? list : nullptr;
    }
    static std::u16string itemText(HWND list, int row, int column) {
        // The list says how much it copied, not how long the text is: a
        // buffer that it filled may have cut the text.
        for (size_t size = 256;; size *= 2) {
            std::wstring text(size, L'\0');
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = text.data();
            item.cchTextMax = static_cast<int>(size);
            const auto length = static_cast<size_t>(
                SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
            if (length + 1 < size || size >= (size_t{1} << 20)) return std::u16string(text.begin(), text.begin() + length);
        }
    }
    static bool isChecked(HWND list, int row) {
        return (ListView_GetItemState(list, row, LVIS_STATEIMAGEMASK) >> 12) == 2;
    }
    /// Where a double-click on the row lands: the middle of its widest
    /// column, which is not where its check box is.
    static POINT pickPoint(HWND list, int row) {
        HWND header = ListView_GetHeader(list);
        const int columns = Header_GetItemCount(header);
        int widest = 0;
        for (int column = 1; column < columns; ++column) {
            if (ListView_GetColumnWidth(list, column) > ListView_GetColumnWidth(list, widest)) widest = column;
        }
        RECT cell{};
        if (widest == 0) {
            ListView_GetItemRect(list, row, &cell, LVIR_LABEL);
        } else {
            ListView_GetSubItemRect(list, row, widest, LVIR_BOUNDS, &cell);
        }
        return {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    }
    /// The middle of the row's check box, as the list finds what is at a
    /// place: across the row's start, before its icon.
    static std::optional<POINT> checkBoxOf(HWND list, int row) {
        RECT bounds{}, icon{};
        if (!ListView_GetItemRect(list, row, &bounds, LVIR_BOUNDS) || !ListView_GetItemRect(list, row, &icon, LVIR_ICON))
            return std::nullopt;
        const int y = (bounds.top + bounds.bottom) / 2;
        std::optional<int> first, last;
        for (int x = std::max(bounds.left, 0L); x < icon.left; ++x) {
            LVHITTESTINFO hit{};
            hit.pt = {x, y};
            if (ListView_HitTest(list, &hit) == row && (hit.flags & LVHT_ONITEMSTATEICON)) {
                if (!first) first = x;
                last = x;
            }
        }
        if (!first) return std::nullopt;
        return POINT{(*first + *last) / 2, y};
    }
    /// Lets this thread's message loop take what was posted, as a user's
    /// input goes through it.
    static void deliverInput() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    /// Enter or Esc, typed with the focus in the dialog's first text box, when
    /// the button that the key presses can be pressed.
    bool pressRole(bool isDefault, UINT key) {
        const ControlSpec* button = nullptr;
        const ControlSpec* firstTextBox = nullptr;
        for (const ControlSpec& entry : layout_.controls) {
            if (isDefault ? entry.isDefault : entry.isCancel) button = &entry;
            if (entry.kind == ControlKind::TextBox && (!firstTextBox || entry.tabIndex < firstTextBox->tabIndex))
                firstTextBox = &entry;
        }
        if (button == nullptr || firstTextBox == nullptr || !usable(button->name)) return false;
        HWND focus = child(firstTextBox->name);
        SetForegroundWindow(window_);
        SetFocus(focus);
        postKeyStroke(focus, key);
        deliverInput();
        return true;
    }

    HWND window_;
    const FormLayout& layout_;
};

}  // namespace

Win32Dialogs::Win32Dialogs(WindowObserver& windowObserver) : observer_(windowObserver) {
    watching = this;
    observer = &observer_;
}

Win32Dialogs::~Win32Dialogs() {
    watching = nullptr;
    observer = nullptr;
}

LRESULT CALLBACK Win32Dialogs::watch(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HC_ACTION && observer != nullptr) {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lparam);
        const UINT kind = message->message;
        if (kind == WM_CREATE || kind == WM_SHOWWINDOW || kind == WM_DESTROY) {
            const FormLayout* layout = nullptr;
            if (kind == WM_CREATE) {
                const auto* create = reinterpret_cast<const CREATESTRUCTW*>(message->lParam);
                wchar_t windowClass[32] = {};
                GetClassNameW(message->hwnd, windowClass, 32);
                if (std::wstring(windowClass) == win32::kDialogWindowClass && create->lpszName)
                    layout = layoutOfCaption(create->lpszName);
            } else {
                layout = formOf(message->hwnd);
            }
            if (layout != nullptr) {
                const char* op = kind == WM_CREATE ? "created"
                                 : kind == WM_DESTROY ? "destroyed"
                                 : message->wParam ? "shown"
                                                   : "hidden";
                if (kind == WM_DESTROY) watching->views_.erase(std::string(layout->name));
                observer->formEvent(layout->name, op);
            }
        }
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

DialogView* Win32Dialogs::find(std::string_view form) {
    for (const FormLayout* layout : {&frmFind::layout(), &frmReplace::layout()}) {
        if (layout->name != form) continue;
        const std::wstring caption(layout->caption.begin(), layout->caption.end());
        HWND window = FindWindowExW(nullptr, nullptr, win32::kDialogWindowClass, caption.c_str());
        if (window == nullptr) return nullptr;
        auto& view = views_[std::string(form)];
        if (!view || static_cast<Win32DialogView*>(view.get())->window() != window)
            view = std::make_unique<Win32DialogView>(window, *layout);
        return view.get();
    }
    return nullptr;
}

}  // namespace quillet::simhost
