#include "engine/ReplaceAllPass.h"

#include <algorithm>
#include <numeric>

#include "engine/Counts.h"
#include "engine/EngineTexts.h"
#include "engine/FailureBox.h"
#include "engine/InDoubtTexts.h"
#include "engine/SixteenBit.h"
#include "engine/memory/MaskedStory.h"
#include "engine/text/ReplacementText.h"

namespace quillet {

namespace {

/// Sums over a changing list (a Fenwick tree): what the writes before a
/// place changed the length of the text by, in a story that is written in
/// another order than its places'.
class ShiftsBefore {
public:
    explicit ShiftsBefore(size_t size) : tree_(size + 1, 0) {}
    void add(size_t rank, Position shift) {
        for (size_t i = rank + 1; i < tree_.size(); i += i & (~i + 1)) tree_[i] += shift;
    }
    /// The shifts added at ranks below `rank`.
    Position below(size_t rank) const {
        Position sum = 0;
        for (size_t i = rank; i > 0; i -= i & (~i + 1)) sum += tree_[i];
        return sum;
    }

private:
    std::vector<Position> tree_;
};

}  // namespace

void ReplaceAllPass::clear() {
    plans_.clear();
    planOfStory_.clear();
    writes_.clear();
    leftInDoubt_ = 0;
}

ReplaceAllReport ReplaceAllPass::writePlanned(const Job& job, std::u16string_view undoName,
                                              ReplaceAllProgress* progress) {
    std::optional<RaisedError> failure;
    ReplaceAllReport report = write(undoName, progress, failure);
    report.leftInDoubt = leftInDoubt_;
    if (progress) progress->ended();
    remember(job, static_cast<size_t>(report.replaced));
    for (size_t w = 0; w < static_cast<size_t>(report.replaced); ++w) report.writtenTags.push_back(writes_[w].tag);
    report.failed = failure.has_value();
    if (failure) showFailureBox(messages_, *failure);
    else if (report.stopped)
        messages_.show(u"Replace All stopped: " + withThousands(report.replaced) + u" of " +
                           withThousands(static_cast<int64_t>(writes_.size())) + u" replaced.",
                       msgbox::kOkOnly, texts::kTitle);
    return report;
}

ReplaceAllReport ReplaceAllPass::runChosen(const Job& job, FindOptions options, ReplaceOptions replaceOptions,
                                           const std::vector<int32_t>& stories,
                                           const std::function<std::vector<ChosenOccurrence>(int32_t story)>& chosen,
                                           ReplaceAllProgress* progress) {
    clear();
    if (auto fits = maskFits(job.find.size()); !fits) {
        showFailureBox(messages_, fits.error());
        return {};
    }
    auto planned = [&]() -> Status {
        if (Status counted = search_.recount(); !counted) return counted;
        for (const int32_t story : stories) {
            if (story < 1 || story > state_.StoryCount) continue;
            auto index = planOf(story);
            if (!index) return index.error();
            SearchBuffer buffer;
            search_.loadMasked(buffer, story, plans_[*index].before, &job);
            std::vector<ChosenOccurrence> ones = chosen(story);
            std::sort(ones.begin(), ones.end(), [](const ChosenOccurrence& a, const ChosenOccurrence& b) {
                return a.span.start < b.span.start;
            });
            // Two chosen that overlap (text boxes that came to read alike)
            // are one occurrence at most: it is written once.
            Position writtenUpTo = -1;
            for (const ChosenOccurrence& one : ones) {
                if (one.span.start < writtenUpTo || buffer.findFrom(job.find, options, one.span.start) != one.span)
                    continue;
                add(*index, one.span, job, replaceOptions);
                writes_.back().tag = one.tag;
                writtenUpTo = one.span.end();
            }
        }
        return {};
    }();
    if (!planned) {
        showFailureBox(messages_, planned.error());
        return {};
    }
    return writePlanned(job, u"Replace Checked", progress);
}

ReplaceAllReport ReplaceAllPass::run(const Job& job, FindOptions options, ReplaceOptions replaceOptions,
                                     ReplaceAllProgress* progress) {
    clear();
    if (auto fits = maskFits(job.find.size()); !fits) {
        showFailureBox(messages_, fits.error());
        return {};
    }
    auto begun = search_.begin(job.find);
    if (!begun) {
        showFailureBox(messages_, begun.error());
        return {};
    }
    // No stories: a new search has said so, and a running one has nothing to do.
    if (!*begun || state_.StoryCount == 0) return {};
    if (Status planned = plan(job, options, replaceOptions, /*newSearch=*/!(*begun)->empty()); !planned) {
        showFailureBox(messages_, planned.error());
        return {};
    }
    ReplaceAllReport report = writePlanned(job, texts::kReplaceAllUndo, progress);
    if (report.failed || report.stopped) return report;
    // The search stands where a search that found nothing more would: at
    // the end of the publication.
    const StoryPlan& last = plans_[planOfStory_.at(state_.StoryCount)];
    if (Status stood = search_.standAt(last.story, last.after, job); !stood) {
        showFailureBox(messages_, stood.error());
        return report;
    }
    messages_.show(report.leftInDoubt == 0 ? std::u16string(texts::kReplaceComplete) : allButInDoubt(report.leftInDoubt),
                   msgbox::kOkOnly, texts::kTitle);
    return report;
}

Result<size_t> ReplaceAllPass::planOf(int32_t story) {
    if (auto known = planOfStory_.find(story); known != planOfStory_.end()) return known->second;
    auto text = host_.storyText(story);
    if (!text) return text.error();
    if (Status followed = search_.follow(story, *text); !followed) return followed.error();
    plans_.push_back({story, *text, {}, *text});
    planOfStory_[story] = plans_.size() - 1;
    return plans_.size() - 1;
}

void ReplaceAllPass::add(size_t index, Span occurrence, const Job& job, ReplaceOptions replaceOptions) {
    StoryPlan& plan = plans_[index];
    const std::u16string_view text = unitsOf(plan.before, occurrence);
    plan.rewrites.push_back({occurrence, replacementFor(job.replacement, text, plan.before, replaceOptions)});
    writes_.push_back({index, plan.rewrites.size() - 1});
}

Status ReplaceAllPass::plan(const Job& job, FindOptions options, ReplaceOptions replaceOptions, bool newSearch) {
    const int32_t count = state_.StoryCount;
    const int32_t start = state_.StoryIndex >= 1 && state_.StoryIndex <= count ? state_.StoryIndex : 0;
    auto fresh = [&](size_t index) {
        SearchBuffer buffer;
        search_.loadMasked(buffer, plans_[index].story, plans_[index].before, &job);
        return buffer;
    };

    // The current match first, whether or not it is still selected.
    if (const auto current = memory_.currentMatch(); !newSearch && current && current->story <= count) {
        auto index = planOf(current->story);
        if (!index) return index.error();
        SearchBuffer buffer = fresh(*index);
        if (buffer.findFrom(job.find, options, current->span.start) == current->span)
            add(*index, current->span, job, replaceOptions);
    }
    // Then on from where the search stands: in its buffer, which passes over
    // what the search has visited, as the next step would.
    if (start != 0) {
        auto index = planOf(start);
        if (!index) return index.error();
        std::optional<SearchBuffer> running;
        if (!newSearch) running = search_.runningBuffer(start, plans_[*index].before, job);
        SearchBuffer buffer = running ? std::move(*running) : fresh(*index);
        findAll(*index, buffer, job, options, replaceOptions);
    }
    // The stories after it, then from the first story back to it, and the
    // part of its story that the search had passed.
    std::vector<int32_t> order;
    for (int32_t story = start + 1; story <= count; ++story) order.push_back(story);
    for (int32_t story = 1; story <= start; ++story) order.push_back(story);
    for (const int32_t story : order) {
        auto index = planOf(story);
        if (!index) return index.error();
        SearchBuffer buffer = fresh(*index);
        findAll(*index, buffer, job, options, replaceOptions);
    }
    for (const StoryPlan& planned : plans_)
        leftInDoubt_ += occurrencesLeftInDoubt(planned.before, memory_.writtenBy(job, planned.story), job.find, options);
    return {};
}

void ReplaceAllPass::findAll(size_t index, SearchBuffer& buffer, const Job& job, FindOptions options,
                             ReplaceOptions replaceOptions) {
    // What this pass will write already is masked like what it wrote before.
    for (const Rewrite& planned : plans_[index].rewrites) {
        const Span& span = planned.replaced;
        buffer.select(static_cast<int32_t>(span.start), static_cast<int32_t>(span.length));
        buffer.maskSelection(unitsOf(plans_[index].before, span));
    }
    // The replacements count as the text they replace, so each occurrence
    // is found in the story as it is before the pass, one after another.
    for (const Span& found : occurrencesIn(buffer, job.find, options)) add(index, found, job, replaceOptions);
}

ReplaceAllReport ReplaceAllPass::write(std::u16string_view undoName, ReplaceAllProgress* progress,
                                       std::optional<RaisedError>& failure) {
    ReplaceAllReport report;
    if (writes_.empty()) return report;
    restorer_.quietScreen();
    restorer_.beginUndoGroup(std::u16string(undoName));

    // Each occurrence's rank among its story's by place, and what the
    // writes made so far changed before it.
    std::vector<std::vector<size_t>> ranks(plans_.size());
    std::vector<ShiftsBefore> shifts;
    shifts.reserve(plans_.size());
    for (size_t p = 0; p < plans_.size(); ++p) {
        const auto& rewrites = plans_[p].rewrites;
        std::vector<size_t> byPlace(rewrites.size());
        std::iota(byPlace.begin(), byPlace.end(), 0);
        std::sort(byPlace.begin(), byPlace.end(),
                  [&](size_t a, size_t b) { return rewrites[a].replaced.start < rewrites[b].replaced.start; });
        ranks[p].resize(rewrites.size());
        for (size_t rank = 0; rank < byPlace.size(); ++rank) ranks[p][byPlace[rank]] = rank;
        shifts.emplace_back(rewrites.size());
    }

    std::vector<bool> touched(plans_.size(), false);
    const auto total = static_cast<int64_t>(writes_.size());
    for (const Write& write : writes_) {
        const StoryPlan& plan = plans_[write.plan];
        const Rewrite& rewrite = plan.rewrites[write.rewrite];
        const size_t rank = ranks[write.plan][write.rewrite];
        const Span now{rewrite.replaced.start + shifts[write.plan].below(rank), rewrite.replaced.length};
        if (Status written = host_.write(plan.story, now, rewrite.written); !written) {
            failure = written.error();
            break;
        }
        shifts[write.plan].add(rank, lengthOf(rewrite.written) - rewrite.replaced.length);
        touched[write.plan] = true;
        ++report.replaced;
        if (progress && !progress->proceed(report.replaced, total)) {
            report.stopped = report.replaced < total;
            break;
        }
    }
    report.stories = static_cast<int32_t>(std::count(touched.begin(), touched.end(), true));
    return report;
}

void ReplaceAllPass::remember(const Job& job, size_t made) {
    std::vector<std::vector<Rewrite>> written(plans_.size());
    for (size_t w = 0; w < made; ++w) {
        const Write& write = writes_[w];
        written[write.plan].push_back(plans_[write.plan].rewrites[write.rewrite]);
    }
    for (size_t p = 0; p < plans_.size(); ++p) {
        std::vector<Rewrite>& rewrites = written[p];
        if (rewrites.empty()) continue;
        std::sort(rewrites.begin(), rewrites.end(),
                  [](const Rewrite& a, const Rewrite& b) { return a.replaced.start < b.replaced.start; });
        StoryPlan& plan = plans_[p];
        plan.after = rewritten(plan.before, rewrites);
        memory_.wroteAll(job, plan.story, plan.before, rewrites, plan.after);
        search_.tookWrites(job, plan.story, plan.before, plan.after, rewrites);
    }
}

}  // namespace quillet
