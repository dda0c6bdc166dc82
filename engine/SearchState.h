#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillet {

/// The running search. It lives as long as the component and is never reset:
/// not when a dialog closes, nor when the active publication changes.
struct SearchState {
    /// The find text of the running search; unset compares equal to the empty
    /// text and to nothing else.
    std::optional<std::u16string> LastFindText;
    /// The publication's story count, as read at the start of the last call.
    int32_t StoryCount = 0;
    /// The 1-based index of the story being searched; 0 before any search.
    int16_t StoryIndex = 0;
    /// The text of the story at StoryIndex, as last read from the host.
    std::u16string StoryText;
};

}  // namespace quillet
