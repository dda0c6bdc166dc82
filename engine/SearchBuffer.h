#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/TextMatcher.h"

namespace quillet {

/// Find options, as the engine passes them: a sum of these bits.
namespace findopt {
inline constexpr int kWholeWord = 2;
inline constexpr int kMatchCase = 4;
}  // namespace findopt

/// The engine's private copy of one story: exact content (nothing converted,
/// CR and LF kept), a selection, and a find. Positions are 0-based UTF-16
/// code units, the same positions as in the story.
class SearchBuffer {
public:
    /// The content becomes `text`; the selection becomes empty at 0.
    void load(std::u16string text);
    const std::u16string& content() const { return content_; }

    std::u16string selectedText() const;
    int32_t selStart() const { return selStart_; }
    int32_t selLength() const { return selLength_; }

    /// Sets the selection; `start` and `length` are clamped to the content.
    void select(int32_t start, int32_t length);

    /// Replaces the selected characters with `text`; the selection becomes
    /// empty just after the inserted text.
    void replaceSelection(std::u16string_view text);

    /// Selects the first occurrence of `text` in the whole content under
    /// `options` (findopt bits) and returns its position; leaves the selection
    /// unchanged and returns -1 when there is none or `text` is empty.
    ///
    /// Without kMatchCase, code points compare under Unicode simple case
    /// folding. With kWholeWord, the code points just before and after the
    /// occurrence must not be word characters (letters, marks, digits, connector
    /// punctuation). An occurrence never begins or ends inside a surrogate pair.
    int32_t find(std::u16string_view text, int options);

private:
    /// Forgets what earlier finds proved about the content.
    void forgetFinds();

    std::u16string content_;
    int32_t selStart_ = 0;
    int32_t selLength_ = 0;

    // What the last find proved: no occurrence of memoText_ under memoOptions_
    // begins before memoNoMatchBefore_. Edits only lower that bound, by the
    // reach of an occurrence's window and its boundary code points, so a find
    // that resumes there gives the same answer as a scan from position 0.
    std::u16string memoText_;
    int memoOptions_ = -1;
    int64_t memoNoMatchBefore_ = 0;
    // memoText_ prepared for scanning, kept so a repeated find neither folds
    // nor allocates again.
    TextMatcher matcher_;
};

}  // namespace quillet
