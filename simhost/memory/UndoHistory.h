#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quillet::simhost {

/// The undo steps of one publication, as a current host keeps them: every
/// write outside a group is a step of its own; a group, from the outermost
/// begin to its end, is one step. Groups nest, and only the outermost one
/// counts. A group that changed nothing leaves no step behind: there is
/// nothing for an undo to take back.
class UndoHistory {
public:
    void beginGroup();
    /// Ends the innermost group; false when none is open.
    bool endGroup();
    bool groupOpen() const { return depth_ > 0; }

    /// A write replaced `oldText` at the 0-based `offset` of `story` (1-based)
    /// with `newLength` code units.
    void recordWrite(int32_t story, size_t offset, std::u16string oldText, size_t newLength);

    /// The user deleted `story`: its writes can no longer be taken back, and
    /// the stories after it moved up by one.
    void storyDeleted(int32_t story);
    /// The user added a story at `story`: the stories from there on moved down by one.
    void storyInserted(int32_t story);

    /// The text of story `story` (1-based); null when there is no such story.
    using StoryTexts = std::function<std::u16string*(int32_t story)>;

    /// Takes back the last step: every story that it changed gets back the
    /// text that it held before it. False, and nothing changes, when there is
    /// no step or a group is open (a host refuses an undo inside a group).
    /// A text changed since by other means is taken back as far as it still
    /// reaches.
    bool undo(const StoryTexts& stories);

    /// The steps that an undo can take back, an open group's changes counted as the step they will be.
    size_t steps() const { return done_.size() + (open_.empty() ? 0 : 1); }

private:
    /// Applies `renumber` to the story of every write kept; a write whose
    /// story it maps to 0 is dropped.
    void renumber(const std::function<int32_t(int32_t)>& map);

    struct Write {
        int32_t story;
        size_t offset;
        std::u16string oldText;
        size_t newLength;
    };
    using Step = std::vector<Write>;

    std::vector<Step> done_;
    /// The changes of the open group so far.
    Step open_;
    int depth_ = 0;
};

}  // namespace quillet::simhost
