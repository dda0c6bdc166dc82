#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/HostObjects.h"
#include "simhost/memory/HostContext.h"
#include "simhost/memory/PublicationModel.h"
#include "simhost/memory/UndoHistory.h"

namespace quillet::simhost {

class MemPublication;

/// One publication of the stand-in host, served through the host interfaces.
/// Selecting a span whose first character lies in no frame on the displayed
/// page fails with hresults::kNotOnDisplayedPage; an index outside a
/// collection fails with hresults::kInvalidArgument.
class InMemoryPublication : public std::enable_shared_from_this<InMemoryPublication> {
public:
    InMemoryPublication(PublicationModel model, std::shared_ptr<HostContext> context);
    ~InMemoryPublication();

    /// The publication as the add-in sees it: the same object at every call
    /// while the publication is open, or a new one at every call when the
    /// host hands out no object twice (HostCapabilities::samePublicationObject).
    PublicationRef asPublication();

    const PublicationModel& model() const { return model_; }

    // What the user does, outside the add-in.
    void select(std::optional<SelectionModel> selection);
    void editStory(int32_t story, std::u16string text);
    /// Types `text` over `length` units of `story` from the 1-based `start`,
    /// both kept within the story; the selection becomes the caret after
    /// it. False when there is no such story.
    bool typeInto(int32_t story, int32_t start, int32_t length, const std::u16string& text);
    /// Deletes the text box of `story`; false when there is no such story.
    bool deleteStory(int32_t story);
    /// Adds a text box on page 1 whose story comes at `story`, one past the
    /// last appending it; false beyond that.
    bool insertStory(int32_t story, std::u16string text);
    /// Moves the text box of `story` as a user does, by cut and paste, so
    /// that its story comes at `to` (its place after the move): two undo
    /// steps, like a deletion and an addition. It keeps its text and frames;
    /// a selection in it goes with the cut. False when there is no such story
    /// or place.
    bool moveStory(int32_t story, int32_t to);
    void displayPage(int32_t page);
    /// Takes back the latest undo step, whoever made it (UndoHistory): the
    /// stories get back exactly what they held before it. False when there
    /// is none or a group is open.
    bool undo();

    size_t undoSteps() const { return history_.steps(); }
    bool undoGroupOpen() const { return history_.groupOpen(); }

private:
    friend class MemPublication;
    friend class MemTextSpan;
    friend class MemView;
    friend class MemPageCollection;
    friend class MemStoryCollection;
    friend class MemStory;
    friend class MemSelection;
    friend class MemPage;
    friend class MemShapeCollection;
    friend class MemShape;
    friend class MemTextFrame;

    /// A frame of a story: the story's 1-based index, and the frame's
    /// 0-based place among the story's frames.
    struct FramePlace {
        int32_t story;
        size_t frame;
    };
    /// The frames on `page`, in the order of the stories, each story's in
    /// their order: the shapes that the page holds.
    std::vector<FramePlace> framesOn(int32_t page) const;
    bool hasFrame(const FramePlace& place) const {
        return hasStory(place.story) && place.frame < model_.stories[place.story - 1].frames.size();
    }
    /// The text that a frame shows: its 0-based offset in the story and its
    /// length, within the story's current text. The frames before it hold
    /// their lengths, the last one the rest; a frame that the text does not
    /// reach shows nothing, at the story's end.
    std::pair<size_t, size_t> frameText(const FramePlace& place) const;
    /// The page that holds the 1-based position `position` of `story`.
    int32_t pageOf(int32_t story, int32_t position) const;
    bool hasStory(int32_t story) const { return story >= 1 && story <= static_cast<int32_t>(model_.stories.size()); }
    bool hasPage(int32_t page) const { return page >= 1 && page <= static_cast<int32_t>(model_.pageNumbers.size()); }
    /// Keeps the selection inside its story after the story's text changed.
    void clampSelection();
    /// Replaces `length` units of `story` from the 0-based `offset` with
    /// `text`, both within the story: an undo step, or part of the open group's.
    void replaceText(int32_t story, size_t offset, size_t length, const std::u16string& text);
    /// Takes the text box of `story` out, and the selection with it when it
    /// was there; the stories after it move up. Records nothing.
    StoryModel removeStory(int32_t story);
    /// Puts `story` in at the 1-based `place`; the stories from there on move down. Records nothing.
    void placeStory(int32_t place, StoryModel story);
    /// Puts `story` in at the 1-based `place` as an undo step of its own.
    void addStory(int32_t place, StoryModel story);
    /// Undoes one change of an undo step; the stories are as the change left them.
    void takeBack(const StoryChange& change);
    /// Where the selection is after the add-in replaced the `replaced` span
    /// with `written` characters, through the selection itself or otherwise:
    /// over the new text when it was that span, where it was when it lies in
    /// another story or before the span, moved with the text after it, and
    /// gone when the span overlapped it.
    void keepSelectionAfterWrite(const SelectionModel& replaced, int32_t written, bool throughSelection);

    PublicationModel model_;
    std::shared_ptr<HostContext> context_;
    UndoHistory history_;
    /// The one publication object that the host hands out, when it keeps one.
    std::unique_ptr<MemPublication> handedOut_;
};

}  // namespace quillet::simhost
