#include "engine/WrittenSpans.h"

#include <algorithm>

#include "engine/SameText.h"

namespace quillet {

const std::vector<WrittenSpans::Span>& WrittenSpans::of(int32_t story, const std::u16string& text) {
    static const std::vector<Span> kNone;
    auto found = stories_.find(story);
    if (found == stories_.end()) return kNone;
    if (!sameText(found->second.text, text)) {
        stories_.erase(found);
        return kNone;
    }
    return found->second.spans;
}

void WrittenSpans::record(int32_t story, const std::u16string& before, int64_t start, int64_t replacedLength,
                          const std::u16string& replacement) {
    // The story keeps one copy of its text, changed in place: a Replace All
    // in a long story writes into it again and again.
    auto [found, first] = stories_.try_emplace(story);
    Story& entry = found->second;
    if (first) entry.text = before;
    entry.text.replace(static_cast<size_t>(start), static_cast<size_t>(replacedLength), replacement);
    const auto written = static_cast<int64_t>(replacement.size());
    // The search writes only outside its spans, so every span lies wholly
    // before the replaced characters or wholly after them.
    auto after = std::partition_point(entry.spans.begin(), entry.spans.end(),
                                      [&](const Span& span) { return span.start < start + replacedLength; });
    for (auto moved = after; moved != entry.spans.end(); ++moved) moved->start += written - replacedLength;
    entry.spans.insert(after, Span{start, written});
}

bool WrittenSpans::touch(const std::vector<Span>& spans, int64_t start, int64_t length) {
    // The spans' ends rise with their starts: only the first that ends after
    // `start` can begin before the occurrence ends.
    auto span = std::partition_point(spans.begin(), spans.end(),
                                     [&](const Span& s) { return s.start + s.length <= start; });
    return span != spans.end() && span->start < start + length;
}

}  // namespace quillet
