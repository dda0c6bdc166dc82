#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "simhost/AddinSite.h"
#include "simhost/Scenario.h"
#include "simhost/memory/InMemoryHost.h"
#include "tests/sweep/SearchTracker.h"

namespace quillet::testing {

/// Watches one run of a scenario through the stand-in host and notes every
/// breach of what must hold whatever the host's operations do:
/// - the run ends, with its "end" event;
/// - no step makes more than a bounded number of selections, writes or boxes;
/// - a Replace All shows at most one box besides the wrap question, and never
///   "Replace complete!" after another box, apart from the one that tells
///   that the host refused to be put back;
/// - every change of a story's text is shown by a write event whose old text
///   is what was there;
/// - every selection event shows the text that is there;
/// - every write covers an occurrence under the options of the press that
///   made it, never text that the search wrote itself, and "Replace
///   complete!" leaves no occurrence behind (SearchTracker, which lets the
///   add-in off only where no add-in could know better: leniency()).
/// - between steps and at the end, ScreenUpdating is back to its first value
///   and no undo group is open;
/// - no box appears while updating is off or an undo group is open.
/// The last two excuse what the host refused to put back: a ScreenUpdating
/// refused since it went off, an end refused since the group opened.
///
/// It keeps its own copy of the stories, changed only by write events and by
/// the user's steps, and compares it with the host's before every step.
class RunInvariants {
public:
    /// Most selections, writes and boxes that one step may make. The flows'
    /// publications hold a handful of occurrences, so a step that goes beyond
    /// these has run away.
    static constexpr int kMaxSelectionsPerStep = 40;
    static constexpr int kMaxWritesPerStep = 200;
    static constexpr int kMaxBoxesPerStep = 4;

    /// `host` is the stand-in host of the run; it must outlive this object.
    explicit RunInvariants(simhost::InMemoryHost& host);

    /// The dialogs' windows of the run, read at each press.
    void readDialogsFrom(simhost::DialogFinder& dialogs) { search_.readDialogsFrom(dialogs); }
    /// The add-in of the run, whose memory between presses must keep its
    /// own invariants before every step and at the end.
    void watchEngineOf(simhost::AddinSite& addin) { addin_ = &addin; }

    /// Before step `number` (from 1) is carried out.
    void beforeStep(size_t number, const simhost::Step& step);
    /// An event of the transcript, as it happens.
    void event(const nlohmann::ordered_json& event);
    /// After the run has returned.
    void finish();

    const std::vector<std::string>& breaches() const { return breaches_; }
    /// Where the checks let the add-in off because no add-in could know better.
    const Leniency& leniency() const { return search_.leniency(); }

private:
    /// A span of a story in the copy.
    struct Span {
        std::u16string& story;
        size_t offset;
        size_t length;

        std::u16string text() const { return story.substr(offset, length); }
    };

    void breach(const std::string& what);
    /// Follows what the user's `step` changes in the stories, in the copy
    /// and in the search tracker, before the runner carries it out.
    void followTheUser(const simhost::Step& step);
    void checkStoriesMatchTheHost();
    void checkTheEnginesMemory();
    /// The span that a select or write event names; nothing, after a breach,
    /// when it does not lie in a story.
    std::optional<Span> spanOf(const nlohmann::ordered_json& event);
    void checkSelection(const nlohmann::ordered_json& event);
    void applyWrite(const nlohmann::ordered_json& event);
    void countBox(const nlohmann::ordered_json& event);
    /// Notes when updating goes off and when an undo group opens or closes.
    void followScreenAndUndo(const nlohmann::ordered_json& event);
    /// Whether the host now draws nothing, or holds an undo group open, and
    /// nobody was refused putting it right; `when` says where, for the breach.
    void checkHostPutRight(const std::string& when);
    /// How often the host has refused ScreenUpdating or the end of an undo group.
    int refusals() const;
    /// Counts one more of what a step `made`; a breach once it is more than `most`.
    void count(int& made, int most, const std::string& what);
    /// Makes every host operation fail from now on, so that a step that has
    /// run away comes to an end soon instead of at its own limit.
    void stopTheHost();

    simhost::InMemoryHost& host_;
    simhost::AddinSite* addin_ = nullptr;
    const bool firstScreenUpdating_;
    /// The refusals of ScreenUpdating calls when it went off, while it is off.
    std::optional<int> screenRefusalsWhenOff_;
    /// The refusals of ending an undo group when one opened, while it is open.
    std::optional<int> endRefusalsWhenOpened_;
    /// The step changes the stories without write events (an undo): the copy
    /// takes them from the host afterwards.
    bool storiesFromTheHost_ = false;
    std::vector<std::u16string> stories_;
    SearchTracker search_;
    std::vector<std::string> breaches_;
    bool ended_ = false;
    bool stopped_ = false;

    // The step being carried out (0: the host's start).
    size_t step_ = 0;
    bool stepIsReplaceAll_ = false;
    int selections_ = 0;
    int writes_ = 0;
    int boxes_ = 0;
    int boxesBesidesTheWrapQuestion_ = 0;
    int refusalsBeforeStep_ = 0;
    bool refusalToldInStep_ = false;
};

}  // namespace quillet::testing
