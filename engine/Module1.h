#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/FindAllPass.h"
#include "engine/FoundList.h"
#include "engine/FoundLists.h"
#include "engine/GuardedMessages.h"
#include "engine/HostChain.h"
#include "engine/HostRestorer.h"
#include "engine/PageWalk.h"
#include "engine/ReplaceAllPass.h"
#include "engine/ReplaceAllProgress.h"
#include "engine/RunningSearch.h"
#include "engine/SearchBufferSource.h"
#include "engine/SearchState.h"
#include "engine/SelectionReplacer.h"
#include "engine/memory/StoryMemory.h"
#include "engine/text/FindRequest.h"
#include "platform/MessageBox.h"

namespace quillet {

/// What the engine needs from around it.
struct EnginePorts {
    MessageBoxPort& messages;
    HostApplicationClass& applicationClass;
    SearchBufferSource& buffers;
};

/// What a press of Find Next, or of Replace, which finds the next occurrence
/// after it writes, came to: what the dialog enables and its status line says.
struct FindNextReport {
    /// The search ended without a selection: the user said No, or the end
    /// was reached a second time.
    bool finished = false;
    /// Occurrences in text that no page shows that the press passed over.
    int passedOverOnNoPage = 0;
    /// Occurrences that the press's job left because they may be what it
    /// wrote before (text boxes moved or alike, or another publication that
    /// could not be told apart), counted when its search came to an end.
    int64_t leftInDoubt = 0;
};

/// The search engine's three entry points, which the dialogs call: one
/// running search shared by every caller (RunningSearch), Replace
/// (SelectionReplacer) and Replace All (ReplaceAllPass), over what the
/// engine remembers between presses (StoryMemory).
///
/// The dialogs are modeless, so between two calls the user may select, edit,
/// change the options or open another publication. The engine therefore
/// writes only over an occurrence that the user selected or that Replace All
/// found, and never over text that the same job (find and replacement text)
/// wrote. Each call puts the host back as it found it before it returns
/// (HostRestorer), and first tries again what the host refused to put back
/// at an earlier call.
class Module1 {
public:
    explicit Module1(EnginePorts ports);

    /// Finds the next occurrence of the find text, going on where the last
    /// call of the same search stopped, and selects it in the publication. At
    /// the end of the publication it asks whether to go on from the first
    /// story, or with `noWrapPrompt` goes on once without asking. A match
    /// that no page shows is masked and passed over.
    ///
    /// `replaceText`, when the Replace dialog searches, names the job whose
    /// writing the search passes over, as its Replace would refuse to write
    /// there. Without it, the search finds every occurrence as the text
    /// reads: a look-up tells the truth.
    ///
    /// The report is finished when the search ended without a selection:
    /// the user said No, or with `noWrapPrompt` the end was reached a second
    /// time. It is not otherwise, also after the search's own messages
    /// ("There is no text to search", the "Error" box). Failures outside the
    /// selection go to the caller.
    Result<FindNextReport> FindNext(const FindRequest& find, bool noWrapPrompt,
                                    const std::u16string* replaceText = nullptr);

    /// Writes `replaceText` over the publication's selection when it is an
    /// occurrence under these options that this job did not write, wherever
    /// it is; nothing is written otherwise. Then finds the next match after
    /// it without asking to wrap. The report is finished when the search is,
    /// and unless `quiet` the box says so. A failure after the write is
    /// shown in a box and gives a report that is not finished.
    FindNextReport ReplaceAndFindNext(const FindRequest& find, const std::u16string& replaceText, bool quiet,
                                      ReplaceOptions options = {});

    /// Replaces every occurrence under these options once, in one pass
    /// (ReplaceAllPass), then says "Replace complete!". `progress` (if any)
    /// is told after each write and may stop it. It writes text that no
    /// page shows too, and so passes over none.
    ReplaceAllReport ReplaceAll(const FindRequest& find, const std::u16string& replaceText,
                                ReplaceOptions options = {}, ReplaceAllProgress* progress = nullptr);

    /// Fills `list` with every occurrence of `find` in the publication
    /// (FindAllPass): with `replaceText`, what the Replace dialog's Replace
    /// All would replace now, else every occurrence as the text reads. The
    /// engine keeps the list true from then on (FoundLists): at the end of
    /// every press, each row follows its story as far as the press read it.
    FindAllReport FindAll(const FindRequest& find, const std::u16string* replaceText, FoundList& list);
    /// The list is going: the engine lets go of it.
    void forgetList(const FoundList& list);

    using PickOutcome = FoundLists::PickOutcome;
    /// Displays the page of row `row` of `list` and selects its occurrence,
    /// which becomes the search's current match: Find Next goes on after
    /// it, and for a job's list its Replace writes it.
    PickOutcome GoToFound(FoundList& list, size_t row);

    /// Writes `replaceText` over every checked row of `list` that still reads
    /// as an occurrence of the list's find text (ReplaceAllPass::runChosen),
    /// as one undo step where the host has them; the rows written leave the
    /// list.
    ReplaceAllReport ReplaceChecked(FoundList& list, const std::u16string& replaceText, ReplaceOptions options,
                                    ReplaceAllProgress* progress);

    /// The find text that finds the publication's selected text as it stands
    /// (literalFindText), when the selection would make one: 1 to 255
    /// characters, no paragraph end or line break. Nothing otherwise, or when
    /// the host cannot say.
    std::optional<std::u16string> SelectionForFindBox();

    const SearchState& searchState() const { return state_; }
    /// What is wrong with what the engine remembers between presses, if anything.
    std::optional<std::string> memoryFault() const { return memory_.brokenInvariant(); }

private:
    /// One call from a dialog: what the host refused to put back before is
    /// tried again first, and the host is put back and let go at the end.
    class Press {
    public:
        explicit Press(Module1& engine);
        ~Press();
        Press(const Press&) = delete;
        Press& operator=(const Press&) = delete;

    private:
        Module1& engine_;
    };

    /// The job whose writing a search passes over: the Replace dialog's,
    /// which it remembers as the last job; none for a look-up.
    const Job* jobOf(const std::u16string& findText, const std::u16string* replaceText);
    /// What a step for `job` passed over, and at the end of its search what
    /// it left in doubt.
    FindNextReport reportOf(const RunningSearch::Step& step, const FindRequest& find, const Job* job) const;
    /// What the box says when one Replace finds nothing more, as `report`
    /// tells: all instances replaced, or all on the pages and how many are
    /// left in text on no page, and how many may be the job's own.
    static std::u16string allReplaced(const std::u16string& findText, const std::u16string& replaceText,
                                      const FindNextReport& report);

    SearchState state_;
    StoryMemory memory_;
    HostChain host_;
    HostRestorer restorer_;
    GuardedMessages messages_;
    PageWalk walk_;
    RunningSearch search_;
    SelectionReplacer replacer_;
    ReplaceAllPass replaceAll_;
    FindAllPass findAll_;
    FoundLists lists_;
    /// The job that the Replace dialog worked on last.
    std::optional<Job> job_;
};

}  // namespace quillet
