// Runs scenario files through the stand-in host and tells, in plain words,
// what the user did and what the add-in made the host and the user see.
#include <iostream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "dialogs/frmFind.h"
#include "dialogs/frmReplace.h"
#include "simhost/ScenarioError.h"
#include "simhost/ScenarioRunner.h"
#include "simhost/Utf8.h"

namespace {

using namespace quillet;
using namespace quillet::simhost;
using nlohmann::ordered_json;

std::string dialogName(const std::string& form) { return form == "frmFind" ? "Find dialog" : "Replace dialog"; }

std::string controlName(const ControlName& target) {
    if (target.control == "txtFindWhat") return "the find box";
    if (target.control == "txtReplaceWith") return "the replacement box";
    const FormLayout& layout = target.form == "frmFind" ? frmFind::layout() : frmReplace::layout();
    return "\"" + toUtf8(layout.control(target.control)->caption) + "\"";
}

std::string quoted(const std::u16string& text) {
    std::string result = toUtf8(text);
    for (size_t at; (at = result.find("\r\n")) != std::string::npos;) result.replace(at, 2, " / ");
    return "\"" + result + "\"";
}

/// What the user does, in words.
struct Narrator {
    std::string operator()(const steps::Connect& step) const {
        return step.foreign ? "The host connects the add-in with a foreign object." : "The host connects the add-in.";
    }
    std::string operator()(const steps::Disconnect& step) const {
        return "The host disconnects the add-in (mode " + std::to_string(step.removeMode) + ").";
    }
    std::string operator()(const steps::CallAddToolbar&) const { return "A client calls AddToolbar."; }
    std::string operator()(const steps::Click& step) const {
        return "The user clicks " + quoted(step.caption) + " on the command bar.";
    }
    std::string operator()(const steps::SetText& step) const {
        return "The user types " + quoted(step.text) + " into " + controlName(step.target) + " of the " +
               dialogName(step.target.form) + ".";
    }
    std::string operator()(const steps::SetCheck& step) const {
        return std::string("The user ") + (step.value != 0 ? "ticks " : "clears ") + controlName(step.target) + ".";
    }
    std::string operator()(const steps::Press& step) const {
        return "The user presses " + controlName(step.target) + " in the " + dialogName(step.target.form) + ".";
    }
    std::string operator()(const steps::Key& step) const {
        return std::string("The user presses ") + (step.enter ? "Enter" : "Esc") + " in the " + dialogName(step.form) +
               ".";
    }
    std::string operator()(const steps::CloseBox& step) const {
        return "The user closes the " + dialogName(step.form) + " with its close box.";
    }
    std::string operator()(const steps::Select&) const { return "The user selects other text."; }
    std::string operator()(const steps::Edit& step) const {
        return "The user rewrites story " + std::to_string(step.story) + ".";
    }
    std::string operator()(const steps::Type& step) const {
        return "The user types into story " + std::to_string(step.story) + ".";
    }
    std::string operator()(const steps::DeleteStory& step) const {
        return "The user deletes the text box of story " + std::to_string(step.story) + ".";
    }
    std::string operator()(const steps::InsertStory& step) const {
        return "The user adds a text box whose story comes at " + std::to_string(step.story) + ".";
    }
    std::string operator()(const steps::Move& step) const {
        return "The user moves the text box of story " + std::to_string(step.story) + " so that its story comes at " +
               std::to_string(step.to) + ".";
    }
    std::string operator()(const steps::Open&) const { return "The user opens another publication."; }
    std::string operator()(const steps::Page& step) const {
        return "The user turns to page " + std::to_string(step.page) + ".";
    }
    std::string operator()(const steps::Undo&) const { return "The user undoes the last step."; }
    template <typename Silent>
    std::string operator()(const Silent&) const {
        return {};
    }
};

/// What the add-in made the host and the user see, in words.
class Account {
public:
    explicit Account(const PublicationModel& publication)
        : page_(publication.displayedPage), pageCount_(publication.pageNumbers.size()) {}

    void event(const ordered_json& event) {
        const std::string kind = event["ev"];
        if (kind == "view") {
            page_ = event["page"];
            // The walk turns back to the page on show only when no page
            // showed the match.
            if (walk_ && page_ == walk_->pageOnShow) endWalk();
        }
        if (kind == "refused") refused(Match{event["story"], event["start"], event["length"]});
        if (kind == "select") selected(event);
        if (kind == "msgbox") {
            say("    A box titled " + event["title"].dump() + " says " + event["prompt"].dump() + "; the answer is " +
                answerName(event["answer"]) + ".");
        }
        if (kind == "write") {
            say("    The host writes " + event["new"].dump() + " over " + event["old"].dump() + " in story " +
                std::to_string(int(event["story"])) + ".");
        }
        // Redrawing stops inside a walk, while it turns the pages: that ends no walk.
        if (kind == "screen") {
            tell(event["updating"] == true ? "    The host redraws its window again."
                                           : "    The host stops redrawing its window.");
        }
        if (kind == "undo") {
            say(event["op"] == "begin" ? "    The host gathers what follows into one undo step, " +
                                             event["name"].dump() + "."
                                       : "    The host closes that undo step.");
        }
        if (kind == "form") say("    The " + dialogName(event["form"]) + " is " + std::string(event["op"]) + ".");
        if (kind == "bar" && event["op"] == "added") say("    The host adds a command bar.");
        if (kind == "ignored") say("    Nothing happens: a user could not do that.");
        if (kind == "dump") finalStories_ = event["stories"];
    }

    void step(const std::string& line) {
        if (line.empty()) return;
        endWalk();
        std::cout << "  " << line << "\n";
    }
    void finish() { endWalk(); }

    const ordered_json& finalStories() const { return finalStories_; }

private:
    struct Match {
        int story, start, length;
        bool operator==(const Match&) const = default;
    };
    /// A match that the host refused to select on the page on show, while
    /// the engine turns the pages for it, and the pages that refused it too.
    struct Walk {
        Match match;
        int pageOnShow;
        std::vector<int> refusedPages;
    };

    void refused(const Match& match) {
        if (walk_ && walk_->match != match) endWalk();
        if (walk_) {
            walk_->refusedPages.push_back(page_);
            return;
        }
        tell("    The host refuses to select the match in story " + std::to_string(match.story) + " at " +
             std::to_string(match.start) + ": it is not on page " + std::to_string(page_) + ", the page on show.");
        walk_ = Walk{match, page_, {}};
    }
    void selected(const ordered_json& event) {
        const Match match{event["story"], event["start"], event["length"]};
        std::string line = "    The host selects " + event["text"].dump() + " in story " +
                           std::to_string(match.story) + " at " + std::to_string(match.start) + ", on page " +
                           std::to_string(page_);
        if (walk_ && walk_->match == match) {
            if (!walk_->refusedPages.empty())
                line += ", after it refused the selection on page " + pages(walk_->refusedPages);
            walk_.reset();
        }
        say(line + ".");
    }
    /// Tells where else the host refused the match of a walk that no page
    /// showed it on. A walk that stops at a failure before it tried every
    /// page leaves the match's place untold.
    void endWalk() {
        if (!walk_) return;
        std::set<int> refusing(walk_->refusedPages.begin(), walk_->refusedPages.end());
        refusing.insert(walk_->pageOnShow);
        const bool everyPageRefused = refusing.size() >= pageCount_;
        if (!walk_->refusedPages.empty())
            tell("    The host refuses it on page " + pages(walk_->refusedPages) + " too" +
                 (everyPageRefused ? ": the match is on no page." : "."));
        else if (pageCount_ == 1)
            tell("    The publication has no other page: the match is on no page.");
        walk_.reset();
    }
    void say(const std::string& line) {
        endWalk();
        tell(line);
    }
    static void tell(const std::string& line) { std::cout << line << "\n"; }
    static std::string pages(const std::vector<int>& pages) {
        std::string list;
        for (size_t i = 0; i < pages.size(); ++i) list += (i ? ", " : "") + std::to_string(pages[i]);
        return list;
    }
    static std::string answerName(int answer) { return answer == 6 ? "Yes" : answer == 7 ? "No" : "OK"; }

    int page_;
    size_t pageCount_;
    std::optional<Walk> walk_;
    ordered_json finalStories_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: quillet_demo SCENARIO.json...\n";
        return 2;
    }
    for (int i = 1; i < argc; ++i) {
        Scenario scenario;
        try {
            scenario = readScenario(argv[i]);
        } catch (const ScenarioError& error) {
            std::cerr << argv[i] << ": " << error.what() << "\n";
            return 2;
        }
        std::cout << (i > 1 ? "\n" : "") << "== " << argv[i] << "\n";
        std::vector<std::u16string> before;
        for (const StoryModel& story : scenario.publication.stories) before.push_back(story.text);

        Account account(scenario.publication);
        ScenarioRunner runner(scenario, [&](const ordered_json& event) { account.event(event); });
        runner.listenToSteps([&](size_t, const Step& step) { account.step(std::visit(Narrator{}, step)); });
        if (scenario.start) std::cout << "  The host starts with the add-in connected.\n";
        runner.run();
        account.finish();

        std::cout << "  Stories changed:\n";
        const ordered_json& after = account.finalStories();
        bool any = false;
        for (size_t s = 0; s < after.size() && s < before.size(); ++s) {
            if (after[s].get<std::string>() == toUtf8(before[s])) continue;
            std::cout << "    " << s + 1 << ". " << quoted(fromUtf8(after[s].get<std::string>())) << "\n";
            any = true;
        }
        if (!any) std::cout << "    none\n";
    }
    return 0;
}
