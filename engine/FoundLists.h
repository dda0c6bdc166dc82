#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <utility>
#include <vector>

#include "engine/FindAllPass.h"
#include "engine/FoundList.h"
#include "engine/HostChain.h"
#include "engine/PageWalk.h"
#include "engine/ReplaceAllPass.h"
#include "engine/RunningSearch.h"
#include "engine/memory/StoryMemory.h"
#include "platform/MessageBox.h"

namespace quillet {

/// The lists that Find All filled, kept true from press to press: each row
/// is a mark in the story memory, which follows the user's edits, undos
/// and text boxes as far as a press reads them (follow); a row that an
/// edit touched, or that no longer reads as an occurrence, goes stale.
/// Going to a row and Replace Checked work on what the rows stand for
/// once their stories are read again.
class FoundLists {
public:
    FoundLists(StoryMemory& memory, HostChain& host, PageWalk& walk, RunningSearch& search, ReplaceAllPass& replaceAll,
               FindAllPass& findAll, MessageBoxPort& messages)
        : memory_(memory), host_(host), walk_(walk), search_(search), replaceAll_(replaceAll), findAll_(findAll),
          messages_(messages) {}

    /// Fills `list` with the occurrences of `find`, passing over what `job`
    /// (if any) wrote, and keeps it true from now on.
    FindAllReport fill(FoundList& list, const FindRequest& find, const Job* job);
    /// The list is going: its rows are let go of.
    void forget(const FoundList& list);
    /// Brings every list's rows up to what is remembered of their stories.
    void follow();
    /// The rows of every list that stand for the search's current match and
    /// whose page is not known yet learn it: the page the view displays.
    void learnPageOfCurrentMatch();

    /// The rows whose page is not known and whose occurrences begin at
    /// `passedOver` (stories and places), which a search found on no page,
    /// are on no page.
    void learnOnNoPage(const std::set<std::pair<int32_t, Position>>& passedOver);

    /// What going to a row came to.
    enum class PickOutcome {
        Selected,       // it is the publication's selection and the search's current match
        NoLongerFound,  // an edit touched it, or it no longer reads as an occurrence
        OnNoPage,       // no page shows it
        NotSelected,    // the host refused, or failed (a box said so)
    };
    /// Displays the page of row `row` and selects its occurrence, which
    /// becomes the search's current match.
    PickOutcome goTo(FoundList& list, size_t row);
    /// Writes `job`'s replacement over every checked row that still reads
    /// as an occurrence; the rows written leave the list.
    ReplaceAllReport replaceChecked(FoundList& list, const Job& job, ReplaceOptions options,
                                    ReplaceAllProgress* progress);

private:
    void follow(FoundList& list);
    /// The rows of every list, followed, that stand and whose page is not
    /// known, and that `where` takes.
    std::vector<FoundRow*> rowsWithoutPage(const std::function<bool(const FoundRow&)>& where);

    StoryMemory& memory_;
    HostChain& host_;
    PageWalk& walk_;
    RunningSearch& search_;
    ReplaceAllPass& replaceAll_;
    FindAllPass& findAll_;
    MessageBoxPort& messages_;
    std::vector<FoundList*> lists_;
    uint64_t nextRow_ = 1;
};

}  // namespace quillet
