// Runs the add-in's engine over the sample newsletter, the way the dialogs
// drive it, and tells what the host and the user get to see.
#include <deque>
#include <fstream>
#include <iostream>

#include <nlohmann/json.hpp>

#include "addin/Component.h"
#include "simhost/PublicationJson.h"
#include "simhost/ScenarioError.h"
#include "simhost/Utf8.h"
#include "simhost/headless/HeadlessWindows.h"
#include "simhost/memory/InMemoryHost.h"

namespace {

using namespace quillet;
using simhost::toUtf8;

/// Prints each box and answers from a script (OK, or No to a question, when the script is empty).
class ConsoleMessages : public MessageBoxPort {
public:
    int show(const std::u16string& prompt, int buttons, const std::optional<std::u16string>& title) override {
        int answer = buttons == msgbox::kYesNoQuestion ? msgbox::kAnswerNo : msgbox::kAnswerOk;
        if (!answers.empty()) {
            answer = answers.front();
            answers.pop_front();
        }
        std::cout << "    [" << toUtf8(title.value_or(u"Quillet")) << "] " << toUtf8(prompt) << "  -> "
                  << (answer == msgbox::kAnswerYes ? "Yes" : answer == msgbox::kAnswerNo ? "No" : "OK") << "\n";
        return answer;
    }
    std::deque<int> answers;
};

class ConsoleEvents : public simhost::HostEvents {
public:
    explicit ConsoleEvents(simhost::InMemoryHost& host) : host_(host) {}

    void selected(int32_t story, int32_t start, int32_t length, const std::u16string& text) override {
        std::cout << "    selects \"" << toUtf8(text) << "\" in story " << story << " at " << start << " (length "
                  << length << ", page " << host_.publication().model().displayedPage << ")\n";
    }
    void refused(int32_t story, int32_t start, int32_t) override {
        std::cout << "    the host refuses story " << story << " at " << start << ": not on page "
                  << host_.publication().model().displayedPage << "\n";
    }
    void written(int32_t story, int32_t start, int32_t, const std::u16string& oldText,
                 const std::u16string& newText) override {
        std::cout << "    writes \"" << toUtf8(newText) << "\" over \"" << toUtf8(oldText) << "\" in story " << story
                  << " at " << start << "\n";
    }

private:
    simhost::InMemoryHost& host_;
};

struct Demo {
    explicit Demo(simhost::PublicationModel model) : host(std::move(model), {}) { host.listen(events); }

    void findNext(const std::u16string& text, bool matchCase = false, bool wholeWord = false) {
        std::cout << "  Find Next \"" << toUtf8(text) << "\"" << (matchCase ? ", match case" : "")
                  << (wholeWord ? ", whole word" : "") << "\n";
        if (auto result = engine.FindNext(text, matchCase, wholeWord, false); !result)
            std::cout << "    fails: " << toUtf8(result.error().description) << "\n";
    }

    simhost::InMemoryHost host;
    ConsoleEvents events{host};
    ConsoleMessages messages;
    simhost::HeadlessWindowSystem windows{host.faults()};
    Component component{{messages, host, windows, windows}};
    Module1& engine = component.engine();
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: quillet_demo PUBLICATION.json\n";
        return 2;
    }
    std::ifstream file(argv[1]);
    simhost::PublicationModel model;
    try {
        model = simhost::readPublication(nlohmann::json::parse(file).at("publication"));
    } catch (const std::exception& error) {
        std::cerr << argv[1] << ": " << error.what() << "\n";
        return 2;
    }
    Demo demo(std::move(model));
    std::cout << "The sample newsletter: " << demo.host.publication().model().stories.size() << " stories on "
              << demo.host.publication().model().pageNumbers.size() << " pages.\n\n";

    std::cout << "Finding \"garden\" through every story; the view walks to the page of each match.\n"
                 "The last one lies in the recipe's overflow, on no page: the host refuses it everywhere,\n"
                 "and Find Next stays on it:\n";
    for (int i = 0; i < 12; ++i) demo.findNext(u"garden");

    std::cout << "\nCase folding covers Greek, final sigma included:\n";
    demo.messages.answers = {msgbox::kAnswerYes};
    for (int i = 0; i < 3; ++i) demo.findNext(u"καλώς");

    std::cout << "\nWhole words only: \"café\" but not inside a longer word, then the wrap question answered No:\n";
    for (int i = 0; i < 6; ++i) demo.findNext(u"café", false, true);

    std::cout << "\nReplace: \"Millbrook\" becomes \"Millbrook-on-Tarn\", one match at a time:\n";
    demo.findNext(u"Millbrook", true);
    for (int i = 0; i < 2; ++i) {
        std::cout << "  Replace\n";
        demo.engine.ReplaceAndFindNext(u"Millbrook", u"Millbrook-on-Tarn", true, false, false);
    }

    std::cout << "\nReplace All: every \"Tuesday\" becomes \"Wednesday\":\n";
    demo.findNext(u"Tuesday");
    std::cout << "  Replace All\n";
    demo.engine.ReplaceAll(u"Tuesday", u"Wednesday", false, false);

    std::cout << "\nThe stories now:\n";
    int index = 0;
    for (const auto& story : demo.host.publication().model().stories) {
        std::string text = toUtf8(story.text);
        for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, " / ");
        std::cout << "  " << ++index << ". " << text << "\n";
    }
    return 0;
}
