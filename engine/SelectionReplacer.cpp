#include "engine/SelectionReplacer.h"

#include <algorithm>
#include <set>

#include "engine/EngineTexts.h"
#include "engine/text/ReplacementText.h"

namespace quillet {

namespace {

/// `text` with `length` units from `start` replaced by `replacement`.
std::u16string writtenInto(std::u16string_view text, Position start, Position length, const std::u16string& replacement) {
    return rewritten(text, {{{start, length}, replacement}});
}

}  // namespace

Result<std::u16string> SelectionReplacer::textOf(int32_t story) {
    if (auto held = read_.find(story); held != read_.end()) return held->second;
    auto text = host_.storyText(story);
    if (!text) return text.error();
    if (Status followed = search_.follow(story, *text); !followed) return followed.error();
    read_[story] = *text;
    return text;
}

void SelectionReplacer::addCandidates(int32_t story, const std::u16string& text, const HostChain::Selection& selection) {
    if (selection.story && text != *selection.story) return;
    const std::u16string_view view = text;
    const size_t length = selection.text.size();
    if (selection.start) {
        const auto start = static_cast<size_t>(*selection.start);
        if (start <= view.size() && view.substr(start, length) == selection.text)
            candidates_.push_back({story, text, *selection.start});
        return;
    }
    for (size_t at = view.find(selection.text); at != std::u16string_view::npos; at = view.find(selection.text, at + 1))
        candidates_.push_back({story, text, static_cast<Position>(at)});
}

bool SelectionReplacer::mayWrite(const Candidate& candidate, const Job& job, FindOptions options,
                                 Position length) const {
    SearchBuffer buffer;
    search_.loadMasked(buffer, candidate.story, candidate.text, &job);
    const auto found = buffer.findFrom(job.find, options, candidate.start);
    return found && found->start == candidate.start && found->length == length;
}

bool SelectionReplacer::tellApart(const std::u16string& written, Position length) const {
    std::set<std::pair<int32_t, std::u16string>> after;
    for (const Candidate& candidate : candidates_) {
        if (!after.emplace(candidate.story, writtenInto(candidate.text, candidate.start, length, written)).second)
            return false;
    }
    return true;
}

std::optional<SelectionReplacer::Candidate> SelectionReplacer::landed(const std::u16string& written,
                                                                      Position length, bool everyStoryRead) {
    std::set<int32_t> stories;
    for (const Candidate& candidate : candidates_) stories.insert(candidate.story);
    auto wentTo = [&](int32_t story, const std::u16string& now) -> std::optional<Candidate> {
        for (const Candidate& candidate : candidates_) {
            if (writtenInto(candidate.text, candidate.start, length, written) == now)
                return Candidate{story, candidate.text, candidate.start};
        }
        return std::nullopt;
    };
    // A write that changed nothing leaves nothing to read back.
    const std::optional<Candidate> only = candidates_.size() == 1 ? std::optional(candidates_.front()) : std::nullopt;
    if (written == unitsOf(candidates_.front().text, candidates_.front().start, length)) return only;
    // Even a single candidate is read back: a story that no one read, alike
    // to it, may hold the selection, and the write would be remembered in
    // the wrong one.
    for (const int32_t story : stories) {
        auto now = host_.storyText(story);
        // Unread, the write is best remembered where it most likely went.
        if (!now) return only;
        if (*now != read_[story]) return wentTo(story, *now);
    }
    if (everyStoryRead) return std::nullopt;
    // Not in a story that was read: in another one with the same text,
    // which shows only by the text that the write left there.
    std::optional<Candidate> found;
    for (int32_t story = 1; story <= state_.StoryCount; ++story) {
        if (stories.contains(story)) continue;
        auto now = host_.storyText(story);
        if (!now) return std::nullopt;
        auto candidate = wentTo(story, *now);
        if (candidate && found) return std::nullopt;
        if (candidate) found = candidate;
    }
    return found;
}

std::optional<SelectionReplacer::Stories> SelectionReplacer::whereToLook(const Job& job,
                                                                         const HostChain::Selection& selection,
                                                                         int32_t matchStory) {
    // Where the search stands is where the selection most likely is; only
    // elsewhere must every story be read. A story where the job wrote is
    // read only when the selection could stand on that writing, were the
    // story to read as the selection's does.
    if (selection.story) {
        for (const int32_t story : {matchStory, int32_t{state_.StoryIndex}}) {
            if (story < 1 || story > state_.StoryCount) continue;
            auto text = textOf(story);
            if (!text) return std::nullopt;
            if (*text != *selection.story) continue;
            std::optional<Span> near;
            if (selection.start) near = Span{*selection.start, lengthOf(selection.text)};
            std::vector<int32_t> stories = memory_.couldHoldWritingNear(job, *selection.story, near, story);
            stories.push_back(story);
            return Stories{std::set<int32_t>(stories.begin(), stories.end()), /*every=*/false};
        }
    }
    Stories all{{}, /*every=*/true};
    for (int32_t story = 1; story <= state_.StoryCount; ++story) all.stories.insert(story);
    return all;
}

bool SelectionReplacer::replace(const Job& job, FindOptions options, ReplaceOptions replaceOptions) {
    read_.clear();
    candidates_.clear();
    auto selection = host_.selection();
    if (!selection || selection->text.empty()) return false;
    if (!search_.recount()) return false;
    const auto length = lengthOf(selection->text);

    const bool sameSearch = state_.LastFindText && *state_.LastFindText == job.find;
    const auto match = sameSearch ? memory_.currentMatch() : std::nullopt;
    const auto where = whereToLook(job, *selection, match ? match->story : 0);
    if (!where) return false;
    for (const int32_t story : where->stories) {
        if (story < 1 || story > state_.StoryCount) continue;
        auto text = textOf(story);
        if (!text) return false;
        addCandidates(story, *text, *selection);
    }
    if (candidates_.empty()) return false;
    if (!std::all_of(candidates_.begin(), candidates_.end(),
                     [&](const Candidate& candidate) { return mayWrite(candidate, job, options, length); }))
        return false;

    // What is written depends on the story (its paragraph ends) and on the
    // selected text's case. It is first written as the likeliest place asks,
    // the search's current match (read now: reading the stories may have
    // found that text boxes moved), and again once the story is known.
    const auto current = sameSearch ? memory_.currentMatch() : std::nullopt;
    std::stable_partition(candidates_.begin(), candidates_.end(), [&](const Candidate& candidate) {
        return current && current->story == candidate.story && current->span == Span{candidate.start, length};
    });
    auto formFor = [&](const Candidate& candidate) {
        return replacementFor(job.replacement, selection->text, candidate.text, replaceOptions);
    };
    const std::u16string first = formFor(candidates_.front());
    const bool formsDiffer = std::any_of(candidates_.begin(), candidates_.end(),
                                         [&](const Candidate& candidate) { return formFor(candidate) != first; });
    if (!tellApart(first, length)) return false;
    // Written twice, it is one step for the host's Undo all the same.
    if (formsDiffer) restorer_.beginUndoGroup(texts::kReplaceUndo);
    if (!host_.writeSelection(first)) return false;

    const auto target = landed(first, length, /*everyStoryRead=*/where->every);
    if (!target) return true;
    std::u16string written = first;
    if (const std::u16string own = formFor(*target); own != first && host_.writeSelection(own)) written = own;
    const Span occurrence{target->start, length};
    const bool wasCurrentMatch = current && current->story == target->story && current->span == occurrence;
    const std::u16string after = writtenInto(target->text, target->start, length, written);
    memory_.wrote(job, target->story, target->text, occurrence, written);
    (void)search_.goOnAfterWrite(job, target->story, target->text, after, occurrence, written, wasCurrentMatch);
    return true;
}

}  // namespace quillet
