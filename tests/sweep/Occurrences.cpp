#include "tests/sweep/Occurrences.h"

#include "engine/text/unicode/Unicode.h"

namespace quillet::testing {

namespace {

constexpr char32_t kNone = 0xFFFFFFFF;

char32_t codePointBefore(const std::u16string& text, size_t at) {
    if (at == 0) return kNone;
    const char16_t unit = text[at - 1];
    if (unicode::isLowSurrogate(unit) && at >= 2 && unicode::isHighSurrogate(text[at - 2]))
        return unicode::combineSurrogates(text[at - 2], unit);
    return unit;
}

char32_t codePointAt(const std::u16string& text, size_t at) {
    if (at >= text.size()) return kNone;
    const char16_t unit = text[at];
    if (unicode::isHighSurrogate(unit) && at + 1 < text.size() && unicode::isLowSurrogate(text[at + 1]))
        return unicode::combineSurrogates(unit, text[at + 1]);
    return unit;
}

bool isWord(char32_t cp) { return cp != kNone && unicode::isWordCodePoint(cp); }

}  // namespace

bool readsAsFindText(const std::u16string& story, size_t at, const SearchOptions& search) {
    const std::u16string& find = search.findText;
    const size_t n = find.size();
    if (n == 0 || at + n > story.size()) return false;
    if (at > 0 && unicode::isLowSurrogate(story[at]) && unicode::isHighSurrogate(story[at - 1])) return false;
    if (at + n < story.size() && unicode::isHighSurrogate(story[at + n - 1]) && unicode::isLowSurrogate(story[at + n]))
        return false;
    if (search.matchCase) return story.compare(at, n, find) == 0;
    for (size_t i = 0; i < n;) {
        const char32_t x = codePointAt(story, at + i);
        const char32_t y = codePointAt(find, i);
        if (unicode::foldCodePoint(x) != unicode::foldCodePoint(y)) return false;
        i += x > 0xFFFF ? 2 : 1;
    }
    return true;
}

bool reachesIntoWritten(size_t at, size_t length, const std::vector<Written>& spans) {
    for (const Written& span : spans) {
        const bool inside = span.length == 0 ? at < span.start && span.start < at + length
                                             : span.start < at + length && at < span.start + span.length;
        if (inside) return true;
    }
    return false;
}

bool standsAsWholeWord(const std::u16string& story, size_t at, size_t length, const std::vector<Written>& spans) {
    char32_t before = codePointBefore(story, at);
    char32_t after = codePointAt(story, at + length);
    bool afterSeen = false;
    for (const Written& span : spans) {
        if (span.start + span.length == at) before = codePointBefore(span.replaced, span.replaced.size());
        if (span.start == at + length && !afterSeen) {
            after = codePointAt(span.replaced, 0);
            afterSeen = true;
        }
    }
    return !isWord(before) && !isWord(after);
}

bool occursAt(const std::u16string& story, size_t at, const SearchOptions& search, const std::vector<Written>& spans) {
    const size_t n = search.findText.size();
    return readsAsFindText(story, at, search) && !reachesIntoWritten(at, n, spans) &&
           (!search.wholeWord || standsAsWholeWord(story, at, n, spans));
}

}  // namespace quillet::testing
