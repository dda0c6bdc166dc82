#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "addin/Component.h"
#include "simhost/MenuChoices.h"
#include "simhost/headless/HeadlessWindows.h"
#include "simhost/memory/InMemoryHost.h"

namespace quillet::testing {

/// A message box that answers from a script and remembers what it showed.
/// Unscripted, it answers No to questions and OK to everything else.
class ScriptedMessages : public MessageBoxPort {
public:
    struct Shown {
        std::u16string prompt;
        int buttons = 0;
        std::optional<std::u16string> title;
    };

    int show(const std::u16string& prompt, int buttons, const std::optional<std::u16string>& title) override {
        shown.push_back({prompt, buttons, title});
        if (!answers.empty()) {
            const int answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return buttons == msgbox::kYesNoQuestion ? msgbox::kAnswerNo : msgbox::kAnswerOk;
    }

    std::vector<Shown> shown;
    std::deque<int> answers;
};

/// What the host was made to do, in order.
class RecordedEvents : public simhost::HostEvents {
public:
    void viewSet(int32_t page) override { views.push_back(page); }
    void selected(int32_t story, int32_t start, int32_t length, const std::u16string& text) override {
        selections.push_back({story, start, length});
        selectedTexts.push_back(text);
    }
    void refused(int32_t story, int32_t start, int32_t length) override { refusals.push_back({story, start, length}); }
    void written(int32_t, int32_t, int32_t, const std::u16string&, const std::u16string& newText) override {
        writes.push_back(newText);
    }

    std::vector<int32_t> views;
    std::vector<simhost::SelectionModel> selections;
    std::vector<std::u16string> selectedTexts;
    std::vector<simhost::SelectionModel> refusals;
    std::vector<std::u16string> writes;
};

/// A publication of one-frame stories on page 1.
inline simhost::PublicationModel publicationOf(const std::vector<std::u16string>& stories, int32_t pages = 1) {
    simhost::PublicationModel model;
    model.pageNumbers.clear();
    for (int32_t page = 1; page <= pages; ++page) {
        std::u16string number;
        for (const char c : std::to_string(page)) number.push_back(static_cast<char16_t>(c));
        model.pageNumbers.push_back(number);
    }
    for (const auto& text : stories) model.stories.push_back({text, {simhost::Frame{1, 0}}});
    return model;
}

/// The component wired to an in-memory host, a headless window system and a
/// scripted message box.
struct EngineHarness {
    explicit EngineHarness(simhost::PublicationModel model, simhost::HostCapabilities offered = {})
        : host(std::move(model), {}, offered) {
        host.listen(events);
    }

    std::vector<std::u16string> stories() {
        std::vector<std::u16string> texts;
        for (const auto& story : host.publication().model().stories) texts.push_back(story.text);
        return texts;
    }
    std::optional<simhost::SelectionModel> selection() { return host.publication().model().selection; }
    const SearchBuffer& buffer() { return forms.findForm().value()->rtbFinder; }

    /// FindNext as the Find dialog calls it; a failure fails the test.
    bool findNext(const std::u16string& text, bool matchCase = false, bool wholeWord = false) {
        auto result = engine.FindNext({text, {matchCase, wholeWord}}, /*noWrapPrompt=*/false);
        if (!result) throw std::runtime_error("FindNext failed");
        return result->finished;
    }

    simhost::InMemoryHost host;
    RecordedEvents events;
    ScriptedMessages messages;
    simhost::MenuChoices menus;
    simhost::HeadlessWindowSystem windows{host.faults(), &menus};
    Component component{{messages, host, windows, windows}};
    Module1& engine = component.engine();
    FormInstances& forms = component.forms();
};

}  // namespace quillet::testing
