#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/HostChain.h"
#include "engine/HostRestorer.h"
#include "engine/RunningSearch.h"
#include "engine/SearchState.h"
#include "engine/memory/StoryMemory.h"
#include "engine/text/FindRequest.h"

namespace quillet {

/// What one Replace writes: the publication's selection, wherever it is, as
/// a word processor's Replace does, when it is an occurrence of the job's
/// find text under the options of the press and not the job's own writing.
/// It writes through the selection itself, so it never writes anywhere
/// else; then the search goes on just after it.
///
/// Which story holds the selection shows by the text of the selection's
/// story (a current host's member): the story where the search stands or
/// its match is, when it reads so, and the stories where the job's writing
/// could stand under the selection were they to read so; nothing else is
/// read. Without the member, every story and place where the selected text
/// stands is a candidate. The write is made only when every candidate may be
/// written and the story's text afterwards tells which one it was. Where the
/// candidates' stories end paragraphs or lines differently, what is written
/// first has the likeliest one's, and is written again in the story's own
/// once the story is known.
class SelectionReplacer {
public:
    /// `state` is where `search` stands, read here and moved by `search` alone.
    SelectionReplacer(const SearchState& state, StoryMemory& memory, HostChain& host, HostRestorer& restorer,
                      RunningSearch& search)
        : state_(state), memory_(memory), host_(host), restorer_(restorer), search_(search) {}

    /// Writes `job`'s replacement (its codes and, with Keep Case, its case
    /// as the selection asks) over the selection when it may, and moves the
    /// search on after it. Nothing is written, and nothing is told, when it
    /// may not or a host call fails; a failure after the write leaves the
    /// search where it was. True when it wrote.
    bool replace(const Job& job, FindOptions options, ReplaceOptions replaceOptions);

private:
    /// A place where the selection may stand: `start` in `story`, which reads `text`.
    struct Candidate {
        int32_t story = 0;
        std::u16string text;
        Position start = 0;
    };

    /// The stories where the selection may stand; `every` when they are all.
    struct Stories {
        std::set<int32_t> stories;
        bool every = false;
    };

    /// Where to look for the selection: where the search stands or its
    /// match in `matchStory` is, when the selection's story reads as that
    /// story, with the stories where `job`'s writing could be under the
    /// selection; else every story. Empty when a host call fails.
    std::optional<Stories> whereToLook(const Job& job, const HostChain::Selection& selection, int32_t matchStory);
    /// The text of `story`, read once a press.
    Result<std::u16string> textOf(int32_t story);
    /// Where in `story`, reading `text`, the selection may stand.
    void addCandidates(int32_t story, const std::u16string& text, const HostChain::Selection& selection);
    /// Whether the candidate is an occurrence that `job` may write over.
    bool mayWrite(const Candidate& candidate, const Job& job, FindOptions options, Position length) const;
    /// Whether the texts after writing would tell every two candidates apart.
    bool tellApart(const std::u16string& written, Position length) const;
    /// The candidate that the write went to, read back from the stories.
    std::optional<Candidate> landed(const std::u16string& written, Position length, bool everyStoryRead);

    const SearchState& state_;
    StoryMemory& memory_;
    HostChain& host_;
    HostRestorer& restorer_;
    RunningSearch& search_;
    // For one press.
    std::map<int32_t, std::u16string> read_;
    std::vector<Candidate> candidates_;
};

}  // namespace quillet
