#include <compare>

#include "engine/EngineTexts.h"
#include "engine/Module1.h"

namespace quillet {

namespace {

/// A place in the publication: a story and a 0-based position in it.
struct Place {
    int32_t story = 0;
    int64_t position = 0;

    friend auto operator<=>(const Place&, const Place&) = default;
};

}  // namespace

void Module1::ReplaceAll(const std::u16string& findText, const std::u16string& replaceText, bool matchCase,
                         bool wholeWord) {
    // The sweep runs from the current match to the end of the publication,
    // wraps once, and stops on coming back to where it started. Without a
    // current match, it starts at the first match that the first pass selects.
    std::optional<Place> start;
    if (findText == state_.LastFindText.value_or(std::u16string())) {
        if (const SearchBuffer* buffer = buffers_.existingSearchBuffer()) {
            if (auto position = justMaskedMatch(*buffer, findText.size()))
                start = Place{state_.StoryIndex, *position};
        }
    }
    const int64_t growth = static_cast<int64_t>(replaceText.size()) - static_cast<int64_t>(findText.size());
    std::optional<Place> pending = start;  // the match that the next pass replaces
    bool wrapped = false;

    for (int passes = 0;;) {
        const Step step = replaceStep(findText, replaceText, matchCase, wholeWord, /*quiet=*/true);
        if (step.outcome == Outcome::NoText || state_.StoryCount == 0) return;
        if (step.outcome == Outcome::Finished) break;
        if (step.outcome != Outcome::Selected) return;  // the user has seen why it stopped

        // A replacement before the start point, in its story, moves it.
        if (wrapped && start && pending && pending->story == start->story && pending->position < start->position)
            start->position += growth;
        if (step.wrapped) {
            if (wrapped) break;
            wrapped = true;
        }
        const Place match{state_.StoryIndex, step.matchStart};
        if (!start) start = match;
        // Past the start point, or formed across it by a replacement made there.
        else if (wrapped && Place{match.story, match.position + static_cast<int64_t>(findText.size())} > *start) break;
        pending = match;
        if (++passes >= kPassLimit) return;
    }
    messages_.show(texts::kReplaceComplete, msgbox::kOkOnly, texts::kTitle);
}

}  // namespace quillet
