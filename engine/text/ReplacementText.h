#pragma once

#include <string>
#include <string_view>

#include "engine/text/FindRequest.h"

namespace quillet {

/// The text that replaces a match in `story`, from the replacement text as
/// typed, each code (kCaretCodes, read as readCaretCodes reads them) written
/// as what it stands for:
/// - a paragraph end as the story writes it, CR LF when the story holds a
///   CR LF pair anywhere, else CR;
/// - a line break, U+000B, or LF when the story has a lone LF (one not after
///   a CR) and no U+000B;
/// - a code for a character, that character.
/// The codes that only a find text knows, and a caret before anything else
/// or at the end, stay as typed. Without a caret the result is `replaceText`
/// itself.
std::u16string expandReplacement(std::u16string_view replaceText, std::u16string_view story);

/// What replaces `occurrence` in `story`: the replacement text as typed with
/// its codes as the story writes them, in the occurrence's case with Keep Case.
std::u16string replacementFor(std::u16string_view replaceText, std::u16string_view occurrence,
                              std::u16string_view story, ReplaceOptions options);

}  // namespace quillet
