#include "tests/sweep/JobWriting.h"

#include <algorithm>
#include <tuple>

namespace quillet::testing {

const std::vector<Written>& JobWriting::by(const JobKey& job) const {
    static const std::vector<Written> kNothing;
    const auto found = byJob_.find(job);
    return found == byJob_.end() ? kNothing : found->second;
}

void JobWriting::wrote(const JobKey& job, const std::u16string& before, size_t start, size_t length,
                       size_t writtenLength, int64_t write) {
    // Where the new span goes among the job's, before the change moves them.
    const auto& own = by(job);
    const auto place = std::count_if(own.begin(), own.end(), [&](const Written& span) {
        return span.start + span.length <= start && !(span.length == 0 && span.start == start + length && length > 0);
    });
    change(start, length, writtenLength, {&job, /*undo=*/false});
    auto& spans = byJob_[job];
    spans.insert(spans.begin() + std::min<std::ptrdiff_t>(place, static_cast<std::ptrdiff_t>(spans.size())),
                 Written{start, writtenLength, before.substr(start, length), write});
}

void JobWriting::change(size_t start, size_t oldLength, size_t newLength, const Edges& edges) {
    for (auto& [job, spans] : byJob_) {
        std::vector<Written> kept;
        for (Written span : spans) {
            // A change at the place of an empty replacement, or beginning or
            // ending there, leaves whole words there to the text as it reads;
            // a job's own places next to what it writes stay its own, and an
            // undo puts back exactly what stood beside the places there.
            const bool atAnEdge = span.start == start || span.start == start + oldLength;
            if (span.length == 0 && start <= span.start && span.start <= start + oldLength && !edges.undo &&
                !(edges.writer && *edges.writer == job && atAnEdge))
                continue;
            if (span.start >= start + oldLength) {
                span.start = span.start + newLength - oldLength;
            } else if (span.start + span.length > start || (span.length == 0 && span.start > start)) {
                continue;  // the change reached into it
            }
            kept.push_back(std::move(span));
        }
        spans = std::move(kept);
    }
}

std::vector<std::pair<JobKey, size_t>> JobWriting::allSpans() const {
    std::vector<std::pair<JobKey, size_t>> spans;
    for (const auto& [job, own] : byJob_) {
        for (size_t i = 0; i < own.size(); ++i) spans.emplace_back(job, i);
    }
    std::sort(spans.begin(), spans.end(), [&](const auto& a, const auto& b) {
        const Written& x = byJob_.at(a.first)[a.second];
        const Written& y = byJob_.at(b.first)[b.second];
        // Empty spans at one place stand in the order of their writes: a
        // later write there replaced text that came after the earlier one's.
        return std::tie(x.start, x.length, x.write) < std::tie(y.start, y.length, y.write);
    });
    return spans;
}

std::optional<std::vector<bool>> JobWriting::takenBack(const std::vector<std::pair<JobKey, size_t>>& spans,
                                                       const std::u16string& before,
                                                       const std::u16string& after) const {
    if (spans.empty()) return std::nullopt;
    auto spanOf = [&](size_t k) -> const Written& { return byJob_.at(spans[k].first)[spans[k].second]; };
    // Tries each span both ways, the text between them unchanged.
    std::vector<bool> back(spans.size());
    auto fits = [&](auto&& self, size_t k, size_t from, size_t at) -> bool {
        const size_t to = k < spans.size() ? spanOf(k).start : before.size();
        const size_t gap = to - from;
        if (at + gap > after.size() || after.compare(at, gap, before, from, gap) != 0) return false;
        at += gap;
        if (k == spans.size()) return at == after.size();
        const Written& span = spanOf(k);
        for (const bool undone : {false, true}) {
            const std::u16string text = undone ? span.replaced : before.substr(span.start, span.length);
            if (after.compare(at, text.size(), text) != 0) continue;
            back[k] = undone;
            if (self(self, k + 1, span.start + span.length, at + text.size())) return true;
        }
        return false;
    };
    if (!fits(fits, 0, 0, 0)) return std::nullopt;
    return back;
}

bool JobWriting::readsAsTakenBack(const std::u16string& before, const std::u16string& after) const {
    return takenBack(allSpans(), before, after).has_value();
}

void JobWriting::follow(const std::u16string& before, const std::u16string& after) {
    if (before == after) return;
    std::vector<std::pair<JobKey, size_t>> spans = allSpans();
    if (const auto back = takenBack(spans, before, after)) {
        // Last first, so that the places of the earlier ones stay as they were.
        for (size_t k = spans.size(); k-- > 0;) {
            if (!(*back)[k]) continue;
            auto& own = byJob_[spans[k].first];
            const Written span = own[spans[k].second];
            own.erase(own.begin() + static_cast<std::ptrdiff_t>(spans[k].second));
            for (auto& other : spans) {
                if (other.first == spans[k].first && other.second > spans[k].second) --other.second;
            }
            change(span.start, span.length, span.replaced.size(), {nullptr, /*undo=*/true});
        }
        return;
    }
    size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix]) ++prefix;
    size_t suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    change(prefix, before.size() - prefix - suffix, after.size() - prefix - suffix, Edges{});
}

}  // namespace quillet::testing
