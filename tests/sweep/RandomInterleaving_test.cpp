// Random users of the modeless dialogs: between the presses of Find Next,
// Replace and Replace All they select text, type into stories or rewrite
// them, undo, delete and add text boxes, look other texts up in the Find
// dialog, tick options, change the texts, close the Find window and answer
// the wrap question as they like. Whatever they do, every run must keep
// what RunInvariants checks; above all, every write covers an occurrence
// under the options of its press, never the job's own output and, for one
// Replace, nothing but what the user selected; and "Replace complete!"
// leaves no occurrence behind.
//
// QUILLET_DIFF_CASES=N runs N users instead of the default;
// QUILLET_REPLAY=FILE runs the scenario of one user that broke them, as the
// failure prints it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "simhost/Scenario.h"
#include "tests/sweep/CheckedRun.h"

namespace quillet::testing {
namespace {

using nlohmann::json;

class RandomUser {
public:
    explicit RandomUser(uint32_t seed) : random_(seed) {}

    json scenario() {
        json stories = json::array();
        int count = 1 + below(3);
        for (int i = 0; i < count; ++i) stories.push_back(story());
        json steps = json::array({json::array({"click", "Replace"})});
        // Episodes of a search: the texts and options set, Find Next, some
        // of the user's own doings, then a replace or another search.
        for (int episode = 2 + below(5); episode > 0; --episode) {
            for (int n = below(3); n > 0; --n) steps.push_back(setting());
            steps.push_back({"press", below(4) == 0 ? "frmFind.cmdFind" : "frmReplace.cmdFind"});
            for (int n = below(3); n > 0; --n) steps.push_back(doing(count));
            for (int n = 1 + below(3); n > 0; --n) steps.push_back(press());
        }
        return {{"publication", {{"pages", 2}, {"stories", stories}}}, {"steps", steps}};
    }

private:
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    template <size_t N>
    const char* pick(const char* const (&choices)[N]) {
        return choices[below(static_cast<int>(N))];
    }

    // Pieces that make occurrences touch, overlap, differ in case and sit
    // next to copyright signs and non-word characters.
    std::string text(int most = 8) {
        static const char* const kPieces[] = {"cat", "Cat", "CAT", "at", "a", "A", "-", " ", "\u00A9", "x", ".", "s"};
        std::string out;
        for (int n = below(most + 1); n > 0; --n) out += pick(kPieces);
        return out;
    }

    json story() {
        stories_.push_back(text());
        const int where = below(10);
        if (where < 7) return stories_.back();
        // Now and then on page 2, or flowing onto no page at all.
        if (where < 9) return {{"text", stories_.back()}, {"page", 2}};
        return {{"text", stories_.back()}, {"frames", json::array({{{"page", 1}, {"length", 3}}, {{"page", 0}}})}};
    }

    /// A new text for a story: anything, or its first text with one letter
    /// or sign changed, which keeps its length as long as no replacement
    /// changed that.
    std::string edited(int story) {
        if (static_cast<size_t>(story) > stories_.size()) return this->text();
        std::string text = stories_[static_cast<size_t>(story - 1)];
        std::vector<size_t> ascii;
        for (size_t i = 0; i < text.size(); ++i) {
            if (static_cast<unsigned char>(text[i]) < 0x80) ascii.push_back(i);
        }
        if (below(2) == 0 || ascii.empty()) return this->text();
        text[ascii[static_cast<size_t>(below(static_cast<int>(ascii.size())))]] = "tcao"[below(4)];
        return text;
    }

    static constexpr const char* kLookUps[] = {"cats", "dog", "a", "s"};

    json setting() {
        static const char* const kFindTexts[] = {"cat", "Cat", "at", "a", "-a", "a-", " a", "\u00A9", "\u00A9a", "s"};
        static const char* const kReplacements[] = {"dog", "cats", "", "x-", "A", "\u00A9", "cat", "a a"};
        static const char* const kForms[] = {"frmReplace", "frmReplace", "frmFind"};
        switch (below(4)) {
            case 0: return {"set", std::string(pick(kForms)) + ".txtFindWhat", pick(kFindTexts)};
            case 1: return {"set", "frmReplace.txtReplaceWith", pick(kReplacements)};
            case 2: return {"set", std::string(pick(kForms)) + ".chkCase", below(2)};
            default: return {"set", std::string(pick(kForms)) + ".chkWholeWord", below(2)};
        }
    }

    json doing(int& stories) {
        switch (below(13)) {
            case 0: return {"click", "Find"};
            case 1: return {"closebox", "frmFind"};
            case 2:
            case 3: return {"select", 1 + below(stories), 1 + below(6), below(5)};
            case 4: {
                const int story = 1 + below(stories);
                return {"edit", story, edited(story)};
            }
            case 5: return {"page", 1 + below(2)};
            case 7:
            case 8: return {"type", 1 + below(stories), 1 + below(10), below(3), text(2)};
            case 9: return {"undo"};
            case 10:
                if (stories == 1) return {"undo"};
                return {"deletestory", 1 + below(stories--)};
            case 11: return {"insertstory", 1 + below(++stories), text()};
            case 12: return {"set", "frmFind.txtFindWhat", pick(kLookUps)};
            case 6:
                // A few Yes to the wrap question; unanswered, it is No. Answers
                // wait for the next box, so many of them would make one step
                // ask again and again.
                if (answers_ == 2) return {"answer", 7};
                return {"answer", 6 + answers_++ % 2};
            default: return setting();
        }
    }

    json press() {
        switch (below(6)) {
            case 0:
            case 1:
            case 2: return {"press", "frmReplace.cmdReplace"};
            case 3: return {"press", "frmReplace.cmdReplaceAll"};
            case 4: return {"press", "frmReplace.cmdFind"};
            default: return {"press", "frmFind.cmdFind"};
        }
    }

    std::mt19937 random_;
    std::vector<std::string> stories_;
    int answers_ = 0;
};

int caseCount() {
    const char* configured = std::getenv("QUILLET_DIFF_CASES");
    return configured != nullptr ? std::max(1, std::atoi(configured)) : 1000;
}

/// The first run, to go on past one that broke the invariants.
int firstCase() {
    const char* configured = std::getenv("QUILLET_DIFF_FROM");
    return configured != nullptr ? std::max(0, std::atoi(configured)) : 0;
}

TEST(RandomInterleaving, EveryWriteLandsOnAnOccurrenceWhateverTheUserDoesBetweenPresses) {
    if (const char* replay = std::getenv("QUILLET_REPLAY")) {
        const auto breaches = checkedRun(simhost::readScenario(replay)).breaches;
        for (const std::string& breach : breaches) ADD_FAILURE() << breach;
        return;
    }
    const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                       ("quillet-interleaving-" + std::to_string(::getpid()) + ".json");
    for (int run = firstCase(); run < firstCase() + caseCount(); ++run) {
        const json document = RandomUser(20261207u + static_cast<uint32_t>(run)).scenario();
        {
            std::ofstream out(file);
            out << document.dump();
        }
        const auto breaches = checkedRun(simhost::readScenario(file)).breaches;
        ASSERT_TRUE(breaches.empty()) << "run " << run << ": " << breaches.front() << "\n" << document.dump();
    }
    std::filesystem::remove(file);
}

}  // namespace
}  // namespace quillet::testing
