// Runs scenario files through the stand-in host and tells, in plain words,
// what the user did and what the add-in made the host and the user see.
#include <iostream>
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
    void event(const ordered_json& event) {
        const std::string kind = event["ev"];
        if (kind == "view") {
            // The walk starts again from page 1 only after a match that no
            // page showed: its refusals are its own, not the next match's.
            if (event["page"] == 1) flushRefusals();
            page_ = event["page"];
        }
        if (kind == "refused") refusedPages_.push_back(page_);
        if (kind == "select") {
            std::string line = "    The host selects " + event["text"].dump() + " in story " +
                               std::to_string(int(event["story"])) + " at " + std::to_string(int(event["start"])) +
                               ", on page " + std::to_string(page_);
            if (!refusedPages_.empty()) line += ", after it refused the selection on page " + pages();
            say(line + ".");
        }
        if (kind == "msgbox") {
            say("    A box titled " + event["title"].dump() + " says " + event["prompt"].dump() + "; the answer is " +
                answerName(event["answer"]) + ".");
        }
        if (kind == "write") {
            say("    The host writes " + event["new"].dump() + " over " + event["old"].dump() + " in story " +
                std::to_string(int(event["story"])) + ".");
        }
        if (kind == "screen") {
            say(event["updating"] == true ? "    The host redraws its window again."
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
        flushRefusals();
        std::cout << "  " << line << "\n";
    }
    void finish() { flushRefusals(); }

    const ordered_json& finalStories() const { return finalStories_; }

private:
    void say(const std::string& line) {
        if (line.find("The host selects") == std::string::npos) flushRefusals();
        refusedPages_.clear();
        std::cout << line << "\n";
    }
    void flushRefusals() {
        if (refusedPages_.empty()) return;
        std::cout << "    The host refuses the selection on page " << pages() << ": the match is on no page.\n";
        refusedPages_.clear();
    }
    std::string pages() const {
        std::string list;
        for (size_t i = 0; i < refusedPages_.size(); ++i) list += (i ? ", " : "") + std::to_string(refusedPages_[i]);
        return list;
    }
    static std::string answerName(int answer) { return answer == 6 ? "Yes" : answer == 7 ? "No" : "OK"; }

    int page_ = 1;
    std::vector<int> refusedPages_;
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

        Account account;
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
