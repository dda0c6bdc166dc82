#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "engine/Counts.h"

namespace quillet {

// What the dialogs' status line says after a press.

/// The line made of `parts`: those that say something, one blank between
/// each two and none before the first, whichever of them say nothing.
inline std::u16string statusLineOf(std::initializer_list<std::u16string_view> parts) {
    std::u16string line;
    for (const std::u16string_view part : parts) {
        if (part.empty()) continue;
        if (!line.empty()) line += u' ';
        line += part;
    }
    return line;
}

/// "N replaced in M stories." ("1 replaced in 1 story.")
inline std::u16string replacedInStories(int64_t replaced, int32_t stories) {
    return withThousands(replaced) + u" replaced in " + withThousands(stories) + (stories == 1 ? u" story." : u" stories.");
}

/// "K more in text that is on no page.", what the line says after a press
/// that passed over such occurrences, alone or after what else it says;
/// nothing when there were none.
inline std::u16string moreOnNoPage(int64_t passedOver) {
    if (passedOver == 0) return {};
    return withThousands(passedOver) + u" more in text that is on no page.";
}

/// "K more may be what it wrote before.", what the Replace dialog's line
/// adds when its job left occurrences that may be its own earlier
/// replacements; nothing when it left none.
inline std::u16string moreInDoubtOnTheLine(int64_t left) {
    if (left == 0) return {};
    return withThousands(left) + u" more may be what it wrote before.";
}

/// "N found in M stories." ("1 found in 1 story."), or "No occurrences
/// found.", after Find All.
inline std::u16string foundInStories(int64_t found, int32_t stories) {
    if (found == 0) return u"No occurrences found.";
    return withThousands(found) + u" found in " + withThousands(stories) + (stories == 1 ? u" story." : u" stories.");
}

/// "K of them are in text that is on no page." ("1 of them is …"), after
/// Find All found such; nothing when it found none.
inline std::u16string ofThemOnNoPage(int64_t onNoPage) {
    if (onNoPage == 0) return {};
    return withThousands(onNoPage) +
           (onNoPage == 1 ? u" of them is in text that is on no page." : u" of them are in text that is on no page.");
}

/// What the line says when a row gone to selects nothing: its text changed
/// since Find All, or no page shows it.
inline constexpr std::u16string_view kRowChanged = u"Nothing selected: the text there has changed since Find All.";
inline constexpr std::u16string_view kRowOnNoPage = u"Nothing selected: the occurrence is in text that is on no page.";

/// What the line adds when a host failure stopped Find All.
inline constexpr std::u16string_view kListIncomplete = u"The list is incomplete: the host failed before the end.";

/// "K no longer found.", after Replace Checked met checked rows whose text
/// changed; nothing when it met none.
inline std::u16string noLongerFound(int64_t count) {
    if (count == 0) return {};
    return withThousands(count) + u" no longer found.";
}

/// "Replacing… 1,200 of 3,400", while a Replace All runs.
inline std::u16string replacing(int64_t done, int64_t total) {
    return u"Replacing\u2026 " + withThousands(done) + u" of " + withThousands(total);
}

}  // namespace quillet
