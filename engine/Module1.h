#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/FindRequest.h"
#include "engine/GuardedMessages.h"
#include "engine/HostChain.h"
#include "engine/SearchBufferSource.h"
#include "engine/SearchState.h"
#include "engine/WrittenSpans.h"
#include "platform/MessageBox.h"

namespace quillet {

/// What the engine needs from around it.
struct EnginePorts {
    MessageBoxPort& messages;
    HostApplicationClass& applicationClass;
    SearchBufferSource& buffers;
};

/// The search engine: one running search shared by every caller, kept in
/// SearchState, in the search buffer's masked copy of the current story, and
/// in what the search has written.
///
/// The dialogs are modeless, so between two calls the user may select, edit,
/// change the options or open another publication. The engine therefore
/// writes only over an occurrence that the running search found and that is
/// still there, and never selects or writes inside text that it wrote itself.
class Module1 {
public:
    explicit Module1(EnginePorts ports);

    /// Finds the next occurrence of `findText`, going on where the last call of
    /// the same search stopped, and selects it in the publication. At the end of
    /// the publication it asks whether to go on from the first story, or with
    /// `noWrapPrompt` goes on once without asking.
    ///
    /// A match that no page shows (text on no page) is masked and passed over
    /// as if it were not there: the search goes on from page 1.
    ///
    /// Returns true when the search ended without a selection: the user said No,
    /// or with `noWrapPrompt` the end was reached a second time. Returns false
    /// otherwise, also after its own messages ("There is no text to search", the
    /// "Error" box). Failures outside the selection step go to the caller.
    Result<bool> FindNext(const FindRequest& find, bool noWrapPrompt);

    /// Writes `replaceText` over the running search's current match, when the
    /// publication's selection still shows it and it is still an occurrence
    /// under these options; nothing is written otherwise, and a failing write
    /// is passed over. Then finds the next match without asking to wrap.
    /// Returns true when the search is finished, and unless `quiet` says so in
    /// a box. Any later failure is shown in a box and gives false.
    bool ReplaceAndFindNext(const FindRequest& find, const std::u16string& replaceText, bool quiet);

    /// Replaces every occurrence under these options exactly once: the current
    /// match first, whether or not it is still selected, then every other one,
    /// wrapping once without asking; never text that the search wrote. Then
    /// says "Replace complete!". An occurrence that no page shows is written
    /// without being selected. Stops without that box at the first pass that
    /// ends in an error box, and on a publication without stories; a match
    /// that cannot be written ends it with a box that tells the failure.
    /// Where the host offers it, its changes are one undo step and the host
    /// draws nothing while it runs (QuietSweep).
    void ReplaceAll(const FindRequest& find, const std::u16string& replaceText);

    const SearchState& searchState() const { return state_; }

    /// The most passes that one ReplaceAll makes.
    static constexpr int kPassLimit = 100000;

private:
    enum class Outcome {
        Selected,     // a match is selected in the publication and masked in the buffer
        Finished,     // the search is over: declined, or the end reached twice
        NoText,       // the publication has no stories
        ErrorShown,   // a failure was told in a box
        Unshown,      // no page shows the match: it is masked, not selected
    };

    /// What a search step does with a match that no page shows.
    enum class UnshownMatches {
        PassOver,  // goes on searching, as if the match were not there
        Report,    // ends the step with it, for Replace All to write it
    };

    /// How one search step ended.
    struct Step {
        Outcome outcome = Outcome::Finished;
        int32_t matchStart = 0;  // Selected, Unshown: the match's 0-based position in its story
    };

    struct Match {
        int32_t start = 0;
        int16_t length = 0;
    };

    /// A match of the running search: its story and its 0-based position there.
    struct Place {
        int32_t story = 0;
        int64_t position = 0;
    };

    /// What one replace operation works with.
    struct Replacement {
        const FindRequest& find;
        const std::u16string& replaceText;
    };

    /// A replacement written into the publication: where, and the length of
    /// its story just before it.
    struct Rewrite {
        Place match;
        size_t storyLength = 0;
    };

    /// One search step: from where the running search stands to the next
    /// match, wrapping at the end of the publication as `noWrapPrompt` says.
    Result<Step> findStep(const FindRequest& find, bool noWrapPrompt, UnshownMatches unshown);
    /// The start of every step: page 1 displayed, the story count read, and a
    /// new search begun for a new find text. Gives the new search's mask
    /// (empty when the running search goes on), or nothing when the
    /// publication has no stories to begin one in (and says so).
    Result<std::optional<std::u16string>> beginStep(const std::u16string& findText);
    /// Searches the stories from StoryIndex to the last for a match that ends
    /// the step; nothing when the step passed the last story.
    Result<std::optional<Step>> searchToTheEnd(const FindRequest& find, std::u16string& newSearchMask,
                                               UnshownMatches unshown);
    /// At the end of the publication: whether to go on from the first story,
    /// asking or, with `noWrapPrompt`, going on once per step.
    bool goOnFromTheStart(bool noWrapPrompt, bool& wrappedOnce);
    /// Makes the search go on in `story`, with an empty buffer.
    Status moveTo(int64_t story);
    /// Reads the story at StoryIndex, reloads the buffer when it no longer mirrors
    /// the story, and finds the text there; a length of 0 means no match.
    Result<Match> searchStory(const FindRequest& find, const std::u16string& newSearchMask);
    /// Loads the story into the buffer, with what the search wrote there masked.
    void reload(SearchBuffer& buffer);
    /// Selects the match, walking the pages until one shows it, and masks it in
    /// the buffer: Selected, or Unshown when no page shows it.
    Result<Step> selectMatch(const std::u16string& findText, Match match);
    Step errorBox(const RaisedError& error);

    /// The running search's current match, when the search is for `findText`.
    std::optional<Place> currentMatch(const std::u16string& findText) const;
    /// The text of the story that holds `match` now; nothing when the
    /// publication no longer has that story.
    Result<std::optional<std::u16string>> storyOf(const Place& match);
    /// Writes the replacement over `match` when `story`, the text of its story
    /// as it reads now, holds an occurrence there under the options that the
    /// search did not write. Nothing when it does not; a failing write is the
    /// failure.
    Result<std::optional<Rewrite>> replaceMatch(const Replacement& replacement, const Place& match,
                                                const std::u16string& story);
    /// replaceMatch on the current match, only when the publication's
    /// selection still shows it; nothing is written after any failure.
    std::optional<Rewrite> replaceSelectedMatch(const Replacement& replacement);
    /// The rest of a replacement pass once the host write is done (`written`)
    /// or was not made: the buffer brought up to date, then the next match. A
    /// failure is told in a box without a title.
    Step findAfterWrite(const Replacement& replacement, const std::optional<Rewrite>& written, bool quiet,
                        UnshownMatches unshown);
    /// Tells a failure of the replace operations: the run-time error box without a title.
    Step failureBox(const RaisedError& error);

    SearchState state_;
    /// The match that the running search last selected, until it is written over.
    std::optional<Place> current_;
    WrittenSpans written_;
    HostChain host_;
    GuardedMessages messages_;
    SearchBufferSource& buffers_;
};

}  // namespace quillet
