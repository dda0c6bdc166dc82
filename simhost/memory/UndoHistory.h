#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "simhost/memory/PublicationModel.h"

namespace quillet::simhost {

/// The changes of a publication's stories that an undo takes back. Story
/// numbers are 1-based and count as they did when the change was made.
namespace changes {
/// `newLength` code units of `story` from the 0-based `offset` took the place of `oldText`.
struct TextReplaced {
    int32_t story = 0;
    size_t offset = 0;
    std::u16string oldText;
    size_t newLength = 0;
};
/// The text box of `story` went, with its text and frames; the stories after it moved up.
struct StoryRemoved {
    int32_t story = 0;
    StoryModel removed;
};
/// A text box came whose story is `story`; the stories from there on moved down.
struct StoryAdded {
    int32_t story = 0;
};
}  // namespace changes

using StoryChange = std::variant<changes::TextReplaced, changes::StoryRemoved, changes::StoryAdded>;

/// The undo steps of one publication, as a current host keeps them: every
/// change is recorded, whoever made it (the add-in's writes, the user's
/// typing, deleting and adding text boxes), each a step of its own, except
/// inside a group: from the outermost begin to its end, every change is
/// part of one step. Only the outermost group counts. A group that changed
/// nothing leaves no step behind: there is nothing for an undo to take back.
///
/// Since every change is recorded and an undo takes back the latest step,
/// the step taken back always finds the stories exactly as it left them.
class UndoHistory {
public:
    void beginGroup();
    /// Ends the innermost group; false when none is open.
    bool endGroup();
    bool groupOpen() const { return depth_ > 0; }

    /// A change just made to the stories: a step of its own, or part of the open group's.
    void record(StoryChange change);

    /// Takes the latest step off the history: its changes in the order they
    /// were made, to be taken back last first. None when there is no step,
    /// or while a group is open (a host refuses an undo inside a group).
    std::optional<std::vector<StoryChange>> takeLatest();

    /// The steps that an undo can take back, an open group's changes counted as the step they will be.
    size_t steps() const { return done_.size() + (open_.empty() ? 0 : 1); }

private:
    using Step = std::vector<StoryChange>;

    std::vector<Step> done_;
    /// The changes of the open group so far.
    Step open_;
    int depth_ = 0;
};

}  // namespace quillet::simhost
