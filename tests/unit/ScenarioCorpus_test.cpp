// Every scenario of the corpus runs through the stand-in host and must print
// exactly the transcript stored beside it (NAME.json, NAME.jsonl).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "simhost/ScenarioRunner.h"

namespace quillet::simhost {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> scenarioNames() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(QUILLET_SCENARIO_DIR)) {
        if (entry.path().extension() == ".json") names.push_back(entry.path().stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string readFile(const fs::path& path) {
    std::ifstream file(path);
    std::stringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

class ScenarioCorpus : public ::testing::TestWithParam<std::string> {};

TEST_P(ScenarioCorpus, PrintsItsExpectedTranscript) {
    const fs::path folder = QUILLET_SCENARIO_DIR;
    const Scenario scenario = readScenario(folder / (GetParam() + ".json"));
    std::string transcript;
    {
        ScenarioRunner runner(scenario, [&](const nlohmann::ordered_json& event) { transcript += event.dump() + "\n"; });
        runner.run();
    }
    EXPECT_EQ(transcript, readFile(folder / (GetParam() + ".jsonl")));
}

INSTANTIATE_TEST_SUITE_P(Corpus, ScenarioCorpus, ::testing::ValuesIn(scenarioNames()),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             }
                             return name;
                         });

}  // namespace
}  // namespace quillet::simhost
