#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "simhost/DialogView.h"
#include "simhost/Scenario.h"
#include "tests/sweep/JobWriting.h"
#include "tests/sweep/Occurrences.h"

namespace quillet::testing {

/// How often a run's checks had to let the add-in off because no add-in
/// could know the truth from what the host shows.
struct Leniency {
    /// Stories judged at a "Replace complete!", and of them those held to no
    /// occurrence where one stood that only the truth knew of.
    int storiesJudgedAtComplete = 0;
    int storiesExemptedFromComplete = 0;
    /// Whole words, at writes and selections, that only a reading of the
    /// texts took for whole words.
    int wholeWordJudgementsSkipped = 0;
    /// Selections of the job's own output that only the truth knows as its
    /// output: a search may stop where the texts show an occurrence. (A
    /// write there is never let off.)
    int selectionsOfOutputOnlyTheTruthKnows = 0;
};

/// What a careful observer of the user's steps knows of the replacing: the
/// texts and options of the press being carried out, as its dialog shows them,
/// and what each job (find and replacement text) wrote where, followed
/// through the user's edits, undos, text boxes deleted, added and moved, and
/// publications opened. With it, every write can be checked to cover an
/// occurrence under the options of its press, never the job's own output
/// and, for one Replace, exactly what the user had selected; and every
/// "Replace complete!" to leave no occurrence behind.
///
/// It keeps two accounts of the writing. The truth follows every step: an
/// undo takes back the latest step, whoever made it, and gives back exactly
/// what the writing was before it; a moved story keeps what was written in
/// it. The reading is what an add-in that reads every story at each press
/// can know: what was written at the last press, carried over to what the
/// stories read now as the simplest reading of the texts has it
/// (matchStories, JobWriting::follow). Writes are judged by the truth alone;
/// the checks let the add-in off (Leniency) only where the reading sees no
/// occurrence that the truth sees, or a whole word that the truth does not,
/// or, at a selection, an occurrence where the truth knows the job's output.
class SearchTracker {
public:
    /// The publication's stories when the host starts.
    explicit SearchTracker(const std::vector<std::u16string>& stories);

    /// Reads the dialogs' texts and options, as the user sees them, at each press.
    void readDialogsFrom(simhost::DialogFinder& dialogs) { dialogs_ = &dialogs; }
    /// Before a step is carried out; `selection` is the publication's
    /// selection then, `stories` its stories' texts.
    void beforeStep(const simhost::Step& step, const std::optional<simhost::SelectionModel>& selection,
                    const std::vector<std::u16string>& stories);
    /// The step was ignored: nothing that it would have done happened.
    void stepIgnored() { state_ = beforeStep_; }

    // What the user does, as it is done: an edit, a deletion and an addition
    // are an undo step each, a move two.
    /// Story `story`'s text `before` became `after` (an edit or typing).
    void edited(int32_t story, const std::u16string& before, const std::u16string& after);
    void storyDeleted(int32_t story);
    void storyInserted(int32_t story);
    /// The cut and the paste of a move: story `story` comes at `to`.
    void storyMoved(int32_t story, int32_t to);
    /// Another publication, of `stories`, became the active one.
    void publicationOpened(const std::vector<std::u16string>& stories);
    /// The user undid the host's latest undo step (the stories have not changed yet).
    void undone();

    /// An undo group began or ended: the changes in between are one undo step.
    void undoGroup(bool begins);
    /// A write of `written` over `length` characters of the 1-based `story`
    /// from the 0-based `start`; `before` is the story's text just before it.
    /// Returns what is wrong with the write, if anything.
    std::optional<std::string> write(int32_t story, const std::u16string& before, size_t start, size_t length,
                                     const std::u16string& written);
    /// A selection of `length` characters of the 1-based `story` from the
    /// 0-based `start`, whose text is `story` now. Returns what is wrong with
    /// it, if anything: a search selects only occurrences.
    std::optional<std::string> select(int32_t story, const std::u16string& text, size_t start, size_t length);
    /// What is wrong with saying "Replace complete!" over `stories`, if anything.
    std::optional<std::string> complete(const std::vector<std::u16string>& stories);

    /// How many stories the tracker follows: as many as the host holds, unless it lost count.
    size_t storyCount() const { return state_.truth.size(); }
    const Leniency& leniency() const { return leniency_; }

private:
    struct Dialog {
        SearchOptions search;
        std::u16string replaceText;
    };
    /// What an undo of one step gives back: the truth before it.
    struct UndoStep {
        std::vector<JobWriting> truth;
        /// Whether anything changed in it; a group that changed nothing leaves no step.
        bool changed = true;
    };
    struct State {
        /// The job of the last Replace dialog press.
        std::optional<JobKey> lastJob;
        /// The dialog as it was at the press being carried out, and whether it is the Replace dialog.
        std::optional<Dialog> searching;
        bool searchingForAJob = false;
        /// The Replace dialog as it was at the press being carried out, when that press may write.
        std::optional<Dialog> press;
        /// For one Replace: the selection that it may write over, if any.
        std::optional<simhost::SelectionModel> pressedOver;
        bool replacesAll = false;
        /// Each dialog as it was at its last Find All: what its list's rows,
        /// gone to or replaced, stand for.
        std::map<std::string, Dialog> listed;
        /// What was written in each story, as it is and as it reads.
        std::vector<JobWriting> truth;
        std::vector<JobWriting> reading;
        /// The stories' texts at the last press, with its own writes made.
        std::vector<std::u16string> looked;
        std::vector<UndoStep> undoSteps;
        int groupDepth = 0;
        int64_t writes = 0;
    };
    /// How a place of a story stands under a press's options, by the truth
    /// and by the reading.
    struct Judgement {
        bool readsAsFindText = false;
        bool ownOutputTruly = false;
        bool ownOutputAsRead = false;
        bool wholeWordTruly = false;
        bool wholeWordAsRead = false;

        bool occursTruly() const { return readsAsFindText && !ownOutputTruly && wholeWordTruly; }
        bool occursAsRead() const { return readsAsFindText && !ownOutputAsRead && wholeWordAsRead; }
    };

    /// What the dialog `form` shows now, if it is there.
    std::optional<Dialog> dialog(const std::string& form) const;
    /// A press reads every story: the reading follows them from the last press.
    void look(const std::vector<std::u16string>& stories);
    /// A change of the stories is about to be made: an undo step begins, or
    /// the change joins the open group's.
    void changing();
    /// How the find text's length of units from `at` of the 1-based `story`,
    /// which reads `text`, stands under `search`, passing over what `job`
    /// wrote (none: nothing to pass over).
    Judgement judge(int32_t story, const std::u16string& text, size_t at, const SearchOptions& search,
                    const std::optional<JobKey>& job) const;
    /// Judges a write or a selection (`selects`) of `length` units there,
    /// which must be an occurrence: what is wrong with it, if anything.
    std::optional<std::string> judgeTaken(int32_t story, const std::u16string& text, size_t at, size_t length,
                                          const SearchOptions& search, const std::optional<JobKey>& job, bool selects);

    simhost::DialogFinder* dialogs_ = nullptr;
    State state_;
    State beforeStep_;
    Leniency leniency_;
};

}  // namespace quillet::testing
