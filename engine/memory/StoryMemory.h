#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/Result.h"
#include "engine/memory/RememberedStory.h"
#include "engine/memory/TextChange.h"
#include "engine/memory/WrittenSpan.h"
#include "engine/text/Position.h"
#include "engine/text/WholeWord.h"

namespace quillet {

/// A replacement job: the text to find and the text to write in its place.
/// What a job wrote is its own; another job may write over it.
struct Job {
    std::u16string find;
    std::u16string replacement;

    friend bool operator==(const Job&, const Job&) = default;
};

/// What the engine remembers of the stories between presses: what each of
/// the last few jobs wrote where, the running search's current match, and
/// the story the search stands in, each with the story's text as the engine
/// last saw it (RememberedStory).
///
/// The dialogs are modeless, so between two presses the user may edit,
/// undo, delete, add or move text boxes, or open another publication. A
/// story read again is compared with what was seen: when it reads as if some
/// of the writing there had been taken back (an undo), exactly that is
/// gone; otherwise the change is one edit (changesBetween). What a change
/// left alone moves with the text, and only what it touched is forgotten.
/// When text boxes came, went or moved, every story is read and each
/// remembered one found by its text (placedAmong). Where the engine cannot
/// tell which story is which, the writing stays, only possibly the job's.
class StoryMemory {
public:
    /// Reads a story's text: 1-based index.
    using StoryReader = std::function<Result<std::u16string>(int32_t story)>;

    /// The story count read now. When it differs from the last one and
    /// something is remembered, every story is read to find where each one
    /// went; a failing read fails it and leaves everything as it was.
    Status storyCountIs(int32_t count, const StoryReader& read);
    /// A story read `text` now: what is remembered there follows the change
    /// since it was last seen. When the text tells that text boxes came and
    /// went or moved while their count stayed (the story remembered there
    /// reads as another text altogether, or this is the text remembered of
    /// another story that reads otherwise now), every story is read with
    /// `read` to find where each one went first; a failing read fails it and
    /// leaves everything as it was. When another remembered story reads
    /// alike and holds other writing, either could be the other (text
    /// boxes are moved unseen): both keep both's writing, in doubt.
    Status seen(int32_t story, std::u16string_view text, const StoryReader& read);

    /// Another publication is active: nothing remembered holds for it.
    void forget();
    /// Whether the active publication is surely the one last seen. While it
    /// cannot be told, a story that reads otherwise than remembered (not as
    /// an undo) may be another publication's: what it keeps of the writing
    /// there is only possibly the job's.
    void publicationKnown(bool known) { publicationKnown_ = known; }

    /// What `job` wrote into `story`, in order, as of the text last seen there.
    std::vector<WrittenSpan> writtenBy(const Job& job, int32_t story) const;
    /// Whether `job` has written anything that is remembered, anywhere.
    bool hasWritten(const Job& job) const;
    /// The stories where `job`'s writing is remembered.
    std::vector<int32_t> storiesWrittenBy(const Job& job) const;
    /// A story where `job` may have written: its index and text as last
    /// seen, and the job's spans there, some of them only possibly its own.
    struct InDoubt {
        int32_t story = 0;
        std::u16string text;
        std::vector<WrittenSpan> spans;
    };
    /// The stories where some of `job`'s writing is only possibly its own.
    std::vector<InDoubt> inDoubt(const Job& job) const;
    /// The texts last seen of the stories where `job` wrote, with the job's spans there.
    std::vector<InDoubt> writingOf(const Job& job) const;
    /// The stories besides `except` where `job` wrote that, were they to
    /// read `text` now, would keep some of that writing over or next to
    /// `near` (anywhere, without it): where a selection in a story that
    /// reads `text` could stand on the job's writing. Nothing is read: what
    /// is remembered is followed to `text` in a copy.
    std::vector<int32_t> couldHoldWritingNear(const Job& job, std::u16string_view text, std::optional<Span> near,
                                              int32_t except) const;

    /// `job` replaced `replaced.length` units of `story`, which read `before`,
    /// from `replaced.start` with `written`: a change like any other for what
    /// else is remembered there, and the job's own from now on.
    void wrote(const Job& job, int32_t story, std::u16string_view before, Span replaced, std::u16string_view written);
    /// As `wrote` for many replacements into one story at once, each
    /// replaced span in `before`'s coordinates, in order, none overlapping;
    /// `after` is the story's text with all of them made.
    void wroteAll(const Job& job, int32_t story, std::u16string_view before, const std::vector<Rewrite>& rewrites,
                  std::u16string_view after);

    /// What is wrong with what is remembered, if anything: every span lies
    /// in its story's text, each job's in order and apart, a certain one
    /// overlapping no other of any job (only writing in doubt may), each
    /// belonging to a job still remembered, and no more jobs than are kept.
    /// The tests check it after every step.
    std::optional<std::string> brokenInvariant() const;

    /// The running search's current match: its story and span.
    struct Match {
        int32_t story = 0;
        Span span;
    };
    std::optional<Match> currentMatch() const;
    /// The running search selected `span` of `story`, which reads `text`.
    void setCurrentMatch(int32_t story, std::u16string_view text, Span span);
    void clearCurrentMatch();

    /// A list of found occurrences shows these spans of `story`, which
    /// reads `text`, each as its row (an id unique among all lists' rows):
    /// each span follows the story from now on, until an edit touches it.
    void markFound(int32_t story, std::u16string_view text, const std::vector<std::pair<uint64_t, Span>>& rows);
    void unmarkFound(const std::set<uint64_t>& rows);
    /// Where each marked row's occurrence is now; a row that an edit
    /// touched, or whose story vanished, is not among them.
    std::map<uint64_t, Match> foundMarks() const;
    /// The text last seen of `story`, when anything is remembered there.
    std::optional<std::u16string_view> textOf(int32_t story) const;

    /// The story that the running search stands in, which read `text`: kept
    /// so that the search follows it when text boxes before it come or go.
    void searchIn(int32_t story, std::u16string_view text);
    /// Where the running search's story is now, when it is still there.
    std::optional<int32_t> searchStory() const;

private:
    using Stories = std::map<int32_t, RememberedStory>;

    /// The id of `job`, remembering it as the latest; forgetting what the
    /// least recent job wrote when there are too many.
    int idOf(const Job& job);
    std::optional<int> knownId(const Job& job) const;
    /// The story at `index`, started from `text` when nothing is remembered there.
    RememberedStory& track(int32_t index, std::u16string_view text);
    /// Carries what is remembered in `story` over to its text `now`,
    /// doubting what an edit left when the publication is not known.
    RememberedStory::Change followed(RememberedStory& story, std::u16string_view now) const;
    /// As followed, for a story remembered here: what an undo took back is
    /// kept aside with the vanished stories.
    void follow(RememberedStory& story, std::u16string_view now);
    /// What reading `text` at `story` tells: whether stories moved, and the
    /// other remembered stories that read alike; `read` reads another story
    /// whose remembered text this is.
    struct Reading {
        bool moved = false;
        std::vector<int32_t> alike;
        /// Stories that read so before their last edit: one of them may have
        /// moved here, an alike text edited in its place.
        std::vector<int32_t> asBeforeAnEdit;
    };
    Result<Reading> readingOf(int32_t story, std::u16string_view text, const StoryReader& read) const;
    /// Stories that read alike: unless they hold the same writing, each
    /// takes in all of theirs, in doubt.
    void doubtAlike(std::vector<int32_t> stories);
    /// Reads all `count` stories and puts each remembered one where it went.
    Status relocate(int32_t count, const StoryReader& read);
    /// Forgets the stories that hold nothing any more.
    void releaseAll();

    /// The jobs whose writing is remembered, the latest last.
    std::vector<std::pair<int, Job>> jobs_;
    int nextJobId_ = 0;
    /// The writes remembered so far, which orders them.
    uint64_t writes_ = 0;
    Stories stories_;
    /// The story count last read; none before the first.
    std::optional<int32_t> count_;
    /// Stories with writing that vanished (deleted, or cut to be pasted
    /// later), the latest last: an undo or a paste may bring one back.
    std::vector<RememberedStory> gone_;
    bool publicationKnown_ = true;
};

}  // namespace quillet
