// Every host operation of the stand-in host made to fail, in every flow of
// tests/sweep/flows: once at a range of call counts, and at every call from
// each of those counts on. Whatever fails, each run must keep what
// RunInvariants checks.
//
// By default the call counts grow like the Fibonacci numbers, which keeps the
// sweep quick; QUILLET_FULL_SWEEP=1 tries every count.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "simhost/HostOperations.h"
#include "simhost/ScenarioRunner.h"
#include "tests/ScenarioFiles.h"
#include "tests/sweep/CheckedRun.h"

namespace quillet::testing {
namespace {

namespace fs = std::filesystem;

/// A failure planned into the host before the run starts, as a "fail" step would plan it.
struct Injection {
    std::string operation;
    RaisedError error;
    int count = 1;  // 0: every call from `after` on
    int after = 0;

    std::string describe() const {
        return operation + " failing with " + std::to_string(error.number) +
               (count == 0 ? " from call " : " once at call ") + std::to_string(after + 1);
    }
};

struct RunOutcome {
    /// A failure planned once has happened: a later call count may be tried.
    bool failed = false;
    std::vector<std::string> breaches;
};

RunOutcome runWith(const simhost::Scenario& flow, const Injection& injection) {
    RunOutcome outcome;
    outcome.breaches = checkedRun(
        flow,
        [&](simhost::InMemoryHost& host) {
            host.faults().fail(injection.operation, injection.error, injection.count, injection.after);
        },
        [&](simhost::InMemoryHost& host) { outcome.failed = !host.faults().planned(injection.operation); })
                           .breaches;
    return outcome;
}

bool fullSweep() {
    const char* configured = std::getenv("QUILLET_FULL_SWEEP");
    return configured != nullptr && std::string(configured) == "1";
}

/// The call counts after which a failure is planned: every count for the full
/// sweep, else 0, 1, 2, 3, 5, 8, 13, ...
class CallCounts {
public:
    int current() const { return current_; }
    void next() {
        if (full_) {
            ++current_;
            return;
        }
        const int gap = std::max(previous_, 1);
        previous_ = current_;
        current_ += gap;
    }

private:
    bool full_ = fullSweep();
    int current_ = 0;
    int previous_ = 0;
};

void report(const Injection& injection, const RunOutcome& outcome) {
    for (const std::string& breach : outcome.breaches) ADD_FAILURE() << injection.describe() << ": " << breach;
}

/// Plans `error` into `operation` at call count after call count, once and
/// for every call from there on, until the operation is called no more.
void sweep(const simhost::Scenario& flow, std::string_view operation, const RaisedError& error) {
    for (CallCounts counts;; counts.next()) {
        const Injection once{std::string(operation), error, 1, counts.current()};
        const RunOutcome outcome = runWith(flow, once);
        report(once, outcome);
        // A failure that no longer comes at this count comes at no later one.
        if (!outcome.failed) return;
        const Injection always{std::string(operation), error, 0, counts.current()};
        report(always, runWith(flow, always));
    }
}

/// The failures that the host gives: any failure, and the one that makes the
/// engine walk the pages.
const RaisedError kFailures[] = {
    {hresults::kUnspecified, u"Unspecified error"},
    {hresults::kNotOnDisplayedPage, u"The text is not on the displayed page."},
};

class FaultSweep : public ::testing::TestWithParam<std::string> {};

TEST_P(FaultSweep, EveryHostFailureKeepsTheInvariants) {
    const auto flow = simhost::readScenario(fs::path(QUILLET_SWEEP_DIR) / "flows" / (GetParam() + ".json"));
    for (const std::string_view operation : simhost::kHostOperations) {
        for (const RaisedError& error : kFailures) sweep(flow, operation, error);
    }
}

INSTANTIATE_TEST_SUITE_P(Flows, FaultSweep, ::testing::ValuesIn(scenarioNames(fs::path(QUILLET_SWEEP_DIR) / "flows")),
                         [](const auto& info) { return testNameOf(info.param); });

}  // namespace
}  // namespace quillet::testing
