#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/GuardedMessages.h"
#include "engine/HostChain.h"
#include "engine/SearchBufferSource.h"
#include "engine/SearchState.h"
#include "platform/MessageBox.h"

namespace quillet {

/// What the engine needs from around it.
struct EnginePorts {
    MessageBoxPort& messages;
    HostApplicationClass& applicationClass;
    SearchBufferSource& buffers;
};

/// The search engine: one running search shared by every caller, kept in
/// SearchState and in the search buffer's masked copy of the current story.
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
    Result<bool> FindNext(const std::u16string& findText, bool matchCase, bool wholeWord, bool noWrapPrompt);

    /// Writes `replaceText` over the publication's selection (a failing write is
    /// passed over), then finds the next match without asking to wrap. Returns
    /// true when the search is finished, and unless `quiet` says so in a box.
    /// Any later failure is shown in a box and gives false.
    bool ReplaceAndFindNext(const std::u16string& findText, const std::u16string& replaceText, bool matchCase,
                            bool wholeWord, bool quiet);

    /// Replaces, from the current selection on, every occurrence that exists when
    /// it starts exactly once, wrapping once without asking, and never text that
    /// it wrote itself; then says "Replace complete!". An occurrence that no page
    /// shows is written without being selected. Stops without that box at the
    /// first pass that ends in an error box, and on a publication without
    /// stories; a match that cannot be written ends it with a box that tells
    /// the failure. Where the host offers it, its changes are one undo step
    /// and the host draws nothing while it runs (QuietSweep).
    void ReplaceAll(const std::u16string& findText, const std::u16string& replaceText, bool matchCase,
                    bool wholeWord);

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

    /// How one search step ended, with what a replace-all loop must know of it.
    struct Step {
        Outcome outcome = Outcome::Finished;
        bool wrapped = false;     // the step passed the end of the publication
        int32_t matchStart = 0;   // Selected, Unshown: the match's 0-based position in its story
    };

    struct Match {
        int32_t start = 0;
        int16_t length = 0;
    };

    /// A place in the publication: a story and a 0-based position in it.
    struct Place {
        int32_t story = 0;
        int64_t position = 0;

        friend auto operator<=>(const Place&, const Place&) = default;
    };

    Result<Step> findStep(const std::u16string& findText, bool matchCase, bool wholeWord, bool noWrapPrompt,
                          UnshownMatches unshown);
    /// Reads the story at StoryIndex, reloads the buffer when it no longer mirrors
    /// the story, and finds the text there; a length of 0 means no match.
    Result<Match> searchStory(const std::u16string& findText, int options, const std::u16string& newSearchMask);
    /// Selects the match, walking the pages until one shows it, and masks it in
    /// the buffer: Selected, or Unshown when no page shows it.
    Result<Step> selectMatch(const std::u16string& findText, Match match, bool wrapped);
    Step errorBox(const RaisedError& error, bool wrapped);
    /// The rest of a replacement pass once the host write is done (`replaced`) or
    /// has failed: the replacement's mask into the buffer, then the next match.
    /// A failure is told in a box without a title.
    Step findAfterWrite(const std::u16string& findText, const std::u16string& replaceText, bool matchCase,
                        bool wholeWord, bool quiet, bool replaced, UnshownMatches unshown);
    /// Tells a failure of the replace operations: the run-time error box without a title.
    Step failureBox(const RaisedError& error);
    /// Puts the replacement's mask into the buffer: over the match mask that the
    /// last find left before the insertion point, so that the buffer mirrors the
    /// changed story and the search goes on after the replacement; anywhere else
    /// into the buffer's selection.
    static void writeReplacementMask(SearchBuffer& buffer, size_t findLength, const std::u16string& mask);
    /// The buffer position of the match that the last find selected and masked,
    /// when the buffer still shows it just before its insertion point.
    static std::optional<int32_t> justMaskedMatch(const SearchBuffer& buffer, size_t findLength);
    /// Puts the search just after `match`, as the step that selected it left
    /// it, when later steps have moved it on: the story that holds the match
    /// in the buffer, masked up to the match's end. False when that story
    /// cannot be read or no longer reaches that far.
    bool resumeAfter(const Place& match, size_t findLength);

    SearchState state_;
    /// The match that the running search last selected. The buffer shows it
    /// only until a later step moves on without selecting anything; Replace
    /// All starts from it all the same.
    std::optional<Place> selected_;
    HostChain host_;
    GuardedMessages messages_;
    SearchBufferSource& buffers_;
};

}  // namespace quillet
