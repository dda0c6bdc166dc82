#include "engine/Module1.h"

#include <algorithm>
#include <set>

#include "engine/Counts.h"
#include "engine/EngineTexts.h"
#include "engine/FailureBox.h"
#include "engine/InDoubtTexts.h"
#include "engine/SixteenBit.h"
#include "engine/memory/MaskedStory.h"
#include "engine/text/ContextLine.h"
#include "engine/text/CaretCodes.h"

namespace quillet {

Module1::Module1(EnginePorts ports)
    : host_(ports.applicationClass),
      restorer_(host_, ports.messages),
      messages_(ports.messages, host_, restorer_),
      walk_(host_, restorer_),
      search_(state_, memory_, host_, walk_, messages_, ports.buffers),
      replacer_(state_, memory_, host_, restorer_, search_),
      replaceAll_(state_, memory_, host_, restorer_, messages_, search_),
      findAll_(state_, memory_, host_, search_, messages_) {}

Module1::Press::Press(Module1& engine) : engine_(engine) {
    engine_.restorer_.retryPending();
    engine_.search_.pressBegins();
}

Module1::Press::~Press() {
    engine_.follow();
    engine_.restorer_.restore();
    engine_.host_.forget();
}

const Job* Module1::jobOf(const std::u16string& findText, const std::u16string* replaceText) {
    if (!replaceText) return nullptr;
    job_ = Job{findText, *replaceText};
    return &*job_;
}

FindNextReport Module1::reportOf(const RunningSearch::Step& step, const FindRequest& find, const Job* job) const {
    FindNextReport report{step.outcome == RunningSearch::Outcome::Finished, step.passedOver};
    if (!report.finished || !job) return report;
    for (const StoryMemory::InDoubt& story : memory_.inDoubt(*job))
        report.leftInDoubt += occurrencesLeftInDoubt(story.text, story.spans, find.text, find.options);
    return report;
}

Result<FindNextReport> Module1::FindNext(const FindRequest& find, bool noWrapPrompt,
                                         const std::u16string* replaceText) {
    const Press press(*this);
    const Job* job = jobOf(find.text, replaceText);
    auto step = search_.step(find, job, noWrapPrompt);
    if (!step) return step.error();
    if (step->outcome == RunningSearch::Outcome::Selected) learnPageOfCurrentMatch();
    return reportOf(*step, find, job);
}

std::optional<std::u16string> Module1::SelectionForFindBox() {
    const Press press(*this);
    auto selected = host_.selection();
    if (!selected || selected->text.empty() || selected->text.size() > 255) return std::nullopt;
    // Paragraph ends and line breaks, as a story holds them.
    if (selected->text.find_first_of(u"\r\n\v\u2028\u2029") != std::u16string::npos) return std::nullopt;
    return literalFindText(selected->text);
}

FindNextReport Module1::ReplaceAndFindNext(const FindRequest& find, const std::u16string& replaceText, bool quiet,
                                           ReplaceOptions options) {
    const Press press(*this);
    const Job& job = *jobOf(find.text, &replaceText);
    // A find text that the search cannot mask would fail right after the
    // write; it fails before it instead.
    if (auto fits = maskFits(find.text.size()); !fits) {
        showFailureBox(messages_, fits.error());
        return {};
    }
    // Nothing written, for whatever reason, is passed over: the search still moves on.
    (void)replacer_.replace(job, find.options, options);
    auto step = search_.step(find, &job, /*noWrapPrompt=*/true);
    if (!step) {
        showFailureBox(messages_, step.error());
        return {};
    }
    const FindNextReport report = reportOf(*step, find, &job);
    if (report.finished && !quiet)
        messages_.show(allReplaced(find.text, replaceText, report), msgbox::kOkInformation, texts::kTitle);
    return report;
}

ReplaceAllReport Module1::ReplaceAll(const FindRequest& find, const std::u16string& replaceText,
                                     ReplaceOptions options, ReplaceAllProgress* progress) {
    const Press press(*this);
    return replaceAll_.run(*jobOf(find.text, &replaceText), find.options, options, progress);
}

FindAllReport Module1::FindAll(const FindRequest& find, const std::u16string* replaceText, FoundList& list) {
    const Press press(*this);
    list.request = find;
    const Job* job = jobOf(find.text, replaceText);
    list.job = job ? std::optional(*job) : std::nullopt;
    if (std::find(lists_.begin(), lists_.end(), &list) == lists_.end()) lists_.push_back(&list);
    return findAll_.run(list, nextRow_);
}

void Module1::forgetList(const FoundList& list) {
    std::set<uint64_t> rows;
    for (const FoundRow& row : list.rows) rows.insert(row.id);
    memory_.unmarkFound(rows);
    std::erase(lists_, &list);
}

void Module1::follow() {
    for (FoundList* list : lists_) follow(*list);
}

void Module1::follow(FoundList& list) {
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
    // A row that still stands is judged again when its story reads otherwise
    // than when it was last judged: it must still read as an occurrence.
    std::set<uint64_t> gone;
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

void Module1::learnPageOfCurrentMatch() {
    const auto current = memory_.currentMatch();
    if (!current) return;
    std::vector<FoundRow*> learning;
    for (FoundList* list : lists_) {
        follow(*list);
        for (FoundRow& row : list->rows) {
            if (!row.stale && !row.page && row.story == current->story && row.span == current->span) learning.push_back(&row);
        }
    }
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

Module1::PickOutcome Module1::GoToFound(FoundList& list, size_t index) {
    const Press press(*this);
    if (index >= list.rows.size() || list.rows[index].stale) return PickOutcome::NoLongerFound;
    auto reached = [&]() -> Result<PickOutcome> {
        // The story count is not read: reading the row's story tells as
        // much as a pick needs, and the next search counts again.
        if (Status checked = search_.checkPublicationOnce(); !checked) return checked.error();
        follow(list);
        const FoundRow* row = &list.rows[index];
        if (row->stale) return PickOutcome::NoLongerFound;
        auto text = host_.storyText(row->story);
        if (!text) {
            // Text boxes may have gone since: counted, the memory finds
            // where the row's story went, if anywhere.
            if (Status counted = search_.recount(); !counted) return counted.error();
            follow(list);
            row = &list.rows[index];
            if (row->stale) return PickOutcome::NoLongerFound;
            text = host_.storyText(row->story);
            if (!text) return text.error();
        }
        if (Status followed = search_.follow(row->story, *text); !followed) return followed.error();
        follow(list);
        row = &list.rows[index];
        if (row->stale) return PickOutcome::NoLongerFound;
        // The shapes told every page: no walk would find it on one.
        if (row->onNoPage) return PickOutcome::OnNoPage;
        // Its page displayed first, the selection needs no walk.
        if (row->page) {
            if (Status shown = host_.displayPage(*row->page); !shown) return shown.error();
        }
        auto selection = walk_.select(row->story, row->span);
        if (!selection) return selection.error();
        if (selection->outcome == PageWalk::Outcome::OnNoPage) return PickOutcome::OnNoPage;
        if (selection->outcome == PageWalk::Outcome::Refused) {
            showFailureBox(messages_, selection->refusal, texts::kErrorTitle);
            return PickOutcome::NotSelected;
        }
        const Job* job = list.job ? &*list.job : nullptr;
        if (job) job_ = *job;
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

ReplaceAllReport Module1::ReplaceChecked(FoundList& list, const std::u16string& replaceText, ReplaceOptions options,
                                         ReplaceAllProgress* progress) {
    const Press press(*this);
    const Job job = *jobOf(list.request.text, &replaceText);
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

std::u16string Module1::allReplaced(const std::u16string& findText, const std::u16string& replaceText,
                                    const FindNextReport& report) {
    const int passedOver = report.passedOverOnNoPage;
    // What the job may have written itself it leaves, and does not claim all.
    std::u16string box = report.leftInDoubt == 0 ? u"All instances of \"" : u"Instances of \"";
    box += findText + u"\"";
    // Occurrences in text that no page shows cannot be selected, and are left.
    if (passedOver > 0) box += u" on the pages";
    box += u" have been replaced with \"" + replaceText + u"\".";
    if (passedOver > 0)
        box += u" " + withThousands(passedOver) +
               (passedOver == 1 ? u" more is in text that is on no page." : u" more are in text that is on no page.");
    if (report.leftInDoubt > 0) box += moreInDoubt(report.leftInDoubt);
    return box;
}

}  // namespace quillet
