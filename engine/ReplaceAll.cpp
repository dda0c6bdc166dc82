#include "engine/EngineTexts.h"
#include "engine/Module1.h"
#include "engine/QuietSweep.h"

namespace quillet {

void Module1::ReplaceAll(const FindRequest& find, const std::u16string& replaceText) {
    const QuietSweep quiet(host_, messages_);
    const Replacement replacement{find, replaceText};
    // The current match first, whether or not it is still selected: the user
    // may have edited the publication since, so its story is read again.
    // Every later match is the one that the last pass found, in the story
    // that that pass has just read, and no page need show it. The sweep never
    // finds what it wrote, so it ends when a pass has gone round the whole
    // publication without finding anything.
    std::optional<Place> pending = currentMatch(find.text);
    bool foundBySweep = false;
    for (int passes = 0;;) {
        std::optional<Rewrite> written;
        if (pending) {
            auto story = foundBySweep ? Result<std::optional<std::u16string>>(state_.StoryText) : storyOf(*pending);
            auto made = story.and_then([&](const std::optional<std::u16string>& text) {
                if (!text) return Result<std::optional<Rewrite>>(std::optional<Rewrite>());
                return replaceMatch(replacement, *pending, *text);
            });
            // A match that cannot be written ends the sweep: passing it over
            // would claim a success that never happened.
            if (!made) {
                failureBox(made.error());
                return;
            }
            written = std::move(*made);
        }
        const Step step = findAfterWrite(replacement, written, /*quiet=*/true, UnshownMatches::Report);
        if (step.outcome == Outcome::NoText || state_.StoryCount == 0) return;
        if (step.outcome == Outcome::Finished) break;
        if (step.outcome == Outcome::ErrorShown) return;  // the user has seen why it stopped
        pending = Place{state_.StoryIndex, step.matchStart};
        foundBySweep = true;
        if (++passes >= kPassLimit) return;
    }
    messages_.show(texts::kReplaceComplete, msgbox::kOkOnly, texts::kTitle);
}

}  // namespace quillet
