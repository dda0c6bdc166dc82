// A long Replace All on real windows: the status line shows how far it is;
// while it runs the user reaches nothing of the dialogs or the host but the
// Replace dialog's Close and close box, and Close, Esc or the close box stop
// it after the write it is making; the close box then destroys the dialog.
// What the user does meanwhile is posted from inside the run, as the mouse
// and the keyboard would post it.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "dialogs/StatusLine.h"
#include "engine/EngineTexts.h"
#include "platform/win32/WindowText.h"
#include "simhost/win32/HostWindow.h"
#include "simhost/win32/KeyStroke.h"
#include "tests/windows/ComHostTesting.h"
#include "tests/windows/DialogHarness.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;
using simhost::postKeyStroke;

constexpr int kCats = 12;

/// Three stories on page 1 with four cats each.
simhost::PublicationModel twelveCats() {
    simhost::PublicationModel model;
    for (int i = 0; i < 3; ++i) model.stories.push_back({u"cat and cat, cat or cat", {simhost::Frame{1, 0}}});
    return model;
}

/// The add-in's bar as an earlier run left it: the buttons "Find" and "Replace".
std::vector<simhost::BarModel> addinBar() {
    return {{u"Tarnwick Find/Replace", true, true, {{u"Find", 1, 46, true, true}, {u"Replace", 1, 125, true, true}}}};
}

/// The clock of the Replace dialog's runs: each reading is 0.6 s after the
/// one before, so that a run holds the user off from its first write on. A
/// run reads it as it starts and after each write, before it lets the window
/// system deliver what waits: what the test does at reading K + 1 comes
/// after the K-th write, and is delivered before the next.
class RunClock {
public:
    void at(int reading, std::function<void()> action) { actions_[reading] = std::move(action); }
    FormContext::Clock clock() {
        return [this] {
            ++readings_;
            if (auto found = actions_.find(readings_); found != actions_.end()) found->second();
            return std::chrono::steady_clock::time_point{} + readings_ * 600ms;
        };
    }

private:
    int readings_ = 0;
    std::map<int, std::function<void()>> actions_;
};

/// What the host shows of the add-in's work, in order.
class EventLog : public simhost::HostEvents {
public:
    void viewSet(int32_t page) override { add(u"view", {page}); }
    void selected(int32_t story, int32_t start, int32_t length, const std::u16string& text) override {
        add(u"select", {story, start, length}, text);
    }
    void refused(int32_t story, int32_t start, int32_t length) override { add(u"refused", {story, start, length}); }
    void written(int32_t story, int32_t start, int32_t length, const std::u16string& oldText,
                 const std::u16string& newText) override {
        add(u"write", {story, start, length}, oldText + u">" + newText);
        ++writes;
    }
    void undoGroupBegun(const std::u16string& name) override { add(u"begin", {}, name); }
    void undoGroupEnded() override { add(u"end", {}); }

    std::vector<std::u16string> events;
    int writes = 0;

private:
    void add(std::u16string event, std::initializer_list<int32_t> numbers, const std::u16string& text = {}) {
        for (const int32_t value : numbers) {
            const std::string digits = std::to_string(value);
            event += u" " + std::u16string(digits.begin(), digits.end());
        }
        events.push_back(event + u" " + text);
    }
};

/// The host's main window with the add-in's bar, the Find dialog shown to
/// find dogs, and the Replace dialog shown over twelve cats to be dogs, its
/// Find Next pressed so that Replace All can be.
struct Scene {
    Scene() {
        h.host.listen(fanOut);
        h.component.forms().useClock(clock.clock());
        find = h.component.forms().findForm().value();
        replace = h.component.forms().replaceForm().value();
        find->Show();
        replace->Show();
        SetWindowTextW(findControl("txtFindWhat"), L"dog");
        SetWindowTextW(replaceControl("txtFindWhat"), L"cat");
        SetWindowTextW(replaceControl("txtReplaceWith"), L"dog");
        EXPECT_TRUE(replace->cmdFind_Click());
        pump();
        log.events.clear();
    }
    ~Scene() { h.host.listen(quiet); }

    HWND findControl(std::string_view control) { return controlOf(*find, frmFind::layout(), control); }
    HWND replaceControl(std::string_view control) { return controlOf(*replace, frmReplace::layout(), control); }
    HWND hostButton(const wchar_t* caption) { return FindWindowExW(hostWindow.handle(), nullptr, L"Button", caption); }

    // What the host tells while the dialogs and the component go.
    simhost::HostEvents quiet;
    DialogHarness h{twelveCats(), addinBar()};
    simhost::HostWindow hostWindow{h.host, u"cats.json", /*interactive=*/false};
    EventLog log;
    simhost::HostEventsFanOut fanOut{log, hostWindow};
    RunClock clock;
    frmFind* find = nullptr;
    frmReplace* replace = nullptr;
};

/// A click of the left mouse button in the middle of `window`, as the mouse
/// posts it.
void postClick(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    const LPARAM middle = MAKELPARAM(client.right / 2, client.bottom / 2);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    PostMessageW(window, WM_LBUTTONUP, 0, middle);
}

BOOL CALLBACK collectTopLevel(HWND window, LPARAM found) {
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

/// The top-level windows of the thread and the controls of the two dialogs.
std::vector<HWND> windowsOf(Scene& scene) {
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), collectTopLevel, reinterpret_cast<LPARAM>(&windows));
    for (HWND dialog : {windowOf(*scene.find), windowOf(*scene.replace)}) {
        for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT))
            windows.push_back(control);
    }
    return windows;
}

/// Whether each of those windows is enabled.
std::map<HWND, bool> enabledStates(Scene& scene) {
    std::map<HWND, bool> states;
    for (HWND window : windowsOf(scene)) states[window] = IsWindowEnabled(window) != 0;
    return states;
}

/// Whether the user can reach each of those windows: it and the top-level
/// window it is a control of are enabled.
std::map<HWND, bool> reachableStates(Scene& scene) {
    std::map<HWND, bool> states;
    for (HWND window : windowsOf(scene))
        states[window] = IsWindowEnabled(window) && IsWindowEnabled(GetAncestor(window, GA_ROOT));
    return states;
}

/// The labels of the Replace dialog.
std::set<HWND> labelsOf(Scene& scene) {
    std::set<HWND> labels;
    for (const ControlSpec& entry : frmReplace::layout().controls) {
        if (entry.kind == ControlKind::Label) labels.insert(scene.replaceControl(entry.name));
    }
    return labels;
}

std::wstring nameOf(HWND window) {
    wchar_t windowClass[64] = {};
    GetClassNameW(window, windowClass, 64);
    return std::wstring(windowClass) + L" \"" + win32::windowText(window) + L"\"";
}

std::vector<std::u16string> storiesOf(simhost::InMemoryHost& host) {
    std::vector<std::u16string> stories;
    for (const simhost::StoryModel& story : host.publication().model().stories) stories.push_back(story.text);
    return stories;
}

TEST(LongReplaceAll, ShowsHowFarItIsAndHoldsEveryOtherWindowAndControlUntilItEnds) {
    Scene scene;
    const std::map<HWND, bool> before = enabledStates(scene);
    const std::set<HWND> labels = labelsOf(scene);
    HWND close = scene.replaceControl("cmdClose");
    std::u16string statusMeanwhile;
    std::map<HWND, bool> reachableMeanwhile;
    HWND focusMeanwhile = nullptr;
    scene.clock.at(4, [&] {
        statusMeanwhile = scene.replace->window().text("lblStatus");
        reachableMeanwhile = reachableStates(scene);
        focusMeanwhile = GetFocus();
    });

    scene.replace->cmdReplaceAll_Click();

    EXPECT_EQ(statusMeanwhile, replacing(2, kCats));
    for (const auto& [window, enabled] : before) {
        const bool left = window == close || window == windowOf(*scene.replace) || labels.count(window) != 0;
        EXPECT_EQ(reachableMeanwhile.at(window), left && enabled) << nameOf(window);
    }
    EXPECT_TRUE(before.at(scene.hostWindow.handle()));
    EXPECT_EQ(focusMeanwhile, close);

    EXPECT_EQ(scene.log.writes, kCats);
    EXPECT_EQ(scene.h.messages.prompts, std::vector<std::u16string>{texts::kReplaceComplete});
    EXPECT_EQ(scene.replace->window().text("lblStatus"), replacedInStories(kCats, 3));
    // Everything as it was, but what the dialog disables after a Replace All.
    const std::map<HWND, bool> after = enabledStates(scene);
    for (const auto& [window, enabled] : before) {
        const bool replacing = window == scene.replaceControl("cmdReplace") || window == scene.replaceControl("cmdReplaceAll");
        EXPECT_EQ(after.at(window), enabled && !replacing) << nameOf(window);
    }
}

/// What the user sees in the controls of both dialogs.
std::vector<std::wstring> valuesOf(Scene& scene) {
    std::vector<std::wstring> values;
    for (HWND dialog : {windowOf(*scene.find), windowOf(*scene.replace)}) {
        for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT))
            values.push_back(win32::windowText(control) + L"=" + std::to_wstring(SendMessageW(control, BM_GETCHECK, 0, 0)));
    }
    return values;
}

TEST(LongReplaceAll, NothingThatTheUserDoesMeanwhileReachesTheDialogsOrTheHostButClose) {
    std::vector<std::u16string> undisturbed;
    {
        Scene scene;
        scene.replace->cmdReplaceAll_Click();
        undisturbed = scene.log.events;
    }
    Scene scene;
    CountingSink hostClicks;
    for (const char16_t* caption : {u"Find", u"Replace"}) {
        auto button = barControl(scene.h.host, caption)->asButton();
        ASSERT_TRUE(button.ok());
        ASSERT_TRUE((*button)->subscribe(hostClicks).ok());
    }
    const std::vector<std::wstring> values = valuesOf(scene);
    scene.clock.at(3, [&] {
        for (const auto& [dialog, layout] : {std::pair<Form*, const FormLayout*>{scene.find, &frmFind::layout()},
                                             {scene.replace, &frmReplace::layout()}}) {
            for (const ControlSpec& entry : layout->controls) {
                HWND control = controlOf(*dialog, *layout, entry.name);
                if (control == scene.replaceControl("cmdClose")) continue;
                if (entry.kind == ControlKind::Button || entry.kind == ControlKind::CheckBox) postClick(control);
                if (entry.kind == ControlKind::TextBox) {
                    postKeyStroke(control, 'X');
                    postKeyStroke(control, VK_RETURN);
                }
            }
        }
        // Enter with the focus on Close presses neither Close nor the default button.
        postKeyStroke(GetFocus(), VK_RETURN);
        postClick(scene.hostButton(L"Find"));
        postClick(scene.hostButton(L"Replace"));
    });

    scene.replace->cmdReplaceAll_Click();
    pump();

    EXPECT_EQ(scene.log.events, undisturbed);
    EXPECT_EQ(scene.h.messages.prompts, std::vector<std::u16string>{texts::kReplaceComplete});
    EXPECT_EQ(hostClicks.clicks, 0);
    EXPECT_TRUE(scene.replace->window().visible());
    // The status line says what the run did; everything else is as it was.
    scene.replace->window().setText("lblStatus", u"");
    EXPECT_EQ(valuesOf(scene), values);

    // The same input, now that the run is over, reaches what it was meant for.
    const size_t seen = scene.log.events.size();
    postClick(scene.hostButton(L"Find"));
    postClick(scene.findControl("cmdFind"));
    postKeyStroke(scene.replaceControl("txtFindWhat"), 'X');
    pump();
    EXPECT_EQ(hostClicks.clicks, 1);
    ASSERT_GT(scene.log.events.size(), seen);
    EXPECT_EQ(scene.log.events[seen].substr(0, 6), u"select");
    EXPECT_NE(scene.replace->window().text("txtFindWhat"), u"cat");
}

/// How the user stops a run.
enum class Stop { Close, Esc, CloseBox };

void stop(Scene& scene, Stop how) {
    switch (how) {
        case Stop::Close: postClick(scene.replaceControl("cmdClose")); break;
        // To the control that has the focus, as the keyboard sends it.
        case Stop::Esc: postKeyStroke(GetFocus(), VK_ESCAPE); break;
        // What the close box sends its window.
        case Stop::CloseBox: PostMessageW(windowOf(*scene.replace), WM_SYSCOMMAND, SC_CLOSE, 0); break;
    }
}

class StoppingALongReplaceAll : public testing::TestWithParam<Stop> {};

TEST_P(StoppingALongReplaceAll, EndsItAfterTheWriteItIsMakingAndKeepsWhatItWroteAsOneUndoStep) {
    Scene scene;
    const std::vector<std::u16string> stories = storiesOf(scene.h.host);
    const std::map<HWND, bool> before = enabledStates(scene);
    scene.clock.at(4, [&] { stop(scene, GetParam()); });

    scene.replace->cmdReplaceAll_Click();

    EXPECT_EQ(scene.log.writes, 3);
    EXPECT_EQ(scene.h.messages.prompts, std::vector<std::u16string>{u"Replace All stopped: 3 of 12 replaced."});
    EXPECT_TRUE(scene.replace->window().visible());
    const std::map<HWND, bool> after = enabledStates(scene);
    for (const auto& [window, enabled] : before) {
        const bool replacing = window == scene.replaceControl("cmdReplace") || window == scene.replaceControl("cmdReplaceAll");
        EXPECT_EQ(after.at(window), enabled && !replacing) << nameOf(window);
    }
    EXPECT_NE(storiesOf(scene.h.host), stories);
    EXPECT_TRUE(scene.h.host.publication().undo());
    EXPECT_EQ(storiesOf(scene.h.host), stories);
    EXPECT_FALSE(scene.h.host.publication().undo());
}

INSTANTIATE_TEST_SUITE_P(ByCloseAndEsc, StoppingALongReplaceAll, testing::Values(Stop::Close, Stop::Esc));

TEST(LongReplaceAll, TheCloseBoxStopsItAndDestroysTheDialogOnceItHasEndedAsAStoppedRun) {
    Scene scene;
    const std::vector<std::u16string> stories = storiesOf(scene.h.host);
    HWND replaceWindow = windowOf(*scene.replace);
    HWND findWindow = windowOf(*scene.find);
    bool dialogAtTheBox = false;
    scene.h.messages.onShow = [&] { dialogAtTheBox = IsWindow(replaceWindow) && IsWindowVisible(replaceWindow); };
    scene.clock.at(4, [&] { stop(scene, Stop::CloseBox); });

    // Pressed as the mouse presses it: the run goes through the dialog's
    // handler of the button, which the dialog outlives.
    postClick(scene.replaceControl("cmdReplaceAll"));
    pump();

    EXPECT_EQ(scene.log.writes, 3);
    EXPECT_EQ(scene.h.messages.prompts, std::vector<std::u16string>{u"Replace All stopped: 3 of 12 replaced."});
    EXPECT_TRUE(dialogAtTheBox);
    EXPECT_FALSE(IsWindow(replaceWindow));
    // What the hold disabled is enabled again.
    EXPECT_TRUE(IsWindowEnabled(scene.hostWindow.handle()));
    EXPECT_TRUE(IsWindowEnabled(findWindow));
    EXPECT_TRUE(IsWindowEnabled(scene.findControl("cmdFind")));
    EXPECT_NE(storiesOf(scene.h.host), stories);
    EXPECT_TRUE(scene.h.host.publication().undo());
    EXPECT_EQ(storiesOf(scene.h.host), stories);
    EXPECT_FALSE(scene.h.host.publication().undo());
    // The next use creates the dialog anew, empty.
    frmReplace* again = scene.h.component.forms().replaceForm().value();
    EXPECT_EQ(again->window().text("txtReplaceWith"), u"");
}

}  // namespace
}  // namespace quillet::test
