#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "simhost/Scenario.h"

namespace quillet::testing {

/// What a careful observer of the user's steps knows of the running search:
/// the dialogs' texts and options, the options of the press being carried
/// out, and what the search has written where. With it, every write can be
/// checked to cover an occurrence under the options of its press and never
/// the search's own output, and every "Replace complete!" to leave no
/// occurrence behind.
class SearchTracker {
public:
    /// Before a step is carried out; `selection` is the publication's selection then.
    void beforeStep(const simhost::Step& step, const std::optional<simhost::SelectionModel>& selection);
    /// The step was ignored: nothing that it would have done happened.
    void stepIgnored() { state_ = beforeStep_; }
    /// The user changed the stories, or opened another publication: what the
    /// search wrote into a story that reads otherwise now is ordinary text.
    void storiesChanged(const std::vector<std::u16string>& before, const std::vector<std::u16string>& after);

    /// A write of `written` characters over `length` characters of the
    /// 1-based `story` from the 0-based `start`; `before` is the story's text
    /// just before it. Returns what is wrong with the write, if anything.
    std::optional<std::string> write(int32_t story, const std::u16string& before, size_t start, size_t length,
                                     size_t written);
    /// A selection of `length` characters of the 1-based `story` from the
    /// 0-based `start`, whose text is `story` now. Returns what is wrong with
    /// it, if anything: a search selects only occurrences.
    std::optional<std::string> select(int32_t story, const std::u16string& text, size_t start, size_t length) const;
    /// What is wrong with saying "Replace complete!" over `stories`, if anything.
    std::optional<std::string> complete(const std::vector<std::u16string>& stories) const;

private:
    struct Dialog {
        std::u16string findText;
        bool matchCase = false;
        bool wholeWord = false;
    };
    /// A span that the search wrote: 0-based start and length.
    struct Written {
        size_t start = 0;
        size_t length = 0;
    };
    struct State {
        Dialog findDialog;
        Dialog replaceDialog;
        /// The find text of the running search, once a press has started one.
        std::optional<std::u16string> search;
        /// The dialog as it was at the press being carried out.
        std::optional<Dialog> searching;
        /// The Replace dialog as it was at the press being carried out, when
        /// that press may write.
        std::optional<Dialog> press;
        /// For one Replace: the selection that it may write over, if any.
        std::optional<simhost::SelectionModel> pressedOver;
        bool replacesAll = false;
        std::map<int32_t, std::vector<Written>> written;
    };

    Dialog* dialog(const std::string& form);
    /// A press that searches for `findText`: another text starts a new search.
    void searchFor(const std::u16string& findText);
    static bool occursAt(const std::u16string& story, size_t at, const Dialog& press);
    static bool touchesWritten(const std::vector<Written>& spans, size_t start, size_t length);

    State state_;
    State beforeStep_;
};

}  // namespace quillet::testing
