#include "simhost/win32/HostWindow.h"

#include <algorithm>

#include "platform/win32/WindowText.h"

namespace quillet::simhost {

namespace {

using win32::windowText;

constexpr wchar_t kMainClass[] = L"QuilletStandInHost";
constexpr wchar_t kPanelClass[] = L"QuilletStandInStories";

constexpr int kBarButtonId = 1000;
constexpr int kPageButtonId = 2000;
constexpr int kStoryEditId = 3000;
constexpr UINT kRefreshMessage = WM_APP + 1;
constexpr UINT kClickMessage = WM_APP + 2;
constexpr UINT_PTR kLookTimer = 1;
constexpr UINT kLookMilliseconds = 200;

constexpr int kMargin = 8;
// The room that the add-in's dialogs take at the top left of the screen at
// 96 DPI, the Replace dialog's with its frame: the taller one.
constexpr int kBelowDialogs = 260;
constexpr int kEditLines = 5;
constexpr COLORREF kOnPage = RGB(255, 255, 255);
constexpr COLORREF kOffPage = RGB(226, 226, 226);

std::wstring wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

/// The screen's DPI, which the dialogs are laid out at.
int screenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}
std::wstring number(int64_t value) { return std::to_wstring(value); }

/// Sets a control's text only when it differs: setting it anew would move an
/// edit's caret and scroll it back to the top.
void setText(HWND window, const std::wstring& text) {
    if (windowText(window) != text) SetWindowTextW(window, text.c_str());
}

bool sameFrames(const std::vector<Frame>& a, const std::vector<Frame>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const Frame& x, const Frame& y) { return x.page == y.page && x.length == y.length; });
}

bool onPage(const StoryModel& story, int32_t page) {
    return std::any_of(story.frames.begin(), story.frames.end(), [&](const Frame& frame) { return frame.page == page; });
}

std::wstring framePlace(const Frame& frame) {
    return frame.page == 0 ? std::wstring(L"overflow (no page)") : L"page " + number(frame.page);
}

/// "Story 2: page 1 (144 characters), then page 2": where the story's text flows.
std::wstring storyLabel(size_t index, const StoryModel& story, int32_t displayedPage) {
    std::wstring label = L"Story " + number(static_cast<int64_t>(index) + 1) + L": ";
    for (size_t i = 0; i < story.frames.size(); ++i) {
        if (i > 0) label += L", then ";
        label += framePlace(story.frames[i]);
        if (i + 1 < story.frames.size()) label += L" (" + number(story.frames[i].length) + L" characters)";
    }
    if (onPage(story, displayedPage)) label += L"   \u2014 on the displayed page";
    return label;
}

/// A short quotation of a text on one line.
std::wstring quoted(std::u16string text) {
    constexpr size_t kLongest = 40;
    std::wstring shown;
    for (char16_t unit : text) {
        if (unit == u'\r') continue;
        shown += unit == u'\n' ? std::wstring(L" / ") : std::wstring(1, static_cast<wchar_t>(unit));
    }
    if (shown.size() > kLongest) shown = shown.substr(0, kLongest) + L"\u2026";
    return L"\u201C" + shown + L"\u201D";
}

HINSTANCE instance() { return GetModuleHandleW(nullptr); }

void registerClasses(WNDPROC mainProcedure, WNDPROC panelProcedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.hInstance = instance();
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    windowClass.lpfnWndProc = mainProcedure;
    windowClass.lpszClassName = kMainClass;
    // A second window of the program finds its classes registered already: not a failure.
    RegisterClassExW(&windowClass);
    windowClass.hIcon = nullptr;
    windowClass.lpfnWndProc = panelProcedure;
    windowClass.lpszClassName = kPanelClass;
    RegisterClassExW(&windowClass);
}

}  // namespace

HostWindow::HostWindow(InMemoryHost& host, const std::u16string& documentName, bool interactive)
    : host_(host), interactive_(interactive) {
    registerClasses(mainProcedure, panelProcedure);

    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    font_ = CreateFontIndirectW(&metrics.lfMessageFont);
    LOGFONTW textFont = metrics.lfMessageFont;
    textFont.lfHeight = textFont.lfHeight * 5 / 4;
    textFont_ = CreateFontIndirectW(&textFont);
    onPageBrush_ = CreateSolidBrush(kOnPage);
    offPageBrush_ = CreateSolidBrush(kOffPage);

    RECT work{0, 0, 1280, 1024};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    // A run of a scenario puts the window at the same place every time, so
    // that its pictures can be compared: below the top left corner, where the
    // add-in's dialogs open (the window system's default place), so that a
    // picture shows the host's bars and the dialogs whole. A user's desktop
    // places it where it likes.
    const int x = interactive_ ? CW_USEDEFAULT : work.left;
    const int below = std::min<int>(MulDiv(kBelowDialogs, screenDpi(), 96), (work.bottom - work.top) / 2);
    const int y = interactive_ ? CW_USEDEFAULT : work.top + below;
    // As large as the work area lets, up to a size that shows two columns of stories.
    const int width = std::min<int>(1040, work.right - work.left);
    const int height = std::min<int>(760, work.bottom - (interactive_ ? work.top : y));
    const std::wstring caption = L"Stand-in publishing host \u2014 " + wide(documentName);
    CreateWindowExW(0, kMainClass, caption.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x, y, width, height,
                    nullptr, nullptr, instance(), this);
    if (window_ == nullptr) return;

    pagesLabel_ = makeChild(window_, L"STATIC", L"Pages:", SS_LEFT | SS_NOPREFIX, 0);
    status_ = makeChild(window_, L"STATIC", L"", SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_SUNKEN, 0);
    CreateWindowExW(WS_EX_CLIENTEDGE, kPanelClass, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_CLIPCHILDREN, 0, 0, 0,
                    0, window_, nullptr, instance(), this);

    HDC dc = GetDC(window_);
    HGDIOBJ previous = SelectObject(dc, textFont_);
    TEXTMETRICW text{};
    GetTextMetricsW(dc, &text);
    lineHeight_ = text.tmHeight + text.tmExternalLeading;
    SelectObject(dc, previous);
    ReleaseDC(window_, dc);

    refresh();
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    if (interactive_) SetTimer(window_, kLookTimer, kLookMilliseconds, nullptr);
}

HostWindow::~HostWindow() {
    if (window_ != nullptr) {
        KillTimer(window_, kLookTimer);
        // Whatever the window still hears while it goes is no longer this object's.
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        if (panel_ != nullptr) SetWindowLongPtrW(panel_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    DeleteObject(font_);
    DeleteObject(textFont_);
    DeleteObject(onPageBrush_);
    DeleteObject(offPageBrush_);
}

void HostWindow::runUntilClosed() {
    running_ = true;
    MSG message;
    while (window_ != nullptr && GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    running_ = false;
}

void HostWindow::scheduleRefresh() {
    if (window_ == nullptr || refreshPosted_) return;
    refreshPosted_ = PostMessageW(window_, kRefreshMessage, 0, 0) != FALSE;
}

void HostWindow::screenUpdatingSet(bool updating) {
    if (window_ == nullptr) return;
    // Turned off, the window and its children leave the screen as it is.
    SendMessageW(window_, WM_SETREDRAW, updating ? TRUE : FALSE, 0);
    if (!updating) return;
    refresh();
    RedrawWindow(window_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void HostWindow::refresh() {
    if (window_ == nullptr || !host_.screenUpdating()) return;
    // What the user did since the last look goes to the host before the host's state comes back.
    readUserSelection();

    bool moved = false;
    const std::vector<BarModel> bars = host_.commandBars().bars();
    if (!barsShown_ || bars != shownBars_) {
        rebuildBars(bars);
        moved = true;
    }
    const PublicationModel& model = host_.publication().model();
    if (model.pageNumbers != shownPageNumbers_) {
        rebuildPages();
        moved = true;
    }
    const bool sameStories =
        model.stories.size() == shownFrames_.size() &&
        std::equal(model.stories.begin(), model.stories.end(), shownFrames_.begin(),
                   [](const StoryModel& story, const std::vector<Frame>& frames) { return sameFrames(story.frames, frames); });
    if (!sameStories) {
        rebuildStories();
        moved = true;
    }
    if (moved) layout();
    for (size_t i = 0; i < pageButtons_.size(); ++i) {
        const WPARAM pressed = static_cast<int32_t>(i) + 1 == model.displayedPage ? BST_CHECKED : BST_UNCHECKED;
        if (SendMessageW(pageButtons_[i], BM_GETCHECK, 0, 0) != static_cast<LRESULT>(pressed))
            SendMessageW(pageButtons_[i], BM_SETCHECK, pressed, 0);
    }
    updateStories();
    updateStatus();
}

HWND HostWindow::makeChild(HWND parent, const wchar_t* windowClass, const std::wstring& text, DWORD style, int id,
                           DWORD exStyle) {
    HWND child = CreateWindowExW(exStyle, windowClass, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance(), nullptr);
    if (child != nullptr) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return child;
}

void HostWindow::rebuildBars(const std::vector<BarModel>& bars) {
    for (HWND label : barLabels_) DestroyWindow(label);
    for (const BarButton& button : barButtons_) DestroyWindow(button.button);
    barLabels_.clear();
    barButtons_.clear();
    // The host shows its visible bars only, and a disabled bar's buttons cannot be pressed.
    for (const BarModel& bar : bars) {
        if (!bar.visible) continue;
        barLabels_.push_back(makeChild(window_, L"STATIC", wide(bar.name), SS_LEFT | SS_NOPREFIX, 0));
        for (const ControlModel& control : bar.controls) {
            if (!control.visible) continue;
            const int id = kBarButtonId + static_cast<int>(barButtons_.size());
            HWND button = makeChild(window_, L"BUTTON", wide(control.caption), BS_PUSHBUTTON | WS_TABSTOP, id);
            EnableWindow(button, bar.enabled && control.enabled);
            // The row it belongs to travels in its user data, for layout().
            SetWindowLongPtrW(button, GWLP_USERDATA, static_cast<LONG_PTR>(barLabels_.size() - 1));
            barButtons_.push_back({button, bar.name, control.caption});
        }
    }
    if (barLabels_.empty())
        barLabels_.push_back(makeChild(window_, L"STATIC", L"(no command bars)", SS_LEFT | SS_NOPREFIX, 0));
    shownBars_ = bars;
    barsShown_ = true;
}

void HostWindow::rebuildPages() {
    for (HWND button : pageButtons_) DestroyWindow(button);
    pageButtons_.clear();
    shownPageNumbers_ = host_.publication().model().pageNumbers;
    for (size_t i = 0; i < shownPageNumbers_.size(); ++i) {
        pageButtons_.push_back(makeChild(window_, L"BUTTON", wide(shownPageNumbers_[i]),
                                         BS_CHECKBOX | BS_PUSHLIKE | WS_TABSTOP, kPageButtonId + static_cast<int>(i)));
    }
}

void HostWindow::rebuildStories() {
    for (const StoryView& view : stories_) {
        DestroyWindow(view.label);
        DestroyWindow(view.edit);
    }
    stories_.clear();
    shownFrames_.clear();
    shownSelection_.reset();
    selectionShown_ = false;
    const std::vector<StoryModel>& stories = host_.publication().model().stories;
    const DWORD editStyle = ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL | WS_VSCROLL | WS_TABSTOP |
                            (interactive_ ? 0 : ES_READONLY);
    for (size_t i = 0; i < stories.size(); ++i) {
        StoryView view;
        view.label = makeChild(panel_, L"STATIC", L"", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0);
        view.edit = makeChild(panel_, L"EDIT", L"", editStyle, kStoryEditId + static_cast<int>(i), WS_EX_CLIENTEDGE);
        SendMessageW(view.edit, WM_SETFONT, reinterpret_cast<WPARAM>(textFont_), FALSE);
        // An edit control holds 32,767 characters unless told otherwise; stories may be longer.
        SendMessageW(view.edit, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
        stories_.push_back(view);
        shownFrames_.push_back(stories[i].frames);
    }
}

void HostWindow::updateStories() {
    const PublicationModel& model = host_.publication().model();
    const bool selectionMoved = !selectionShown_ || model.selection != shownSelection_;
    writing_ = true;
    for (size_t i = 0; i < stories_.size() && i < model.stories.size(); ++i) {
        StoryView& view = stories_[i];
        const StoryModel& story = model.stories[i];
        setText(view.label, storyLabel(i, story, model.displayedPage));
        // An edit control keeps the text's code units as they are, CR LF as a
        // line break included, so its positions are the host's positions less one.
        setText(view.edit, wide(story.text));
        const bool on = onPage(story, model.displayedPage);
        if (on != view.onDisplayedPage) {
            view.onDisplayedPage = on;
            InvalidateRect(view.edit, nullptr, TRUE);
        }
        DWORD start = 0;
        DWORD end = 0;
        if (model.selection && model.selection->story == static_cast<int32_t>(i) + 1) {
            start = static_cast<DWORD>(model.selection->start - 1);
            end = start + static_cast<DWORD>(model.selection->length);
        }
        DWORD shownStart = 0;
        DWORD shownEnd = 0;
        SendMessageW(view.edit, EM_GETSEL, reinterpret_cast<WPARAM>(&shownStart), reinterpret_cast<LPARAM>(&shownEnd));
        if (shownStart != start || shownEnd != end) SendMessageW(view.edit, EM_SETSEL, start, end);
        view.knownStart = start;
        view.knownEnd = end;
    }
    writing_ = false;
    if (selectionMoved) {
        shownSelection_ = model.selection;
        selectionShown_ = true;
        if (model.selection && model.selection->story >= 1 &&
            model.selection->story <= static_cast<int32_t>(stories_.size())) {
            const auto index = static_cast<size_t>(model.selection->story - 1);
            showStory(index);
            SendMessageW(stories_[index].edit, EM_SCROLLCARET, 0, 0);
        }
    }
}

void HostWindow::updateStatus() {
    const PublicationModel& model = host_.publication().model();
    std::wstring status = L"  Page " + number(model.displayedPage) + L" of " +
                          number(static_cast<int64_t>(model.pageNumbers.size())) + L" is displayed.      Selection: ";
    if (!model.selection) {
        status += L"none";
    } else {
        const SelectionModel& selection = *model.selection;
        status += L"story " + number(selection.story) + L", from " + number(selection.start) + L", " +
                  number(selection.length) + (selection.length == 1 ? L" character" : L" characters");
        if (selection.story >= 1 && selection.story <= static_cast<int32_t>(model.stories.size()) &&
            selection.length > 0) {
            const std::u16string& text = model.stories[static_cast<size_t>(selection.story - 1)].text;
            status += L" " + quoted(text.substr(static_cast<size_t>(selection.start - 1),
                                                static_cast<size_t>(selection.length)));
        }
    }
    setText(status_, status);
}

void HostWindow::layout() {
    if (window_ == nullptr) return;
    RECT client{};
    GetClientRect(window_, &client);
    HDC dc = GetDC(window_);
    HGDIOBJ previous = SelectObject(dc, font_);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const auto textWidth = [&](HWND control) {
        const std::wstring text = windowText(control);
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
    };
    const int rowHeight = metrics.tmHeight + 12;
    const int labelTop = (rowHeight - metrics.tmHeight) / 2;

    int y = kMargin;
    for (size_t row = 0; row < barLabels_.size(); ++row) {
        int x = kMargin;
        const int labelWidth = std::max(textWidth(barLabels_[row]) + 12, 120);
        MoveWindow(barLabels_[row], x, y + labelTop, labelWidth, metrics.tmHeight + 2, TRUE);
        x += labelWidth;
        for (const BarButton& button : barButtons_) {
            if (static_cast<size_t>(GetWindowLongPtrW(button.button, GWLP_USERDATA)) != row) continue;
            const int width = std::max(textWidth(button.button) + 24, 72);
            MoveWindow(button.button, x, y, width, rowHeight, TRUE);
            x += width + 4;
        }
        y += rowHeight + 4;
    }
    y += 2;
    int x = kMargin;
    const int pagesWidth = textWidth(pagesLabel_) + 12;
    MoveWindow(pagesLabel_, x, y + labelTop, pagesWidth, metrics.tmHeight + 2, TRUE);
    x += std::max(pagesWidth, 120);
    for (HWND button : pageButtons_) {
        const int width = std::max(textWidth(button) + 20, 36);
        MoveWindow(button, x, y, width, rowHeight, TRUE);
        x += width + 2;
    }
    y += rowHeight + kMargin;

    const int statusHeight = metrics.tmHeight + 8;
    const int statusTop = std::max<int>(y, client.bottom - statusHeight);
    MoveWindow(status_, 0, statusTop, client.right, statusHeight, TRUE);
    MoveWindow(panel_, 0, y, client.right, std::max(0, statusTop - y - 2), TRUE);
    SelectObject(dc, previous);
    ReleaseDC(window_, dc);
    layoutStories();
}

void HostWindow::layoutStories() {
    if (panel_ == nullptr) return;
    RECT client{};
    GetClientRect(panel_, &client);
    HDC dc = GetDC(panel_);
    HGDIOBJ previous = SelectObject(dc, font_);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(panel_, dc);

    columns_ = client.right >= 640 ? 2 : 1;
    const int columnWidth = std::max(40, (static_cast<int>(client.right) - kMargin * (columns_ + 1)) / columns_);
    const int labelHeight = metrics.tmHeight + 6;
    const int editHeight = kEditLines * lineHeight_ + 8;
    cellHeight_ = labelHeight + editHeight + kMargin;
    const int rows = (static_cast<int>(stories_.size()) + columns_ - 1) / columns_;
    storiesHeight_ = kMargin + rows * cellHeight_;
    scroll_ = std::clamp(scroll_, 0, std::max(0, storiesHeight_ - static_cast<int>(client.bottom)));

    for (size_t i = 0; i < stories_.size(); ++i) {
        const int column = static_cast<int>(i) % columns_;
        const int row = static_cast<int>(i) / columns_;
        const int x = kMargin + column * (columnWidth + kMargin);
        const int y = kMargin + row * cellHeight_ - scroll_;
        MoveWindow(stories_[i].label, x, y, columnWidth, labelHeight, TRUE);
        MoveWindow(stories_[i].edit, x, y + labelHeight, columnWidth, editHeight, TRUE);
    }
    // The scroll bar stays, disabled when all fits, so that the panel's width never changes with it.
    SCROLLINFO scroll{};
    scroll.cbSize = sizeof(scroll);
    scroll.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    scroll.nMin = 0;
    scroll.nMax = std::max(0, storiesHeight_ - 1);
    scroll.nPage = static_cast<UINT>(std::max<LONG>(0, client.bottom));
    scroll.nPos = scroll_;
    SetScrollInfo(panel_, SB_VERT, &scroll, TRUE);
}

void HostWindow::scrollStoriesTo(int offset) {
    if (offset == scroll_) return;
    scroll_ = offset;
    layoutStories();
    InvalidateRect(panel_, nullptr, TRUE);
}

void HostWindow::showStory(size_t index) {
    if (panel_ == nullptr || cellHeight_ == 0) return;
    RECT client{};
    GetClientRect(panel_, &client);
    const int top = static_cast<int>(index) / columns_ * cellHeight_;
    const int bottom = top + cellHeight_ + kMargin;
    if (top < scroll_) {
        scrollStoriesTo(top);
    } else if (bottom > scroll_ + client.bottom) {
        scrollStoriesTo(bottom - client.bottom);
    }
}

void HostWindow::readUserSelection() {
    if (!interactive_ || writing_) return;
    HWND focus = GetFocus();
    for (size_t i = 0; i < stories_.size(); ++i) {
        StoryView& view = stories_[i];
        if (view.edit != focus) continue;
        DWORD start = 0;
        DWORD end = 0;
        SendMessageW(view.edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        if (start == view.knownStart && end == view.knownEnd) return;
        view.knownStart = start;
        view.knownEnd = end;
        const SelectionModel selection{static_cast<int32_t>(i) + 1, static_cast<int32_t>(start) + 1,
                                       static_cast<int32_t>(end - start)};
        host_.publication().select(selection);
        // The user sees where they selected: the window need not scroll there.
        shownSelection_ = host_.publication().model().selection;
        updateStatus();
        return;
    }
}

LRESULT CALLBACK HostWindow::mainProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<HostWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
    // Nothing may be thrown through the window system.
    try {
        return self->onMain(message, wparam, lparam);
    } catch (...) {
        return DefWindowProcW(window, message, wparam, lparam);
    }
}

LRESULT CALLBACK HostWindow::panelProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<HostWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        self->panel_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
    try {
        return self->onPanel(message, wparam, lparam);
    } catch (...) {
        return DefWindowProcW(window, message, wparam, lparam);
    }
}

LRESULT HostWindow::onMain(UINT message, WPARAM wparam, LPARAM lparam) {
    HWND window = window_;
    switch (message) {
        case WM_SIZE:
            layout();
            return 0;
        case WM_COMMAND: {
            const int id = LOWORD(wparam);
            if (HIWORD(wparam) != BN_CLICKED) break;
            if (id >= kBarButtonId && id < kBarButtonId + static_cast<int>(barButtons_.size())) {
                const BarButton& button = barButtons_[static_cast<size_t>(id - kBarButtonId)];
                pendingClicks_.emplace_back(button.bar, button.caption);
                PostMessageW(window, kClickMessage, 0, 0);
                return 0;
            }
            if (id >= kPageButtonId && id < kPageButtonId + static_cast<int>(pageButtons_.size())) {
                if (interactive_) host_.publication().displayPage(id - kPageButtonId + 1);
                refresh();
                return 0;
            }
            break;
        }
        case kClickMessage:
            if (!pendingClicks_.empty()) {
                const auto [bar, caption] = pendingClicks_.front();
                pendingClicks_.pop_front();
                host_.commandBars().click(bar, caption);
                refresh();
            }
            return 0;
        case kRefreshMessage:
            refreshPosted_ = false;
            refresh();
            return 0;
        case WM_TIMER:
            if (wparam == kLookTimer) refresh();
            return 0;
        case WM_MOUSEWHEEL:
            return SendMessageW(panel_, message, wparam, lparam);
        case WM_DESTROY:
            KillTimer(window, kLookTimer);
            if (running_) PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            window_ = nullptr;
            panel_ = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

LRESULT HostWindow::onPanel(UINT message, WPARAM wparam, LPARAM lparam) {
    HWND panel = panel_;
    switch (message) {
        case WM_SIZE:
            layoutStories();
            return 0;
        case WM_VSCROLL:
            scrollStoriesBy(LOWORD(wparam));
            return 0;
        case WM_MOUSEWHEEL:
            scrollStoriesWithin(scroll_ - GET_WHEEL_DELTA_WPARAM(wparam) * 3 * lineHeight_ / WHEEL_DELTA);
            return 0;
        case WM_COMMAND:
            if (onStoryEdit(LOWORD(wparam) - kStoryEditId, HIWORD(wparam))) return 0;
            break;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC: {
            // Read-only edits ask with WM_CTLCOLORSTATIC, like labels.
            const int index = GetDlgCtrlID(reinterpret_cast<HWND>(lparam)) - kStoryEditId;
            if (index < 0 || index >= static_cast<int>(stories_.size())) break;
            return storyColors(stories_[static_cast<size_t>(index)], reinterpret_cast<HDC>(wparam));
        }
        case WM_NCDESTROY:
            panel_ = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcW(panel, message, wparam, lparam);
}

void HostWindow::scrollStoriesBy(WORD request) {
    RECT client{};
    GetClientRect(panel_, &client);
    SCROLLINFO scroll{};
    scroll.cbSize = sizeof(scroll);
    scroll.fMask = SIF_TRACKPOS;
    GetScrollInfo(panel_, SB_VERT, &scroll);
    int offset = scroll_;
    switch (request) {
        case SB_LINEUP: offset -= lineHeight_; break;
        case SB_LINEDOWN: offset += lineHeight_; break;
        case SB_PAGEUP: offset -= client.bottom; break;
        case SB_PAGEDOWN: offset += client.bottom; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: offset = scroll.nTrackPos; break;
        case SB_TOP: offset = 0; break;
        case SB_BOTTOM: offset = storiesHeight_; break;
        default: break;
    }
    scrollStoriesWithin(offset);
}

void HostWindow::scrollStoriesWithin(int offset) {
    RECT client{};
    GetClientRect(panel_, &client);
    scrollStoriesTo(std::clamp(offset, 0, std::max(0, storiesHeight_ - static_cast<int>(client.bottom))));
}

bool HostWindow::onStoryEdit(int index, WORD notification) {
    if (index < 0 || index >= static_cast<int>(stories_.size()) || writing_ || !interactive_) return false;
    if (notification == EN_CHANGE) {
        const std::wstring text = windowText(stories_[static_cast<size_t>(index)].edit);
        host_.publication().editStory(index + 1, std::u16string(text.begin(), text.end()));
        readUserSelection();
        updateStatus();
        return true;
    }
    if (notification != EN_SETFOCUS) return false;
    readUserSelection();
    return true;
}

LRESULT HostWindow::storyColors(const StoryView& story, HDC dc) const {
    SetBkColor(dc, story.onDisplayedPage ? kOnPage : kOffPage);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return reinterpret_cast<LRESULT>(story.onDisplayedPage ? onPageBrush_ : offPageBrush_);
}

}  // namespace quillet::simhost
