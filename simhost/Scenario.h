#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "base/RaisedError.h"
#include "simhost/memory/HostCapabilities.h"
#include "simhost/memory/InMemoryCommandBars.h"
#include "simhost/memory/InMemoryPublication.h"

namespace quillet::simhost {

/// A control of a dialog, as a step names it: "frmReplace.txtFindWhat".
struct ControlName {
    std::string form;
    std::string control;
};

/// The steps of a scenario: what the user and the host do.
namespace steps {
struct Connect { bool foreign = false; };
struct Disconnect { int32_t removeMode = 0; };
struct CallAddToolbar {};
struct Click { std::u16string caption; };
struct SetText { ControlName target; std::u16string text; };
struct SetCheck { ControlName target; int value = 0; };
struct Press { ControlName target; };
struct Key { std::string form; bool enter = true; };  // Enter, or Esc
struct CloseBox { std::string form; };
/// A row of a list, 1-based: double-clicked, or its check box set or cleared.
struct Pick { ControlName target; int32_t row = 1; };
struct Check { ControlName target; int32_t row = 1; bool checked = true; };
struct Answer { std::vector<int> answers; };
/// The user's choice, by its name, in the next menu that a dialog shows.
struct Choose { std::u16string item; };
struct Select { std::optional<SelectionModel> selection; };
struct Edit { int32_t story = 0; std::u16string text; };
/// The user types `text` over `length` code units of `story` from the 1-based
/// `start` (both kept within the story): one edit, after which the caret
/// stands just after what was typed.
struct Type { int32_t story = 0; int32_t start = 1; int32_t length = 0; std::u16string text; };
/// The user deletes the text box of a story: the stories after it move up by one.
struct DeleteStory { int32_t story = 0; };
/// The user adds a text box whose story comes at `story` (1-based; one past the last appends it).
struct InsertStory { int32_t story = 0; std::u16string text; };
/// The user moves the text box of `story` by cut and paste, so that its story
/// comes at `to` (1-based, its place after the move).
struct Move { int32_t story = 0; int32_t to = 0; };
struct Open { PublicationModel publication; };
struct Page { int32_t page = 0; };
struct Undo {};
struct Fail { std::string operation; RaisedError error; int count = 1; int after = 0; };
struct Heal {};
struct Dump {};
/// A picture of the whole screen, as a PNG file. `path` (UTF-8) is resolved
/// already: a relative path in the file is taken from the scenario file's folder.
struct Screenshot { std::string path; };
}  // namespace steps

using Step = std::variant<steps::Connect, steps::Disconnect, steps::CallAddToolbar, steps::Click, steps::SetText,
                          steps::SetCheck, steps::Press, steps::Key, steps::CloseBox, steps::Pick, steps::Check, steps::Answer, steps::Choose,
                          steps::Select, steps::Edit, steps::Type, steps::DeleteStory, steps::InsertStory, steps::Move,
                          steps::Open, steps::Page, steps::Undo, steps::Fail, steps::Heal, steps::Dump, steps::Screenshot>;

struct Scenario {
    PublicationModel publication;
    HostCapabilities host;
    std::vector<BarModel> commandBars;
    bool start = true;
    std::vector<Step> steps;
};

/// Reads a scenario file; throws ScenarioError, with a one-line reason, when
/// it is not a valid scenario. Besides the fields of the format, a file may
/// give "publicationFile": another file, relative to this one, whose
/// "publication" is used, so that several scenarios can share one.
Scenario readScenario(const std::filesystem::path& path);

}  // namespace quillet::simhost
