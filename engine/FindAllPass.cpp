#include "engine/FindAllPass.h"

#include <set>

#include "engine/FailureBox.h"
#include "engine/FramePages.h"
#include "engine/memory/MaskedStory.h"

namespace quillet {

FindAllReport FindAllPass::run(FoundList& list, uint64_t& nextRow) {
    memory_.unmarkFound(list.rowIds());
    list.rows.clear();
    list.judgedAgainst.clear();
    list.incomplete = false;

    std::vector<std::u16string> texts;
    Status done = findIn(list, nextRow, texts);
    if (done) done = placeOnPages(list, texts);
    if (!done) {
        list.incomplete = true;
        showFailureBox(messages_, done.error());
    }

    FindAllReport report;
    report.found = static_cast<int64_t>(list.rows.size());
    std::set<int32_t> stories;
    for (const FoundRow& row : list.rows) {
        stories.insert(row.story);
        if (row.onNoPage) ++report.onNoPage;
    }
    report.stories = static_cast<int32_t>(stories.size());
    report.incomplete = list.incomplete;
    return report;
}

Status FindAllPass::findIn(FoundList& list, uint64_t& nextRow, std::vector<std::u16string>& texts) {
    if (Status counted = search_.recount(); !counted) return counted;
    const Job* job = list.job ? &*list.job : nullptr;
    for (int32_t story = 1; story <= state_.StoryCount; ++story) {
        auto text = host_.storyText(story);
        if (!text) return text.error();
        if (Status followed = search_.follow(story, *text); !followed) return followed;
        SearchBuffer buffer;
        search_.loadMasked(buffer, story, *text, job);
        std::vector<std::pair<uint64_t, Span>> marks;
        for (const Span& found : occurrencesIn(buffer, list.request.text, list.request.options)) {
            FoundRow row;
            row.id = nextRow++;
            row.story = story;
            row.span = found;
            row.context = contextLineOf(*text, found);
            marks.emplace_back(row.id, found);
            list.rows.push_back(std::move(row));
        }
        memory_.markFound(story, *text, marks);
        list.judgedAgainst[story] = *text;
        texts.push_back(std::move(*text));
    }
    return {};
}

Status FindAllPass::placeOnPages(FoundList& list, const std::vector<std::u16string>& texts) {
    if (list.rows.empty()) return {};
    // The rows of each story, in order of place.
    std::map<int32_t, std::vector<size_t>> ofStory;
    for (size_t r = 0; r < list.rows.size(); ++r) ofStory[list.rows[r].story].push_back(r);
    size_t placed = 0;
    std::vector<size_t> onThisPage;

    FramePages pages(host_, texts);
    auto wanted = [&](const std::vector<ShownStretch>& stretches) {
        onThisPage.clear();
        for (const ShownStretch& stretch : stretches) {
            const auto rows = ofStory.find(stretch.story);
            if (rows == ofStory.end()) continue;
            for (const size_t r : rows->second) {
                FoundRow& row = list.rows[r];
                const bool inside = row.span.start >= stretch.span.start && row.span.start < stretch.span.end();
                if (!inside || row.page) continue;
                row.page = stretch.page;
                onThisPage.push_back(r);
                ++placed;
            }
        }
        return !onThisPage.empty();
    };
    auto numbered = [&](const std::u16string& number) {
        for (const size_t r : onThisPage) list.rows[r].pageNumber = number;
    };
    auto walked = pages.walk(wanted, numbered, [&] { return placed == list.rows.size(); });
    if (!walked) return walked.error();
    // Only where the shapes told every page is the rest known to be on none.
    if (*walked) {
        for (FoundRow& row : list.rows) row.onNoPage = !row.page;
    }
    return {};
}

}  // namespace quillet
