#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/SameText.h"
#include "engine/TextMatcher.h"

namespace quillet {

/// U+00A9, the character that the buffer shows in place of every mask.
inline constexpr char16_t kMaskChar = u'\u00A9';

/// The engine's private copy of one story: exact content (nothing converted,
/// CR and LF kept), a selection, and a find. Positions are 0-based UTF-16
/// code units, the same positions as in the story.
///
/// The engine marks what it has visited or written with masks. A mask is the
/// buffer's own mark, never text: it shows as kMaskChar, no occurrence ever
/// covers one, and it remembers the story's character that it stands for, on
/// which whole words are judged. A kMaskChar loaded from a story is an
/// ordinary character.
class SearchBuffer {
public:
    /// The content becomes `text`, without masks; the selection becomes empty at 0.
    void load(std::u16string text);
    /// The content as the buffer shows it: every mask as kMaskChar.
    std::u16string content() const;
    /// The content's length.
    int32_t length() const { return static_cast<int32_t>(text_.size()); }
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
    /// now. The selection becomes empty just after them. An empty `standsFor`
    /// removes the selection and leaves a seam: no occurrence spans the place.
    void maskSelection(std::u16string_view standsFor);

    /// Selects the first occurrence of `text` under `options`
    /// that covers no mask and spans no seam, and returns its position; leaves
    /// the selection unchanged and returns -1 when there is none or `text` is
    /// empty.
    ///
    /// Without matchCase, code points compare under Unicode simple case
    /// folding. With wholeWord, the code points just before and after the
    /// occurrence must not be word characters (letters, marks, digits,
    /// connector punctuation); a mask counts as what it stands for. An
    /// occurrence never begins or ends inside a surrogate pair.
    int32_t find(std::u16string_view text, FindOptions options);

private:
    /// Masked characters [start, end), or a seam where start == end. Fences are
    /// sorted and do not overlap, so their ends rise with their starts.
    struct Fence {
        int64_t start = 0;
        int64_t end = 0;
    };

    /// `length` units of the content from `start`, masks shown as kMaskChar.
    std::u16string shown(int64_t start, int64_t length) const;
    /// The first fence that an occurrence of `length` units at `at` would
    /// touch, or null when it touches none.
    const Fence* fenceAcross(int64_t at, int64_t length) const;
    /// Puts `fence` in the place of the selection, `replacedLength` long
    /// before the change, and moves the fences after it by the change.
    void replaceFences(int64_t start, int64_t replacedLength, Fence fence);
    /// Forgets what earlier finds proved about the content.
    void forgetFinds();

    /// The story's characters: what the content shows, and what each mask
    /// stands for where it shows a mask.
    std::u16string text_;
    std::vector<Fence> fences_;
    int32_t selStart_ = 0;
    int32_t selLength_ = 0;

    // What the last find proved: no occurrence of memoText_ under memoOptions_
    // begins before memoNoMatchBefore_. Edits only lower that bound, by the
    // reach of an occurrence's window and its boundary code points, so a find
    // that resumes there gives the same answer as a scan from position 0.
    std::u16string memoText_;
    std::optional<FindOptions> memoOptions_;
    int64_t memoNoMatchBefore_ = 0;
    // memoText_ prepared for scanning, kept so a repeated find neither folds
    // nor allocates again.
    TextMatcher matcher_;
};

}  // namespace quillet
