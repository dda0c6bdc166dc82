#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "simhost/DialogView.h"
#include "simhost/Scenario.h"

namespace quillet::testing {

/// What a careful observer of the user's steps knows of the replacing: the
/// texts and options of the press being carried out, as its dialog shows them,
/// and what each job (find and replacement text) wrote where, followed
/// through the user's edits, undos and added or deleted text boxes. With it,
/// every write can be checked to cover an occurrence under the options of
/// its press, never the job's own output and, for one Replace, exactly what
/// the user had selected; and every "Replace complete!" to leave no
/// occurrence behind.
///
/// Whole words are judged as if what the job wrote were the text it
/// replaced. An edit that reads as taking back some of the writing takes it
/// back, as an undo does; any other is one change between the longest
/// beginning and end that the texts share. After another publication is opened, what the
/// engine may still take for the job's output cannot be known: those
/// stories are not held to "Replace complete!".
class SearchTracker {
public:
    /// Reads the dialogs' texts and options, as the user sees them, at each press.
    void readDialogsFrom(simhost::DialogFinder& dialogs) { dialogs_ = &dialogs; }
    /// Before a step is carried out; `selection` is the publication's selection then.
    void beforeStep(const simhost::Step& step, const std::optional<simhost::SelectionModel>& selection);
    /// The step was ignored: nothing that it would have done happened.
    void stepIgnored() { state_ = beforeStep_; }
    /// The user edited or undid: `before` became `after`, story by story.
    void storiesChanged(const std::vector<std::u16string>& before, const std::vector<std::u16string>& after);
    /// The user deleted story `story`, or added one there.
    void storyDeleted(int32_t story);
    void storyInserted(int32_t story);
    /// The user opened another publication.
    void publicationOpened();
    /// The user undid the host's last undo step (the stories have not changed yet).
    void undone();

    /// An undo group began or ended: the writes in between are one undo step.
    void undoGroup(bool begins);
    /// A write of `written` over `length` characters of the 1-based `story`
    /// from the 0-based `start`; `before` is the story's text just before it.
    /// Returns what is wrong with the write, if anything.
    std::optional<std::string> write(int32_t story, const std::u16string& before, size_t start, size_t length,
                                     const std::u16string& written);
    /// A selection of `length` characters of the 1-based `story` from the
    /// 0-based `start`, whose text is `story` now. Returns what is wrong with
    /// it, if anything: a search selects only occurrences.
    std::optional<std::string> select(int32_t story, const std::u16string& text, size_t start, size_t length) const;
    /// What is wrong with saying "Replace complete!" over `stories`, if anything.
    std::optional<std::string> complete(const std::vector<std::u16string>& stories) const;

private:
    struct Dialog {
        std::u16string findText;
        std::u16string replaceText;
        bool matchCase = false;
        bool wholeWord = false;
    };
    /// Text that a job wrote: 0-based start and length, and what it replaced.
    struct Written {
        size_t start = 0;
        size_t length = 0;
        std::u16string replaced;
        /// The write that made it, to tell what an undo takes back.
        int64_t write = 0;
    };
    using JobKey = std::pair<std::u16string, std::u16string>;
    /// A write as the host will take it back.
    struct UndoneWrite {
        int32_t story = 0;
        size_t start = 0;
        std::u16string oldText;
        size_t newLength = 0;
        int64_t write = 0;
    };
    struct State {
        /// The find text of the running search, and the job of the last Replace dialog press.
        std::optional<std::u16string> search;
        std::optional<JobKey> lastJob;
        /// The dialog as it was at the press being carried out, and whether it is the Replace dialog.
        std::optional<Dialog> searching;
        bool searchingForAJob = false;
        /// The Replace dialog as it was at the press being carried out, when that press may write.
        std::optional<Dialog> press;
        /// For one Replace: the selection that it may write over, if any.
        std::optional<simhost::SelectionModel> pressedOver;
        bool replacesAll = false;
        std::map<JobKey, std::map<int32_t, std::vector<Written>>> written;
        std::set<int32_t> unknowable;
        /// How often each story changed since the last press.
        std::map<int32_t, int> changesSincePress;
        /// Stories that the user edited after the add-in last wrote there:
        /// an undo of an earlier write lands where the edits left its place.
        std::set<int32_t> editedSinceWrite;
        /// Whether text boxes were deleted or added since the last press.
        bool boxesMovedSincePress = false;
        std::vector<std::vector<UndoneWrite>> undoSteps;
        int groupDepth = 0;
        int64_t writes = 0;
    };

    /// What the dialog `form` shows now, if it is there.
    std::optional<Dialog> dialog(const std::string& form) const;
    const std::vector<Written>& writtenBy(const JobKey& job, int32_t story) const;
    /// Whether an occurrence of the dialog's find text stands at `at` of
    /// `story`, apart from `spans`, whole words judged on what they replaced.
    /// Where a story changed more than once between presses, an empty span
    /// that the changes met at its place may have gone either way, and with
    /// it what whole words see there: they are not judged (`edgesKnown`).
    static bool occursAt(const std::u16string& story, size_t at, const Dialog& dialog,
                         const std::vector<Written>& spans, bool edgesKnown = true);
    /// When `story`'s `before` became `after` by taking back some of the
    /// writing there and nothing else, that writing is gone; false, and
    /// nothing changes, when it reads otherwise.
    bool takeBack(int32_t story, const std::u16string& before, const std::u16string& after);
    /// Every story's number as `newIndex` gives it; a story it gives none
    /// is gone, and so is what is known of it.
    void renumber(const std::function<std::optional<int32_t>(int32_t)>& newIndex);
    /// Text boxes came or went: the stories changed since the last press
    /// may have been followed either way.
    void boxesMoved();
    /// Notes that the user changed `story` once more since the last press.
    void changedByTheUser(int32_t story);
    /// Moves every job's spans of `story` through one change: `oldLength`
    /// units from `start` became `newLength`; those it touches are gone.
    /// `writer`: the job whose write the change is.
    void change(int32_t story, size_t start, size_t oldLength, size_t newLength, const JobKey* writer = nullptr);

    simhost::DialogFinder* dialogs_ = nullptr;
    State state_;
    State beforeStep_;
};

}  // namespace quillet::testing
