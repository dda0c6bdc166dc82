#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/text/FindPattern.h"
#include "engine/text/FindRequest.h"
#include "engine/text/Position.h"
#include "engine/text/SameText.h"
#include "engine/text/TextMatcher.h"
#include "engine/text/WholeWord.h"

namespace quillet {

/// U+00A9, the character that the buffer shows in place of every mask.
inline constexpr char16_t kMaskChar = u'\u00A9';

/// The engine's private copy of one story: exact content (nothing converted,
/// CR and LF kept), a selection, and a find. Positions are 0-based UTF-16
/// code units, the same positions as in the story.
///
/// The engine marks what it has visited or written with masks. A mask is the
/// buffer's own mark, never text: it shows as kMaskChar, no occurrence ever
/// covers one, and it remembers the story's characters that it stands for. A
/// kMaskChar loaded from a story is an ordinary character. Whole words are
/// judged on what a visited mask stands for, and at the edges of a written
/// mask on the text that the writing replaced.
class SearchBuffer {
public:
    /// The content becomes `text`, without masks; the selection becomes empty at 0.
    void load(std::u16string text);
    /// The content as the buffer shows it: every mask as kMaskChar.
    std::u16string content() const;
    /// The content's length.
    int32_t length() const { return static_cast<int32_t>(text_.size()); }
    /// The story's characters that the buffer holds, masked or not.
    std::u16string_view story() const { return text_; }
    /// Whether the buffer holds `story`: its characters where they show, and
    /// what the masks stand for where they mask it.
    bool mirrors(std::u16string_view story) const { return sameText(text_, story); }

    std::u16string selectedText() const;
    int32_t selStart() const { return selStart_; }
    int32_t selLength() const { return selLength_; }

    /// Sets the selection; `start` and `length` are clamped to the content.
    void select(int32_t start, int32_t length);

    /// Replaces the selected characters with masks, one for each unit of
    /// `standsFor`, that stand for `standsFor`: what the story holds there
    /// now. The selection becomes empty just after them.
    void maskSelection(std::u16string_view standsFor);
    /// As maskSelection, for text that the engine wrote over the selection:
    /// `written` is what the story holds there now, and whole words see
    /// `replaced`'s edges at its edges (and, for writing in doubt, the
    /// content's own too). An empty `written` leaves a seam: no occurrence
    /// spans the place.
    void maskWritten(std::u16string_view written, WordEdges replaced);

    /// Selects the first occurrence of `text` under `options` that covers no
    /// mask and spans no seam, and returns its position; leaves the
    /// selection unchanged and returns -1 when there is none or `text` is
    /// empty.
    ///
    /// A text with a caret may hold codes (FindPattern); its occurrences
    /// have lengths of their own. Without matchCase, code points compare
    /// under Unicode simple case folding. With wholeWord, the code points
    /// just before and after the occurrence must not be word characters
    /// (letters, marks, digits, connector punctuation). An occurrence never
    /// begins or ends inside a surrogate pair.
    int32_t find(std::u16string_view text, FindOptions options);
    /// The first occurrence, as find judges it, that begins at or after
    /// `from`; the selection stays as it is.
    std::optional<Span> findFrom(std::u16string_view text, FindOptions options, Position from);

private:
    /// Masked characters [start, end), or a seam where start == end. Fences are
    /// sorted and do not overlap, so their ends rise with their starts.
    struct Fence {
        Position start = 0;
        Position end = 0;
        /// What an occurrence that ends at `start` sees just after it, and
        /// one that begins at `end` just before it; kNoCodePoint: the
        /// content's own code point there.
        char32_t seenAfterStart = kNoCodePoint;
        char32_t seenBeforeEnd = kNoCodePoint;
        /// Whether the content's own code point must make a whole word there too.
        bool afterStartInDoubt = false;
        bool beforeEndInDoubt = false;
    };

    /// `length` units of the content from `start`, masks shown as kMaskChar.
    std::u16string shown(Position start, Position length) const;
    /// Puts `fence` in the place of the selection after its characters
    /// became `standsFor`.
    void maskSelectionWith(std::u16string_view standsFor, Fence fence);
    /// The first fence that an occurrence of `length` units at `at` would
    /// touch, or null when it touches none.
    const Fence* fenceAcross(Position at, Position length) const;
    /// Whether the occurrence of `length` units at `at` is a whole word.
    bool isWholeWordAt(Position at, Position length) const;
    /// Puts `fence` in the place of `replacedLength` units from `start` and
    /// moves the fences after it by the change of length.
    void replaceFences(Position start, Position replacedLength, Fence fence);
    /// Prepares the matcher for `text` under `options`, unless it is ready.
    void prepare(std::u16string_view text, FindOptions options);
    /// The first occurrence at or after `from` of the prepared text.
    std::optional<Span> scanFrom(Position from) const;
    /// The first match of the prepared text at or after `from`, fences and
    /// whole words aside.
    std::optional<Span> candidateFrom(Position from) const;

    /// The story's characters: what the content shows, and what each mask
    /// stands for where it shows a mask.
    std::u16string text_;
    std::vector<Fence> fences_;
    int32_t selStart_ = 0;
    int32_t selLength_ = 0;

    // The prepared text: memoText_ under memoOptions_, kept so that a
    // repeated find neither folds nor allocates again; a text with codes as
    // a pattern, any other as a plain needle.
    std::u16string memoText_;
    std::optional<FindOptions> memoOptions_;
    TextMatcher matcher_;
    std::optional<FindPattern> pattern_;
    // What the last find proved: no occurrence of the prepared text begins
    // before memoNoMatchBefore_. Edits only lower that bound, by the reach of
    // an occurrence's window and its boundary code points, so a find that
    // resumes there gives the same answer as a scan from position 0. A
    // pattern reaches as far as a run of white space goes: an edit sends it
    // back to the start.
    Position memoNoMatchBefore_ = 0;
};

}  // namespace quillet
