// Replace All against a plain reference: every occurrence that the stories
// hold when it starts is replaced once, left to right, and nothing else
// changes. Random publications over a small alphabet make occurrences touch,
// overlap and reappear inside replacements.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "tests/unit/EngineHarness.h"

namespace quillet::testing {
namespace {

bool isWordChar(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_'; }
char16_t lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool occursAt(const std::u16string& text, size_t at, const std::u16string& find, bool matchCase, bool wholeWord) {
    if (at + find.size() > text.size()) return false;
    for (size_t i = 0; i < find.size(); ++i) {
        const char16_t a = text[at + i];
        const char16_t b = find[i];
        if (matchCase ? a != b : lower(a) != lower(b)) return false;
    }
    if (!wholeWord) return true;
    const bool wordBefore = at > 0 && isWordChar(text[at - 1]);
    const bool wordAfter = at + find.size() < text.size() && isWordChar(text[at + find.size()]);
    return !wordBefore && !wordAfter;
}

std::u16string referenceReplaceAll(const std::u16string& text, const std::u16string& find,
                                   const std::u16string& with, bool matchCase, bool wholeWord) {
    std::u16string result;
    for (size_t at = 0; at < text.size();) {
        if (occursAt(text, at, find, matchCase, wholeWord)) {
            result += with;
            at += find.size();
        } else {
            result += text[at++];
        }
    }
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

TEST(ReplaceAllDifferential, ReplacesEveryOriginalOccurrenceOnceAndNothingElse) {
    std::mt19937 random(20261207);
    for (int round = 0; round < caseCount(); ++round) {
        std::vector<std::u16string> stories(std::uniform_int_distribution<int>(1, 4)(random));
        for (auto& story : stories) story = randomText(random, u"aabAB _.\r\n", 24);
        // The find text is made of letters: a whole-word occurrence then never
        // touches the one before it, whose mask would change its boundary.
        std::u16string find = randomText(random, u"abAB", 3);
        if (find.empty()) find = u"a";
        std::u16string with = randomText(random, u"abAB_.", 4);
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
        h.engine.ReplaceAll(find, with, matchCase, wholeWord);

        std::vector<std::u16string> expected = stories;
        if (hadMatch) {
            for (auto& story : expected) story = referenceReplaceAll(story, find, with, matchCase, wholeWord);
        }
        ASSERT_EQ(h.stories(), expected) << "round " << round << ": " << ::testing::PrintToString(stories) << " find "
                                         << ::testing::PrintToString(find) << " with " << ::testing::PrintToString(with)
                                         << " matchCase " << matchCase << " wholeWord " << wholeWord;
        ASSERT_EQ(h.messages.shown.size(), 1u) << "round " << round;
        ASSERT_EQ(h.messages.shown[0].prompt, u"Replace complete!") << "round " << round;
    }
}

}  // namespace
}  // namespace quillet::testing
