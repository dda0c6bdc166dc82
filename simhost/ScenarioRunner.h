#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include <nlohmann/json.hpp>

#include "simhost/RunnerSite.h"
#include "simhost/Scenario.h"
#include "simhost/memory/InMemoryHost.h"

namespace quillet::simhost {

/// The transcript, one event at a time, in the order the events happen.
using TranscriptSink = std::function<void(const nlohmann::ordered_json& event)>;
/// Told of each step just before it is carried out (its number counts from 1).
using StepListener = std::function<void(size_t number, const Step& step)>;

/// The stand-in host running one scenario: it loads and connects the add-in,
/// carries out the steps, answers the message boxes, and reports every event
/// of the transcript.
class ScenarioRunner : private HostEvents, private WindowObserver, private MessageBoxPort {
public:
    /// `makeSite` says how the add-in runs: linked in (makeLinkedSite), or loaded through COM.
    ScenarioRunner(const Scenario& scenario, TranscriptSink sink, const SiteMaker& makeSite = makeLinkedSite);
    ~ScenarioRunner() override;

    /// Runs every step, then the closing dump and the end.
    void run();
    /// Starts the host as `run` does, then leaves it to a user instead of the
    /// steps (RunnerSite::interact) and ends with the closing dump and the end.
    void runInteractive();
    void listenToSteps(StepListener listener) { stepListener_ = std::move(listener); }

private:
    struct StepVisitor;

    /// Carries out one step; false when a user could not have done it.
    bool perform(const Step& step);
    void emit(nlohmann::ordered_json event) { sink_(event); }
    nlohmann::ordered_json dump();

    // The host's and the window system's events.
    void viewSet(int32_t page) override;
    void selected(int32_t story, int32_t start, int32_t length, const std::u16string& text) override;
    void refused(int32_t story, int32_t start, int32_t length) override;
    void written(int32_t story, int32_t start, int32_t length, const std::u16string& oldText,
                 const std::u16string& newText) override;
    void barAdded() override;
    void barDeleted(const std::u16string& name) override;
    void controlAdded(const std::u16string& bar) override;
    void screenUpdatingSet(bool updating) override;
    void undoGroupBegun(const std::u16string& name) override;
    void undoGroupEnded() override;
    void formEvent(std::string_view form, std::string_view op) override;
    /// The message boxes, answered from the script.
    int show(const std::u16string& prompt, int buttons, const std::optional<std::u16string>& title) override;

    const Scenario& scenario_;
    TranscriptSink sink_;
    StepListener stepListener_;
    InMemoryHost host_;
    std::deque<int> answers_;
    MenuChoices menus_;
    std::unique_ptr<RunnerSite> site_;
};

}  // namespace quillet::simhost
