#include "dialogs/win32/Win32Windows.h"

#include <shobjidl.h>

#include <memory>
#include <string>
#include <vector>

#include "dialogs/PixelLayout.h"
#include "dialogs/win32/CaptionWidth.h"
#include "dialogs/win32/DialogFont.h"
#include "dialogs/win32/DialogKeys.h"
#include "dialogs/win32/Dpi.h"
#include "dialogs/win32/ListControl.h"
#include "dialogs/win32/PopupMenu.h"
#include "dialogs/win32/ThreadHold.h"
#include "platform/win32/ComFailure.h"
#include "platform/win32/ComPtr.h"
#include "platform/win32/WindowText.h"

namespace quillet::win32 {

namespace {

constexpr const wchar_t* kWindowClass = kDialogWindowClass;
constexpr int kFirstControlId = 100;

std::wstring wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

class Win32Window : public Window {
public:
    Win32Window(const FormLayout& layout, WindowEvents& events) : layout_(layout), events_(events) {}
    ~Win32Window() override {
        if (hwnd_) {
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
            DestroyWindow(hwnd_);
            dialogWindowDestroyed();
        }
        if (font_) DeleteObject(font_);
        for (HICON icon : icons_) {
            if (icon) DestroyIcon(icon);
        }
    }

    Status create(HINSTANCE module);

    WindowHandle handle() const override { return reinterpret_cast<WindowHandle>(hwnd_); }
    void show() override {
        if (!hwnd_ || IsWindowVisible(hwnd_)) return;
        ShowWindow(hwnd_, SW_SHOW);
        if (!layout_.showInTaskbar) removeTaskbarButton();
        if (!shownBefore_) {
            shownBefore_ = true;
            if (HWND first = firstTabStop()) SetFocus(first);
        }
    }
    void hide() override {
        if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
    }
    bool visible() const override { return hwnd_ && IsWindowVisible(hwnd_); }

    std::u16string text(std::string_view control) const override {
        HWND child = controlWindow(control);
        if (!child) return {};
        const std::wstring text = windowText(child);
        return std::u16string(text.begin(), text.end());
    }
    int checkValue(std::string_view control) const override {
        HWND child = controlWindow(control);
        return child ? static_cast<int>(SendMessageW(child, BM_GETCHECK, 0, 0)) : 0;
    }
    bool enabled(std::string_view control) const override {
        HWND child = controlWindow(control);
        return child && IsWindowEnabled(child);
    }
    void setEnabled(std::string_view control, bool enabled) override {
        if (HWND child = controlWindow(control)) EnableWindow(child, enabled);
    }
    void setText(std::string_view control, const std::u16string& text) override {
        if (HWND child = controlWindow(control)) SetWindowTextW(child, wide(text).c_str());
    }
    void selectAll(std::string_view control) override {
        if (HWND child = controlWindow(control)) SendMessageW(child, EM_SETSEL, 0, -1);
    }
    std::string lastTextBox() const override { return lastTextBox_; }
    void insertAtCaret(std::string_view control, const std::u16string& text) override {
        HWND child = controlWindow(control);
        if (!child) return;
        SendMessageW(child, EM_REPLACESEL, /*canUndo=*/TRUE, reinterpret_cast<LPARAM>(wide(text).c_str()));
        // The user goes on typing where the code went.
        SetFocus(child);
    }
    std::optional<size_t> chooseFrom(std::string_view control, std::span<const std::u16string_view> items) override {
        HWND button = controlWindow(control);
        return button ? choosePopup(hwnd_, button, items) : std::nullopt;
    }
    void bindList(std::string_view control, const ListRows& rows) override {
        if (ListControl* list = listControl(control)) list->bind(rows);
    }
    void listChanged(std::string_view control, bool fromTop) override {
        if (ListControl* list = listControl(control)) list->changed(fromTop);
    }
    std::unique_ptr<ModalHold> holdModal(std::string_view control) override {
        return std::make_unique<ThreadHold>(hwnd_, controlWindow(control));
    }
    void pumpMessages() override {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            // The host's loop is to see that it should end, once the job
            // that pumps here has returned to it.
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return;
            }
            // The dialogs' keys and the input that a hold keeps from the
            // user were taken care of when the message was fetched.
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

private:
    HWND controlWindow(std::string_view control) const {
        for (size_t i = 0; i < layout_.controls.size(); ++i) {
            if (layout_.controls[i].name == control) return children_[i];
        }
        return nullptr;
    }
    ListControl* listControl(std::string_view control) const {
        for (size_t i = 0; i < layout_.controls.size(); ++i) {
            if (layout_.controls[i].name == control) return lists_[i].get();
        }
        return nullptr;
    }
    ListControl* listOfId(UINT_PTR id) const {
        const UINT_PTR index = id - kFirstControlId;
        return id >= kFirstControlId && index < lists_.size() ? lists_[index].get() : nullptr;
    }
    const ControlSpec* specOf(int id) const {
        const int index = id - kFirstControlId;
        if (index < 0 || index >= static_cast<int>(layout_.controls.size())) return nullptr;
        return &layout_.controls[static_cast<size_t>(index)];
    }
    const ControlSpec* roleButton(bool isDefault) const {
        for (const ControlSpec& entry : layout_.controls) {
            if (isDefault ? entry.isDefault : entry.isCancel) return &entry;
        }
        return nullptr;
    }
    /// The control that a modal hold leaves the user in this window, if any.
    const ControlSpec* heldOpen() const {
        HWND live = ThreadHold::liveControlIn(hwnd_);
        return live ? specOf(GetDlgCtrlID(live)) : nullptr;
    }
    void command(int id, int code);
    /// A disabled button cannot be pressed, whatever reached it.
    void press(const ControlSpec* entry) {
        if (entry && enabled(entry->name)) events_.onClick(entry->name);
    }
    HWND firstTabStop() const {
        const ControlSpec* first = nullptr;
        for (const ControlSpec& entry : layout_.controls) {
            const bool takesFocus = entry.kind != ControlKind::Label && entry.kind != ControlKind::RichText;
            if (takesFocus && (!first || entry.tabIndex < first->tabIndex)) first = &entry;
        }
        return first ? controlWindow(first->name) : nullptr;
    }
    /// A top-level window without an owner gets a taskbar button; the shell
    /// is asked to take this one's away.
    void removeTaskbarButton() {
        ComPtr<ITaskbarList> taskbar;
        if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList,
                                    reinterpret_cast<void**>(taskbar.out()))))
            return;
        if (SUCCEEDED(taskbar->HrInit())) taskbar->DeleteTab(hwnd_);
    }
    void setIcons(HINSTANCE module) {
        for (int i = 0; i < 2; ++i) {
            const int size = GetSystemMetrics(i == 0 ? SM_CXICON : SM_CXSMICON);
            icons_[i] = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0));
            SendMessageW(hwnd_, WM_SETICON, i == 0 ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icons_[i]));
        }
    }

    Status createFrame(HINSTANCE module);
    Status createControls(HINSTANCE module);
    HWND createControl(const ControlSpec& entry, size_t index, HINSTANCE module);
    /// The layout in pixels at `dpi`, each caption measured in `font`.
    PixelLayout placedAt(UINT dpi, HFONT font) const;
    /// Gives the controls a font made for `dpi` and places them at `dpi`.
    /// Texts, check states, enabled states and the focus stay: the controls
    /// are the same windows.
    void scaleTo(UINT dpi);
    /// The window's outer size for a client area of `client` at `dpi`.
    SIZE frameFor(SIZE client, UINT dpi) const;
    /// The window's outer size at `dpi`, the captions measured in a font for it.
    SIZE scaledFrame(UINT dpi) const;
    /// Gives the window this outer size where it stands.
    void resize(SIZE frame);
    /// Sizes the window, where it stands, to the client area of the layout,
    /// whatever frame the platform draws around it.
    void fitClientArea();
    void dpiChanged(UINT dpi, const RECT& suggested);

    const FormLayout& layout_;
    WindowEvents& events_;
    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr;
    HICON icons_[2] = {};
    bool shownBefore_ = false;
    std::string lastTextBox_;
    std::vector<HWND> children_;
    /// The objects behind the list controls, where children_ has a list.
    /// They outlive their lists: the destructor's body destroys the window,
    /// and its controls with it, before the members go.
    std::vector<std::unique_ptr<ListControl>> lists_;
    SIZE client_{};  // the client area of the layout at the DPI of the last scaleTo
};

bool registerClass(HINSTANCE module) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (GetClassInfoExW(module, kWindowClass, &windowClass)) return true;
    windowClass.lpfnWndProc = Win32Window::procedure;
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    return RegisterClassExW(&windowClass) != 0;
}

Status lastFailure() { return systemFailure(HRESULT_FROM_WIN32(GetLastError())); }

Status Win32Window::create(HINSTANCE module) {
    if (!registerClass(module)) return lastFailure();
    if (Status made = createFrame(module); !made) return made;
    setIcons(module);
    if (Status made = createControls(module); !made) return made;
    // At the DPI of the monitor that the window was placed on, which for a
    // per-monitor aware thread may not be the system's.
    const UINT dpi = windowDpi(hwnd_);
    scaleTo(dpi);
    resize(frameFor(client_, dpi));
    fitClientArea();
    return {};
}

Status Win32Window::createFrame(HINSTANCE module) {
    // A caption and a close box, no sizing border, no minimize or maximize box.
    const DWORD style = WS_CAPTION | WS_SYSMENU;
    DWORD exStyle = WS_EX_CONTROLPARENT;
    if (layout_.border == BorderStyle::FixedDialog) exStyle |= WS_EX_DLGMODALFRAME;
    if (layout_.showInTaskbar) exStyle |= WS_EX_APPWINDOW;
    // A first size for the default placement; the layout sets the real one.
    const UINT dpi = systemDpi();
    const SIZE frame = frameSize({pixelsOf(layout_.clientWidth, static_cast<int>(dpi)),
                                  pixelsOf(layout_.clientHeight, static_cast<int>(dpi))},
                                 style, exStyle, dpi);
    const std::wstring caption = wide(layout_.caption);
    hwnd_ = CreateWindowExW(exStyle, kWindowClass, caption.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT, frame.cx,
                            frame.cy, nullptr, nullptr, module, this);
    if (!hwnd_) return lastFailure();
    dialogWindowCreated();
    return {};
}

Status Win32Window::createControls(HINSTANCE module) {
    // Children are made in tab order, which is the order Tab walks them.
    std::vector<size_t> order(layout_.controls.size());
    for (size_t i = 0; i < order.size(); ++i) order[static_cast<size_t>(layout_.controls[i].tabIndex)] = i;
    children_.assign(layout_.controls.size(), nullptr);
    lists_.resize(layout_.controls.size());
    for (const size_t i : order) {
        if (layout_.controls[i].kind == ControlKind::RichText) continue;  // the search buffer is an object of its own
        children_[i] = createControl(layout_.controls[i], i, module);
        if (!children_[i]) return lastFailure();
    }
    return {};
}

HWND Win32Window::createControl(const ControlSpec& entry, size_t index, HINSTANCE module) {
    const int id = kFirstControlId + static_cast<int>(index);
    if (entry.kind == ControlKind::List) {
        lists_[index] = std::make_unique<ListControl>(entry, events_);
        return lists_[index]->create(hwnd_, id, module);
    }
    const wchar_t* windowClass = L"BUTTON";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
    switch (entry.kind) {
        case ControlKind::Label: windowClass = L"STATIC"; break;
        case ControlKind::TextBox:
            windowClass = L"EDIT";
            style |= WS_TABSTOP | ES_AUTOHSCROLL;
            exStyle = WS_EX_CLIENTEDGE;
            break;
        // Three states, so that a value of 2 (greyed) can be set and read
        // back; a click still only toggles between unchecked and checked.
        case ControlKind::CheckBox: style |= WS_TABSTOP | BS_3STATE; break;
        case ControlKind::Button: style |= WS_TABSTOP | (entry.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON); break;
        case ControlKind::RichText:
        case ControlKind::List: break;
    }
    // Placed once the font that measures the captions is there.
    const std::wstring text = wide(entry.caption);
    return CreateWindowExW(exStyle, windowClass, text.c_str(), style, 0, 0, 0, 0, hwnd_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module, nullptr);
}

PixelLayout Win32Window::placedAt(UINT dpi, HFONT font) const {
    std::vector<int> captionWidths(layout_.controls.size(), 0);
    for (size_t i = 0; i < children_.size(); ++i) {
        const ControlSpec& entry = layout_.controls[i];
        if (children_[i]) captionWidths[i] = captionWidth(children_[i], entry.caption, entry.kind, font, dpi);
    }
    return layOut(layout_, static_cast<int>(dpi), captionWidths);
}

void Win32Window::scaleTo(UINT dpi) {
    HFONT font = createDialogFont(layout_, dpi);
    for (HWND child : children_) {
        if (child) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), /*redraw=*/TRUE);
    }
    // No control draws with the old font any more.
    if (font_) DeleteObject(font_);
    font_ = font;
    const PixelLayout placed = placedAt(dpi, font);
    for (size_t i = 0; i < children_.size(); ++i) {
        const PixelRect& rect = placed.controls[i];
        if (children_[i]) MoveWindow(children_[i], rect.left, rect.top, rect.width, rect.height, /*repaint=*/TRUE);
        if (lists_[i]) lists_[i]->scaleTo(dpi, font);
    }
    client_ = {placed.clientWidth, placed.clientHeight};
}

SIZE Win32Window::frameFor(SIZE client, UINT dpi) const {
    return frameSize(client, static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE)),
                     static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_EXSTYLE)), dpi);
}

SIZE Win32Window::scaledFrame(UINT dpi) const {
    HFONT font = createDialogFont(layout_, dpi);
    const PixelLayout placed = placedAt(dpi, font);
    if (font) DeleteObject(font);
    return frameFor({placed.clientWidth, placed.clientHeight}, dpi);
}

// MoveWindow rather than SetWindowPos: SetTopmost's is the dialogs' one
// SetWindowPos call, and the stand-in host fails that call by counting the
// component's calls of the function.
void Win32Window::resize(SIZE frame) {
    RECT place;
    GetWindowRect(hwnd_, &place);
    MoveWindow(hwnd_, place.left, place.top, frame.cx, frame.cy, /*repaint=*/TRUE);
}

void Win32Window::fitClientArea() {
    RECT frame, client;
    GetWindowRect(hwnd_, &frame);
    GetClientRect(hwnd_, &client);
    const int wider = client_.cx - client.right;
    const int taller = client_.cy - client.bottom;
    if (wider == 0 && taller == 0) return;
    resize({frame.right - frame.left + wider, frame.bottom - frame.top + taller});
}

/// The window moved to a monitor of another DPI, or that monitor's scale
/// changed: the platform scaled only the frame, and suggests where it goes.
void Win32Window::dpiChanged(UINT dpi, const RECT& suggested) {
    scaleTo(dpi);
    MoveWindow(hwnd_, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, /*repaint=*/TRUE);
    // Where the suggestion was only the old frame scaled, the client area
    // still needs its own size.
    fitClientArea();
}

void Win32Window::command(int id, int code) {
    // Under a modal hold the default button is disabled, so Enter presses
    // nothing; Esc presses the one control the hold leaves.
    if (id == IDOK) return press(roleButton(/*isDefault=*/true));
    if (id == IDCANCEL) {
        const ControlSpec* live = heldOpen();
        return press(live ? live : roleButton(/*isDefault=*/false));
    }
    const ControlSpec* entry = specOf(id);
    if (entry == nullptr) return;
    if (entry->kind == ControlKind::CheckBox && code == BN_CLICKED) {
        HWND box = controlWindow(entry->name);
        SendMessageW(box, BM_SETCHECK, SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
    }
    if (entry->kind == ControlKind::Button && code == BN_CLICKED) press(entry);
    if (entry->kind == ControlKind::TextBox && code == EN_CHANGE) events_.onChange(entry->name);
    if (entry->kind == ControlKind::TextBox && code == EN_SETFOCUS) lastTextBox_ = std::string(entry->name);
}

LRESULT CALLBACK Win32Window::procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* window = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (window == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
    switch (message) {
        case WM_COMMAND:
            window->command(LOWORD(wparam), HIWORD(wparam));
            return 0;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lparam);
            if (ListControl* list = window->listOfId(header->idFrom)) return list->notify(*header);
            return DefWindowProcW(hwnd, message, wparam, lparam);
        }
        case DM_GETDEFID:
            for (const ControlSpec& entry : window->layout_.controls) {
                if (entry.isDefault) return MAKELRESULT(controlId(window->layout_, entry.name), DC_HASDEFID);
            }
            return 0;
        case WM_DPICHANGED:
            window->dpiChanged(LOWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
            return 0;
        // Asked before WM_DPICHANGED, so that the suggested size is the layout's at the new DPI.
        case WM_GETDPISCALEDSIZE:
            *reinterpret_cast<SIZE*>(lparam) = window->scaledFrame(LOWORD(wparam));
            return TRUE;
        case WM_CLOSE:
            // Under a modal hold the close box presses the one control the
            // hold leaves, as Esc does, to end the job that holds the
            // window; the form ends the window once the job is over.
            if (const ControlSpec* live = window->heldOpen()) {
                window->events_.onCloseBoxHeld();
                window->press(live);
                return 0;
            }
            DestroyWindow(hwnd);
            return 0;
        case WM_NCDESTROY:
            // The close box ended the window: the form and this object go with it.
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            window->hwnd_ = nullptr;
            dialogWindowDestroyed();
            window->events_.onDestroyed();
            return 0;
        default:
            return DefWindowProcW(hwnd, message, wparam, lparam);
    }
}

}  // namespace

int controlId(const FormLayout& layout, std::string_view control) {
    for (size_t i = 0; i < layout.controls.size(); ++i) {
        if (layout.controls[i].name == control) return kFirstControlId + static_cast<int>(i);
    }
    return 0;
}

Result<std::unique_ptr<Window>> Win32WindowFactory::create(const FormLayout& layout, WindowEvents& events) {
    auto window = std::make_unique<Win32Window>(layout, events);
    if (Status made = window->create(module_); !made) return made.error();
    return std::unique_ptr<Window>(std::move(window));
}

void unregisterDialogClass(HINSTANCE module) { UnregisterClassW(kWindowClass, module); }

}  // namespace quillet::win32
