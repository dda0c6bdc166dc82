#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "host/HostObjects.h"
#include "host/HostApplicationClass.h"

namespace quillet {

/// The host operations of the engine. Each walks its whole chain from the
/// engine's application reference again and holds no host object afterwards,
/// so that every step sees the publication as it is now. The reference itself
/// is created on first need and kept.
class HostChain {
public:
    /// Told just before each write of the publication's text.
    class WriteWatcher {
    public:
        virtual void beforeWrite() = 0;

    protected:
        ~WriteWatcher() = default;
    };

    explicit HostChain(HostApplicationClass& applicationClass) : applicationClass_(applicationClass) {}

    /// Tells `watcher` (not owned; null: no one) of every write from now on;
    /// returns the one that was told until now.
    WriteWatcher* watchWrites(WriteWatcher* watcher);

    /// Makes the view display the page at 1-based `index`.
    Status displayPage(int32_t index);
    Result<int32_t> storyCount();
    Result<std::u16string> storyText(int32_t story);
    /// Selects `length` characters of `story` from the 1-based `start`.
    Status selectInStory(int32_t story, int32_t start, int32_t length);
    /// The 1-based place in the page collection of the page that the view
    /// displays: its PageIndex, or on a host without one, the place that
    /// placeOfPage finds, with `lastShown`, the page that the engine last made
    /// the view display.
    Result<int32_t> displayedPageIndex(int32_t lastShown);
    Result<int32_t> pageCount();
    /// The publication's selection: its text, and where it begins in its
    /// story (0-based) when the host has the member that says so.
    struct SelectedText {
        std::u16string text;
        std::optional<int32_t> start;
    };
    Result<SelectedText> selection();
    /// Replaces `length` characters of `story` from the 1-based `start` with
    /// `text`, without selecting them: text that no page shows can be written
    /// this way.
    Status writeInStory(int32_t story, int32_t start, int32_t length, const std::u16string& text);

    /// The application's ScreenUpdating (current hosts only).
    Result<bool> screenUpdating();
    Status setScreenUpdating(bool updating);
    /// Begins a group of changes of the active publication that one undo
    /// takes back (current hosts only). Gives that publication, in which the
    /// group must be ended.
    Result<PublicationRef> beginUndoGroup(const std::u16string& name);

private:
    Result<ApplicationRef> application();
    Result<PublicationRef> publication();
    Status write(const TextSpanRef& span, const std::u16string& text);
    /// The span of `length` characters of `story` from the 1-based `start`.
    Result<TextSpanRef> storySubSpan(int32_t story, int32_t start, int32_t length);

    HostApplicationClass& applicationClass_;
    ApplicationRef application_;
    WriteWatcher* writeWatcher_ = nullptr;
};

}  // namespace quillet
