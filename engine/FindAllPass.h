#pragma once

#include <cstdint>

#include "engine/FoundList.h"
#include "engine/HostChain.h"
#include "engine/RunningSearch.h"
#include "engine/SearchState.h"
#include "engine/memory/StoryMemory.h"
#include "platform/MessageBox.h"

namespace quillet {

/// What a Find All came to.
struct FindAllReport {
    int64_t found = 0;
    /// Stories that hold what was found.
    int32_t stories = 0;
    /// Found occurrences known to be in text that no page shows.
    int64_t onNoPage = 0;
    /// A host failure stopped it: the list holds what was found before.
    bool incomplete = false;
};

/// Find All: every occurrence of a list's request, in the order a search
/// from the start of the publication meets them, each with its line of
/// context and the page that shows it. Each story is read once; pages are
/// told by their shapes (FramePages), never turned. Nothing is selected,
/// displayed or written. Where the list serves a job, what the job wrote is
/// passed over, as its Replace All would.
class FindAllPass {
public:
    FindAllPass(const SearchState& state, StoryMemory& memory, HostChain& host, RunningSearch& search,
                MessageBoxPort& messages)
        : state_(state), memory_(memory), host_(host), search_(search), messages_(messages) {}

    /// Fills `list` anew for its request, numbering its rows from `nextRow` on.
    FindAllReport run(FoundList& list, uint64_t& nextRow);

private:
    /// Reads every story and lists its occurrences; the texts read, in order.
    Status findIn(FoundList& list, uint64_t& nextRow, std::vector<std::u16string>& texts);
    /// Tells each row's page from the pages' shapes.
    Status placeOnPages(FoundList& list, const std::vector<std::u16string>& texts);

    const SearchState& state_;
    StoryMemory& memory_;
    HostChain& host_;
    RunningSearch& search_;
    MessageBoxPort& messages_;
};

}  // namespace quillet
