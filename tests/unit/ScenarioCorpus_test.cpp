// Every scenario of the corpus runs through the stand-in host and must print
// exactly the transcript stored beside it (NAME.json, NAME.jsonl).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "simhost/ScenarioRunner.h"
#include "tests/ScenarioFiles.h"

namespace quillet::simhost {
namespace {

namespace fs = std::filesystem;

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

INSTANTIATE_TEST_SUITE_P(Corpus, ScenarioCorpus,
                         ::testing::ValuesIn(quillet::testing::scenarioNames(QUILLET_SCENARIO_DIR)),
                         [](const auto& info) { return quillet::testing::testNameOf(info.param); });

}  // namespace
}  // namespace quillet::simhost
