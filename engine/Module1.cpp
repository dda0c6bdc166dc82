#include "engine/Module1.h"

#include "engine/CaretCodes.h"
#include "engine/Counts.h"
#include "engine/EngineTexts.h"
#include "engine/RuntimeErrorPrompt.h"
#include "engine/SixteenBit.h"

namespace quillet {

Module1::Module1(EnginePorts ports)
    : host_(ports.applicationClass),
      restorer_(host_, ports.messages),
      messages_(ports.messages, host_, restorer_),
      walk_(host_, restorer_),
      step_(state_, memory_, host_, walk_, messages_, ports.buffers),
      replacer_(state_, memory_, host_, step_),
      replaceAll_(state_, memory_, host_, restorer_, messages_, step_) {}

Module1::Press::Press(Module1& engine) : engine_(engine) { engine_.restorer_.retryPending(); }

Module1::Press::~Press() {
    engine_.restorer_.restore();
    engine_.host_.forget();
}

const Job* Module1::jobOf(const std::u16string& findText, const std::u16string* replaceText) {
    if (replaceText) job_ = Job{findText, *replaceText};
    return job_ && job_->find == findText ? &*job_ : nullptr;
}

Result<bool> Module1::FindNext(const FindRequest& find, bool noWrapPrompt, const std::u16string* replaceText) {
    const Press press(*this);
    passedOverOnNoPage_ = 0;
    return step_.run(find, jobOf(find.text, replaceText), noWrapPrompt).transform([&](const SearchStep::Result& step) {
        passedOverOnNoPage_ = step.passedOver;
        return step.outcome == SearchStep::Outcome::Finished;
    });
}

std::optional<std::u16string> Module1::SelectionForFindBox() {
    const Press press(*this);
    auto selected = host_.selection();
    if (!selected || selected->text.empty() || selected->text.size() > 255) return std::nullopt;
    // Paragraph ends and line breaks, as a story holds them.
    if (selected->text.find_first_of(u"\r\n\v\u2028\u2029") != std::u16string::npos) return std::nullopt;
    return literalFindText(selected->text);
}

bool Module1::ReplaceAndFindNext(const FindRequest& find, const std::u16string& replaceText, bool quiet,
                                 ReplaceOptions options) {
    const Press press(*this);
    const Job& job = *jobOf(find.text, &replaceText);
    // A find text that the search cannot mask would fail right after the
    // write; it fails before it instead.
    if (auto fits = maskFits(find.text.size()); !fits) {
        failureBox(fits.error());
        return false;
    }
    // Nothing written, for whatever reason, is passed over: the search still moves on.
    passedOverOnNoPage_ = 0;
    (void)replacer_.replace(job, find.options, options);
    auto step = step_.run(find, &job, /*noWrapPrompt=*/true);
    if (!step) {
        failureBox(step.error());
        return false;
    }
    passedOverOnNoPage_ = step->passedOver;
    const bool finished = step->outcome == SearchStep::Outcome::Finished;
    if (finished && !quiet) messages_.show(allReplaced(find.text, replaceText), msgbox::kOkInformation, texts::kTitle);
    return finished;
}

ReplaceAllReport Module1::ReplaceAll(const FindRequest& find, const std::u16string& replaceText,
                                     ReplaceOptions options, ReplaceAllProgress* progress) {
    const Press press(*this);
    passedOverOnNoPage_ = 0;
    return replaceAll_.run(*jobOf(find.text, &replaceText), find.options, options, progress);
}

std::u16string Module1::allReplaced(const std::u16string& findText, const std::u16string& replaceText) const {
    const std::u16string quotedFind = u"\"" + findText + u"\"";
    const std::u16string quotedReplacement = u"\"" + replaceText + u"\"";
    if (passedOverOnNoPage_ == 0)
        return u"All instances of " + quotedFind + u" have been replaced with " + quotedReplacement + u".";
    // Occurrences in text that no page shows cannot be selected, and are left.
    return u"All instances of " + quotedFind + u" on the pages have been replaced with " + quotedReplacement + u". " +
           withThousands(passedOverOnNoPage_) +
           (passedOverOnNoPage_ == 1 ? u" more is in text that is on no page." : u" more are in text that is on no page.");
}

void Module1::failureBox(const RaisedError& error) {
    messages_.show(runtimeErrorPrompt(error), msgbox::kOkOnly, std::nullopt);
}

}  // namespace quillet
