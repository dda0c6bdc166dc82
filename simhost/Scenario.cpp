#include "simhost/Scenario.h"

#include <algorithm>
#include <fstream>
#include <string_view>

#include <nlohmann/json.hpp>

#include "dialogs/frmFind.h"
#include "dialogs/frmReplace.h"
#include "simhost/HostOperations.h"
#include "simhost/PublicationJson.h"
#include "simhost/ScenarioError.h"

namespace quillet::simhost {

namespace {

using nlohmann::json;

const FormLayout* formLayout(std::string_view form) {
    if (form == frmFind::layout().name) return &frmFind::layout();
    if (form == frmReplace::layout().name) return &frmReplace::layout();
    return nullptr;
}

/// Reads the arguments of one step, saying which step is wrong when they are.
class StepReader {
public:
    StepReader(const json& step, size_t number) : step_(step), number_(number) {
        if (!step.is_array() || step.empty() || !step[0].is_string()) fail("must be an array that starts with a verb");
        verb_ = step[0].get<std::string>();
    }

    const std::string& verb() const { return verb_; }

    /// Runs a reader of a nested value, naming this step in its failure.
    template <typename Read>
    auto guarded(Read read) const {
        try {
            return read();
        } catch (const ScenarioError& error) {
            fail(error.what());
        }
    }

    size_t arguments() const { return step_.size() - 1; }

    void expectArguments(size_t min, size_t max) const {
        if (arguments() < min || arguments() > max) fail("has the wrong number of arguments");
    }
    const json& at(size_t index) const { return step_[index]; }

    int64_t integer(size_t index, int64_t min, int64_t max) const {
        const json& value = step_[index];
        if (!value.is_number_integer() || value.get<int64_t>() < min || value.get<int64_t>() > max)
            fail("argument " + std::to_string(index) + " must be an integer from " + std::to_string(min) + " to " +
                 std::to_string(max));
        return value.get<int64_t>();
    }

    /// A 1-based story, place or page number, or (`from` 0) a length.
    int32_t number(size_t index, int64_t from = 1) const {
        return static_cast<int32_t>(integer(index, from, INT32_MAX));
    }

    std::u16string text(size_t index) const {
        return guarded([&] { return readText(step_[index], "the argument"); });
    }

    std::string word(size_t index) const {
        if (!step_[index].is_string()) fail("argument " + std::to_string(index) + " must be a text");
        return step_[index].get<std::string>();
    }

    std::string form(size_t index) const {
        std::string name = word(index);
        if (formLayout(name) == nullptr) fail("names no dialog: " + name);
        return name;
    }

    /// A "form.control" argument naming a control of one of `kinds`.
    ControlName control(size_t index, std::initializer_list<ControlKind> kinds) const {
        const std::string name = word(index);
        const auto dot = name.find('.');
        const FormLayout* layout = dot == std::string::npos ? nullptr : formLayout(name.substr(0, dot));
        const ControlSpec* entry = layout == nullptr ? nullptr : layout->control(name.substr(dot + 1));
        if (entry == nullptr || std::find(kinds.begin(), kinds.end(), entry->kind) == kinds.end())
            fail("names no control of the right kind: " + name);
        return {name.substr(0, dot), name.substr(dot + 1)};
    }

    [[noreturn]] void fail(const std::string& why) const {
        throw ScenarioError("step " + std::to_string(number_) + " (" + (verb_.empty() ? "?" : verb_) + ") " + why);
    }

private:
    const json& step_;
    size_t number_;
    std::string verb_;
};

Step readSelect(const StepReader& step) {
    if (step.arguments() == 1) {
        if (!step.at(1).is_null()) step.fail("takes a story, a start and a length, or null");
        return steps::Select{};
    }
    step.expectArguments(3, 3);
    return steps::Select{SelectionModel{step.number(1), step.number(2), step.number(3, /*from=*/0)}};
}

Step readFail(const StepReader& step) {
    steps::Fail fail{step.word(1), {hresults::kUnspecified, u"Unspecified error"}, 1, 0};
    if (std::find(kHostOperations.begin(), kHostOperations.end(), fail.operation) == kHostOperations.end())
        step.fail("names no host operation: " + fail.operation);
    if (step.arguments() >= 2) fail.error.number = static_cast<int32_t>(step.integer(2, INT32_MIN, INT32_MAX));
    if (step.arguments() >= 3) fail.error.description = step.text(3);
    if (step.arguments() >= 4) fail.count = static_cast<int>(step.integer(4, 0, INT32_MAX));
    if (step.arguments() >= 5) fail.after = static_cast<int>(step.integer(5, 0, INT32_MAX));
    return fail;
}

/// A verb of a scenario: how many arguments its step takes, and how it is read.
struct Verb {
    std::string_view name;
    size_t fewest;
    size_t most;
    Step (*read)(const StepReader& step);
};

constexpr size_t kAny = SIZE_MAX;

const Verb kVerbs[] = {
    {"connect", 0, 1,
     [](const StepReader& step) -> Step {
         if (step.arguments() == 1 && step.word(1) != "foreign") step.fail("takes only \"foreign\"");
         return steps::Connect{step.arguments() == 1};
     }},
    {"disconnect", 1, 1,
     [](const StepReader& step) -> Step {
         return steps::Disconnect{static_cast<int32_t>(step.integer(1, INT32_MIN, INT32_MAX))};
     }},
    {"call", 1, 1,
     [](const StepReader& step) -> Step {
         if (step.word(1) != "AddToolbar") step.fail("can call only AddToolbar");
         return steps::CallAddToolbar{};
     }},
    {"click", 1, 1, [](const StepReader& step) -> Step { return steps::Click{step.text(1)}; }},
    {"set", 2, 2,
     [](const StepReader& step) -> Step {
         if (step.at(2).is_string()) return steps::SetText{step.control(1, {ControlKind::TextBox}), step.text(2)};
         return steps::SetCheck{step.control(1, {ControlKind::CheckBox}), static_cast<int>(step.integer(2, 0, 2))};
     }},
    {"press", 1, 1, [](const StepReader& step) -> Step { return steps::Press{step.control(1, {ControlKind::Button})}; }},
    {"key", 2, 2,
     [](const StepReader& step) -> Step {
         const std::string key = step.word(2);
         if (key != "Enter" && key != "Esc") step.fail("knows only the keys Enter and Esc");
         return steps::Key{step.form(1), key == "Enter"};
     }},
    {"closebox", 1, 1, [](const StepReader& step) -> Step { return steps::CloseBox{step.form(1)}; }},
    {"pick", 2, 2,
     [](const StepReader& step) -> Step { return steps::Pick{step.control(1, {ControlKind::List}), step.number(2)}; }},
    {"check", 3, 3,
     [](const StepReader& step) -> Step {
         return steps::Check{step.control(1, {ControlKind::List}), step.number(2), step.integer(3, 0, 1) != 0};
     }},
    {"answer", 0, kAny,
     [](const StepReader& step) -> Step {
         steps::Answer answer;
         for (size_t i = 1; i <= step.arguments(); ++i)
             answer.answers.push_back(static_cast<int>(step.integer(i, 1, 7)));
         return answer;
     }},
    {"choose", 1, 1, [](const StepReader& step) -> Step { return steps::Choose{step.text(1)}; }},
    {"select", 1, 3, readSelect},
    {"edit", 2, 2,
     [](const StepReader& step) -> Step {
         return steps::Edit{step.number(1), step.text(2)};
     }},
    {"type", 4, 4,
     [](const StepReader& step) -> Step {
         return steps::Type{step.number(1), step.number(2), step.number(3, /*from=*/0), step.text(4)};
     }},
    {"deletestory", 1, 1,
     [](const StepReader& step) -> Step {
         return steps::DeleteStory{step.number(1)};
     }},
    {"insertstory", 2, 2,
     [](const StepReader& step) -> Step {
         return steps::InsertStory{step.number(1), step.text(2)};
     }},
    {"move", 2, 2,
     [](const StepReader& step) -> Step {
         return steps::Move{step.number(1),
                            step.number(2)};
     }},
    {"open", 1, 1,
     [](const StepReader& step) -> Step {
         return steps::Open{step.guarded([&] { return readPublication(step.at(1)); })};
     }},
    {"page", 1, 1,
     [](const StepReader& step) -> Step { return steps::Page{step.number(1)}; }},
    {"fail", 1, 5, readFail},
    {"screenshot", 1, 1,
     [](const StepReader& step) -> Step {
         std::string path = step.word(1);
         if (path.empty()) step.fail("needs the path of a file");
         return steps::Screenshot{std::move(path)};
     }},
    {"undo", 0, 0, [](const StepReader&) -> Step { return steps::Undo{}; }},
    {"heal", 0, 0, [](const StepReader&) -> Step { return steps::Heal{}; }},
    {"dump", 0, 0, [](const StepReader&) -> Step { return steps::Dump{}; }},
};

Step readStep(const json& raw, size_t number) {
    const StepReader step(raw, number);
    for (const Verb& verb : kVerbs) {
        if (verb.name != step.verb()) continue;
        step.expectArguments(verb.fewest, verb.most);
        return verb.read(step);
    }
    step.fail("is not a verb of a scenario");
}

std::vector<BarModel> readCommandBars(const json& bars) {
    if (!bars.is_array()) throw ScenarioError("commandBars must be an array");
    std::vector<BarModel> result;
    for (const json& bar : bars) {
        if (!bar.is_object()) throw ScenarioError("a command bar must be an object");
        BarModel model{readText(bar.value("name", json()), "a command bar's name"), bar.value("visible", true),
                       bar.value("enabled", true), {}};
        for (const json& control : bar.value("controls", json::array())) {
            if (!control.is_object()) throw ScenarioError("a control must be an object");
            model.controls.push_back(ControlModel{readText(control.value("caption", json("")), "a control's caption"),
                                                  control.value("type", 1), control.value("faceId", 0),
                                                  control.value("visible", true), control.value("enabled", true)});
        }
        result.push_back(std::move(model));
    }
    return result;
}

HostCapabilities readHostCapabilities(const json& host) {
    if (!host.is_object()) throw ScenarioError("host must be an object");
    HostCapabilities capabilities;
    const std::pair<const char*, bool HostCapabilities::*> members[] = {
        {"screenUpdating", &HostCapabilities::screenUpdating},
        {"undoGroups", &HostCapabilities::undoGroups},
        {"pageIndex", &HostCapabilities::pageIndex},
        {"pageShapes", &HostCapabilities::pageShapes},
        {"spanStory", &HostCapabilities::spanStory},
        {"samePublicationObject", &HostCapabilities::samePublicationObject},
    };
    for (const auto& [name, member] : members) {
        const json offered = host.value(name, json(true));
        if (!offered.is_boolean()) throw ScenarioError(std::string("host.") + name + " must be true or false");
        capabilities.*member = offered.get<bool>();
    }
    for (const auto& [name, value] : host.items()) {
        const bool known = std::any_of(std::begin(members), std::end(members),
                                       [&](const auto& member) { return name == member.first; });
        if (!known) throw ScenarioError("host names no member that a host may lack: " + name);
    }
    return capabilities;
}

/// The file a screenshot step writes: relative paths start at the scenario's
/// folder, so that a scenario gives the same files wherever it is run from.
std::string resolvedFrom(const std::filesystem::path& folder, const std::string& utf8Path) {
    const std::filesystem::path path(std::u8string(utf8Path.begin(), utf8Path.end()));
    const std::u8string resolved = (path.is_absolute() ? path : folder / path).lexically_normal().u8string();
    return std::string(resolved.begin(), resolved.end());
}

json parseFile(const std::filesystem::path& path) {
    std::ifstream file(path);
    if (!file) throw ScenarioError(path.string() + " cannot be read");
    return json::parse(file);
}

}  // namespace

Scenario readScenario(const std::filesystem::path& path) {
    try {
        const json document = parseFile(path);
        if (!document.is_object()) throw ScenarioError("a scenario must be a JSON object");
        Scenario scenario;
        if (document.contains("publicationFile")) {
            const json shared = parseFile(path.parent_path() / readText(document["publicationFile"], "publicationFile"));
            scenario.publication = readPublication(shared.value("publication", json::object()));
        } else {
            scenario.publication = readPublication(document.value("publication", json::object()));
        }
        scenario.host = readHostCapabilities(document.value("host", json::object()));
        scenario.commandBars = readCommandBars(document.value("commandBars", json::array()));
        const json start = document.value("start", json(true));
        if (!start.is_boolean()) throw ScenarioError("start must be true or false");
        scenario.start = start.get<bool>();
        const json stepList = document.value("steps", json::array());
        if (!stepList.is_array()) throw ScenarioError("steps must be an array");
        for (size_t i = 0; i < stepList.size(); ++i) {
            Step step = readStep(stepList[i], i + 1);
            if (auto* screenshot = std::get_if<steps::Screenshot>(&step))
                screenshot->path = resolvedFrom(path.parent_path(), screenshot->path);
            scenario.steps.push_back(std::move(step));
        }
        return scenario;
    } catch (const json::exception& error) {
        throw ScenarioError(std::string("not valid JSON for a scenario: ") + error.what());
    }
}

}  // namespace quillet::simhost
