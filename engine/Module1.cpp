#include "engine/Module1.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "engine/EngineTexts.h"
#include "engine/RuntimeErrorPrompt.h"
#include "engine/SixteenBit.h"
#include "engine/TextMatcher.h"

namespace quillet {

namespace {

/// Whether `story` holds an occurrence of the find text at the 0-based
/// `position`, whole words judged on the story's characters.
bool occursAt(const std::u16string& story, int64_t position, const FindRequest& find) {
    const auto size = static_cast<int64_t>(story.size());
    if (find.text.empty() || position < 0 || position + static_cast<int64_t>(find.text.size()) > size) return false;
    TextMatcher matcher;
    matcher.prepare(find.text, find.options);
    return matcher.matchesAt(story.data(), size, position);
}

}  // namespace

Module1::Module1(EnginePorts ports)
    : host_(ports.applicationClass), messages_(ports.messages), buffers_(ports.buffers) {}

Result<bool> Module1::FindNext(const FindRequest& find, bool noWrapPrompt) {
    return findStep(find, noWrapPrompt, UnshownMatches::PassOver).transform([](const Step& step) {
        return step.outcome == Outcome::Finished;
    });
}

Result<Module1::Step> Module1::findStep(const FindRequest& find, bool noWrapPrompt, UnshownMatches unshown) {
    auto begun = beginStep(find.text);
    if (!begun) return begun.error();
    if (!*begun) return Step{Outcome::NoText};
    std::u16string newSearchMask = std::move(**begun);
    for (bool wrappedOnce = false;;) {
        auto step = searchToTheEnd(find, newSearchMask, unshown);
        if (!step) return step.error();
        if (*step) return **step;
        if (!goOnFromTheStart(noWrapPrompt, wrappedOnce)) return Step{Outcome::Finished};
        if (auto moved = moveTo(1); !moved) return moved.error();
    }
}

Result<std::optional<std::u16string>> Module1::beginStep(const std::u16string& findText) {
    if (auto shown = host_.displayPage(1); !shown) return shown.error();
    auto count = host_.storyCount();
    if (!count) return count.error();
    state_.StoryCount = *count;
    if (findText == state_.LastFindText.value_or(std::u16string())) return std::optional(std::u16string());

    if (state_.StoryCount == 0) {
        messages_.show(texts::kNoTextToSearch, msgbox::kOkOnly, std::nullopt);
        return std::optional<std::u16string>();
    }
    state_.LastFindText = findText;
    state_.StoryIndex = 1;
    current_.reset();
    written_.clear();
    return maskOf(findText.size()).transform([](const std::u16string& mask) { return std::optional(mask); });
}

Result<std::optional<Module1::Step>> Module1::searchToTheEnd(const FindRequest& find, std::u16string& newSearchMask,
                                                             UnshownMatches unshown) {
    // An index outside the collection (the very first search, or stories
    // removed since) counts as having passed the last story.
    while (state_.StoryIndex >= 1 && state_.StoryIndex <= state_.StoryCount) {
        auto match = searchStory(find, newSearchMask);
        if (!match) return match.error();
        if (match->length == 0) {
            if (state_.StoryIndex == state_.StoryCount) break;
            if (auto moved = moveTo(int64_t{state_.StoryIndex} + 1); !moved) return moved.error();
            continue;
        }
        auto step = selectMatch(find.text, *match);
        if (!step) return step.error();
        if (step->outcome != Outcome::Unshown || unshown == UnshownMatches::Report) return std::optional(*step);
        // The match is masked now; the next one is looked for as if it had
        // never been there, from page 1, in the same story. The buffer holds
        // this search's masks from here on, so the new-search test must not
        // load the story over them.
        if (auto shown = host_.displayPage(1); !shown) return shown.error();
        newSearchMask.clear();
    }
    return std::optional<Step>();
}

bool Module1::goOnFromTheStart(bool noWrapPrompt, bool& wrappedOnce) {
    if (!noWrapPrompt) return messages_.show(texts::kWrapQuestion, msgbox::kYesNoQuestion, texts::kTitle) ==
                              msgbox::kAnswerYes;
    if (wrappedOnce) return false;
    wrappedOnce = true;
    return true;
}

Status Module1::moveTo(int64_t story) {
    auto buffer = buffers_.searchBuffer();
    if (!buffer) return buffer.error();
    (*buffer)->load(u"");
    auto index = toInt16(story);
    if (!index) return index.error();
    state_.StoryIndex = *index;
    return {};
}

Result<Module1::Match> Module1::searchStory(const FindRequest& find, const std::u16string& newSearchMask) {
    auto text = host_.storyText(state_.StoryIndex);
    if (!text) return text.error();
    state_.StoryText = std::move(*text);

    // The buffer is fetched anew at every visit: a box shown since may have let
    // the user close the Find dialog, and its buffer with it.
    auto found = buffers_.searchBuffer();
    if (!found) return found.error();
    SearchBuffer& buffer = **found;
    // A new search drops the masks of the last one; a changed story, an emptied
    // buffer or a match left selected by a failure makes the buffer reload too.
    if (buffer.selectedText() != newSearchMask) reload(buffer);
    if (!buffer.mirrors(state_.StoryText)) reload(buffer);

    buffer.find(find.text, find.options);
    auto length = toInt16(buffer.selLength());
    if (!length) return length.error();
    return Match{buffer.selStart(), *length};
}

void Module1::reload(SearchBuffer& buffer) {
    buffer.load(state_.StoryText);
    const std::u16string_view story = state_.StoryText;
    for (const auto& span : written_.of(state_.StoryIndex, state_.StoryText)) {
        buffer.select(static_cast<int32_t>(span.start), static_cast<int32_t>(span.length));
        buffer.maskSelection(story.substr(static_cast<size_t>(span.start), static_cast<size_t>(span.length)));
    }
    buffer.select(0, 0);
}

Result<Module1::Step> Module1::selectMatch(const std::u16string& findText, Match match) {
    // Every call displays page 1 first, so the walk tries page 2, 3, ... until
    // the host accepts the selection on the page that holds the match.
    Outcome outcome = Outcome::Selected;
    for (int32_t retries = 0, lastShown = 1;;) {
        auto selected = host_.selectInStory(state_.StoryIndex, match.start + 1, match.length);
        if (selected) break;
        if (selected.error().number != hresults::kNotOnDisplayedPage) return errorBox(selected.error());

        ++retries;
        auto index = host_.displayedPageIndex(lastShown);
        if (!index) return index.error();
        auto pages = host_.pageCount();
        if (!pages) return pages.error();
        if (*index == std::numeric_limits<int32_t>::max()) return errors::overflow();
        const int32_t nextPage = *index + 1;
        if (nextPage > *pages) {
            outcome = Outcome::Unshown;
            break;
        }
        if (auto shown = host_.displayPage(nextPage); !shown) return shown.error();
        lastShown = nextPage;
        if (retries > *pages) {
            outcome = Outcome::Unshown;
            break;
        }
    }

    // A match that no page shows is masked all the same: left unmasked, it
    // would be found again by every later search and hide what follows it.
    if (auto fits = maskFits(findText.size()); !fits) return errorBox(fits.error());
    auto buffer = buffers_.searchBuffer();
    if (!buffer) return errorBox(buffer.error());
    (*buffer)->maskSelection(std::u16string_view(state_.StoryText)
                                 .substr(static_cast<size_t>(match.start), static_cast<size_t>(match.length)));
    if (outcome == Outcome::Selected) current_ = Place{state_.StoryIndex, match.start};
    return Step{outcome, match.start};
}

Module1::Step Module1::errorBox(const RaisedError& error) {
    messages_.show(runtimeErrorPrompt(error), msgbox::kOkOnly, texts::kErrorTitle);
    return Step{Outcome::ErrorShown};
}

std::optional<Module1::Place> Module1::currentMatch(const std::u16string& findText) const {
    if (findText != state_.LastFindText.value_or(std::u16string())) return std::nullopt;
    return current_;
}

Result<std::optional<std::u16string>> Module1::storyOf(const Place& match) {
    auto count = host_.storyCount();
    if (!count) return count.error();
    if (match.story > *count) return std::optional<std::u16string>();
    return host_.storyText(match.story).transform([](const std::u16string& text) { return std::optional(text); });
}

Result<std::optional<Module1::Rewrite>> Module1::replaceMatch(const Replacement& replacement, const Place& match,
                                                              const std::u16string& story) {
    const auto length = static_cast<int64_t>(replacement.find.text.size());
    const auto& written = written_.of(match.story, story);
    if (!occursAt(story, match.position, replacement.find) ||
        WrittenSpans::touch(written, match.position, length))
        return std::optional<Rewrite>();
    // Through the match's own span: text on no page is written too, and
    // whatever the user has selected is left alone.
    const Status status = host_.writeInStory(match.story, static_cast<int32_t>(match.position + 1),
                                             static_cast<int32_t>(length), replacement.replaceText);
    if (!status) return status.error();
    written_.record(match.story, story, match.position, length, replacement.replaceText);
    current_.reset();
    return std::optional<Rewrite>(Rewrite{match, story.size()});
}

std::optional<Module1::Rewrite> Module1::replaceSelectedMatch(const Replacement& replacement) {
    const auto match = currentMatch(replacement.find.text);
    if (!match) return std::nullopt;
    auto selected = host_.selection();
    if (!selected) return std::nullopt;
    auto story = storyOf(*match);
    if (!story || !*story) return std::nullopt;
    // The user may have selected other text since: the selection must still
    // be the match, at the same place where the host can say so.
    const std::u16string_view text = **story;
    const auto position = static_cast<size_t>(match->position);
    if (position > text.size() || selected->text != text.substr(position, replacement.find.text.size()))
        return std::nullopt;
    if (selected->start && *selected->start != match->position) return std::nullopt;
    auto written = replaceMatch(replacement, *match, **story);
    if (!written) return std::nullopt;
    return std::move(*written);
}

bool Module1::ReplaceAndFindNext(const FindRequest& find, const std::u16string& replaceText, bool quiet) {
    const Replacement replacement{find, replaceText};
    // Nothing written, for whatever reason, is passed over: the search still moves on.
    const auto written = replaceSelectedMatch(replacement);
    return findAfterWrite(replacement, written, quiet, UnshownMatches::PassOver).outcome == Outcome::Finished;
}

Module1::Step Module1::findAfterWrite(const Replacement& replacement, const std::optional<Rewrite>& written,
                                      bool quiet, UnshownMatches unshown) {
    auto step = [&]() -> Result<Step> {
        if (auto fits = maskFits(replacement.replaceText.size()); !fits) return fits.error();
        auto buffer = buffers_.searchBuffer();
        if (!buffer) return buffer.error();
        // A buffer that held the story just before the write goes on holding
        // it, the replacement masked in the match's place, so that the search
        // goes on after it. A buffer that held other text of that length does
        // not mirror the story afterwards either, and is loaded again when the
        // search comes to it, as is any other buffer.
        if (written && state_.StoryIndex == written->match.story &&
            static_cast<size_t>((*buffer)->length()) == written->storyLength) {
            (*buffer)->select(static_cast<int32_t>(written->match.position),
                              static_cast<int32_t>(replacement.find.text.size()));
            (*buffer)->maskSelection(replacement.replaceText);
        }
        auto found = findStep(replacement.find, /*noWrapPrompt=*/true, unshown);
        if (found && found->outcome == Outcome::Finished && !quiet) {
            messages_.show(u"All instances of \"" + replacement.find.text + u"\" have been replaced with \"" +
                               replacement.replaceText + u"\".",
                           msgbox::kOkInformation, texts::kTitle);
        }
        return found;
    }();
    if (step) return *step;
    return failureBox(step.error());
}

Module1::Step Module1::failureBox(const RaisedError& error) {
    messages_.show(runtimeErrorPrompt(error), msgbox::kOkOnly, std::nullopt);
    return Step{Outcome::ErrorShown};
}

}  // namespace quillet
