#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/memory/TextChange.h"
#include "engine/memory/WrittenSpan.h"
#include "engine/text/Position.h"

namespace quillet {

/// What the engine remembers of one story between presses: its text as last
/// seen, what each job wrote there, the running search's current match if
/// it is there, and whether the search stands in it.
struct RememberedStory {
    std::u16string text;
    /// By job, each job's in order; no two spans overlap.
    std::map<int, std::vector<WrittenSpan>> written;
    std::optional<Span> current;
    bool searched = false;
    /// The texts it had before edits that took writing away, with that
    /// writing, the latest last: when the story reads as one of them again
    /// (the user's edit undone), the writing comes back.
    struct Before {
        std::u16string text;
        std::map<int, std::vector<WrittenSpan>> written;
    };
    std::vector<Before> before;
    /// The text and writing before the last edit: a story that reads so
    /// now may be this one, moved, with an alike text edited in its place.
    std::optional<Before> lastEdited;
    /// Occurrences that a list of what was found shows here, by row: each
    /// moves with the text, and is gone once an edit touches it.
    std::map<uint64_t, Span> found;

    bool holdsNothing() const { return written.empty() && before.empty() && !current && !searched && found.empty(); }
    /// Every job's writing, in order.
    std::vector<const WrittenSpan*> allWritten() const;
    /// Whether the story reads `now` as it did, or as if some of the writing
    /// there had been undone.
    bool readsAsItDid(std::u16string_view now) const;

    /// How the text changed when it was followed.
    enum class Change {
        None,      // it reads as it did
        Undo,      // some writing was taken back, and nothing else changed
        ReadsAgain,  // it reads as it did before an edit that took writing away
        Edit,      // anything else
    };
    /// What following an edit keeps of the writing beside it.
    enum class NearEdits {
        /// What reads as the writing there stays, in doubt: where letters
        /// repeat, an edit reads more ways than one.
        KeepWhatMayStand,
        /// Only what the reading of the edit leaves.
        LeaveAsRead,
    };
    /// Carries what is remembered over to the text `now`: what an undo put
    /// back is gone; what an edit touched is gone, the rest moves with the
    /// text. Where it reads as before such an edit, that writing is back,
    /// only possibly the job's: the edit was undone, or typed again as it was.
    Change follow(std::u16string_view now, NearEdits nearEdits = NearEdits::KeepWhatMayStand);
    /// Carries what is remembered through `changes` of the text.
    void carry(const std::vector<ChangedStretch>& changes, AtItsEdges edges = AtItsEdges::PlacesTouched);
    /// Carries the found occurrences alone through `changes`.
    void carryFound(const std::vector<ChangedStretch>& changes, AtItsEdges edges);
    /// Whether any writing would be left after following to `now`.
    bool keepsWritingIn(std::u16string_view now) const;

    /// Every span becomes only possibly the job's.
    void doubt();
    /// An edit as read: the text and writing it began from, and its changes.
    struct Edit {
        Before from;
        std::vector<ChangedStretch> changes;
    };
    /// Carries what is remembered through the edit that made the text
    /// `now`, read as the changes between the texts, and where an undo of
    /// the latest writing and a smaller edit after it read so too, as both:
    /// what only one reading keeps stays, in doubt.
    Edit editedTo(std::u16string_view now);
    /// Keeps what `other`, another reading of the same text, keeps, and
    /// doubts what the two do not both keep.
    void keepAlsoInDoubt(const RememberedStory& other);
    /// Keeps the text and writing `was` that an edit took writing from.
    void keepBefore(Before was);
    /// After `changes` made `was` into `now`: what the job wrote beside or
    /// under an edit is kept, in doubt, wherever near it it reads so.
    void keepWhatMayStand(const Before& was, const std::vector<ChangedStretch>& changes, std::u16string_view now);
    /// Keeps `span` of `job`, in doubt: the same span kept is doubted, and
    /// one that would overlap another span is not kept.
    void keepInDoubt(int job, WrittenSpan span);
    /// Whether both hold the same writing, job by job and span by span.
    bool sameWritingAs(const RememberedStory& other) const;
    /// Takes in `other`'s writing, which reads the same text, beside its own:
    /// either story could be the one that was written, so all of it becomes
    /// only possibly the job's. Spans of a job that overlap become one.
    void mergeInDoubt(const RememberedStory& other);
};

}  // namespace quillet
