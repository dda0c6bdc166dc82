#include "simhost/win32/Win32Dialogs.h"

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
        // The keys go through this thread's message loop, as a user's would.
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
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
