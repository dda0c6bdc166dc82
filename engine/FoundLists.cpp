#include "engine/FoundLists.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "engine/EngineTexts.h"
#include "engine/FailureBox.h"
#include "engine/text/ContextLine.h"

namespace quillet {

FindAllReport FoundLists::fill(FoundList& list, const FindRequest& find, const Job* job) {
    list.request = find;
    list.job = job ? std::optional(*job) : std::nullopt;
    if (std::find(lists_.begin(), lists_.end(), &list) == lists_.end()) lists_.push_back(&list);
    return findAll_.run(list, nextRow_);
}

void FoundLists::forget(const FoundList& list) {
    memory_.unmarkFound(list.rowIds());
    std::erase(lists_, &list);
}

void FoundLists::follow() {
    for (FoundList* list : lists_) follow(*list);
}

void FoundLists::follow(FoundList& list) {
    const std::map<uint64_t, StoryMemory::Match> marks = memory_.foundMarks();
    std::map<int32_t, std::vector<FoundRow*>> ofStory;
    for (FoundRow& row : list.rows) {
        if (row.stale) continue;
        const auto mark = marks.find(row.id);
        if (mark == marks.end()) {
            row.stale = true;
            continue;
        }
        row.story = mark->second.story;
        row.span = mark->second.span;
        ofStory[row.story].push_back(&row);
    }
    // Where two rows came to stand on one occurrence (their text boxes
    // came to read alike), the later row stands for nothing more.
    std::set<uint64_t> gone;
    for (auto& [story, rows] : ofStory) {
        std::stable_sort(rows.begin(), rows.end(), [](const FoundRow* a, const FoundRow* b) { return a->span.start < b->span.start; });
        Position upTo = -1;
        std::erase_if(rows, [&](FoundRow* row) {
            const bool overlaps = row->span.start < upTo;
            if (overlaps) {
                row->stale = true;
                gone.insert(row->id);
            } else {
                upTo = row->span.end();
            }
            return overlaps;
        });
    }
    // A row that still stands is judged again when its story reads otherwise
    // than when it was last judged: it must still read as an occurrence.
    const Job* job = list.job ? &*list.job : nullptr;
    for (auto& [story, rows] : ofStory) {
        const auto text = memory_.textOf(story);
        if (!text) continue;
        const auto judged = list.judgedAgainst.find(story);
        if (judged != list.judgedAgainst.end() && judged->second == *text) continue;
        SearchBuffer buffer;
        search_.loadMasked(buffer, story, std::u16string(*text), job);
        for (FoundRow* row : rows) {
            if (buffer.findFrom(list.request.text, list.request.options, row->span.start) != row->span) {
                row->stale = true;
                gone.insert(row->id);
                continue;
            }
            row->context = contextLineOf(*text, row->span);
        }
        list.judgedAgainst[story] = std::u16string(*text);
    }
    memory_.unmarkFound(gone);
}

std::vector<FoundRow*> FoundLists::rowsWithoutPage(const std::function<bool(const FoundRow&)>& where) {
    std::vector<FoundRow*> rows;
    for (FoundList* list : lists_) {
        follow(*list);
        for (FoundRow& row : list->rows) {
            if (!row.stale && !row.page && where(row)) rows.push_back(&row);
        }
    }
    return rows;
}

void FoundLists::learnPageOfCurrentMatch() {
    const auto current = memory_.currentMatch();
    if (!current) return;
    const std::vector<FoundRow*> learning = rowsWithoutPage(
        [&](const FoundRow& row) { return row.story == current->story && row.span == current->span; });
    if (learning.empty()) return;
    // A page that cannot be told now is told by a later pick or find.
    auto page = host_.displayedPage();
    if (!page) return;
    auto place = walk_.placeOf(*page);
    auto number = (*page)->number();
    if (!place || !number) return;
    for (FoundRow* row : learning) {
        row->page = *place;
        row->pageNumber = *number;
    }
}

void FoundLists::learnOnNoPage(const std::set<std::pair<int32_t, Position>>& passedOver) {
    if (passedOver.empty()) return;
    for (FoundRow* row : rowsWithoutPage([&](const FoundRow& row) { return passedOver.contains({row.story, row.span.start}); }))
        row->onNoPage = true;
}

FoundLists::PickOutcome FoundLists::goTo(FoundList& list, size_t index) {
    if (index >= list.rows.size() || list.rows[index].stale) return PickOutcome::NoLongerFound;
    auto reached = [&]() -> Result<PickOutcome> {
        // The story count is not read: reading the row's story tells as
        // much as a pick needs, and the next search counts again.
        if (Status checked = search_.checkPublicationOnce(); !checked) return checked.error();
        // The row as what is remembered now says, when it still stands.
        auto standing = [&]() -> const FoundRow* {
            follow(list);
            return list.rows[index].stale ? nullptr : &list.rows[index];
        };
        const FoundRow* row = standing();
        if (!row) return PickOutcome::NoLongerFound;
        auto text = host_.storyText(row->story);
        if (!text) {
            // Text boxes may have gone since: counted, the memory finds
            // where the row's story went, if anywhere.
            if (Status counted = search_.recount(); !counted) return counted.error();
            if (!(row = standing())) return PickOutcome::NoLongerFound;
            text = host_.storyText(row->story);
            if (!text) return text.error();
        }
        if (Status followed = search_.follow(row->story, *text); !followed) return followed.error();
        if (!(row = standing())) return PickOutcome::NoLongerFound;
        // The shapes told every page: no walk would find it on one.
        if (row->onNoPage) return PickOutcome::OnNoPage;
        // Its page displayed first, the selection needs no walk.
        if (row->page) {
            if (Status shown = host_.displayPage(*row->page); !shown) return shown.error();
        }
        auto selection = walk_.select(row->story, row->span);
        if (!selection) return selection.error();
        if (selection->outcome == PageWalk::Outcome::OnNoPage) {
            // The walk tried every page.
            list.rows[index].onNoPage = true;
            return PickOutcome::OnNoPage;
        }
        if (selection->outcome == PageWalk::Outcome::Refused) {
            showFailureBox(messages_, selection->refusal, texts::kErrorTitle);
            return PickOutcome::NotSelected;
        }
        const Job* job = list.job ? &*list.job : nullptr;
        if (Status current = search_.goTo(list.request.text, job, row->story, *text, row->span); !current)
            return current.error();
        learnPageOfCurrentMatch();
        return PickOutcome::Selected;
    }();
    if (!reached) {
        showFailureBox(messages_, reached.error());
        return PickOutcome::NotSelected;
    }
    return *reached;
}

ReplaceAllReport FoundLists::replaceChecked(FoundList& list, const Job& job, ReplaceOptions options,
                                            ReplaceAllProgress* progress) {
    std::set<int32_t> stories;
    for (const FoundRow& row : list.rows) {
        if (row.checked && !row.stale) stories.insert(row.story);
    }
    // A story's rows are chosen once it is read: what they stand for then.
    auto chosen = [&](int32_t story) {
        follow(list);
        std::vector<ChosenOccurrence> spans;
        for (const FoundRow& row : list.rows) {
            if (row.checked && !row.stale && row.story == story) spans.push_back({row.span, row.id});
        }
        return spans;
    };
    ReplaceAllReport report = replaceAll_.runChosen(job, list.request.options, options,
                                                    std::vector<int32_t>(stories.begin(), stories.end()), chosen,
                                                    progress);
    const std::set<uint64_t> written(report.writtenTags.begin(), report.writtenTags.end());
    memory_.unmarkFound(written);
    std::erase_if(list.rows, [&](const FoundRow& row) { return written.contains(row.id); });
    follow(list);
    report.noLongerFound = std::count_if(list.rows.begin(), list.rows.end(),
                                         [](const FoundRow& row) { return row.checked && row.stale; });
    return report;
}

}  // namespace quillet
