#pragma once

// What the tests of the dialogs on real windows share: the component linked
// in over an in-memory host, with real windows, and the ways to their controls.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "addin/Component.h"
#include "dialogs/win32/Win32Windows.h"
#include "platform/win32/Win32Ports.h"
#include "simhost/memory/InMemoryHost.h"

namespace quillet::test {

/// Says Yes to every question, so that a search goes on from the beginning,
/// and keeps every prompt.
class SilentMessages : public MessageBoxPort {
public:
    int show(const std::u16string& prompt, int buttons, const std::optional<std::u16string>&) override {
        prompts.push_back(prompt);
        if (onShow) onShow();
        return buttons == msgbox::kYesNoQuestion ? msgbox::kAnswerYes : msgbox::kAnswerOk;
    }
    std::vector<std::u16string> prompts;
    /// What a test looks at while a box is up.
    std::function<void()> onShow;
};

/// One story on page 1: "one cat, two cats".
inline simhost::PublicationModel oneStory() {
    simhost::PublicationModel model;
    model.stories.push_back({u"one cat, two cats", {simhost::Frame{1, 0}}});
    return model;
}

/// The component over an in-memory host, with real windows.
struct DialogHarness {
    explicit DialogHarness(simhost::PublicationModel publication = oneStory(), std::vector<simhost::BarModel> bars = {},
                           WindowService* service = nullptr)
        : host(std::move(publication), std::move(bars)),
          component({messages, host, windows, service ? *service : realService}) {}
    explicit DialogHarness(WindowService& service) : DialogHarness(oneStory(), {}, &service) {}

    simhost::InMemoryHost host;
    SilentMessages messages;
    win32::Win32WindowFactory windows{GetModuleHandleW(nullptr)};
    win32::Win32WindowService realService;
    Component component;
};

/// What a message loop would do before the user's next action.
inline void pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

inline HWND windowOf(Form& form) { return reinterpret_cast<HWND>(form.window().handle()); }

inline HWND controlOf(Form& form, const FormLayout& layout, std::string_view control) {
    return GetDlgItem(windowOf(form), win32::controlId(layout, control));
}

}  // namespace quillet::test
