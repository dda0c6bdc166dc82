#include "engine/EngineTexts.h"
#include "engine/Module1.h"
#include "engine/QuietSweep.h"
#include "engine/SixteenBit.h"

namespace quillet {

void Module1::ReplaceAll(const std::u16string& findText, const std::u16string& replaceText, bool matchCase,
                         bool wholeWord) {
    const QuietSweep quiet(host_, messages_);

    // A match that the next pass replaces; one that no page shows was never
    // selected, so the pass writes into its story instead of the selection.
    struct PendingMatch {
        Place place;
        bool unshown = false;
    };

    // The sweep runs from the current match to the end of the publication,
    // wraps once, and stops on coming back to where it started. Without a
    // current match, it starts at the first match that the first pass finds.
    std::optional<Place> start;
    if (selected_ && findText == state_.LastFindText.value_or(std::u16string()) &&
        resumeAfter(*selected_, findText.size()))
        start = selected_;
    const auto findLength = static_cast<int32_t>(findText.size());
    const int64_t growth = static_cast<int64_t>(replaceText.size()) - findLength;
    std::optional<PendingMatch> pending;
    if (start) pending = PendingMatch{*start};
    bool wrapped = false;

    for (int passes = 0;;) {
        const Status written =
            pending && pending->unshown
                ? host_.writeInStory(pending->place.story, static_cast<int32_t>(pending->place.position) + 1,
                                     findLength, replaceText)
                : host_.writeSelection(replaceText);
        // A match that cannot be written ends the sweep: passing it over would
        // find the same match again and again, or claim a success that never
        // happened. Without a current match, the first pass writes into
        // whatever is selected, no match of the sweep, and passes a failure
        // over as one Replace does.
        if (!written && pending) {
            failureBox(written.error());
            return;
        }
        const Step step = findAfterWrite(findText, replaceText, matchCase, wholeWord, /*quiet=*/true,
                                         written.ok(), UnshownMatches::Report);
        if (step.outcome == Outcome::NoText || state_.StoryCount == 0) return;
        if (step.outcome == Outcome::Finished) break;
        if (step.outcome == Outcome::ErrorShown) return;  // the user has seen why it stopped

        // A replacement before the start point, in its story, moves it.
        if (wrapped && start && pending && pending->place.story == start->story &&
            pending->place.position < start->position)
            start->position += growth;
        if (step.wrapped) {
            if (wrapped) break;
            wrapped = true;
        }
        const Place match{state_.StoryIndex, step.matchStart};
        if (!start) start = match;
        // Past the start point, or formed across it by a replacement made there.
        else if (wrapped && Place{match.story, match.position + findLength} > *start) break;
        pending = PendingMatch{match, step.outcome == Outcome::Unshown};
        if (++passes >= kPassLimit) return;
    }
    messages_.show(texts::kReplaceComplete, msgbox::kOkOnly, texts::kTitle);
}

bool Module1::resumeAfter(const Place& match, size_t findLength) {
    auto buffer = buffers_.searchBuffer();
    if (!buffer) return false;
    if (state_.StoryIndex == match.story && justMaskedMatch(**buffer, findLength) == match.position) return true;

    // Since the match was selected, a step went on to the end without
    // selecting anything, passing over matches that no page shows, or the
    // buffer went with its dialog. Everything up to the match's end counts as
    // searched, as it did when the match was selected.
    auto text = host_.storyText(match.story);
    const auto end = static_cast<size_t>(match.position) + findLength;
    if (!text || end > text->size()) return false;
    state_.StoryIndex = static_cast<int16_t>(match.story);
    state_.StoryText = std::move(*text);
    (*buffer)->load(state_.StoryText);
    (*buffer)->select(0, static_cast<int32_t>(end));
    (*buffer)->replaceSelection(std::u16string(end, kMaskChar));
    return true;
}

}  // namespace quillet
