#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "engine/HostChain.h"
#include "engine/HostRestorer.h"
#include "engine/ReplaceAllProgress.h"
#include "engine/RunningSearch.h"
#include "engine/SearchState.h"
#include "engine/memory/StoryMemory.h"
#include "engine/text/FindRequest.h"
#include "platform/MessageBox.h"

namespace quillet {

/// What a Replace All did.
struct ReplaceAllReport {
    /// Replacements written.
    int64_t replaced = 0;
    /// Stories that they were written into.
    int32_t stories = 0;
    /// The user stopped it before the end.
    bool stopped = false;
    /// A write failed, and a box said so.
    bool failed = false;
    /// Occurrences left because they may be what the job wrote before.
    int64_t leftInDoubt = 0;
    /// Checked rows that no longer read as occurrences (Replace Checked).
    int64_t noLongerFound = 0;
    /// The tags of the chosen occurrences written (runChosen).
    std::vector<uint64_t> writtenTags;
};

/// An occurrence that the user chose to replace, as the caller knows it
/// after the story was read: its span, and the caller's tag for it.
struct ChosenOccurrence {
    Span span;
    uint64_t tag = 0;
};

/// Replace All in one pass over the stories. It writes, in this order, the
/// running search's current match (when it is still an occurrence under the
/// options of the press), every occurrence after it to the end of the
/// publication, and then from the first story back to where it began: the
/// order in which Replace would reach them one after another. What the job
/// wrote (now or before) is never written over, and whole words are judged
/// as if each replacement were still the text it replaced, so the writing
/// never makes or breaks an occurrence.
///
/// Each story is read once, and its occurrences are found in a copy of it
/// before anything is written; then each is written through its own span,
/// where no page need show it. Nothing is selected and no page is
/// displayed. The host draws nothing meanwhile and gathers the writing into
/// one undo step (HostRestorer).
class ReplaceAllPass {
public:
    /// `state` is where `search` stands, read here and moved by `search` alone.
    ReplaceAllPass(const SearchState& state, StoryMemory& memory, HostChain& host, HostRestorer& restorer,
                   MessageBoxPort& messages, RunningSearch& search)
        : state_(state), memory_(memory), host_(host), restorer_(restorer), messages_(messages), search_(search) {}

    /// Replaces every occurrence of `job`'s find text under `options` and
    /// says "Replace complete!", or says why it stopped: the user stopped it
    /// (`progress`), a write failed, or a story could not be read. Where
    /// the job's writing is in doubt, occurrences that may be it are left,
    /// and the box counts them instead.
    ReplaceAllReport run(const Job& job, FindOptions options, ReplaceOptions replaceOptions,
                         ReplaceAllProgress* progress);

    /// Replaces, in the same way, only the occurrences that `chosen` names in
    /// each of `stories`: it is asked after the story is read, and each span
    /// it gives is written when it still reads as an occurrence under
    /// `options` that the job did not write. Nothing is said at the end but
    /// a failure or a stop; the search stays where it stands.
    ReplaceAllReport runChosen(const Job& job, FindOptions options, ReplaceOptions replaceOptions,
                               const std::vector<int32_t>& stories,
                               const std::function<std::vector<ChosenOccurrence>(int32_t story)>& chosen,
                               ReplaceAllProgress* progress);

private:
    /// Forgets the plans of the last run.
    void clear();
    /// Writes what was planned, remembers it, and tells a failure or a stop.
    ReplaceAllReport writePlanned(const Job& job, std::u16string_view undoName, ReplaceAllProgress* progress);
    /// One story's part: its text before the pass, its occurrences there,
    /// and its text after what was written of them.
    struct StoryPlan {
        int32_t story = 0;
        std::u16string before;
        std::vector<Rewrite> rewrites;  // in the order they are written
        std::u16string after;
    };
    /// One replacement: rewrite `rewrite` of plan `plan`.
    struct Write {
        size_t plan = 0;
        size_t rewrite = 0;
        uint64_t tag = 0;
    };

    /// Finds what to write, in the order of writing. A story that cannot be
    /// read fails it.
    Status plan(const Job& job, FindOptions options, ReplaceOptions replaceOptions, bool newSearch);
    /// Adds `occurrence` of plan `index` to what is written.
    void add(size_t index, Span occurrence, const Job& job, ReplaceOptions replaceOptions);
    /// Adds every occurrence in `buffer`, which holds the story of plan
    /// `index` with what must not be written masked, from its start on.
    void findAll(size_t index, SearchBuffer& buffer, const Job& job, FindOptions options,
                 ReplaceOptions replaceOptions);
    /// The plan of `story`, reading the story when it has none yet.
    Result<size_t> planOf(int32_t story);
    /// Writes the plan; the writes made, and the failure that stopped it, if any.
    ReplaceAllReport write(std::u16string_view undoName, ReplaceAllProgress* progress, std::optional<RaisedError>& failure);
    /// Tells StoryMemory what the first `made` writes wrote, and each
    /// story's plan what it reads now.
    void remember(const Job& job, size_t made);


    const SearchState& state_;
    StoryMemory& memory_;
    HostChain& host_;
    HostRestorer& restorer_;
    MessageBoxPort& messages_;
    RunningSearch& search_;
    // For one run.
    std::vector<StoryPlan> plans_;
    std::map<int32_t, size_t> planOfStory_;
    std::vector<Write> writes_;
    int64_t leftInDoubt_ = 0;
};

}  // namespace quillet
