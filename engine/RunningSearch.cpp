#include "engine/RunningSearch.h"

#include <string_view>

#include "engine/EngineTexts.h"
#include "engine/FailureBox.h"
#include "engine/SixteenBit.h"
#include "engine/memory/MaskedStory.h"

namespace quillet {

namespace {

bool sameJob(const std::optional<Job>& held, const Job* job) {
    return job == nullptr ? !held.has_value() : held && *held == *job;
}

}  // namespace

Result<RunningSearch::Step> RunningSearch::step(const FindRequest& find, const Job* job, bool noWrapPrompt) {
    auto begun = begin(find.text);
    if (!begun) return begun.error();
    if (!*begun) return Step{Outcome::NoText, {}};
    std::u16string newSearchMask = std::move(**begun);
    // A wrap meets those on no page again: each counts once.
    std::set<std::pair<int32_t, Position>> passedOver;
    for (bool wrappedOnce = false;;) {
        auto outcome = searchToTheEnd(find, job, newSearchMask, passedOver);
        if (!outcome) return outcome.error();
        if (*outcome) return Step{**outcome, std::move(passedOver)};
        if (!goOnFromTheStart(noWrapPrompt, wrappedOnce))
            return Step{Outcome::Finished, std::move(passedOver)};
        if (auto moved = moveTo(1); !moved) return moved.error();
    }
}

StoryMemory::StoryReader RunningSearch::storyReader() {
    return [this](int32_t story) { return host_.storyText(story); };
}

Status RunningSearch::checkPublication() {
    auto verdict = host_.publicationSinceLastPress();
    if (!verdict) return verdict.error();
    if (*verdict == HostChain::PublicationVerdict::Another) {
        memory_.forget();
        reloadBuffer_ = true;
    }
    memory_.publicationKnown(*verdict != HostChain::PublicationVerdict::Unknown);
    publicationChecked_ = true;
    return {};
}

Status RunningSearch::checkPublicationOnce() { return publicationChecked_ ? Status() : checkPublication(); }

Status RunningSearch::recount() {
    if (Status checked = checkPublicationOnce(); !checked) return checked;
    auto count = host_.storyCount();
    if (!count) return count.error();
    if (Status followed = memory_.storyCountIs(*count, storyReader()); !followed) return followed;
    // Text boxes before the search's story came or went: the search goes on in its story.
    if (auto story = memory_.searchStory(); story && *story != state_.StoryIndex) {
        auto index = toInt16(*story);
        if (!index) return index.error();
        state_.StoryIndex = *index;
    }
    state_.StoryCount = *count;
    return {};
}

Status RunningSearch::follow(int32_t story, std::u16string_view text) { return memory_.seen(story, text, storyReader()); }

Result<std::optional<std::u16string>> RunningSearch::begin(const std::u16string& findText) {
    if (Status counted = recount(); !counted) return counted.error();
    if (findText == state_.LastFindText.value_or(std::u16string())) return std::optional(std::u16string());

    if (state_.StoryCount == 0) {
        messages_.show(texts::kNoTextToSearch, msgbox::kOkOnly, std::nullopt);
        return std::optional<std::u16string>();
    }
    state_.LastFindText = findText;
    state_.StoryIndex = 1;
    memory_.clearCurrentMatch();
    return maskOf(findText.size()).transform([](const std::u16string& mask) { return std::optional(mask); });
}

Result<std::optional<RunningSearch::Outcome>> RunningSearch::searchToTheEnd(
    const FindRequest& find, const Job* job, std::u16string& newSearchMask,
    std::set<std::pair<int32_t, Position>>& passedOver) {
    // An index outside the collection (the very first search, or stories
    // removed since) counts as having passed the last story.
    while (state_.StoryIndex >= 1 && state_.StoryIndex <= state_.StoryCount) {
        auto match = searchStory(find, job, newSearchMask);
        if (!match) return match.error();
        if (!*match) {
            if (state_.StoryIndex == state_.StoryCount) break;
            if (auto moved = moveTo(int64_t{state_.StoryIndex} + 1); !moved) return moved.error();
            continue;
        }
        auto selection = walk_.select(state_.StoryIndex, **match);
        if (!selection) return selection.error();
        if (selection->outcome == PageWalk::Outcome::Refused) {
            showFailureBox(messages_, selection->refusal, texts::kErrorTitle);
            return std::optional(Outcome::ErrorShown);
        }
        // A match that no page shows is masked all the same: left unmasked,
        // it would be found again by every later search and hide what
        // follows it.
        if (Status masked = maskVisited(find.text, **match); !masked) {
            showFailureBox(messages_, masked.error(), texts::kErrorTitle);
            return std::optional(Outcome::ErrorShown);
        }
        if (selection->outcome == PageWalk::Outcome::Selected) {
            memory_.setCurrentMatch(state_.StoryIndex, state_.StoryText, **match);
            return std::optional(Outcome::Selected);
        }
        // The next one is looked for as if this one had never been there.
        // The buffer holds this search's masks from here on, so the
        // new-search test must not load the story over them.
        passedOver.emplace(state_.StoryIndex, (*match)->start);
        newSearchMask.clear();
    }
    return std::optional<Outcome>();
}

Status RunningSearch::maskVisited(const std::u16string& findText, Span occurrence) {
    if (auto fits = maskFits(findText.size()); !fits) return fits;
    auto buffer = buffers_.searchBuffer();
    if (!buffer) return buffer.error();
    (*buffer)->maskSelection(unitsOf(state_.StoryText, occurrence));
    return {};
}

bool RunningSearch::goOnFromTheStart(bool noWrapPrompt, bool& wrappedOnce) {
    if (!noWrapPrompt)
        return messages_.show(texts::kWrapQuestion, msgbox::kYesNoQuestion, texts::kTitle) == msgbox::kAnswerYes;
    if (wrappedOnce) return false;
    wrappedOnce = true;
    return true;
}

Status RunningSearch::moveTo(int64_t story) {
    auto buffer = buffers_.searchBuffer();
    if (!buffer) return buffer.error();
    (*buffer)->load(u"");
    auto index = toInt16(story);
    if (!index) return index.error();
    state_.StoryIndex = *index;
    return {};
}

Result<std::optional<Span>> RunningSearch::searchStory(const FindRequest& find, const Job* job,
                                                             const std::u16string& newSearchMask) {
    auto text = host_.storyText(state_.StoryIndex);
    if (!text) return text.error();
    state_.StoryText = std::move(*text);
    if (Status followed = follow(state_.StoryIndex, state_.StoryText); !followed) return followed.error();
    memory_.searchIn(state_.StoryIndex, state_.StoryText);

    // The buffer is fetched anew at every visit: a box shown since may have let
    // the user close the Find dialog, and its buffer with it.
    auto found = buffers_.searchBuffer();
    if (!found) return found.error();
    SearchBuffer& buffer = **found;
    // A new search drops the masks of the last one, and a search for another
    // job that wrote here masks other writing; a changed story, an emptied
    // buffer or a match left selected by a failure makes the buffer reload too.
    auto wroteHere = [&](const Job* writer) {
        return writer != nullptr && !memory_.writtenBy(*writer, state_.StoryIndex).empty();
    };
    const bool otherWriting =
        !sameJob(maskedFor_, job) && (wroteHere(maskedFor_ ? &*maskedFor_ : nullptr) || wroteHere(job));
    if (buffer.selectedText() != newSearchMask || otherWriting || reloadBuffer_ || !buffer.mirrors(state_.StoryText)) {
        loadMasked(buffer, state_.StoryIndex, state_.StoryText, job);
        reloadBuffer_ = false;
    }
    maskedFor_ = job ? std::optional(*job) : std::nullopt;

    buffer.find(find.text, find.options);
    auto length = toInt16(buffer.selLength());
    if (!length) return length.error();
    if (*length == 0) return std::optional<Span>();
    return std::optional(Span{buffer.selStart(), *length});
}

void RunningSearch::loadMasked(SearchBuffer& buffer, int32_t story, std::u16string text, const Job* job) const {
    quillet::loadMasked(buffer, std::move(text), job ? memory_.writtenBy(*job, story) : std::vector<WrittenSpan>());
}

std::optional<SearchBuffer> RunningSearch::runningBuffer(int32_t story, const std::u16string& text, const Job& job) {
    auto buffer = buffers_.searchBuffer();
    if (!buffer || reloadBuffer_ || state_.StoryIndex != story || !sameJob(maskedFor_, &job) || !(*buffer)->mirrors(text))
        return std::nullopt;
    return **buffer;
}

Status RunningSearch::standAt(int32_t story, const std::u16string& text, const Job& job) {
    auto buffer = buffers_.searchBuffer();
    if (!buffer) return buffer.error();
    auto index = toInt16(story);
    if (!index) return index.error();
    state_.StoryIndex = *index;
    state_.StoryText = text;
    loadMasked(**buffer, story, text, &job);
    maskedFor_ = job;
    reloadBuffer_ = false;
    memory_.clearCurrentMatch();
    memory_.searchIn(story, text);
    return {};
}

Status RunningSearch::goTo(const std::u16string& findText, const Job* job, int32_t story, const std::u16string& text,
                           Span match) {
    if (auto fits = maskFits(findText.size()); !fits) return fits;
    auto found = buffers_.searchBuffer();
    if (!found) return found.error();
    SearchBuffer& buffer = **found;
    auto index = toInt16(story);
    if (!index) return index.error();
    state_.LastFindText = findText;
    state_.StoryIndex = *index;
    state_.StoryText = text;
    loadMasked(buffer, story, text, job);
    maskedFor_ = job ? std::optional(*job) : std::nullopt;
    reloadBuffer_ = false;
    // What comes before the match is met again only after a wrap, as after a step.
    if (match.start > 0) {
        buffer.select(0, static_cast<int32_t>(match.start));
        buffer.maskSelection(unitsOf(text, 0, match.start));
    }
    buffer.select(static_cast<int32_t>(match.start), static_cast<int32_t>(match.length));
    buffer.maskSelection(unitsOf(text, match));
    memory_.searchIn(story, text);
    memory_.setCurrentMatch(story, text, match);
    return {};
}

void RunningSearch::tookWrites(const Job& job, int32_t story, const std::u16string& before,
                               const std::u16string& after, const std::vector<Rewrite>& rewrites) {
    // A buffer that is not there holds nothing of the search: it is loaded at the next step.
    SearchBuffer* held = buffers_.existingSearchBuffer();
    if (held == nullptr || state_.StoryIndex != story || !held->mirrors(before)) return;
    SearchBuffer& buffer = *held;
    // A buffer that masks another job's writing is loaded again at the next step.
    if (!sameJob(maskedFor_, &job)) {
        reloadBuffer_ = true;
        return;
    }
    Position shift = 0;
    for (const Rewrite& rewrite : rewrites) {
        buffer.select(static_cast<int32_t>(rewrite.replaced.start + shift), static_cast<int32_t>(rewrite.replaced.length));
        buffer.maskWritten(rewrite.written, WordEdges::of(unitsOf(before, rewrite.replaced)));
        shift += lengthOf(rewrite.written) - rewrite.replaced.length;
    }
    state_.StoryText = after;
}

Status RunningSearch::goOnAfterWrite(const Job& job, int32_t story, const std::u16string& before,
                                  const std::u16string& after, Span occurrence, const std::u16string& written,
                                  bool wasCurrentMatch) {
    auto found = buffers_.searchBuffer();
    if (!found) return found.error();
    SearchBuffer& buffer = **found;
    if (wasCurrentMatch && state_.StoryIndex == story && sameJob(maskedFor_, &job) && buffer.mirrors(before)) {
        // The usual case: the current match was written. The buffer goes on
        // holding the story, the replacement masked in the match's place.
        buffer.select(static_cast<int32_t>(occurrence.start), static_cast<int32_t>(occurrence.length));
        buffer.maskWritten(written, WordEdges::of(unitsOf(before, occurrence)));
    } else {
        // Text that the user selected elsewhere: the search moves there and
        // passes over everything before it until it wraps.
        auto index = toInt16(story);
        if (!index) return index.error();
        state_.LastFindText = job.find;
        state_.StoryIndex = *index;
        loadMasked(buffer, story, after, &job);
        maskedFor_ = job;
        reloadBuffer_ = false;
        if (occurrence.start > 0) {
            buffer.select(0, static_cast<int32_t>(occurrence.start));
            buffer.maskSelection(unitsOf(after, 0, occurrence.start));
        }
        buffer.select(static_cast<int32_t>(occurrence.start + lengthOf(written)), 0);
    }
    memory_.clearCurrentMatch();
    state_.StoryText = after;
    memory_.searchIn(story, after);
    return {};
}

}  // namespace quillet
