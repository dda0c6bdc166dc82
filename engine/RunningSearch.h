#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/HostChain.h"
#include "engine/PageWalk.h"
#include "engine/SearchBufferSource.h"
#include "engine/SearchState.h"
#include "engine/memory/StoryMemory.h"
#include "engine/text/FindRequest.h"
#include "platform/MessageBox.h"

namespace quillet {

/// The search as it runs from press to press, shared by every caller: its
/// steps, as FindNext makes them, from where it stands to the next
/// occurrence, which a step selects in the publication, wrapping at the end
/// of the publication as asked; and where it goes on after Replace or
/// Replace All wrote. It alone moves SearchState: the replace jobs read it.
///
/// The search's place is SearchState and the buffer's masked copy of the
/// current story (the masks hold the search's position: an occurrence
/// visited is masked, and the next find passes over it). A step never
/// selects text that the job it serves wrote (StoryMemory): a reloaded story
/// gets that writing back as masks.
class RunningSearch {
public:
    RunningSearch(SearchState& state, StoryMemory& memory, HostChain& host, PageWalk& walk, MessageBoxPort& messages,
                  SearchBufferSource& buffers)
        : state_(state), memory_(memory), host_(host), walk_(walk), messages_(messages), buffers_(buffers) {}

    enum class Outcome {
        Selected,    // an occurrence is selected in the publication and masked in the buffer
        Finished,    // the search is over: declined, or the end reached twice
        NoText,      // the publication has no stories (and the user was told)
        ErrorShown,  // the selection failed, and the "Error" box told why
    };
    /// What one step came to.
    struct Step {
        Outcome outcome = Outcome::Finished;
        /// Occurrences that no page shows, passed over on the way, each
        /// once: their stories and where they begin.
        std::set<std::pair<int32_t, Position>> passedOver;
    };

    /// Goes from where the search stands to the next occurrence of `find`,
    /// passing over what `job` (if any) wrote. At the end of the publication
    /// it asks whether to go on from the first story, or with `noWrapPrompt`
    /// goes on once per step without asking. An occurrence that no page
    /// shows is masked and passed over. Failures outside the selection go to
    /// the caller.
    Result<Step> step(const FindRequest& find, const Job* job, bool noWrapPrompt);

    /// A press begins: its first recount asks whether the publication is the last press's.
    void pressBegins() { publicationChecked_ = false; }
    /// First in a press, whether the active publication is the one of the
    /// last press (see recount); nothing more is read.
    Status checkPublicationOnce();
    /// The story count read, what is remembered brought up to it, and the
    /// search's story followed to where it went. First in a press, whether
    /// the active publication is the one of the last press: what is
    /// remembered of another is forgotten and the buffer loaded again; where
    /// it cannot be told, edits leave the job's writing in doubt.
    Status recount();
    /// `story` read `text` now: what is remembered follows it (and, when it
    /// tells that text boxes moved, every story is read to follow them).
    Status follow(int32_t story, std::u16string_view text);

    /// Starts a step for `findText`: the new search's mask (empty when the
    /// running search goes on), or nothing when the publication has no
    /// stories to begin one in (and the user was told).
    Result<std::optional<std::u16string>> begin(const std::u16string& findText);

    /// A copy of the search's buffer when it holds `story`, which reads
    /// `text`, with `job`'s writing masked: it passes over what the search
    /// has visited there.
    std::optional<SearchBuffer> runningBuffer(int32_t story, const std::u16string& text, const Job& job);
    /// Makes the search stand in `story`, which reads `text`, with nothing
    /// visited and `job`'s writing masked: where a step for `job` that
    /// found nothing more ends.
    Status standAt(int32_t story, const std::u16string& text, const Job& job);

    /// Makes `match` of `story`, which reads `text`, the search's current
    /// match for `findText`, as if a step had just selected it: the next
    /// step goes on after it, passing over `job`'s writing.
    Status goTo(const std::u16string& findText, const Job* job, int32_t story, const std::u16string& text, Span match);

    /// `job` has just written `written` over `occurrence` of `story`, which
    /// read `before` and reads `after` now: the search goes on just after
    /// what it wrote, in that story, as a search for `job`'s find text.
    /// `wasCurrentMatch`: the occurrence was the running search's current match.
    Status goOnAfterWrite(const Job& job, int32_t story, const std::u16string& before, const std::u16string& after,
                          Span occurrence, const std::u16string& written, bool wasCurrentMatch);

    /// `job` has just written `rewrites` (in order) into `story`, which read
    /// `before` and reads `after` now, wherever the search stood: where the
    /// buffer holds that story, the writing is masked there as the job's,
    /// and the search goes on where it stood.
    void tookWrites(const Job& job, int32_t story, const std::u16string& before, const std::u16string& after,
                    const std::vector<Rewrite>& rewrites);

    /// Loads `text`, the text of `story`, into `buffer` with what `job` (if
    /// any) wrote there masked.
    void loadMasked(SearchBuffer& buffer, int32_t story, std::u16string text, const Job* job) const;

private:
    /// Searches the stories from StoryIndex to the last; nothing when the
    /// step passed the last story without selecting.
    Result<std::optional<Outcome>> searchToTheEnd(const FindRequest& find, const Job* job,
                                                           std::u16string& newSearchMask,
                                                           std::set<std::pair<int32_t, Position>>& passedOver);
    /// At the end of the publication: whether to go on from the first story.
    bool goOnFromTheStart(bool noWrapPrompt, bool& wrappedOnce);
    /// Takes in whether the active publication is the one of the last press.
    Status checkPublication();
    /// Makes the search go on in `story`, with an empty buffer.
    Status moveTo(int64_t story);
    /// Reads a story's text for what is remembered.
    StoryMemory::StoryReader storyReader();
    /// Reads the story at StoryIndex, reloads the buffer when it no longer
    /// mirrors the story, and finds there; nothing when it holds no further occurrence.
    Result<std::optional<Span>> searchStory(const FindRequest& find, const Job* job,
                                                     const std::u16string& newSearchMask);
    /// Masks the occurrence that the find selected in the buffer as visited.
    Status maskVisited(const std::u16string& findText, Span occurrence);

    SearchState& state_;
    StoryMemory& memory_;
    HostChain& host_;
    PageWalk& walk_;
    MessageBoxPort& messages_;
    SearchBufferSource& buffers_;
    /// The job whose writing the buffer masks; a step for another one loads the story again.
    std::optional<Job> maskedFor_;
    /// The buffer holds another publication's story: it is loaded again.
    bool reloadBuffer_ = false;
    bool publicationChecked_ = false;
};

}  // namespace quillet
