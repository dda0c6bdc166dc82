#include "tests/sweep/SearchTracker.h"

#include <variant>

#include "tests/sweep/StoryMatching.h"

namespace quillet::testing {

namespace {

size_t indexOf(int32_t story) { return static_cast<size_t>(story - 1); }

}  // namespace

SearchTracker::SearchTracker(const std::vector<std::u16string>& stories) {
    state_.truth.resize(stories.size());
    state_.reading.resize(stories.size());
    state_.looked = stories;
}

std::optional<SearchTracker::Dialog> SearchTracker::dialog(const std::string& form) const {
    const simhost::DialogView* window = dialogs_ ? dialogs_->find(form) : nullptr;
    if (window == nullptr) return std::nullopt;
    const SearchOptions search{window->text("txtFindWhat"), window->checkValue("chkCase") != 0,
                               window->checkValue("chkWholeWord") != 0};
    return Dialog{search, window->text("txtReplaceWith")};
}

void SearchTracker::beforeStep(const simhost::Step& step, const std::optional<simhost::SelectionModel>& selection,
                               const std::vector<std::u16string>& stories) {
    beforeStep_ = state_;
    state_.press.reset();
    state_.searching.reset();
    auto press = [&](const std::string& form, const std::string& control) {
        // What the dialog shows as it is pressed: the user's texts, or one
        // that the dialog took from the selection.
        const std::optional<Dialog> pressed = dialog(form);
        if (!pressed) return;
        if (control == "cmdFindAll") {
            look(stories);
            state_.listed[form] = *pressed;
            if (form == "frmReplace") state_.lastJob = JobKey{pressed->search.findText, pressed->replaceText};
            return;
        }
        // Replace Checked writes the replacement of the press over rows that
        // Find All found: occurrences of the find text of that Find All.
        if (control == "cmdReplaceChecked") {
            const auto listed = state_.listed.find(form);
            if (listed == state_.listed.end()) return;
            look(stories);
            state_.press = Dialog{listed->second.search, pressed->replaceText};
            state_.lastJob = JobKey{listed->second.search.findText, pressed->replaceText};
            state_.replacesAll = true;
            return;
        }
        if (control != "cmdFind" && control != "cmdReplace" && control != "cmdReplaceAll") return;
        look(stories);
        state_.searching = *pressed;
        state_.searchingForAJob = form == "frmReplace";
        if (form != "frmReplace") return;
        state_.lastJob = JobKey{pressed->search.findText, pressed->replaceText};
        if (control == "cmdFind") return;
        state_.press = *pressed;
        state_.replacesAll = control == "cmdReplaceAll";
        state_.pressedOver = selection;
    };
    if (const auto* pressed = std::get_if<simhost::steps::Press>(&step))
        press(pressed->target.form, pressed->target.control);
    if (const auto* key = std::get_if<simhost::steps::Key>(&step); key && key->enter) press(key->form, "cmdFind");
    // Going to a row selects what its Find All found, and for the Replace
    // dialog's list makes that Find All's job the one that Replace serves.
    if (const auto* pick = std::get_if<simhost::steps::Pick>(&step)) {
        const auto listed = state_.listed.find(pick->target.form);
        if (listed == state_.listed.end()) return;
        look(stories);
        state_.searching = listed->second;
        state_.searchingForAJob = pick->target.form == "frmReplace";
        if (state_.searchingForAJob) state_.lastJob = JobKey{listed->second.search.findText, listed->second.replaceText};
    }
}

void SearchTracker::look(const std::vector<std::u16string>& stories) {
    const std::vector<std::u16string>& then = state_.looked;
    const std::vector<JobWriting>& read = state_.reading;
    const auto match = matchStories(then, stories, [&](size_t was, size_t is) {
        return readsAlike(then[was], stories[is]) || read[was].readsAsTakenBack(then[was], stories[is]);
    });
    std::vector<JobWriting> reading(stories.size());
    for (size_t story = 0; story < stories.size(); ++story) {
        if (!match[story]) continue;
        reading[story] = read[*match[story]];
        reading[story].follow(then[*match[story]], stories[story]);
    }
    state_.reading = std::move(reading);
    state_.looked = stories;
}

void SearchTracker::changing() {
    if (state_.groupDepth > 0) {
        state_.undoSteps.back().changed = true;
        return;
    }
    state_.undoSteps.push_back({state_.truth});
}

void SearchTracker::edited(int32_t story, const std::u16string& before, const std::u16string& after) {
    changing();
    state_.truth[indexOf(story)].follow(before, after);
}

void SearchTracker::storyDeleted(int32_t story) {
    changing();
    state_.truth.erase(state_.truth.begin() + static_cast<std::ptrdiff_t>(indexOf(story)));
}

void SearchTracker::storyInserted(int32_t story) {
    changing();
    state_.truth.insert(state_.truth.begin() + static_cast<std::ptrdiff_t>(indexOf(story)), JobWriting{});
}

void SearchTracker::storyMoved(int32_t story, int32_t to) {
    const JobWriting moved = state_.truth[indexOf(story)];
    storyDeleted(story);
    changing();
    state_.truth.insert(state_.truth.begin() + static_cast<std::ptrdiff_t>(indexOf(to)), moved);
}

void SearchTracker::publicationOpened(const std::vector<std::u16string>& stories) {
    // Nothing of the first publication's jobs is in another one, and an
    // add-in can tell that it is another one: nothing is known there.
    state_.truth.assign(stories.size(), JobWriting{});
    state_.reading.assign(stories.size(), JobWriting{});
    state_.looked = stories;
    state_.undoSteps.clear();
    state_.groupDepth = 0;
}

void SearchTracker::undone() {
    // The host refuses an undo inside a group or with nothing to undo: the step is then ignored.
    if (state_.undoSteps.empty() || state_.groupDepth > 0) return;
    state_.truth = std::move(state_.undoSteps.back().truth);
    state_.undoSteps.pop_back();
}

void SearchTracker::undoGroup(bool begins) {
    if (begins && state_.groupDepth++ == 0) state_.undoSteps.push_back({state_.truth, /*changed=*/false});
    if (!begins && state_.groupDepth > 0 && --state_.groupDepth == 0 && !state_.undoSteps.back().changed)
        state_.undoSteps.pop_back();
}

SearchTracker::Judgement SearchTracker::judge(int32_t story, const std::u16string& text, size_t at,
                                              const SearchOptions& search, const std::optional<JobKey>& job) const {
    static const std::vector<Written> kNothing;
    const size_t k = indexOf(story);
    const auto& truly = job && k < state_.truth.size() ? state_.truth[k].by(*job) : kNothing;
    const auto& asRead = job && k < state_.reading.size() ? state_.reading[k].by(*job) : kNothing;
    const size_t n = search.findText.size();
    Judgement judged;
    judged.readsAsFindText = readsAsFindText(text, at, search);
    judged.ownOutputTruly = reachesIntoWritten(at, n, truly);
    judged.ownOutputAsRead = reachesIntoWritten(at, n, asRead);
    judged.wholeWordTruly = !search.wholeWord || standsAsWholeWord(text, at, n, truly);
    judged.wholeWordAsRead = !search.wholeWord || standsAsWholeWord(text, at, n, asRead);
    return judged;
}

std::optional<std::string> SearchTracker::judgeTaken(int32_t story, const std::u16string& text, size_t at,
                                                     size_t length, const SearchOptions& search,
                                                     const std::optional<JobKey>& job, bool selects) {
    const Judgement judged = judge(story, text, at, search, job);
    if (length != search.findText.size() || !judged.readsAsFindText)
        return "text that is no occurrence under the options of its press";
    if (judged.ownOutputTruly) {
        if (!selects || judged.ownOutputAsRead) return "the job's own output";
        ++leniency_.selectionsOfOutputOnlyTheTruthKnows;
    }
    if (judged.wholeWordTruly) return std::nullopt;
    // Whole words judged on what the job wrote: where only the reading of
    // the texts has a whole word there, no add-in could know better.
    if (!judged.wholeWordAsRead) return "text that is no whole word under the options of its press";
    ++leniency_.wholeWordJudgementsSkipped;
    return std::nullopt;
}

std::optional<std::string> SearchTracker::write(int32_t story, const std::u16string& before, size_t start,
                                                size_t length, const std::u16string& written) {
    std::optional<std::string> wrong;
    if (!state_.press) wrong = "a write that no Replace or Replace All asked for";
    // One Replace writes only over what the user has selected, and only once.
    if (state_.press && !state_.replacesAll) {
        const simhost::SelectionModel span{story, static_cast<int32_t>(start + 1), static_cast<int32_t>(length)};
        if (state_.pressedOver != span) wrong = "a Replace that writes where the user had not selected";
        state_.pressedOver.reset();
    }
    if (state_.press) {
        const JobKey job{state_.press->search.findText, state_.press->replaceText};
        if (auto taken = judgeTaken(story, before, start, length, state_.press->search, job, /*selects=*/false))
            wrong = "a write over " + *taken;
    }

    const JobKey job = state_.press ? JobKey{state_.press->search.findText, state_.press->replaceText} : JobKey{};
    changing();
    const int64_t number = ++state_.writes;
    const size_t k = indexOf(story);
    state_.truth[k].wrote(job, before, start, length, written.size(), number);
    // The add-in knows its own writes: the reading takes them as they are.
    if (state_.press && k < state_.reading.size()) {
        state_.reading[k].wrote(job, before, start, length, written.size(), number);
        state_.looked[k] = before;
        state_.looked[k].replace(start, length, written);
    }
    return wrong;
}

std::optional<std::string> SearchTracker::select(int32_t story, const std::u16string& text, size_t start,
                                                 size_t length) {
    if (!state_.searching) return "a selection that no search made";
    // The Replace dialog's search passes over its job's output; a look-up
    // in the Find dialog finds every occurrence as the text reads.
    const std::optional<JobKey> job = state_.searchingForAJob ? state_.lastJob : std::nullopt;
    if (auto taken = judgeTaken(story, text, start, length, state_.searching->search, job, /*selects=*/true))
        return "a selection of " + *taken;
    return std::nullopt;
}

std::optional<std::string> SearchTracker::complete(const std::vector<std::u16string>& stories) {
    if (!state_.press) return std::nullopt;
    const JobKey job{state_.press->search.findText, state_.press->replaceText};
    for (size_t index = 0; index < stories.size(); ++index) {
        const auto story = static_cast<int32_t>(index + 1);
        const std::u16string& text = stories[index];
        bool exempted = false;
        for (size_t at = 0; at < text.size(); ++at) {
            // An occurrence that already reads as its replacement loses
            // nothing when left, and an undo of a write that changed nothing
            // leaves no trace for the engine to follow.
            if (text.compare(at, job.second.size(), job.second) == 0 && job.first.size() == job.second.size())
                continue;
            const Judgement judged = judge(story, text, at, state_.press->search, job);
            if (!judged.occursTruly()) continue;
            if (judged.occursAsRead())
                return "\"Replace complete!\" with an occurrence left in story " + std::to_string(story);
            exempted = true;
        }
        ++leniency_.storiesJudgedAtComplete;
        if (exempted) ++leniency_.storiesExemptedFromComplete;
    }
    return std::nullopt;
}

}  // namespace quillet::testing
