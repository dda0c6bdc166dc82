#include "simhost/ScenarioRunner.h"

#include "engine/EngineTexts.h"
#include "simhost/Utf8.h"

namespace quillet::simhost {

namespace {

using nlohmann::ordered_json;

// How the host says it connects the add-in, as in the add-in connection interface.
constexpr int32_t kConnectAfterStartup = 0;
constexpr int32_t kConnectAtStartup = 1;

ordered_json text(const std::u16string& value) { return toUtf8(value); }

}  // namespace

ScenarioRunner::ScenarioRunner(const Scenario& scenario, TranscriptSink sink, const SiteMaker& makeSite)
    : scenario_(scenario), sink_(std::move(sink)), host_(scenario.publication, scenario.commandBars, scenario.host) {
    host_.listen(*this);
    site_ = makeSite(SiteParts{host_, *this, *this, menus_});
}

ScenarioRunner::~ScenarioRunner() {
    // Unloading after the end shows nothing.
    sink_ = [](const ordered_json&) {};
    site_.reset();
}

void ScenarioRunner::run() {
    if (scenario_.start) site_->addin().connect(/*foreign=*/false, kConnectAtStartup);
    for (size_t i = 0; i < scenario_.steps.size(); ++i) {
        if (stepListener_) stepListener_(i + 1, scenario_.steps[i]);
        if (!perform(scenario_.steps[i])) emit({{"ev", "ignored"}, {"step", i + 1}});
    }
    emit(dump());
    emit({{"ev", "end"}});
}

void ScenarioRunner::runInteractive() {
    if (scenario_.start) site_->addin().connect(/*foreign=*/false, kConnectAtStartup);
    site_->interact();
    emit(dump());
    emit({{"ev", "end"}});
}

struct ScenarioRunner::StepVisitor {
    ScenarioRunner& runner;

    DialogView* window(const std::string& form) const { return runner.site_->dialogs().find(form); }

    bool operator()(const steps::Connect& step) const {
        runner.site_->addin().connect(step.foreign, kConnectAfterStartup);
        return true;
    }
    bool operator()(const steps::Disconnect& step) const {
        // The host lets go of the add-in's object once it is disconnected.
        return runner.site_->addin().disconnect(step.removeMode);
    }
    bool operator()(const steps::CallAddToolbar&) const {
        runner.site_->addin().callAddToolbar();
        return true;
    }
    bool operator()(const steps::Click& step) const { return runner.host_.commandBars().click(texts::kTitle, step.caption); }
    bool operator()(const steps::SetText& step) const {
        DialogView* target = window(step.target.form);
        return target != nullptr && target->userSetText(step.target.control, step.text);
    }
    bool operator()(const steps::SetCheck& step) const {
        DialogView* target = window(step.target.form);
        return target != nullptr && target->userSetCheck(step.target.control, step.value);
    }
    bool operator()(const steps::Press& step) const {
        DialogView* target = window(step.target.form);
        return target != nullptr && target->userPress(step.target.control);
    }
    bool operator()(const steps::Key& step) const {
        DialogView* target = window(step.form);
        return target != nullptr && (step.enter ? target->userEnter() : target->userEsc());
    }
    bool operator()(const steps::CloseBox& step) const {
        DialogView* target = window(step.form);
        return target != nullptr && target->userCloseBox();
    }
    bool operator()(const steps::Pick& step) const {
        DialogView* target = window(step.target.form);
        return target != nullptr && target->userPick(step.target.control, static_cast<size_t>(step.row - 1));
    }
    bool operator()(const steps::Check& step) const {
        DialogView* target = window(step.target.form);
        return target != nullptr && target->userCheck(step.target.control, static_cast<size_t>(step.row - 1), step.checked);
    }
    bool operator()(const steps::Choose& step) const {
        runner.menus_.add(step.item);
        return true;
    }
    bool operator()(const steps::Answer& step) const {
        runner.answers_.insert(runner.answers_.end(), step.answers.begin(), step.answers.end());
        return true;
    }
    bool operator()(const steps::Select& step) const {
        InMemoryPublication& publication = runner.host_.publication();
        if (step.selection) {
            const auto& stories = publication.model().stories;
            const SelectionModel& wanted = *step.selection;
            if (wanted.story > static_cast<int32_t>(stories.size())) return false;
            const auto size = static_cast<int64_t>(stories[wanted.story - 1].text.size());
            if (wanted.start > size + 1 || int64_t{wanted.start} + wanted.length > size + 1) return false;
        }
        publication.select(step.selection);
        return true;
    }
    bool operator()(const steps::Edit& step) const {
        InMemoryPublication& publication = runner.host_.publication();
        if (step.story > static_cast<int32_t>(publication.model().stories.size())) return false;
        publication.editStory(step.story, step.text);
        return true;
    }
    bool operator()(const steps::Type& step) const {
        return runner.host_.publication().typeInto(step.story, step.start, step.length, step.text);
    }
    bool operator()(const steps::DeleteStory& step) const {
        return runner.host_.publication().deleteStory(step.story);
    }
    bool operator()(const steps::InsertStory& step) const {
        return runner.host_.publication().insertStory(step.story, step.text);
    }
    bool operator()(const steps::Move& step) const {
        return runner.host_.publication().moveStory(step.story, step.to);
    }
    bool operator()(const steps::Open& step) const {
        runner.host_.open(step.publication);
        return true;
    }
    bool operator()(const steps::Page& step) const {
        InMemoryPublication& publication = runner.host_.publication();
        if (step.page > static_cast<int32_t>(publication.model().pageNumbers.size())) return false;
        publication.displayPage(step.page);
        return true;
    }
    /// The host refuses an undo with nothing to take back, or inside an undo group.
    bool operator()(const steps::Undo&) const { return runner.host_.publication().undo(); }
    bool operator()(const steps::Fail& step) const {
        runner.host_.faults().fail(step.operation, step.error, step.count, step.after);
        return true;
    }
    bool operator()(const steps::Heal&) const {
        runner.host_.faults().heal();
        return true;
    }
    bool operator()(const steps::Dump&) const {
        runner.emit(runner.dump());
        return true;
    }
    bool operator()(const steps::Screenshot& step) const { return runner.site_->screenshot(step.path); }
};

bool ScenarioRunner::perform(const Step& step) { return std::visit(StepVisitor{*this}, step); }

namespace {

/// A list's rows as the dump shows them: what each stands for, read from
/// the list's columns, its text as the list shows it, and its check box.
ordered_json rowsDump(const ControlSpec& list, const std::vector<DialogView::ShownRow>& rows) {
    auto columnOf = [&](std::string_view name) -> std::optional<size_t> {
        for (size_t c = 0; c < list.columns.size(); ++c) {
            if (list.columns[c].name == name) return c;
        }
        return std::nullopt;
    };
    auto number = [](const std::u16string& cell) -> ordered_json {
        if (cell.empty()) return nullptr;
        int64_t value = 0;
        for (const char16_t c : cell) value = value * 10 + (c - u'0');
        return value;
    };
    ordered_json result = ordered_json::array();
    for (const DialogView::ShownRow& row : rows) {
        auto cell = [&](std::string_view name) {
            const auto column = columnOf(name);
            return column && *column < row.cells.size() ? row.cells[*column] : std::u16string();
        };
        ordered_json entry{{"story", number(cell("story"))},
                           {"start", number(cell("start"))},
                           {"length", number(cell("length"))},
                           {"page", number(cell("place"))},
                           {"text", text(cell("text"))}};
        if (list.checkBoxes) entry["checked"] = row.checked ? 1 : 0;
        result.push_back(std::move(entry));
    }
    return result;
}

ordered_json formDump(const DialogView* window) {
    if (window == nullptr) return {{"state", "absent"}};
    ordered_json form{{"state", window->visible() ? "shown" : "hidden"}, {"topmost", window->topmost()}};
    for (const ControlSpec& control : window->layout().controls) {
        const std::string name(control.name);
        if (control.kind == ControlKind::TextBox) form[name] = text(window->text(control.name));
        if (control.kind == ControlKind::CheckBox) form[name] = window->checkValue(control.name);
        if (control.name == "lblStatus") form[name] = text(window->text(control.name));
        if (control.name == "cmdReplace" || control.name == "cmdReplaceAll" || control.name == "cmdFindAll" ||
            control.name == "cmdReplaceChecked")
            form[name] = window->enabled(control.name);
        if (control.kind == ControlKind::List) form[name] = rowsDump(control, window->rows(control.name));
    }
    return form;
}

ordered_json barsDump(const std::vector<BarModel>& bars) {
    ordered_json result = ordered_json::array();
    for (const BarModel& bar : bars) {
        ordered_json controls = ordered_json::array();
        for (const ControlModel& control : bar.controls) {
            controls.push_back({{"caption", text(control.caption)},
                                {"type", control.type},
                                {"faceId", control.faceId},
                                {"visible", control.visible},
                                {"enabled", control.enabled}});
        }
        result.push_back({{"name", text(bar.name)},
                          {"visible", bar.visible},
                          {"enabled", bar.enabled},
                          {"controls", std::move(controls)}});
    }
    return result;
}

}  // namespace

ordered_json ScenarioRunner::dump() {
    const PublicationModel& publication = host_.publication().model();
    ordered_json stories = ordered_json::array();
    for (const StoryModel& story : publication.stories) stories.push_back(text(story.text));
    ordered_json selection = nullptr;
    if (publication.selection) {
        selection = {{"story", publication.selection->story},
                     {"start", publication.selection->start},
                     {"length", publication.selection->length}};
    }
    AddinSite& addin = site_->addin();
    const AddinMembers members = addin.members();
    ordered_json search = nullptr;
    if (const SearchState* state = addin.searchState()) {
        search = {{"LastFindText", state->LastFindText ? text(*state->LastFindText) : ordered_json(nullptr)},
                  {"StoryCount", state->StoryCount},
                  {"StoryIndex", state->StoryIndex},
                  {"StoryText", text(state->StoryText)}};
    }
    ordered_json buffer = nullptr;
    if (const SearchBuffer* held = addin.searchBuffer()) {
        buffer = {{"content", text(held->content())}, {"selStart", held->selStart()}, {"selLength", held->selLength()}};
    }
    DialogFinder& dialogs = site_->dialogs();
    ordered_json event{{"ev", "dump"},
                       {"stories", std::move(stories)},
                       {"selection", std::move(selection)},
                       {"page", publication.displayedPage},
                       {"bars", barsDump(host_.commandBars().bars())},
                       {"connect",
                        {{"pubApp", members.pubApp}, {"cbbFind", members.cbbFind}, {"cbbReplace", members.cbbReplace}}},
                       {"forms",
                        {{"frmFind", formDump(dialogs.find("frmFind"))},
                         {"frmReplace", formDump(dialogs.find("frmReplace"))}}},
                       {"canUnload", addin.canUnload()}};
    // The engine's own state shows only where the component is linked in.
    if (addin.seesEngine()) {
        event["search"] = std::move(search);
        event["buffer"] = std::move(buffer);
    }
    event["undoSteps"] = host_.publication().undoSteps();
    event["redraws"] = host_.redraws();
    event["screenUpdating"] = host_.screenUpdating();
    return event;
}

void ScenarioRunner::viewSet(int32_t page) { emit({{"ev", "view"}, {"page", page}}); }

void ScenarioRunner::selected(int32_t story, int32_t start, int32_t length, const std::u16string& selectedText) {
    emit({{"ev", "select"}, {"story", story}, {"start", start}, {"length", length}, {"text", text(selectedText)}});
}

void ScenarioRunner::refused(int32_t story, int32_t start, int32_t length) {
    emit({{"ev", "refused"}, {"story", story}, {"start", start}, {"length", length}});
}

void ScenarioRunner::written(int32_t story, int32_t start, int32_t length, const std::u16string& oldText,
                             const std::u16string& newText) {
    emit({{"ev", "write"},
          {"story", story},
          {"start", start},
          {"length", length},
          {"old", text(oldText)},
          {"new", text(newText)}});
}

void ScenarioRunner::barAdded() { emit({{"ev", "bar"}, {"op", "added"}}); }

void ScenarioRunner::barDeleted(const std::u16string& name) {
    emit({{"ev", "bar"}, {"op", "deleted"}, {"name", text(name)}});
}

void ScenarioRunner::controlAdded(const std::u16string& bar) {
    emit({{"ev", "control"}, {"op", "added"}, {"bar", text(bar)}});
}

void ScenarioRunner::screenUpdatingSet(bool updating) { emit({{"ev", "screen"}, {"updating", updating}}); }

void ScenarioRunner::undoGroupBegun(const std::u16string& name) {
    emit({{"ev", "undo"}, {"op", "begin"}, {"name", text(name)}});
}

void ScenarioRunner::undoGroupEnded() { emit({{"ev", "undo"}, {"op", "end"}}); }

void ScenarioRunner::formEvent(std::string_view form, std::string_view op) {
    emit({{"ev", "form"}, {"form", form}, {"op", op}});
}

int ScenarioRunner::show(const std::u16string& prompt, int buttons, const std::optional<std::u16string>& title) {
    ordered_json event{{"ev", "msgbox"},
                       {"title", text(title.value_or(u"Quillet"))},
                       {"buttons", buttons},
                       {"prompt", text(prompt)}};
    if (answers_.empty()) {
        event["answer"] = buttons == msgbox::kYesNoQuestion ? msgbox::kAnswerNo : msgbox::kAnswerOk;
        event["unscripted"] = true;
    } else {
        event["answer"] = answers_.front();
        answers_.pop_front();
    }
    const int answer = event["answer"];
    emit(std::move(event));
    return answer;
}

}  // namespace quillet::simhost
