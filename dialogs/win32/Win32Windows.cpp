#include "dialogs/win32/Win32Windows.h"

#include <shobjidl.h>

#include <string>
#include <vector>

#include "host/com/ComFailure.h"
#include "platform/win32/ComPtr.h"

namespace quillet::win32 {

namespace {

constexpr const wchar_t* kWindowClass = kDialogWindowClass;
constexpr int kFirstControlId = 100;

std::wstring wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

bool isDialogWindow(HWND window) {
    wchar_t windowClass[32] = {};
    return window && GetClassNameW(window, windowClass, 32) && std::wstring(windowClass) == kWindowClass;
}

/// The host's message loop does not ask our modeless dialogs whether a key is
/// theirs, so a hook on the thread does: Enter, Esc and Tab then work as in
/// any dialog. The hook lives while a dialog window exists.
class DialogKeys {
public:
    void windowCreated() {
        if (windows_++ == 0) hook_ = SetWindowsHookExW(WH_GETMESSAGE, filter, nullptr, GetCurrentThreadId());
    }
    void windowDestroyed() {
        if (--windows_ == 0 && hook_) {
            UnhookWindowsHookEx(hook_);
            hook_ = nullptr;
        }
    }

private:
    static LRESULT CALLBACK filter(int code, WPARAM removal, LPARAM lparam) {
        auto* message = reinterpret_cast<MSG*>(lparam);
        if (code == HC_ACTION && removal == PM_REMOVE && message->message >= WM_KEYFIRST &&
            message->message <= WM_KEYLAST) {
            HWND dialog = GetAncestor(message->hwnd, GA_ROOT);
            if (isDialogWindow(dialog) && IsDialogMessageW(dialog, message)) {
                // Handled: the loop that fetched it gets nothing to dispatch.
                message->message = WM_NULL;
                message->wParam = 0;
                message->lParam = 0;
            }
        }
        return CallNextHookEx(nullptr, code, removal, lparam);
    }

    int windows_ = 0;
    HHOOK hook_ = nullptr;
};

DialogKeys dialogKeys;

class Win32Window : public Window {
public:
    Win32Window(const FormLayout& layout, WindowEvents& events) : layout_(layout), events_(events) {}
    ~Win32Window() override {
        if (hwnd_) {
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
            DestroyWindow(hwnd_);
            dialogKeys.windowDestroyed();
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
        std::wstring text(static_cast<size_t>(GetWindowTextLengthW(child)) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(child, text.data(), static_cast<int>(text.size()))));
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

    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

private:
    HWND controlWindow(std::string_view control) const {
        for (size_t i = 0; i < layout_.controls.size(); ++i) {
            if (layout_.controls[i].name == control) return children_[i];
        }
        return nullptr;
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
    void command(int id, int code);
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

    const FormLayout& layout_;
    WindowEvents& events_;
    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr;
    HICON icons_[2] = {};
    bool shownBefore_ = false;
    std::vector<HWND> children_;
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

Status Win32Window::create(HINSTANCE module) {
    if (!registerClass(module)) return com::systemFailure(HRESULT_FROM_WIN32(GetLastError()));
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    const auto pixels = [dpi](int twips) { return MulDiv(twips, dpi, 1440); };

    // A caption and a close box, no sizing border, no minimize or maximize box.
    const DWORD style = WS_CAPTION | WS_SYSMENU;
    DWORD exStyle = WS_EX_CONTROLPARENT;
    if (layout_.border == BorderStyle::FixedDialog) exStyle |= WS_EX_DLGMODALFRAME;
    if (layout_.showInTaskbar) exStyle |= WS_EX_APPWINDOW;
    RECT frame{0, 0, pixels(layout_.clientWidth), pixels(layout_.clientHeight)};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const std::wstring caption = wide(layout_.caption);
    hwnd_ = CreateWindowExW(exStyle, kWindowClass, caption.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                            frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, module, this);
    if (!hwnd_) return com::systemFailure(HRESULT_FROM_WIN32(GetLastError()));
    dialogKeys.windowCreated();
    setIcons(module);

    if (!layout_.fontName.empty()) {
        const std::wstring face = wide(layout_.fontName);
        font_ = CreateFontW(-MulDiv(static_cast<int>(layout_.fontPoints * 100), dpi, 7200), 0, 0, 0, FW_NORMAL, FALSE,
                            FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH, face.c_str());
    }
    HFONT font = font_ ? font_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

    // Children are made in tab order, which is the order Tab walks them.
    std::vector<size_t> order(layout_.controls.size());
    for (size_t i = 0; i < order.size(); ++i) order[static_cast<size_t>(layout_.controls[i].tabIndex)] = i;
    children_.assign(layout_.controls.size(), nullptr);
    for (const size_t i : order) {
        const ControlSpec& entry = layout_.controls[i];
        if (entry.kind == ControlKind::RichText) continue;  // the search buffer is an object of its own
        const wchar_t* windowClass = L"BUTTON";
        DWORD childStyle = WS_CHILD | WS_VISIBLE;
        DWORD childExStyle = 0;
        switch (entry.kind) {
            case ControlKind::Label: windowClass = L"STATIC"; break;
            case ControlKind::TextBox:
                windowClass = L"EDIT";
                childStyle |= WS_TABSTOP | ES_AUTOHSCROLL;
                childExStyle = WS_EX_CLIENTEDGE;
                break;
            // Three states, so that a value of 2 (greyed) can be set and read
            // back; a click still only toggles between unchecked and checked.
            case ControlKind::CheckBox: childStyle |= WS_TABSTOP | BS_3STATE; break;
            case ControlKind::Button: childStyle |= WS_TABSTOP | (entry.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON); break;
            case ControlKind::RichText: break;
        }
        const std::wstring text = wide(entry.caption);
        HWND child = CreateWindowExW(childExStyle, windowClass, text.c_str(), childStyle, pixels(entry.left),
                                     pixels(entry.top), pixels(entry.width), pixels(entry.height), hwnd_,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + i)), module,
                                     nullptr);
        if (!child) return com::systemFailure(HRESULT_FROM_WIN32(GetLastError()));
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        children_[i] = child;
    }
    return {};
}

void Win32Window::command(int id, int code) {
    if (id == IDOK) return press(roleButton(/*isDefault=*/true));
    if (id == IDCANCEL) return press(roleButton(/*isDefault=*/false));
    const ControlSpec* entry = specOf(id);
    if (entry == nullptr) return;
    if (entry->kind == ControlKind::CheckBox && code == BN_CLICKED) {
        HWND box = controlWindow(entry->name);
        SendMessageW(box, BM_SETCHECK, SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
    }
    if (entry->kind == ControlKind::Button && code == BN_CLICKED) events_.onClick(entry->name);
    if (entry->kind == ControlKind::TextBox && code == EN_CHANGE) events_.onChange(entry->name);
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
        case DM_GETDEFID:
            for (const ControlSpec& entry : window->layout_.controls) {
                if (entry.isDefault) return MAKELRESULT(controlId(window->layout_, entry.name), DC_HASDEFID);
            }
            return 0;
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
        case WM_NCDESTROY:
            // The close box ended the window: the form and this object go with it.
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            window->hwnd_ = nullptr;
            dialogKeys.windowDestroyed();
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

}  // namespace quillet::win32
