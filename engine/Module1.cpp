#include "engine/Module1.h"

#include <algorithm>
#include <limits>

#include "engine/EngineTexts.h"
#include "engine/RuntimeErrorPrompt.h"
#include "engine/SixteenBit.h"

namespace quillet {

Module1::Module1(EnginePorts ports)
    : host_(ports.applicationClass), messages_(ports.messages), buffers_(ports.buffers) {}

Result<bool> Module1::FindNext(const std::u16string& findText, bool matchCase, bool wholeWord, bool noWrapPrompt) {
    return findStep(findText, matchCase, wholeWord, noWrapPrompt, UnshownMatches::PassOver)
        .transform([](const Step& step) { return step.outcome == Outcome::Finished; });
}

Result<Module1::Step> Module1::findStep(const std::u16string& findText, bool matchCase, bool wholeWord,
                                        bool noWrapPrompt, UnshownMatches unshown) {
    if (auto shown = host_.displayPage(1); !shown) return shown.error();
    auto count = host_.storyCount();
    if (!count) return count.error();
    state_.StoryCount = *count;

    std::u16string newSearchMask;
    if (findText != state_.LastFindText.value_or(std::u16string())) {
        if (state_.StoryCount == 0) {
            messages_.show(texts::kNoTextToSearch, msgbox::kOkOnly, std::nullopt);
            return Step{Outcome::NoText};
        }
        state_.LastFindText = findText;
        state_.StoryIndex = 1;
        selected_.reset();
        auto mask = maskOf(findText.size());
        if (!mask) return mask.error();
        newSearchMask = std::move(*mask);
    }

    const int options = (wholeWord ? findopt::kWholeWord : 0) | (matchCase ? findopt::kMatchCase : 0);
    bool wrapped = false;
    bool wrappedOnce = false;
    for (;;) {
        // An index outside the collection (the very first search, or stories
        // removed since) counts as having passed the last story.
        if (state_.StoryIndex >= 1 && state_.StoryIndex <= state_.StoryCount) {
            auto match = searchStory(findText, options, newSearchMask);
            if (!match) return match.error();
            if (match->length != 0) {
                auto step = selectMatch(findText, *match, wrapped);
                if (!step || step->outcome != Outcome::Unshown || unshown == UnshownMatches::Report) return step;
                // The match is masked now; the next one is looked for as if it
                // had never been there, from page 1, in the same story. The
                // buffer holds this search's masks from here on, so the
                // new-search test must not load the story over them.
                if (auto shown = host_.displayPage(1); !shown) return shown.error();
                newSearchMask.clear();
                continue;
            }
            if (state_.StoryIndex < state_.StoryCount) {
                auto buffer = buffers_.searchBuffer();
                if (!buffer) return buffer.error();
                (*buffer)->load(u"");
                auto next = toInt16(int64_t{state_.StoryIndex} + 1);
                if (!next) return next.error();
                state_.StoryIndex = *next;
                continue;
            }
        }

        // The end of the publication.
        if (noWrapPrompt) {
            if (wrappedOnce) return Step{Outcome::Finished, wrapped};
            wrappedOnce = true;
        } else if (messages_.show(texts::kWrapQuestion, msgbox::kYesNoQuestion, texts::kTitle) !=
                   msgbox::kAnswerYes) {
            return Step{Outcome::Finished, wrapped};
        }
        auto buffer = buffers_.searchBuffer();
        if (!buffer) return buffer.error();
        (*buffer)->load(u"");
        state_.StoryIndex = 1;
        wrapped = true;
    }
}

Result<Module1::Match> Module1::searchStory(const std::u16string& findText, int options,
                                            const std::u16string& newSearchMask) {
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
    if (buffer.selectedText() != newSearchMask) buffer.load(state_.StoryText);
    if (buffer.content().size() != state_.StoryText.size()) buffer.load(state_.StoryText);

    buffer.find(findText, options);
    auto length = toInt16(buffer.selLength());
    if (!length) return length.error();
    return Match{buffer.selStart(), *length};
}

Result<Module1::Step> Module1::selectMatch(const std::u16string& findText, Match match, bool wrapped) {
    // Every call displays page 1 first, so the walk tries page 2, 3, ... until
    // the host accepts the selection on the page that holds the match.
    Outcome outcome = Outcome::Selected;
    for (int32_t retries = 0, lastShown = 1;;) {
        auto selected = host_.selectInStory(state_.StoryIndex, match.start + 1, match.length);
        if (selected) break;
        if (selected.error().number != hresults::kNotOnDisplayedPage) return errorBox(selected.error(), wrapped);

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
    auto mask = maskOf(findText.size());
    if (!mask) return errorBox(mask.error(), wrapped);
    auto buffer = buffers_.searchBuffer();
    if (!buffer) return errorBox(buffer.error(), wrapped);
    (*buffer)->replaceSelection(*mask);
    if (outcome == Outcome::Selected) selected_ = Place{state_.StoryIndex, match.start};
    return Step{outcome, wrapped, match.start};
}

Module1::Step Module1::errorBox(const RaisedError& error, bool wrapped) {
    messages_.show(runtimeErrorPrompt(error), msgbox::kOkOnly, texts::kErrorTitle);
    return Step{Outcome::ErrorShown, wrapped};
}

bool Module1::ReplaceAndFindNext(const std::u16string& findText, const std::u16string& replaceText, bool matchCase,
                                 bool wholeWord, bool quiet) {
    // A selection that cannot be written is passed over: the search still moves on.
    const bool replaced = host_.writeSelection(replaceText).ok();
    return findAfterWrite(findText, replaceText, matchCase, wholeWord, quiet, replaced, UnshownMatches::PassOver)
               .outcome == Outcome::Finished;
}

Module1::Step Module1::findAfterWrite(const std::u16string& findText, const std::u16string& replaceText,
                                      bool matchCase, bool wholeWord, bool quiet, bool replaced,
                                      UnshownMatches unshown) {
    auto step = [&]() -> Result<Step> {
        auto mask = maskOf(replaceText.size());
        if (!mask) return mask.error();
        auto buffer = buffers_.searchBuffer();
        if (!buffer) return buffer.error();
        // Where nothing was written, the masked match still mirrors the story.
        if (replaced) writeReplacementMask(**buffer, findText.size(), *mask);
        auto found = findStep(findText, matchCase, wholeWord, /*noWrapPrompt=*/true, unshown);
        if (found && found->outcome == Outcome::Finished && !quiet) {
            messages_.show(u"All instances of \"" + findText + u"\" have been replaced with \"" + replaceText + u"\".",
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

void Module1::writeReplacementMask(SearchBuffer& buffer, size_t findLength, const std::u16string& mask) {
    auto match = justMaskedMatch(buffer, findLength);
    if (!match) {
        buffer.replaceSelection(mask);
        return;
    }
    buffer.select(*match, static_cast<int32_t>(findLength));
    buffer.replaceSelection(mask);
    // An empty replacement joins the text on its two sides, which may form an
    // occurrence that was not there before. The text on the left has been
    // searched already, so masking its last characters keeps such a join from
    // being found; a mask is a word boundary, as a replacement's mask is.
    if (mask.empty() && *match > 0) {
        const auto joined = std::min<int32_t>(*match, static_cast<int32_t>(findLength) - 1);
        buffer.select(*match - joined, joined);
        buffer.replaceSelection(std::u16string(static_cast<size_t>(joined), kMaskChar));
    }
}

std::optional<int32_t> Module1::justMaskedMatch(const SearchBuffer& buffer, size_t findLength) {
    const auto end = static_cast<size_t>(buffer.selStart());
    if (buffer.selLength() != 0 || findLength == 0 || end < findLength) return std::nullopt;
    const auto& content = buffer.content();
    const bool masked = std::all_of(content.begin() + static_cast<std::ptrdiff_t>(end - findLength),
                                    content.begin() + static_cast<std::ptrdiff_t>(end),
                                    [](char16_t c) { return c == kMaskChar; });
    if (!masked) return std::nullopt;
    return static_cast<int32_t>(end - findLength);
}

}  // namespace quillet
