#include "engine/memory/MaskedStory.h"

#include <algorithm>
#include <set>
#include <tuple>

namespace quillet {

void loadMasked(SearchBuffer& buffer, std::u16string text, const std::vector<WrittenSpan>& written,
                DoubtReading doubt) {
    buffer.load(std::move(text));
    for (const WrittenSpan& span : written) {
        if (!span.certain && doubt == DoubtReading::AsText) continue;
        buffer.select(static_cast<int32_t>(span.span.start), static_cast<int32_t>(span.span.length));
        WordEdges edges = span.edges();
        if (doubt == DoubtReading::AsWritten) edges.inDoubt = false;
        buffer.maskWritten(buffer.selectedText(), edges);
    }
    buffer.select(0, 0);
}

std::vector<Span> occurrencesIn(SearchBuffer& buffer, std::u16string_view find, FindOptions options, Position from) {
    std::vector<Span> found;
    while (auto next = buffer.findFrom(find, options, from)) {
        found.push_back(*next);
        from = next->end();
    }
    return found;
}

int64_t occurrencesLeftInDoubt(const std::u16string& text, const std::vector<WrittenSpan>& written,
                               std::u16string_view find, FindOptions options) {
    if (std::all_of(written.begin(), written.end(), [](const WrittenSpan& span) { return span.certain; })) return 0;
    auto occurrences = [&](DoubtReading doubt) {
        SearchBuffer buffer;
        loadMasked(buffer, text, written, doubt);
        return occurrencesIn(buffer, find, options);
    };
    auto before = [](const Span& a, const Span& b) { return std::tie(a.start, a.length) < std::tie(b.start, b.length); };
    std::set<Span, decltype(before)> either(before);
    for (const DoubtReading doubt : {DoubtReading::AsWritten, DoubtReading::AsText}) {
        for (const Span& span : occurrences(doubt)) either.insert(span);
    }
    for (const Span& span : occurrences(DoubtReading::BothWays)) either.erase(span);
    return static_cast<int64_t>(either.size());
}

}  // namespace quillet
