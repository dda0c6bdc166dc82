#include "dialogs/win32/ListControl.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <string>

#include "dialogs/PixelLayout.h"

namespace quillet::win32 {

namespace {

/// Where a cell's text starts within it, at 96 DPI: about where the list
/// puts the text of the cells that it draws itself.
constexpr int kTextMarginAt96Dpi = 6;

/// The state images of a list with check boxes: 1 unchecked, 2 checked.
UINT checkImage(bool checked) { return INDEXTOSTATEIMAGEMASK(checked ? 2 : 1); }

}  // namespace

ListControl::~ListControl() {
    if (apart_) DeleteObject(apart_);
}

HWND ListControl::create(HWND parent, int id, HINSTANCE module) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    // Single selection: a pick is one row. No sorting header: the rows come
    // in the order their dialog keeps.
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL |
                        LVS_SHOWSELALWAYS | LVS_NOSORTHEADER;
    list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", style, 0, 0, 0, 0, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module, nullptr);
    if (!list_) return nullptr;
    DWORD extended = LVS_EX_FULLROWSELECT;
    if (control_.checkBoxes) extended |= LVS_EX_CHECKBOXES;
    ListView_SetExtendedListViewStyleEx(list_, extended, extended);
    // The check states are the rows' own: the list asks for them as it asks
    // for the texts.
    if (control_.checkBoxes) ListView_SetCallbackMask(list_, LVIS_STATEIMAGEMASK);
    for (size_t i = 0; i < control_.columns.size(); ++i) {
        const ListColumn& column = control_.columns[i];
        if (column.setsApart && !setApartColumn_) setApartColumn_ = i;
        std::wstring caption(column.caption.begin(), column.caption.end());
        LVCOLUMNW entry{};
        entry.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        // Where the platform knows it, the header itself keeps a hidden
        // column shut; headerAllows does it where it does not.
        entry.fmt = LVCFMT_LEFT | (column.width == 0 ? LVCFMT_FIXED_WIDTH : 0);
        entry.pszText = caption.data();
        entry.iSubItem = static_cast<int>(i);
        // The W message by name: the macro sends the A one in a build without UNICODE.
        if (SendMessageW(list_, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&entry)) < 0) {
            DestroyWindow(list_);
            list_ = nullptr;
            return nullptr;
        }
    }
    // Subclassed through the window's own procedure and user data rather
    // than SetWindowSubclass, whose lookup of a window property at every
    // message costs a round trip to the server under Wine: a tenth of a
    // millisecond for each message, seconds for ten thousand rows read.
    SetWindowLongPtrW(list_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    listDefault_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(list_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProcedure)));
    return list_;
}

void ListControl::scaleTo(UINT dpi, HFONT font) {
    for (size_t i = 0; i < control_.columns.size(); ++i)
        ListView_SetColumnWidth(list_, static_cast<int>(i), pixelsOf(control_.columns[i].width, static_cast<int>(dpi)));
    textMargin_ = MulDiv(kTextMarginAt96Dpi, static_cast<int>(dpi), 96);
    LOGFONTW described{};
    if (font == nullptr || !GetObjectW(font, sizeof described, &described)) return;
    // Underlined as well: some faces' bold at a dialog's size has the
    // regular strokes, only wider apart (Wine's Tahoma does).
    described.lfWeight = FW_BOLD;
    described.lfUnderline = TRUE;
    HFONT apart = CreateFontIndirectW(&described);
    if (apart_) DeleteObject(apart_);
    apart_ = apart;
}

void ListControl::bind(const ListRows& rows) {
    rows_ = &rows;
    changed(/*fromTop=*/true);
}

void ListControl::changed(bool fromTop) {
    const int count = static_cast<int>(std::min<size_t>(rowCount(), INT_MAX));
    // The list keeps only which row is selected and has the focus, and rows
    // past a new count lose them: no rows at all is the cheap way to clear
    // them, where setting the state of every row would visit every row.
    if (fromTop) ListView_SetItemCountEx(list_, 0, 0);
    ListView_SetItemCountEx(list_, count, fromTop ? 0 : LVSICF_NOSCROLL);
    if (fromTop && count > 0) ListView_EnsureVisible(list_, 0, /*fPartialOK=*/FALSE);
    // Rows on show may have new texts or checks at the same count.
    InvalidateRect(list_, nullptr, /*bErase=*/TRUE);
}

LRESULT ListControl::notify(NMHDR& header) {
    switch (header.code) {
        case LVN_GETDISPINFOW: return answerDispInfo(reinterpret_cast<NMLVDISPINFOW&>(header).item);
        case NM_CUSTOMDRAW: return customDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
        case NM_DBLCLK: {
            // A double-click on a check box never gets here: it is two clicks on the box.
            const int row = reinterpret_cast<const NMITEMACTIVATE&>(header).iItem;
            if (row >= 0 && static_cast<size_t>(row) < rowCount()) events_.onPick(control_.name, static_cast<size_t>(row));
            return 0;
        }
        // The rows are not looked up by what their first column starts with.
        case LVN_ODFINDITEMW: return -1;
        default: return 0;
    }
}

LRESULT ListControl::answerDispInfo(LVITEMW& item) const {
    const bool known = item.iItem >= 0 && static_cast<size_t>(item.iItem) < rowCount();
    const auto row = static_cast<size_t>(item.iItem);
    if ((item.mask & LVIF_TEXT) && item.pszText != nullptr && item.cchTextMax > 0) {
        std::u16string text;
        if (known && item.iSubItem >= 0 && static_cast<size_t>(item.iSubItem) < control_.columns.size())
            text = rows_->cell(row, static_cast<size_t>(item.iSubItem));
        // The list gives a buffer of its own size; a longer text is cut.
        const size_t length = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
        std::copy_n(text.begin(), length, item.pszText);
        item.pszText[length] = L'\0';
    }
    if ((item.mask & LVIF_STATE) && control_.checkBoxes && known) {
        item.state = (item.state & ~LVIS_STATEIMAGEMASK) | checkImage(rows_->checked(row));
        item.stateMask |= LVIS_STATEIMAGEMASK;
    }
    return 0;
}

LRESULT ListControl::customDraw(NMLVCUSTOMDRAW& draw) const {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT: return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
            const auto row = static_cast<size_t>(draw.nmcd.dwItemSpec);
            if (row >= rowCount()) return CDRF_DODEFAULT;
            const bool stale = rows_->stale(row);
            if (setApartColumn_ && static_cast<size_t>(draw.iSubItem) == *setApartColumn_) {
                drawSetApart(draw.nmcd.hdc, row, stale);
                return CDRF_SKIPDEFAULT;
            }
            // Set for every cell: a colour set for one cell stays for the
            // next ones of its row. The list draws a selected row in the
            // selection's colours whatever is set here.
            draw.clrText = stale ? GetSysColor(COLOR_GRAYTEXT) : CLR_DEFAULT;
            return CDRF_DODEFAULT;
        }
        default: return CDRF_DODEFAULT;
    }
}

void ListControl::drawSetApart(HDC dc, size_t row, bool stale) const {
    const int item = static_cast<int>(row);
    const int column = static_cast<int>(*setApartColumn_);
    RECT cell{};
    // The first column's bounds are the whole row's; its label is its text's place.
    const bool found = column == 0 ? ListView_GetItemRect(list_, item, &cell, LVIR_LABEL)
                                   : ListView_GetSubItemRect(list_, item, column, LVIR_BOUNDS, &cell);
    if (!found || cell.right <= cell.left) return;

    // The colours that the list gives the cells that it draws itself.
    const bool selected = ListView_GetItemState(list_, item, LVIS_SELECTED) & LVIS_SELECTED;
    const bool focused = GetFocus() == list_;
    int back = COLOR_WINDOW;
    int fore = COLOR_WINDOWTEXT;
    if (selected && focused) {
        back = COLOR_HIGHLIGHT;
        fore = COLOR_HIGHLIGHTTEXT;
    } else if (selected) {
        back = COLOR_BTNFACE;
        fore = COLOR_BTNTEXT;
    }
    if ((stale && !(selected && focused)) || !IsWindowEnabled(list_)) fore = COLOR_GRAYTEXT;
    FillRect(dc, &cell, GetSysColorBrush(back));

    const std::u16string text = rows_->cell(row, *setApartColumn_);
    const std::wstring shown(text.begin(), text.end());
    // What the rows say is trusted no further than the text it is in.
    auto [first, length] = rows_->setApart(row);
    first = std::min(first, shown.size());
    length = std::min(length, shown.size() - first);
    HFONT normal = reinterpret_cast<HFONT>(SendMessageW(list_, WM_GETFONT, 0, 0));
    const struct {
        size_t from, count;
        HFONT font;
    } runs[] = {{0, first, normal}, {first, length, apart_ ? apart_ : normal}, {first + length, shown.size() - first - length, normal}};

    const int saved = SaveDC(dc);
    IntersectClipRect(dc, cell.left, cell.top, cell.right, cell.bottom);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(fore));
    int x = cell.left + textMargin_;
    for (const auto& run : runs) {
        if (run.count == 0 || x >= cell.right) continue;
        if (run.font) SelectObject(dc, run.font);
        const int count = static_cast<int>(run.count);
        RECT place{x, cell.top, cell.right, cell.bottom};
        DrawTextW(dc, shown.data() + run.from, count, &place, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        SIZE extent{};
        GetTextExtentPoint32W(dc, shown.data() + run.from, count, &extent);
        x += extent.cx;
    }
    RestoreDC(dc, saved);
}

std::optional<size_t> ListControl::currentRow() const {
    int row = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
    if (row < 0) row = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
    if (row < 0 || static_cast<size_t>(row) >= rowCount()) return std::nullopt;
    return static_cast<size_t>(row);
}

std::optional<size_t> ListControl::checkBoxAt(POINT at) const {
    if (!control_.checkBoxes) return std::nullopt;
    LVHITTESTINFO hit{};
    hit.pt = at;
    const int row = ListView_HitTest(list_, &hit);
    if (row < 0 || static_cast<size_t>(row) >= rowCount() || !(hit.flags & LVHT_ONITEMSTATEICON)) return std::nullopt;
    // Where a full-row hit reports every part of the row, the box is what
    // lies before the row's icon.
    RECT icon{};
    if (ListView_GetItemRect(list_, row, &icon, LVIR_ICON) && at.x >= icon.left) return std::nullopt;
    return static_cast<size_t>(row);
}

void ListControl::toggle(size_t row) {
    if (row < rowCount()) events_.onCheck(control_.name, row, !rows_->checked(row));
}

bool ListControl::headerAllows(const NMHDR& note) const {
    if (note.hwndFrom != ListView_GetHeader(list_)) return true;
    // The W and A forms differ only in the text that pitem points to.
    const auto& change = reinterpret_cast<const NMHEADERW&>(note);
    const bool hidden = change.iItem >= 0 && static_cast<size_t>(change.iItem) < control_.columns.size() &&
                        control_.columns[static_cast<size_t>(change.iItem)].width == 0;
    if (!hidden) return true;
    switch (note.code) {
        // Dragging its divider, or double-clicking it to fit the text.
        case HDN_BEGINTRACKW:
        case HDN_BEGINTRACKA:
        case HDN_DIVIDERDBLCLICKW:
        case HDN_DIVIDERDBLCLICKA: return false;
        // Any other way to a width, such as the keys that fit every column.
        case HDN_ITEMCHANGINGW:
        case HDN_ITEMCHANGINGA:
            return change.pitem == nullptr || !(change.pitem->mask & HDI_WIDTH) || change.pitem->cxy == 0;
        default: return true;
    }
}

LRESULT CALLBACK ListControl::listProcedure(HWND list, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<ListControl*>(GetWindowLongPtrW(list, GWLP_USERDATA));
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(self->listDefault_));
        SetWindowLongPtrW(list, GWLP_USERDATA, 0);
        return CallWindowProcW(self->listDefault_, list, message, wparam, lparam);
    }
    return self->handleListMessage(message, wparam, lparam);
}

LRESULT ListControl::handleListMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_GETDLGCODE: {
            LRESULT code = CallWindowProcW(listDefault_, list_, message, wparam, lparam);
            // Enter picks the row: the dialog's keys leave it to the list
            // instead of pressing the default button.
            const auto* key = reinterpret_cast<const MSG*>(lparam);
            if (key != nullptr && key->message == WM_KEYDOWN && key->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
            return code;
        }
        case WM_KEYDOWN:
            if (wparam == VK_RETURN) {
                if (const auto row = currentRow()) events_.onPick(control_.name, *row);
                return 0;
            }
            if (wparam == VK_SPACE && control_.checkBoxes) {
                if (const auto row = currentRow()) toggle(*row);
                return 0;
            }
            break;
        case WM_CHAR:
            // The characters of the keys above: the list would look them
            // up among the rows.
            if (wparam == L'\r' || (wparam == L' ' && control_.checkBoxes)) return 0;
            break;
        // The list would set a state that it does not keep; a double-click
        // on a box is two clicks on it, not a pick.
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (const auto row = checkBoxAt({GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)})) {
                SetFocus(list_);
                toggle(*row);
                return 0;
            }
            break;
        case WM_NOTIFY:
            if (!headerAllows(*reinterpret_cast<const NMHDR*>(lparam))) return TRUE;
            break;
        default: break;
    }
    return CallWindowProcW(listDefault_, list_, message, wparam, lparam);
}

}  // namespace quillet::win32
