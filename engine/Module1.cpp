#include "engine/Module1.h"


#include "engine/Counts.h"
#include "engine/EngineTexts.h"
#include "engine/FailureBox.h"
#include "engine/InDoubtTexts.h"
#include "engine/SixteenBit.h"
#include "engine/memory/MaskedStory.h"
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
      findAll_(state_, memory_, host_, search_, messages_),
      lists_(memory_, host_, walk_, search_, replaceAll_, findAll_, messages_) {}

Module1::Press::Press(Module1& engine) : engine_(engine) {
    engine_.restorer_.retryPending();
    engine_.search_.pressBegins();
}

Module1::Press::~Press() {
    engine_.lists_.follow();
    engine_.restorer_.restore();
    engine_.host_.forget();
}

const Job* Module1::jobOf(const std::u16string& findText, const std::u16string* replaceText) {
    if (!replaceText) return nullptr;
    job_ = Job{findText, *replaceText};
    return &*job_;
}

FindNextReport Module1::reportOf(const RunningSearch::Step& step, const FindRequest& find, const Job* job) const {
    FindNextReport report{step.outcome == RunningSearch::Outcome::Finished, static_cast<int>(step.passedOver.size())};
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
    lists_.learnOnNoPage(step->passedOver);
    if (step->outcome == RunningSearch::Outcome::Selected) lists_.learnPageOfCurrentMatch();
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
    return lists_.fill(list, find, jobOf(find.text, replaceText));
}

void Module1::forgetList(const FoundList& list) { lists_.forget(list); }

Module1::PickOutcome Module1::GoToFound(FoundList& list, size_t row) {
    const Press press(*this);
    const PickOutcome outcome = lists_.goTo(list, row);
    // The Replace dialog's Replace writes what its list went to.
    if (outcome == PickOutcome::Selected && list.job) job_ = *list.job;
    return outcome;
}

ReplaceAllReport Module1::ReplaceChecked(FoundList& list, const std::u16string& replaceText, ReplaceOptions options,
                                         ReplaceAllProgress* progress) {
    const Press press(*this);
    return lists_.replaceChecked(list, *jobOf(list.request.text, &replaceText), options, progress);
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
