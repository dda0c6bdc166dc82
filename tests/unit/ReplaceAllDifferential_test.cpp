// Replace All against a plain reference: every occurrence is replaced once,
// until none is left outside what was replaced, and nothing else changes. Random publications over a small
// alphabet make occurrences touch, overlap, reappear inside replacements and
// sit next to copyright signs and to what was replaced.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <random>
#include <utility>
#include <vector>

#include "tests/unit/EngineHarness.h"

namespace quillet::testing {
namespace {

bool isWordChar(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_'; }
char16_t lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

/// Text that Replace All wrote: where, and the text it replaced.
struct Written {
    size_t start;
    size_t length;
    std::u16string replaced;
};

/// A story as Replace All leaves it: its text, and the spans it wrote there.
struct Story {
    std::u16string text;
    std::vector<Written> written;
};

/// Whether `find` occurs in the story at `at`, outside what was written
/// there, whole words judged as if what was written were still the text it
/// replaced. The place of an empty replacement lies inside no occurrence either.
bool occursAt(const Story& story, size_t at, const std::u16string& find, bool matchCase, bool wholeWord) {
    const std::u16string& text = story.text;
    if (at + find.size() > text.size()) return false;
    char16_t before = at > 0 ? text[at - 1] : u' ';
    char16_t after = at + find.size() < text.size() ? text[at + find.size()] : u' ';
    // A seam is nearer to a neighbour than written text that ends or begins there.
    bool seamBefore = false;
    bool seamAfter = false;
    for (const Written& span : story.written) {
        const bool seam = span.length == 0;
        if (seam ? at < span.start && span.start < at + find.size()
                 : span.start < at + find.size() && at < span.start + span.length)
            return false;
        if (span.start + span.length == at && !seamBefore) {
            before = span.replaced.back();
            seamBefore = seam;
        }
        if (span.start == at + find.size() && !seamAfter) {
            after = span.replaced.front();
            seamAfter = seam;
        }
    }
    for (size_t i = 0; i < find.size(); ++i) {
        const char16_t a = text[at + i];
        const char16_t b = find[i];
        if (matchCase ? a != b : lower(a) != lower(b)) return false;
    }
    return !wholeWord || (!isWordChar(before) && !isWordChar(after));
}

std::optional<size_t> firstOccurrence(const Story& story, const std::u16string& find, bool matchCase,
                                      bool wholeWord) {
    for (size_t at = 0; at < story.text.size(); ++at) {
        if (occursAt(story, at, find, matchCase, wholeWord)) return at;
    }
    return std::nullopt;
}

/// Replace All from the first occurrence of the publication: each time the
/// first occurrence in the story of the last one, or else in the stories
/// after it, or else from the first story on, is replaced, until there is
/// none anywhere. What was replaced is never searched again.
std::vector<std::u16string> referenceReplaceAll(const std::vector<std::u16string>& texts, const std::u16string& find,
                                                const std::u16string& with, bool matchCase, bool wholeWord) {
    std::vector<Story> stories;
    for (const auto& text : texts) stories.push_back({text, {}});
    const size_t count = stories.size();
    for (size_t last = 0;;) {
        std::optional<std::pair<size_t, size_t>> next;
        // The story of the last replacement, the ones after it, then all of them again.
        for (size_t k = 0; k < 2 * count && !next; ++k) {
            const size_t index = k < count - last ? last + k : k - (count - last);
            if (index >= count) break;
            if (auto at = firstOccurrence(stories[index], find, matchCase, wholeWord)) next = {index, *at};
        }
        if (!next) break;
        auto& [story, at] = *next;
        Story& target = stories[story];
        for (auto& span : target.written) {
            if (span.start >= at + find.size()) span.start = span.start + with.size() - find.size();
        }
        target.written.push_back({at, with.size(), target.text.substr(at, find.size())});
        target.text.replace(at, find.size(), with);
        last = story;
    }
    std::vector<std::u16string> result;
    for (const auto& story : stories) result.push_back(story.text);
    return result;
}

std::u16string randomText(std::mt19937& random, std::u16string_view alphabet, size_t maxLength) {
    std::u16string text(std::uniform_int_distribution<size_t>(0, maxLength)(random), u' ');
    for (auto& c : text) c = alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(random)];
    return text;
}

int caseCount() {
    const char* configured = std::getenv("QUILLET_DIFF_CASES");
    return configured != nullptr ? std::atoi(configured) : 300;
}

TEST(ReplaceAllDifferential, ReplacesEveryOccurrenceOnceAndNothingElse) {
    std::mt19937 random(20261207);
    for (int round = 0; round < caseCount(); ++round) {
        std::vector<std::u16string> stories(std::uniform_int_distribution<int>(1, 4)(random));
        for (auto& story : stories) story = randomText(random, u"aabAB _.-\u00A9\r\n", 24);
        // Find texts that begin or end with a non-word character, or hold a
        // copyright sign, make whole words depend on what was replaced next
        // to them.
        std::u16string find = randomText(random, u"abAB-.\u00A9 ", 3);
        if (find.empty()) find = u"a";
        std::u16string with = randomText(random, u"abAB_.-\u00A9", 4);
        switch (std::uniform_int_distribution<int>(0, 2)(random)) {
            case 0: with.append(find); break;  // the replacement holds the find text
            case 1: with.insert(0, find); break;
            default: break;
        }
        const bool matchCase = random() % 2 == 0;
        const bool wholeWord = random() % 2 == 0;

        EngineHarness h(publicationOf(stories));
        h.findNext(find, matchCase, wholeWord);
        const bool hadMatch = h.selection().has_value();
        h.messages.shown.clear();
        h.engine.ReplaceAll({find, {matchCase, wholeWord}}, with);

        const std::vector<std::u16string> expected =
            hadMatch ? referenceReplaceAll(stories, find, with, matchCase, wholeWord) : stories;
        ASSERT_EQ(h.stories(), expected) << "round " << round << ": " << ::testing::PrintToString(stories) << " find "
                                         << ::testing::PrintToString(find) << " with " << ::testing::PrintToString(with)
                                         << " matchCase " << matchCase << " wholeWord " << wholeWord;
        ASSERT_EQ(h.messages.shown.size(), 1u) << "round " << round;
        ASSERT_EQ(h.messages.shown[0].prompt, u"Replace complete!") << "round " << round;
    }
}

}  // namespace
}  // namespace quillet::testing
