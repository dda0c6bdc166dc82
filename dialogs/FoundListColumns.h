#pragma once

#include "platform/FormLayout.h"

namespace quillet {

/// The columns of the list of what Find All found, in both dialogs: where
/// each occurrence is and its line of context, then, never shown, what the
/// row stands for (the story, the occurrence's 1-based start and length,
/// and the 1-based place of its page), for whoever reads the list.
namespace foundColumns {
enum Column : size_t { Page, Context, Story, Start, Length, Place };
}

inline constexpr ListColumn kFoundColumns[] = {
    {"page", u"Page", 735},
    {"text", u"Found", 3360, /*setsApart=*/true},
    {"story", u"Story", 0},
    {"start", u"Start", 0},
    {"length", u"Length", 0},
    {"place", u"Place", 0},
};

}  // namespace quillet
