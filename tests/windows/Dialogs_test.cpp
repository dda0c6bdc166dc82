// The dialogs on real windows: laid out from their twips, topmost, driven by
// the keyboard like any dialog, and ended by the close box.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <thread>

#include "dialogs/StatusLine.h"
#include "simhost/win32/MenuAnswers.h"
#include "tests/windows/DialogHarness.h"

namespace quillet::test {
namespace {

class RefusingWindowService : public WindowService {
public:
    int32_t SetWindowPos(WindowHandle, WindowHandle, int32_t, int32_t, int32_t, int32_t, uint32_t) override {
        return 0;
    }
};

/// Types a key into `control`, through the thread's message loop.
void typeKey(HWND control, UINT key) {
    SetFocus(control);
    PostMessageW(control, WM_KEYDOWN, key, 1);
    PostMessageW(control, WM_KEYUP, key, 0xC0000001u);
    pump();
}

/// A control's rectangle in pixels, from the top left of its dialog's client area.
RECT placeOf(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int pixels(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

RECT scaled(const ControlSpec& entry, UINT dpi) {
    return {pixels(entry.left, dpi), pixels(entry.top, dpi), pixels(entry.left, dpi) + pixels(entry.width, dpi),
            pixels(entry.top, dpi) + pixels(entry.height, dpi)};
}

bool overlap(const RECT& a, const RECT& b) {
    RECT both;
    return IntersectRect(&both, &a, &b) != 0;
}

/// Whether the caption of `control` shows whole when the control is `width`
/// pixels wide at `dpi`, in the control's own font, with the room that Wine
/// draws a check box's box and gap and a button's frame in: on one line, or
/// for a label on as many lines as its height holds (the status line's two).
/// `toSpare` asks for the room that the dialogs leave beside a caption as
/// well: an average character on either side of a button's, and after a
/// check box's.
bool captionFits(HWND control, ControlKind kind, int width, UINT dpi, bool toSpare = false) {
    wchar_t text[256];
    const int length = GetWindowTextW(control, text, 256);
    HDC dc = GetDC(control);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics;
    GetTextMetricsW(dc, &metrics);
    int digit = 0;
    GetCharWidth32W(dc, L'0', L'0', &digit);
    int room = width;
    // The box, half a digit, and a pixel on either side of the text for the focus rectangle.
    if (kind == ControlKind::CheckBox) room -= 12 * static_cast<int>(dpi) / 96 + 1 + digit / 2 + 2;
    // The default button's outline, the frame's two pixels, the focus rectangle's.
    if (kind == ControlKind::Button) room -= 2 * 4;
    if (toSpare && kind == ControlKind::Button) room -= 2 * metrics.tmAveCharWidth;
    if (toSpare && kind == ControlKind::CheckBox) room -= metrics.tmAveCharWidth;
    RECT drawn{0, 0, room, 0};
    DrawTextW(dc, text, length, &drawn, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    RECT client;
    GetClientRect(control, &client);
    const int lines = kind == ControlKind::Label ? std::max(1, static_cast<int>(client.bottom / metrics.tmHeight)) : 1;
    return drawn.right <= room && drawn.bottom <= lines * metrics.tmHeight;
}

/// The height of a line of text in the font of `control`.
int lineHeight(HWND control) {
    HDC dc = GetDC(control);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics;
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return metrics.tmHeight;
}

/// The longest thing that the status line says: what a Replace All did (it
/// passes over nothing on no page), or what a Replace passed over in text on
/// no page, with what either left because it may be the job's own earlier
/// replacements.
std::u16string longestReport() {
    const std::u16string replacedAll =
        statusLineOf({replacedInStories(1'234'567, 12'345), moreInDoubtOnTheLine(1'234'567)});
    const std::u16string replaced = statusLineOf({moreOnNoPage(1'234'567), moreInDoubtOnTheLine(1'234'567)});
    return replacedAll.size() > replaced.size() ? replacedAll : replaced;
}

/// The status line of `form` holds two lines, and the longest report wraps
/// onto them within the place that the layout gives the line.
void expectStatusLineHoldsTheLongestReport(Form& form, const FormLayout& layout, UINT dpi) {
    HWND status = controlOf(form, layout, "lblStatus");
    form.window().setText("lblStatus", longestReport());
    const RECT place = placeOf(status);
    EXPECT_GE(place.bottom - place.top, 2 * lineHeight(status)) << layout.name;
    EXPECT_TRUE(captionFits(status, ControlKind::Label, place.right - place.left, dpi)) << layout.name << " at " << dpi;
    form.window().setText("lblStatus", u"");
}

/// The window of `form` laid out at `dpi`: every control where the layout's
/// twips × dpi / 1440 put it, within a pixel, except that a control whose
/// caption does not fit there is wider, and what starts to its right may have
/// moved right, and the client area grown, to make room for it (or for an
/// average character beside it). Every caption fits, and no two controls
/// overlap that the layout keeps apart.
void expectLaidOut(Form& form, const FormLayout& layout, UINT dpi) {
    std::vector<std::pair<const ControlSpec*, HWND>> controls;
    std::vector<int> widenedEdges;
    for (const ControlSpec& entry : layout.controls) {
        if (entry.kind == ControlKind::RichText) continue;
        HWND control = controlOf(form, layout, entry.name);
        controls.push_back({&entry, control});
        const RECT place = placeOf(control);
        const RECT expected = scaled(entry, dpi);
        const bool widened = place.right - place.left > expected.right - expected.left + 1;
        if (widened) widenedEdges.push_back(expected.left);
        if (entry.kind != ControlKind::TextBox) {
            EXPECT_FALSE(widened && captionFits(control, entry.kind, expected.right - expected.left, dpi, /*toSpare=*/true))
                << entry.name << " is wider than the layout although its caption fits";
            EXPECT_TRUE(captionFits(control, entry.kind, place.right - place.left, dpi)) << entry.name << " at " << dpi;
        } else {
            EXPECT_FALSE(widened) << entry.name;
        }
        EXPECT_NEAR(place.top, expected.top, 1) << entry.name;
        EXPECT_NEAR(place.bottom - place.top, expected.bottom - expected.top, 1) << entry.name;
        if (!widened) {
            EXPECT_NEAR(place.right - place.left, expected.right - expected.left, 1) << entry.name;
        }
    }
    RECT client;
    GetClientRect(windowOf(form), &client);
    EXPECT_NEAR(client.bottom, pixels(layout.clientHeight, dpi), 1) << layout.name;
    if (widenedEdges.empty()) {
        EXPECT_NEAR(client.right, pixels(layout.clientWidth, dpi), 1) << layout.name;
    }
    EXPECT_GE(client.right, pixels(layout.clientWidth, dpi) - 1) << layout.name;
    for (size_t i = 0; i < controls.size(); ++i) {
        const auto [entry, control] = controls[i];
        const RECT place = placeOf(control);
        const RECT expected = scaled(*entry, dpi);
        const bool mayMove = std::any_of(widenedEdges.begin(), widenedEdges.end(), [&](int edge) { return edge < expected.left; });
        if (!mayMove) {
            EXPECT_NEAR(place.left, expected.left, 1) << entry->name;
        }
        EXPECT_GE(place.left, expected.left - 1) << entry->name;
        EXPECT_LE(place.right, client.right) << entry->name;
        for (size_t j = 0; j < i; ++j) {
            if (overlap(scaled(*controls[j].first, dpi), expected)) continue;
            EXPECT_FALSE(overlap(placeOf(controls[j].second), place)) << controls[j].first->name << " and " << entry->name;
        }
    }
}

/// The font that every control of the window of `form` draws with.
LOGFONTW fontOf(Form& form, const FormLayout& layout) {
    HFONT font = nullptr;
    for (const ControlSpec& entry : layout.controls) {
        if (entry.kind == ControlKind::RichText) continue;
        HFONT own = reinterpret_cast<HFONT>(SendMessageW(controlOf(form, layout, entry.name), WM_GETFONT, 0, 0));
        if (font == nullptr) font = own;
        EXPECT_EQ(own, font) << entry.name << " has a font of its own";
    }
    LOGFONTW described{};
    GetObjectW(font, sizeof described, &described);
    return described;
}

/// The Find dialog's font is its own: Tahoma, 8.25 points at `dpi`.
void expectFindFontAt(Form& find, UINT dpi) {
    const LOGFONTW font = fontOf(find, frmFind::layout());
    EXPECT_STREQ(font.lfFaceName, L"Tahoma");
    EXPECT_EQ(font.lfHeight, -MulDiv(825, static_cast<int>(dpi), 7200));
}

/// The DPI that the tests' script set for the display, or 0 when it set none.
UINT askedDpi() {
    const char* asked = std::getenv("QUILLET_TEST_DPI");
    return asked ? static_cast<UINT>(std::atoi(asked)) : 0;
}

TEST(Win32Dialogs, ClientAreasAndControlsAreLaidOutAtTheWindowsDpiWithEveryCaptionWholeAndTheWindowsAreTopmost) {
    if (const UINT dpi = askedDpi()) {
        ASSERT_EQ(GetDpiForSystem(), dpi) << "the display is not at the DPI asked for";
    }
    DialogHarness h;
    frmFind* find = h.component.forms().findForm().value();
    frmReplace* replace = h.component.forms().replaceForm().value();
    const UINT dpi = GetDpiForWindow(windowOf(*find));
    EXPECT_EQ(GetDpiForWindow(windowOf(*replace)), dpi);
    expectLaidOut(*find, frmFind::layout(), dpi);
    expectLaidOut(*replace, frmReplace::layout(), dpi);
    expectFindFontAt(*find, dpi);
    expectStatusLineHoldsTheLongestReport(*find, frmFind::layout(), dpi);
    expectStatusLineHoldsTheLongestReport(*replace, frmReplace::layout(), dpi);
    for (Form* form : std::initializer_list<Form*>{find, replace}) {
        const LONG style = GetWindowLongW(windowOf(*form), GWL_STYLE);
        EXPECT_TRUE(GetWindowLongW(windowOf(*form), GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_TRUE(style & WS_SYSMENU);
        EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
        EXPECT_EQ(GetParent(windowOf(*form)), nullptr);
    }
}

/// What the user sees in a dialog's controls, and where the focus is.
struct ControlValues {
    std::vector<std::wstring> texts;
    std::vector<LRESULT> checks;
    std::vector<bool> enabled;
    HWND focus;
    bool operator==(const ControlValues&) const = default;
};

ControlValues valuesOf(Form& form, const FormLayout& layout) {
    ControlValues values{{}, {}, {}, GetFocus()};
    for (const ControlSpec& entry : layout.controls) {
        if (entry.kind == ControlKind::RichText) continue;
        HWND control = controlOf(form, layout, entry.name);
        wchar_t text[256];
        values.texts.emplace_back(text, static_cast<size_t>(GetWindowTextW(control, text, 256)));
        values.checks.push_back(entry.kind == ControlKind::CheckBox ? SendMessageW(control, BM_GETCHECK, 0, 0) : 0);
        values.enabled.push_back(IsWindowEnabled(control) != 0);
    }
    return values;
}

/// Tells the window of `form` that its DPI is now `dpi`, as Windows does when
/// the window moves to a monitor of another scale: first it asks the size
/// that the window wants, then it suggests a rectangle of that size.
RECT changeDpi(Form& form, UINT dpi) {
    SIZE size{};
    EXPECT_TRUE(SendMessageW(windowOf(form), WM_GETDPISCALEDSIZE, dpi, reinterpret_cast<LPARAM>(&size)));
    RECT suggested;
    GetWindowRect(windowOf(form), &suggested);
    suggested.left += 10;
    suggested.right = suggested.left + size.cx;
    suggested.bottom = suggested.top + size.cy;
    SendMessageW(windowOf(form), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    return suggested;
}

TEST(Win32Dialogs, ANewDpiRescalesEveryControlAndTheFontOfAnOpenDialogAndKeepsWhatItHolds) {
    DialogHarness h;
    frmFind* find = h.component.forms().findForm().value();
    frmReplace* replace = h.component.forms().replaceForm().value();
    find->Show();
    replace->Show();
    SetWindowTextW(controlOf(*find, frmFind::layout(), "txtFindWhat"), L"two cats");
    SendMessageW(controlOf(*find, frmFind::layout(), "chkCase"), BM_SETCHECK, BST_CHECKED, 0);
    SetWindowTextW(controlOf(*replace, frmReplace::layout(), "txtFindWhat"), L"cat");
    SetWindowTextW(controlOf(*replace, frmReplace::layout(), "txtReplaceWith"), L"dog");
    SendMessageW(controlOf(*replace, frmReplace::layout(), "chkWholeWord"), BM_SETCHECK, BST_CHECKED, 0);
    ASSERT_TRUE(replace->cmdFind_Click());  // "Replace" and "Replace All" enabled, the others disabled
    EnableWindow(controlOf(*replace, frmReplace::layout(), "cmdFind"), FALSE);
    // Laid out by the layout's captions, not by what the program wrote since.
    find->window().setText("lblStatus", longestReport());
    replace->window().setText("lblStatus", longestReport());

    const std::pair<Form*, const FormLayout*> dialogs[] = {{find, &frmFind::layout()}, {replace, &frmReplace::layout()}};
    const char* focused[] = {"chkCase", "txtReplaceWith"};
    for (size_t i = 0; i < 2; ++i) {
        auto [form, layout] = dialogs[i];
        SetFocus(controlOf(*form, *layout, focused[i]));
        const ControlValues before = valuesOf(*form, *layout);
        ASSERT_EQ(before.focus, controlOf(*form, *layout, focused[i]));
        changeDpi(*form, 96);
        expectLaidOut(*form, *layout, 96);
        const LONG heightAt96 = fontOf(*form, *layout).lfHeight;

        const RECT suggested = changeDpi(*form, 144);
        expectLaidOut(*form, *layout, 144);
        const LOGFONTW font = fontOf(*form, *layout);
        EXPECT_NEAR(font.lfHeight, heightAt96 * 144 / 96, 1) << layout->name;
        RECT placed;
        GetWindowRect(windowOf(*form), &placed);
        EXPECT_EQ(placed.left, suggested.left) << layout->name;
        EXPECT_EQ(placed.top, suggested.top) << layout->name;
        EXPECT_TRUE(valuesOf(*form, *layout) == before) << layout->name;
    }
    expectFindFontAt(*find, 144);
}

/// Makes the dialogs on a new thread of `awareness`, as a host does on its
/// user-interface thread, and checks that they are laid out at the DPI that
/// `dpiOfThread` gives on that thread.
void expectDialogsOfAThreadAt(DPI_AWARENESS_CONTEXT awareness, UINT (*dpiOfThread)()) {
    std::thread([&] {
        ASSERT_NE(SetThreadDpiAwarenessContext(awareness), nullptr);
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        {
            const UINT dpi = dpiOfThread();
            DialogHarness h;
            frmFind* find = h.component.forms().findForm().value();
            frmReplace* replace = h.component.forms().replaceForm().value();
            EXPECT_EQ(GetDpiForWindow(windowOf(*find)), dpi);
            expectLaidOut(*find, frmFind::layout(), dpi);
            expectLaidOut(*replace, frmReplace::layout(), dpi);
            expectFindFontAt(*find, dpi);
        }
        CoUninitialize();
    }).join();
}

TEST(Win32Dialogs, ADialogMadeOnAPerMonitorAwareThreadIsLaidOutAtThatThreadsDpi) {
    // Wine gives every monitor the system's DPI; a thread that is not aware
    // sees 96 whatever the display's DPI is.
    expectDialogsOfAThreadAt(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE, [] { return GetDpiForSystem(); });
    expectDialogsOfAThreadAt(DPI_AWARENESS_CONTEXT_UNAWARE, [] { return 96u; });
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

/// Where the menu that the dialogs showed last stood, seen once it waited
/// for the user.
RECT menuPlace{};

LRESULT CALLBACK watchMenus(int code, WPARAM wparam, LPARAM lparam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (code == HC_ACTION && message->message == WM_ENTERIDLE && message->wParam == MSGF_MENU && message->lParam)
        GetWindowRect(reinterpret_cast<HWND>(message->lParam), &menuPlace);
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

std::pair<DWORD, DWORD> selectionOf(HWND box) {
    DWORD start = 0, end = 0;
    SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

TEST(Win32Dialogs, TheSpecialMenuUnderItsButtonPutsTheChosenCodeInPlaceOfTheSelectionOfTheBoxThatHadTheFocusLast) {
    DialogHarness h;
    frmReplace* replace = h.component.forms().replaceForm().value();
    replace->Show();
    simhost::MenuChoices choices;
    simhost::MenuAnswers answers(choices);
    HHOOK watch = SetWindowsHookExW(WH_CALLWNDPROC, watchMenus, nullptr, GetCurrentThreadId());
    HWND findBox = controlOf(*replace, frmReplace::layout(), "txtFindWhat");
    HWND replaceBox = controlOf(*replace, frmReplace::layout(), "txtReplaceWith");
    HWND special = controlOf(*replace, frmReplace::layout(), "cmdSpecial");
    EXPECT_EQ(replace->window().lastTextBox(), "txtFindWhat");  // the focus when it was first shown

    SetFocus(replaceBox);
    SetWindowTextW(replaceBox, L"dog");
    SendMessageW(replaceBox, EM_SETSEL, 3, 3);
    EXPECT_EQ(replace->window().lastTextBox(), "txtReplaceWith");
    choices.add(u"Paragraph Mark");
    SendMessageW(special, BM_CLICK, 0, 0);
    EXPECT_EQ(replace->window().text("txtReplaceWith"), u"dog^p");
    EXPECT_EQ(GetFocus(), replaceBox);
    EXPECT_EQ(selectionOf(replaceBox), std::make_pair(DWORD{5}, DWORD{5}));
    RECT button;
    GetWindowRect(special, &button);
    EXPECT_EQ(menuPlace.left, button.left);
    EXPECT_GE(menuPlace.top, button.bottom);

    SetFocus(findBox);
    SetWindowTextW(findBox, L"cat");
    replace->window().selectAll("txtFindWhat");
    choices.add(u"Any Digit");
    SendMessageW(special, BM_CLICK, 0, 0);
    EXPECT_EQ(replace->window().text("txtFindWhat"), u"^#");

    // No choice waits: the menu is closed without one.
    menuPlace = {};
    SendMessageW(special, BM_CLICK, 0, 0);
    EXPECT_NE(menuPlace.bottom, 0);
    EXPECT_EQ(replace->window().text("txtFindWhat"), u"^#");
    EXPECT_EQ(replace->window().text("txtReplaceWith"), u"dog^p");
    UnhookWindowsHookEx(watch);
}

TEST(Win32Dialogs, ADialogShownOverASelectionTakesItAsItsFindTextAllSelectedAsIfTyped) {
    DialogHarness h;
    frmReplace* replace = h.component.forms().replaceForm().value();
    replace->Show();
    SetWindowTextW(controlOf(*replace, frmReplace::layout(), "txtFindWhat"), L"one");
    ASSERT_TRUE(replace->cmdFind_Click());
    ASSERT_TRUE(replace->window().enabled("cmdReplace"));
    replace->cmdClose_Click();

    h.host.publication().select(simhost::SelectionModel{1, 5, 3});
    replace->Show();
    HWND findBox = controlOf(*replace, frmReplace::layout(), "txtFindWhat");
    EXPECT_EQ(replace->window().text("txtFindWhat"), u"cat");
    EXPECT_EQ(selectionOf(findBox), std::make_pair(DWORD{0}, DWORD{3}));
    // The new find text is a change as the user's typing is: nothing found for it yet.
    EXPECT_FALSE(replace->window().enabled("cmdReplace"));
    typeKey(findBox, 'D');
    EXPECT_EQ(replace->window().text("txtFindWhat"), u"d");
}

}  // namespace
}  // namespace quillet::test
