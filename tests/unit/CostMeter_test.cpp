// What the benchmarks count of each step: a step's own operations, COM
// calls, writes and redraws, never those of the steps around it.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "simhost/CostMeter.h"
#include "simhost/ScenarioRunner.h"
#include "tests/unit/EngineHarness.h"

namespace quillet::testing {
namespace {

using nlohmann::json;
using simhost::CostMeter;
namespace steps = simhost::steps;

simhost::Scenario findThenReplaceAll(simhost::HostCapabilities offered) {
    simhost::Scenario scenario;
    scenario.publication = publicationOf({u"a cat and a cat", u"cat"});
    scenario.host = offered;
    scenario.steps = {
        steps::Click{u"Replace"},
        steps::SetText{{"frmReplace", "txtFindWhat"}, u"cat"},
        steps::Press{{"frmReplace", "cmdFind"}},
        steps::Press{{"frmReplace", "cmdReplaceAll"}},
    };
    return scenario;
}

/// The cost lines of a run, with COM calls counted by `comCalls`.
std::vector<json> costsOf(const simhost::Scenario& scenario, std::function<CostMeter::ComCalls()> comCalls) {
    std::ostringstream out;
    std::optional<CostMeter> meter;
    const simhost::InMemoryHost* host = nullptr;
    simhost::ScenarioRunner runner(
        scenario, [&](const nlohmann::ordered_json& event) { meter->event(event); },
        [&](simhost::SiteParts parts) {
            host = &parts.host;
            return simhost::makeLinkedSite(parts);
        });
    meter.emplace(*host, CostMeter::Sources{std::move(comCalls), nullptr}, out);
    runner.listenToSteps([&](size_t number, const simhost::Step&) { meter->beforeStep(number); });
    runner.run();
    meter->finish();

    std::vector<json> lines;
    std::istringstream written(out.str());
    for (std::string line; std::getline(written, line);) lines.push_back(json::parse(line));
    return lines;
}

TEST(CostMeter, EachStepCountsItsOwnOperationsWritesAndRedraws) {
    const std::vector<json> current = costsOf(findThenReplaceAll({}), nullptr);
    const std::vector<json> older = costsOf(findThenReplaceAll({false, false, true}), nullptr);
    ASSERT_EQ(current.size(), 4u);
    ASSERT_EQ(older.size(), 4u);
    for (size_t i = 0; i < current.size(); ++i) {
        EXPECT_EQ(current[i]["step"], i + 1);
        EXPECT_FALSE(current[i].contains("invoke")) << "no COM, no COM calls";
        EXPECT_GE(current[i]["seconds"].get<double>(), 0.0);
    }
    EXPECT_EQ(current[1]["hostOperations"], 0) << "typing into the dialog asks nothing of the host";
    EXPECT_EQ(current[2]["writes"], 0);
    EXPECT_EQ(current[2]["redraws"], 1) << "the match selected on the page on show";
    EXPECT_EQ(current[3]["writes"], 3);
    EXPECT_EQ(older[3]["writes"], 3);
    EXPECT_EQ(current[3]["redraws"], 1) << "once, when updating is back on";
    EXPECT_EQ(older[3]["redraws"], 3) << "once a write";
    // Reading, turning off and back on, beginning and ending: the host
    // operations of a current host's Replace All are the older host's and these.
    EXPECT_EQ(current[3]["hostOperations"].get<int>() - older[3]["hostOperations"].get<int>(), 5);
}

TEST(CostMeter, ComCallsAreCountedPerStepWhereThereIsCom) {
    CostMeter::ComCalls served;
    const std::vector<json> lines = costsOf(findThenReplaceAll({}), [&] {
        served.invoke += 10;  // ten more at each look
        return served;
    });
    ASSERT_EQ(lines.size(), 4u);
    for (const json& line : lines) {
        EXPECT_EQ(line["invoke"], 10) << line.dump();
        EXPECT_EQ(line["getIDsOfNames"], 0);
    }
}

}  // namespace
}  // namespace quillet::testing
