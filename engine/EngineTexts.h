#pragma once

namespace quillet::texts {

/// The title of the engine's own boxes, and the name of the add-in's command bar.
inline constexpr char16_t kTitle[] = u"Tarnwick Find/Replace";
inline constexpr char16_t kErrorTitle[] = u"Error";
inline constexpr char16_t kNoTextToSearch[] = u"There is no text to search";
inline constexpr char16_t kWrapQuestion[] =
    u"You have reached the end of your publication with no more matches.  Would you like to continue searching "
    u"from the beginning?  (Choose Yes if you have added text or text frames since you began searching)";
inline constexpr char16_t kReplaceComplete[] = u"Replace complete!";
/// The labels of the engine's changes in the host's Undo list.
inline constexpr char16_t kReplaceAllUndo[] = u"Replace All";
inline constexpr char16_t kReplaceUndo[] = u"Replace";

}  // namespace quillet::texts
