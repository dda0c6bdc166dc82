#include "tests/sweep/SearchTracker.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <tuple>
#include <variant>

#include "engine/unicode/Unicode.h"

namespace quillet::testing {

namespace {

constexpr char32_t kNone = 0xFFFFFFFF;

char32_t codePointBefore(const std::u16string& text, size_t at) {
    if (at == 0) return kNone;
    const char16_t unit = text[at - 1];
    if (unicode::isLowSurrogate(unit) && at >= 2 && unicode::isHighSurrogate(text[at - 2]))
        return unicode::combineSurrogates(text[at - 2], unit);
    return unit;
}

char32_t codePointAt(const std::u16string& text, size_t at) {
    if (at >= text.size()) return kNone;
    const char16_t unit = text[at];
    if (unicode::isHighSurrogate(unit) && at + 1 < text.size() && unicode::isLowSurrogate(text[at + 1]))
        return unicode::combineSurrogates(unit, text[at + 1]);
    return unit;
}

bool isWord(char32_t cp) { return cp != kNone && unicode::isWordCodePoint(cp); }

/// Whether `a` and `b` are the same text, code point by code point, folded unless `matchCase`.
bool sameText(const std::u16string& a, const std::u16string& b, bool matchCase) {
    if (a.size() != b.size()) return false;
    if (matchCase) return a == b;
    for (size_t i = 0; i < a.size();) {
        const char32_t x = codePointAt(a, i);
        const char32_t y = codePointAt(b, i);
        if (unicode::foldCodePoint(x) != unicode::foldCodePoint(y)) return false;
        i += x > 0xFFFF ? 2 : 1;
    }
    return true;
}

}  // namespace

std::optional<SearchTracker::Dialog> SearchTracker::dialog(const std::string& form) const {
    const simhost::DialogView* window = dialogs_ ? dialogs_->find(form) : nullptr;
    if (window == nullptr) return std::nullopt;
    Dialog shown{window->text("txtFindWhat"), window->text("txtReplaceWith"), window->checkValue("chkCase") != 0,
                 window->checkValue("chkWholeWord") != 0};
    return shown;
}

const std::vector<SearchTracker::Written>& SearchTracker::writtenBy(const JobKey& job, int32_t story) const {
    static const std::vector<Written> kNothing;
    const auto byJob = state_.written.find(job);
    if (byJob == state_.written.end()) return kNothing;
    const auto spans = byJob->second.find(story);
    return spans == byJob->second.end() ? kNothing : spans->second;
}

void SearchTracker::beforeStep(const simhost::Step& step, const std::optional<simhost::SelectionModel>& selection) {
    beforeStep_ = state_;
    state_.press.reset();
    state_.searching.reset();
    auto press = [&](const std::string& form, const std::string& control) {
        // What the dialog shows as it is pressed: the user's texts, or one
        // that the dialog took from the selection.
        const std::optional<Dialog> pressed = dialog(form);
        if (!pressed || (control != "cmdFind" && control != "cmdReplace" && control != "cmdReplaceAll")) return;
        state_.changesSincePress.clear();
        state_.boxesMovedSincePress = false;
        state_.search = pressed->findText;
        state_.searching = *pressed;
        state_.searchingForAJob = form == "frmReplace";
        if (form != "frmReplace") return;
        state_.lastJob = JobKey{pressed->findText, pressed->replaceText};
        if (control == "cmdFind") return;
        state_.press = *pressed;
        state_.replacesAll = control == "cmdReplaceAll";
        state_.pressedOver = selection;
    };
    if (const auto* pressed = std::get_if<simhost::steps::Press>(&step))
        press(pressed->target.form, pressed->target.control);
    if (const auto* key = std::get_if<simhost::steps::Key>(&step); key && key->enter) press(key->form, "cmdFind");
}

void SearchTracker::change(int32_t story, size_t start, size_t oldLength, size_t newLength, const JobKey* writer) {
    for (auto& [job, stories] : state_.written) {
        auto found = stories.find(story);
        if (found == stories.end()) continue;
        std::vector<Written> kept;
        for (Written span : found->second) {
            // A change at the place of an empty replacement, or beginning or
            // ending there, leaves whole words there to the text as it reads;
            // the job's own places next to what it writes stay its own.
            if (span.length == 0 && start <= span.start && span.start <= start + oldLength &&
                !(writer && *writer == job && (span.start == start || span.start == start + oldLength)))
                continue;
            if (span.start >= start + oldLength) {
                span.start = span.start + newLength - oldLength;
            } else if (span.start + span.length > start || (span.length == 0 && span.start > start)) {
                continue;  // the change reached into it
            }
            kept.push_back(std::move(span));
        }
        found->second = std::move(kept);
    }
}

bool SearchTracker::takeBack(int32_t story, const std::u16string& before, const std::u16string& after) {
    // Every job's spans in the story, in order: each may have been taken back.
    std::vector<std::pair<JobKey, size_t>> spans;
    for (const auto& [job, stories] : state_.written) {
        const auto found = stories.find(story);
        if (found == stories.end()) continue;
        for (size_t i = 0; i < found->second.size(); ++i) spans.emplace_back(job, i);
    }
    auto spanOf = [&](size_t k) -> const Written& { return state_.written[spans[k].first][story][spans[k].second]; };
    std::sort(spans.begin(), spans.end(), [&](const auto& a, const auto& b) {
        const Written& x = state_.written[a.first][story][a.second];
        const Written& y = state_.written[b.first][story][b.second];
        // Empty spans at one place stand in the order of their writes: a
        // later write there replaced text that came after the earlier one's.
        return std::tie(x.start, x.length, x.write) < std::tie(y.start, y.length, y.write);
    });
    // Tries each span both ways, the text between them unchanged.
    std::vector<bool> takenBack(spans.size());
    auto fits = [&](auto&& self, size_t k, size_t from, size_t at) -> bool {
        const size_t to = k < spans.size() ? spanOf(k).start : before.size();
        const size_t gap = to - from;
        if (at + gap > after.size() || after.compare(at, gap, before, from, gap) != 0) return false;
        at += gap;
        if (k == spans.size()) return at == after.size();
        const Written& span = spanOf(k);
        for (const bool back : {false, true}) {
            const std::u16string text = back ? span.replaced : before.substr(span.start, span.length);
            if (after.compare(at, text.size(), text) != 0) continue;
            takenBack[k] = back;
            if (self(self, k + 1, span.start + span.length, at + text.size())) return true;
        }
        return false;
    };
    if (spans.empty() || !fits(fits, 0, 0, 0)) return false;
    // Last first, so that the places of the earlier ones stay as they were.
    for (size_t k = spans.size(); k-- > 0;) {
        if (!takenBack[k]) continue;
        const Written span = spanOf(k);
        auto& own = state_.written[spans[k].first][story];
        own.erase(own.begin() + static_cast<std::ptrdiff_t>(spans[k].second));
        for (size_t other = 0; other < spans.size(); ++other) {
            if (spans[other].first == spans[k].first && spans[other].second > spans[k].second) --spans[other].second;
        }
        change(story, span.start, span.length, span.replaced.size());
    }
    return true;
}

void SearchTracker::changedByTheUser(int32_t story) {
    // A story changed as text boxes came or went, or changed twice, may
    // have been followed either way.
    if (++state_.changesSincePress[story] > 1 || state_.boxesMovedSincePress) state_.unknowable.insert(story);
}

void SearchTracker::storiesChanged(const std::vector<std::u16string>& before,
                                   const std::vector<std::u16string>& after) {
    for (size_t index = 0; index < before.size() && index < after.size(); ++index) {
        const std::u16string& a = before[index];
        const std::u16string& b = after[index];
        if (a == b) continue;
        changedByTheUser(static_cast<int32_t>(index + 1));
        state_.editedSinceWrite.insert(static_cast<int32_t>(index + 1));
        // Text that reads as if writing had been taken back: it was.
        if (takeBack(static_cast<int32_t>(index + 1), a, b)) continue;
        size_t prefix = 0;
        while (prefix < a.size() && prefix < b.size() && a[prefix] == b[prefix]) ++prefix;
        size_t suffix = 0;
        while (suffix < a.size() - prefix && suffix < b.size() - prefix &&
               a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix])
            ++suffix;
        change(static_cast<int32_t>(index + 1), prefix, a.size() - prefix - suffix, b.size() - prefix - suffix);
    }
}

void SearchTracker::boxesMoved() {
    state_.boxesMovedSincePress = true;
    for (const auto& [story, count] : state_.changesSincePress) state_.unknowable.insert(story);
}

void SearchTracker::renumber(const std::function<std::optional<int32_t>(int32_t)>& newIndex) {
    auto rekeyed = [&](auto& byStory) {
        std::remove_reference_t<decltype(byStory)> moved;
        for (auto& [story, value] : byStory) {
            if (auto to = newIndex(story)) moved[*to] = std::move(value);
        }
        byStory = std::move(moved);
    };
    for (auto& [job, stories] : state_.written) rekeyed(stories);
    rekeyed(state_.changesSincePress);
    for (std::set<int32_t>* stories : {&state_.unknowable, &state_.editedSinceWrite}) {
        std::set<int32_t> kept;
        for (const int32_t story : *stories) {
            if (auto to = newIndex(story)) kept.insert(*to);
        }
        *stories = std::move(kept);
    }
    for (auto& undoStep : state_.undoSteps) {
        std::erase_if(undoStep, [&](const UndoneWrite& w) { return !newIndex(w.story); });
        for (UndoneWrite& w : undoStep) w.story = *newIndex(w.story);
    }
    boxesMoved();
}

void SearchTracker::storyDeleted(int32_t story) {
    renumber([story](int32_t k) -> std::optional<int32_t> {
        if (k == story) return std::nullopt;
        return k > story ? k - 1 : k;
    });
    std::erase_if(state_.undoSteps, [](const auto& undoStep) { return undoStep.empty(); });
}

void SearchTracker::storyInserted(int32_t story) {
    renumber([story](int32_t k) -> std::optional<int32_t> { return k >= story ? k + 1 : k; });
}

void SearchTracker::publicationOpened() {
    state_.written.clear();
    state_.undoSteps.clear();
    state_.groupDepth = 0;
    for (int32_t story = 1; story <= 1000; ++story) state_.unknowable.insert(story);
}

void SearchTracker::undone() {
    if (state_.undoSteps.empty() || state_.groupDepth > 0) return;
    const std::vector<UndoneWrite> undoStep = std::move(state_.undoSteps.back());
    state_.undoSteps.pop_back();
    for (const UndoneWrite& w : undoStep) {
        changedByTheUser(w.story);
        // Past the user's own edits, the host puts back what it kept where
        // the edits left nothing of it: the result is no write taken back.
        if (state_.editedSinceWrite.contains(w.story)) state_.unknowable.insert(w.story);
    }
    for (auto w = undoStep.rbegin(); w != undoStep.rend(); ++w) {
        for (auto& [job, stories] : state_.written) {
            auto found = stories.find(w->story);
            if (found == stories.end()) continue;
            std::erase_if(found->second, [&](const Written& span) { return span.write == w->write; });
        }
        change(w->story, w->start, w->newLength, w->oldText.size());
    }
}

void SearchTracker::undoGroup(bool begins) {
    if (begins && state_.groupDepth++ == 0) state_.undoSteps.emplace_back();
    if (!begins && state_.groupDepth > 0 && --state_.groupDepth == 0 && state_.undoSteps.back().empty())
        state_.undoSteps.pop_back();
}

std::optional<std::string> SearchTracker::write(int32_t story, const std::u16string& before, size_t start,
                                                size_t length, const std::u16string& written) {
    if (!state_.press) return "a write that no Replace or Replace All asked for";
    std::optional<std::string> wrong;
    // One Replace writes only over what the user has selected, and only once.
    if (!state_.replacesAll) {
        const simhost::SelectionModel span{story, static_cast<int32_t>(start + 1), static_cast<int32_t>(length)};
        if (state_.pressedOver != span) wrong = "a Replace that writes where the user had not selected";
        state_.pressedOver.reset();
    }
    const JobKey job{state_.press->findText, state_.press->replaceText};
    const bool known = !state_.unknowable.contains(story);
    if (length != state_.press->findText.size() ||
        !occursAt(before, start, *state_.press, writtenBy(job, story), known))
        wrong = "a write over text that is no occurrence under the options of its press, or over the job's own output";

    // Where the new span goes among the job's, before the change moves them.
    const auto& own = writtenBy(job, story);
    const auto place = std::count_if(own.begin(), own.end(), [&](const Written& span) {
        return span.start + span.length <= start && !(span.length == 0 && span.start == start + length && length > 0);
    });
    change(story, start, length, written.size(), &job);
    auto& spans = state_.written[job][story];
    spans.insert(spans.begin() + std::min<std::ptrdiff_t>(place, static_cast<std::ptrdiff_t>(spans.size())),
                 Written{start, written.size(), before.substr(start, length), ++state_.writes});

    state_.editedSinceWrite.erase(story);
    const UndoneWrite undo{story, start, before.substr(start, length), written.size(), state_.writes};
    if (state_.groupDepth > 0) state_.undoSteps.back().push_back(undo);
    else state_.undoSteps.push_back({undo});
    return wrong;
}

std::optional<std::string> SearchTracker::select(int32_t story, const std::u16string& text, size_t start,
                                                 size_t length) const {
    if (!state_.searching) return "a selection that no search made";
    // The Replace dialog's search passes over its job's output; a look-up
    // in the Find dialog finds every occurrence as the text reads.
    static const std::vector<Written> kNothing;
    const bool forTheJob = state_.lastJob && state_.searchingForAJob;
    const auto& spans = forTheJob ? writtenBy(*state_.lastJob, story) : kNothing;
    const bool known = !state_.unknowable.contains(story);
    if (length != state_.searching->findText.size() || !occursAt(text, start, *state_.searching, spans, known))
        return "a selection of text that is no occurrence under the options of its press, or the job's own output";
    return std::nullopt;
}

std::optional<std::string> SearchTracker::complete(const std::vector<std::u16string>& stories) const {
    if (!state_.press) return std::nullopt;
    const JobKey job{state_.press->findText, state_.press->replaceText};
    for (size_t index = 0; index < stories.size(); ++index) {
        const auto story = static_cast<int32_t>(index + 1);
        if (state_.unknowable.contains(story)) continue;
        const std::u16string_view text = stories[index];
        for (size_t at = 0; at < text.size(); ++at) {
            // An occurrence that already reads as its replacement loses
            // nothing when left, and an undo of a write that changed nothing
            // leaves no trace for the engine to follow.
            if (text.substr(at, job.second.size()) == job.second && job.first.size() == job.second.size()) continue;
            if (occursAt(stories[index], at, *state_.press, writtenBy(job, story)))
                return "\"Replace complete!\" with an occurrence left in story " + std::to_string(story);
        }
    }
    return std::nullopt;
}

bool SearchTracker::occursAt(const std::u16string& story, size_t at, const Dialog& dialog,
                             const std::vector<Written>& spans, bool edgesKnown) {
    const size_t n = dialog.findText.size();
    if (n == 0 || at + n > story.size()) return false;
    if (at > 0 && unicode::isLowSurrogate(story[at]) && unicode::isHighSurrogate(story[at - 1])) return false;
    if (at + n < story.size() && unicode::isHighSurrogate(story[at + n - 1]) && unicode::isLowSurrogate(story[at + n]))
        return false;
    char32_t before = codePointBefore(story, at);
    char32_t after = codePointAt(story, at + n);
    bool afterSeen = false;
    for (const Written& span : spans) {
        const bool inside = span.length == 0 ? at < span.start && span.start < at + n
                                             : span.start < at + n && at < span.start + span.length;
        if (inside) return false;
        // Next to written text, whole words see what it replaced: the last
        // span that ends here, the first that begins there.
        if (span.start + span.length == at) before = codePointBefore(span.replaced, span.replaced.size());
        if (span.start == at + n && !afterSeen) {
            after = codePointAt(span.replaced, 0);
            afterSeen = true;
        }
    }
    if (!sameText(story.substr(at, n), dialog.findText, dialog.matchCase)) return false;
    return !dialog.wholeWord || !edgesKnown || (!isWord(before) && !isWord(after));
}

}  // namespace quillet::testing
