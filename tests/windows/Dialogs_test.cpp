// The dialogs on real windows: laid out from their twips, topmost, driven by
// the keyboard like any dialog, and ended by the close box.
#include <windows.h>

#include <gtest/gtest.h>

#include <deque>

#include "addin/Component.h"
#include "dialogs/win32/Win32Windows.h"
#include "platform/win32/Win32Ports.h"
#include "simhost/memory/InMemoryHost.h"

namespace quillet {
namespace {

/// Says Yes to every question, so that a search goes on from the beginning.
class SilentMessages : public MessageBoxPort {
public:
    int show(const std::u16string& prompt, int buttons, const std::optional<std::u16string>&) override {
        prompts.push_back(prompt);
        return buttons == msgbox::kYesNoQuestion ? msgbox::kAnswerYes : msgbox::kAnswerOk;
    }
    std::vector<std::u16string> prompts;
};

class RefusingWindowService : public WindowService {
public:
    int32_t SetWindowPos(WindowHandle, WindowHandle, int32_t, int32_t, int32_t, int32_t, uint32_t) override {
        return 0;
    }
};

void pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

/// Types a key into `control`, through the thread's message loop.
void typeKey(HWND control, UINT key) {
    SetFocus(control);
    PostMessageW(control, WM_KEYDOWN, key, 1);
    PostMessageW(control, WM_KEYUP, key, 0xC0000001u);
    pump();
}

HWND windowOf(Form& form) { return reinterpret_cast<HWND>(form.window().handle()); }

HWND controlOf(Form& form, const FormLayout& layout, std::string_view control) {
    return GetDlgItem(windowOf(form), win32::controlId(layout, control));
}

int pixels(int twips) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return MulDiv(twips, dpi, 1440);
}

/// The component over an in-memory publication, with real windows.
struct DialogHarness {
    explicit DialogHarness(WindowService& service) : component({messages, host, windows, service}) {}
    DialogHarness() : DialogHarness(realService) {}

    simhost::PublicationModel publication() {
        simhost::PublicationModel model;
        model.stories.push_back({u"one cat, two cats", {simhost::Frame{1, 0}}});
        return model;
    }

    simhost::InMemoryHost host{publication(), {}};
    SilentMessages messages;
    win32::Win32WindowFactory windows{GetModuleHandleW(nullptr)};
    win32::Win32WindowService realService;
    Component component;
};

void expectLaidOut(Form& form, const FormLayout& layout) {
    RECT client;
    GetClientRect(windowOf(form), &client);
    EXPECT_EQ(client.right, pixels(layout.clientWidth)) << layout.name;
    EXPECT_EQ(client.bottom, pixels(layout.clientHeight)) << layout.name;
    for (const ControlSpec& entry : layout.controls) {
        if (entry.kind == ControlKind::RichText) continue;
        RECT rect;
        GetWindowRect(controlOf(form, layout, entry.name), &rect);
        MapWindowPoints(nullptr, windowOf(form), reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_EQ(rect.left, pixels(entry.left)) << entry.name;
        EXPECT_EQ(rect.top, pixels(entry.top)) << entry.name;
        EXPECT_EQ(rect.right - rect.left, pixels(entry.width)) << entry.name;
        EXPECT_EQ(rect.bottom - rect.top, pixels(entry.height)) << entry.name;
    }
}

TEST(Win32Dialogs, ClientAreasAndControlsAreLaidOutFromTheirTwipsAndTheWindowsAreTopmost) {
    DialogHarness h;
    frmFind* find = h.component.forms().findForm().value();
    frmReplace* replace = h.component.forms().replaceForm().value();
    expectLaidOut(*find, frmFind::layout());
    expectLaidOut(*replace, frmReplace::layout());
    for (Form* form : std::initializer_list<Form*>{find, replace}) {
        const LONG style = GetWindowLongW(windowOf(*form), GWL_STYLE);
        EXPECT_TRUE(GetWindowLongW(windowOf(*form), GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_TRUE(style & WS_SYSMENU);
        EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
        EXPECT_EQ(GetParent(windowOf(*form)), nullptr);
    }
}

/// Whether the control's text, in the control's font, fits on one line within it.
bool TextFitsOnOneLine(HWND control) {
    wchar_t text[256];
    const int length = GetWindowTextW(control, text, 256);
    RECT client;
    GetClientRect(control, &client);
    HDC dc = GetDC(control);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text, length, &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size.cx <= client.right;
}

TEST(Win32Dialogs, EveryLabelIsWholeInTheDialogsFonts) {
    // In the fonts of a Windows prefix (tests/windows/wine.sh): Tahoma on the
    // Find dialog, the default dialog font (MS Sans Serif) on the Replace dialog.
    DialogHarness h;
    frmFind* find = h.component.forms().findForm().value();
    frmReplace* replace = h.component.forms().replaceForm().value();
    for (auto [form, layout] : {std::pair<Form*, const FormLayout*>{find, &frmFind::layout()},
                                std::pair<Form*, const FormLayout*>{replace, &frmReplace::layout()}}) {
        for (const ControlSpec& entry : layout->controls) {
            if (entry.kind != ControlKind::Label && entry.kind != ControlKind::CheckBox) continue;
            EXPECT_TRUE(TextFitsOnOneLine(controlOf(*form, *layout, entry.name))) << layout->name << "." << entry.name;
        }
    }
}

TEST(Win32Dialogs, EnterPressesFindNextFromTheFindBoxAndFromEitherCheckBox) {
    DialogHarness h;
    frmFind* find = h.component.forms().findForm().value();
    find->Show();
    SetWindowTextW(controlOf(*find, frmFind::layout(), "txtFindWhat"), L"cat");
    int32_t expectedStart = 5;
    for (const char* control : {"txtFindWhat", "chkWholeWord", "chkCase"}) {
        typeKey(controlOf(*find, frmFind::layout(), control), VK_RETURN);
        ASSERT_TRUE(h.host.publication().model().selection.has_value()) << control;
        EXPECT_EQ(h.host.publication().model().selection->start, expectedStart) << control;
        expectedStart = expectedStart == 5 ? 14 : 5;
    }
    EXPECT_TRUE(find->window().visible());
}

TEST(Win32Dialogs, EscHidesTheDialogAndKeepsItsText) {
    DialogHarness h;
    frmReplace* replace = h.component.forms().replaceForm().value();
    replace->Show();
    SetWindowTextW(controlOf(*replace, frmReplace::layout(), "txtReplaceWith"), L"dog");
    typeKey(controlOf(*replace, frmReplace::layout(), "txtReplaceWith"), VK_ESCAPE);
    EXPECT_FALSE(replace->window().visible());
    EXPECT_EQ(replace->window().text("txtReplaceWith"), u"dog");
}

TEST(Win32Dialogs, TheCloseBoxDestroysTheDialogAndTheNextUseCreatesItAnew) {
    DialogHarness h;
    frmFind* find = h.component.forms().findForm().value();
    find->Show();
    SetWindowTextW(controlOf(*find, frmFind::layout(), "txtFindWhat"), L"cat");
    HWND window = windowOf(*find);
    SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(h.component.forms().existingFindForm(), nullptr);
    EXPECT_TRUE(h.component.liveObjects().canUnload());
    frmFind* again = h.component.forms().findForm().value();
    EXPECT_EQ(again->window().text("txtFindWhat"), u"");
}

TEST(Win32Dialogs, AFailingSetWindowPosLeavesAWorkingDialogThatIsNotTopmost) {
    RefusingWindowService refusing;
    DialogHarness h(refusing);
    frmFind* find = h.component.forms().findForm().value();
    find->Show();
    EXPECT_FALSE(GetWindowLongW(windowOf(*find), GWL_EXSTYLE) & WS_EX_TOPMOST);
    SetWindowTextW(controlOf(*find, frmFind::layout(), "txtFindWhat"), L"cats");
    typeKey(controlOf(*find, frmFind::layout(), "txtFindWhat"), VK_RETURN);
    ASSERT_TRUE(h.host.publication().model().selection.has_value());
    EXPECT_EQ(h.host.publication().model().selection->start, 14);
}

}  // namespace
}  // namespace quillet
