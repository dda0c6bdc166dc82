#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "engine/text/Position.h"
#include "host/HostApplicationClass.h"
#include "host/HostObjects.h"

namespace quillet {

/// The host operations of the engine. Within one press, the host's objects
/// that a call reaches are held for the next calls; forget() lets go of them,
/// so that the next call walks its chain from the engine's application
/// reference again and sees the publication as it is then. The reference
/// itself is created on first need and kept.
///
/// Stories are the host's 1-based indexes and pages the host's 1-based
/// places in the page collection; text is placed in 0-based Spans, which
/// become the host's 1-based positions only here.
class HostChain {
public:
    explicit HostChain(HostApplicationClass& applicationClass) : applicationClass_(applicationClass) {}

    /// Lets go of every host object held. Before each box, since the user may
    /// change the publication while it is up, and at the end of each press.
    void forget();

    Result<int32_t> storyCount();
    Result<std::u16string> storyText(int32_t story);
    /// The span of `span` in `story`, for selecting it again and again.
    Result<TextSpanRef> spanOf(int32_t story, Span span);
    /// Replaces `span` of `story` with `text` without selecting it: text
    /// that no page shows can be written this way.
    Status write(int32_t story, Span span, const std::u16string& text);

    Result<int32_t> pageCount();
    Result<PageRef> page(int32_t place);
    /// Makes the view display the page at `place`.
    Status displayPage(int32_t place);
    /// The page that the view displays.
    Result<PageRef> displayedPage();
    Result<PageCollectionRef> pages();

    /// The publication's selection: its text, where it begins in its story
    /// when the host has the member that says so, and the text of the story
    /// that holds it when the host has the member for that story.
    struct Selection {
        std::u16string text;
        std::optional<Position> start;
        std::optional<std::u16string> story;
    };
    Result<Selection> selection();
    /// Replaces the selected text with `text` (the selection read last in this press).
    Status writeSelection(const std::u16string& text);

    /// Whether the active publication is the one of the last press that
    /// asked: surely the same host object, surely another (the host hands
    /// out one object per publication, and this is not it), or it cannot be
    /// told (the host hands out a new object at every call). The first ask
    /// of a press compares; later asks in the press find it the same. The
    /// publication object is held between presses for this alone.
    enum class PublicationVerdict { Same, Another, Unknown };
    Result<PublicationVerdict> publicationSinceLastPress();

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
    Result<StoryCollectionRef> stories();
    Result<PublicationViewRef> view();
    Result<StoryRef> story(int32_t index);
    /// The span of the whole of `story`, held until it is written.
    Result<TextSpanRef> wholeStory(int32_t index);

    HostApplicationClass& applicationClass_;
    ApplicationRef application_;
    /// The active publication when the last press asked.
    PublicationRef lastPublication_;

    // Held within a press.
    PublicationRef publication_;
    StoryCollectionRef stories_;
    PageCollectionRef pages_;
    PublicationViewRef view_;
    std::map<int32_t, StoryRef> story_;
    std::map<int32_t, TextSpanRef> wholeStory_;
    TextSpanRef selection_;
};

}  // namespace quillet
