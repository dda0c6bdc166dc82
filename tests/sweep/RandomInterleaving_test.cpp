// Random users of the modeless dialogs: between the presses of Find Next,
// Replace and Replace All they select text, type into stories or rewrite
// them, undo, delete, add and move text boxes (and edit a moved one), look
// other texts up in the Find dialog, tick options, change the texts, close
// the Find window, answer the wrap question as they like, and open another
// publication, now and then one with texts alike to the first one's, to go
// on pressing there. Whatever they do, every run must keep what
// RunInvariants checks; above all, every write covers an occurrence under
// the options of its press, never the job's own output and, for one
// Replace, nothing but what the user selected; and "Replace complete!"
// leaves no occurrence behind.
//
// Every user runs, and the failures are told together: how many broke the
// invariants, by kind, with the scenarios of the smallest to replay, and
// how often the checks had to let the add-in off. QUILLET_DIFF_CASES=N runs
// N users instead of the default, QUILLET_DIFF_FROM=K starts at user K, and
// QUILLET_REPLAY=FILE runs the scenario of one user, as a failure prints it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "simhost/Scenario.h"
#include "tests/sweep/CheckedRun.h"
#include "tests/sweep/RunTally.h"

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
        firstTexts_ = stories_;
        // A user opens the Replace dialog to replace something: its texts first.
        json steps = json::array({json::array({"click", "Replace"}), findText("frmReplace"), replacement()});
        // Episodes of a search: the texts and options set, Find Next, some
        // of the user's own doings, then a replace or another search.
        for (int episode = 2 + below(5); episode > 0; --episode) {
            for (int n = below(3); n > 0; --n) steps.push_back(setting());
            steps.push_back({"press", below(4) == 0 ? "frmFind.cmdFind" : "frmReplace.cmdFind"});
            for (int n = below(3); n > 0; --n) doing(steps, count);
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

    /// `text` with one letter or sign changed; as it is when it has none.
    std::string withALetterChanged(std::string text) {
        std::vector<size_t> ascii;
        for (size_t i = 0; i < text.size(); ++i) {
            if (static_cast<unsigned char>(text[i]) < 0x80) ascii.push_back(i);
        }
        if (ascii.empty()) return text;
        text[ascii[static_cast<size_t>(below(static_cast<int>(ascii.size())))]] = "tcao"[below(4)];
        return text;
    }

    /// A new text for a story: anything, or its first text with one letter
    /// or sign changed, which keeps its length as long as no replacement
    /// changed that.
    std::string edited(int story) {
        if (static_cast<size_t>(story) > stories_.size() || below(2) == 0) return this->text();
        return withALetterChanged(stories_[static_cast<size_t>(story - 1)]);
    }

    static constexpr const char* kLookUps[] = {"cats", "dog", "a", "s"};

    json findText(const std::string& form) {
        static const char* const kFindTexts[] = {"cat", "Cat", "at", "a", "-a", "a-", " a", "\u00A9", "\u00A9a", "s"};
        const char* text = pick(kFindTexts);
        if (form == "frmReplace") job_.first = text;
        return {"set", form + ".txtFindWhat", text};
    }

    json replacement() {
        static const char* const kReplacements[] = {"dog", "cats", "", "x-", "A", "\u00A9", "cat", "a a"};
        job_.second = pick(kReplacements);
        return {"set", "frmReplace.txtReplaceWith", job_.second};
    }

    /// A dialog, the Replace dialog the likelier.
    static constexpr const char* kForms[] = {"frmReplace", "frmReplace", "frmFind"};

    json setting() {
        switch (below(4)) {
            case 0: return findText(pick(kForms));
            case 1: return replacement();
            case 2: return {"set", std::string(pick(kForms)) + ".chkCase", below(2)};
            default: return {"set", std::string(pick(kForms)) + ".chkWholeWord", below(2)};
        }
    }

    /// One of the user's own doings between presses, in one step or a few.
    void doing(json& steps, int& stories) {
        switch (below(16)) {
            case 0: steps.push_back({"click", "Find"}); return;
            case 1: steps.push_back({"closebox", "frmFind"}); return;
            case 2:
            case 3: steps.push_back({"select", 1 + below(stories), 1 + below(6), below(5)}); return;
            case 4: steps.push_back(edit(1 + below(stories))); return;
            case 5: steps.push_back({"page", 1 + below(2)}); return;
            case 7:
            case 8: steps.push_back({"type", 1 + below(stories), 1 + below(10), below(3), text(2)}); return;
            case 9: steps.push_back({"undo"}); return;
            case 10:
                if (stories == 1) {
                    steps.push_back({"undo"});
                    return;
                }
                steps.push_back({"deletestory", 1 + below(stories--)});
                return;
            case 11: steps.push_back({"insertstory", 1 + below(++stories), text()}); return;
            case 12: steps.push_back({"set", "frmFind.txtFindWhat", pick(kLookUps)}); return;
            case 13: move(steps, stories); return;
            case 14: {
                // A text box moved, then its story edited where it went.
                const int to = 1 + below(stories);
                steps.push_back({"move", 1 + below(stories), to});
                steps.push_back(edit(to));
                return;
            }
            case 15: steps.push_back(below(2) == 0 ? open(stories) : setting()); return;
            case 6:
                // A few Yes to the wrap question; unanswered, it is No. Answers
                // wait for the next box, so many of them would make one step
                // ask again and again.
                if (answers_ == 2) {
                    steps.push_back({"answer", 7});
                    return;
                }
                steps.push_back({"answer", 6 + answers_++ % 2});
                return;
            default: steps.push_back(setting()); return;
        }
    }

    json edit(int story) {
        if (below(2) == 0) return {"type", story, 1 + below(10), below(3), text(2)};
        return {"edit", story, edited(story)};
    }

    /// A text box to the front, to the end or anywhere, or two swapped by two moves.
    void move(json& steps, int stories) {
        const int story = 1 + below(stories);
        switch (below(4)) {
            case 0: steps.push_back({"move", story, 1}); return;
            case 1: steps.push_back({"move", story, stories}); return;
            case 2: steps.push_back({"move", story, 1 + below(stories)}); return;
            default: {
                if (stories < 2) return;
                const int first = 1 + below(stories - 1);
                const int last = first + 1 + below(stories - first);
                steps.push_back({"move", first, last});
                steps.push_back({"move", last - 1, first});
                return;
            }
        }
    }

    /// `text` with every `find` in it, in any case, made `replacement`, as
    /// a Replace All would leave it.
    static std::string replacedThroughout(std::string text, const std::string& find, const std::string& replacement) {
        if (find.empty()) return text;
        auto folded = [](std::string ascii) {
            for (char& c : ascii) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            return ascii;
        };
        const std::string sought = folded(find);
        for (size_t at = folded(text).find(sought); at != std::string::npos;
             at = folded(text).find(sought, at + replacement.size()))
            text.replace(at, find.size(), replacement);
        return text;
    }

    /// Another publication, the user going on pressing there: the first
    /// one's texts as they were, or as the last job would have left them,
    /// either now and then with a letter changed; or other texts.
    json open(int& stories) {
        std::vector<std::string> texts = firstTexts_;
        if (below(2) == 0) {
            for (std::string& text : texts) text = replacedThroughout(text, job_.first, job_.second);
        }
        switch (below(3)) {
            case 0: break;
            case 1: {
                std::string& changed = texts[static_cast<size_t>(below(static_cast<int>(texts.size())))];
                changed = withALetterChanged(changed);
                break;
            }
            default:
                texts.clear();
                for (int n = 1 + below(3); n > 0; --n) texts.push_back(text());
                break;
        }
        stories = static_cast<int>(texts.size());
        stories_ = texts;
        return {"open", {{"pages", 2}, {"stories", texts}}};
    }

    json press() {
        switch (below(9)) {
            case 0:
            case 1:
            case 2: return {"press", "frmReplace.cmdReplace"};
            case 3: return {"press", "frmReplace.cmdReplaceAll"};
            case 4: return {"press", "frmReplace.cmdFind"};
            case 5: return {"press", std::string(pick(kForms)) + ".cmdFindAll"};
            // A row that the list may not have is a step that a user could not do.
            case 6: return {"pick", std::string(pick(kForms)) + ".lstFound", 1 + below(4)};
            case 7: return below(2) == 0 ? json{"check", "frmReplace.lstFound", 1 + below(4), below(2)}
                                         : json{"press", "frmReplace.cmdReplaceChecked"};
            default: return {"press", "frmFind.cmdFind"};
        }
    }

    std::mt19937 random_;
    /// The first text of each story, and those of the first publication.
    std::vector<std::string> stories_;
    std::vector<std::string> firstTexts_;
    /// The last find text and replacement set in the Replace dialog.
    std::pair<std::string, std::string> job_;
    int answers_ = 0;
};

/// The most of the stories judged at "Replace complete!" that a run of users may exempt.
constexpr double kMostExemptShare = 0.02;

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
        const RunReport report = checkedRun(simhost::readScenario(replay));
        for (const std::string& breach : report.breaches) ADD_FAILURE() << breach;
        std::cout << told(report.leniency) << "\n";
        return;
    }
    const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                       ("quillet-interleaving-" + std::to_string(::getpid()) + ".json");
    RunTally tally;
    for (int run = firstCase(); run < firstCase() + caseCount(); ++run) {
        const json document = RandomUser(20261207u + static_cast<uint32_t>(run)).scenario();
        {
            std::ofstream out(file);
            out << document.dump();
        }
        tally.add(run, document.dump(), checkedRun(simhost::readScenario(file)));
    }
    std::filesystem::remove(file);
    std::cout << tally.totals() << "\n";
    EXPECT_EQ(tally.failures(), 0) << tally.failuresTold(/*smallest=*/3)
                                   << "Save a scenario to a file and replay it with QUILLET_REPLAY=FILE.";
    // A checker that lets off more than a few stories no longer checks what
    // it claims to: where the engine is hardest.
    EXPECT_LE(exemptShare(tally.leniency()), kMostExemptShare) << tally.totals();
}

}  // namespace
}  // namespace quillet::testing
