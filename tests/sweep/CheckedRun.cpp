#include "tests/sweep/CheckedRun.h"

#include <optional>

#include "simhost/ScenarioRunner.h"
#include "tests/sweep/RunInvariants.h"

namespace quillet::testing {

RunReport checkedRun(const simhost::Scenario& scenario, const HostVisit& prepare, const HostVisit& inspect) {
    std::optional<RunInvariants> invariants;
    simhost::InMemoryHost* host = nullptr;
    // Failures are planned as the site is made, before the host connects the
    // add-in at its start, so that the start is swept too.
    auto makeSite = [&](simhost::SiteParts parts) {
        host = &parts.host;
        invariants.emplace(parts.host);
        if (prepare) prepare(parts.host);
        auto site = simhost::makeLinkedSite(parts);
        invariants->readDialogsFrom(site->dialogs());
        invariants->watchEngineOf(site->addin());
        return site;
    };
    simhost::ScenarioRunner runner(
        scenario, [&](const nlohmann::ordered_json& event) { invariants->event(event); }, makeSite);
    runner.listenToSteps([&](size_t number, const simhost::Step& step) { invariants->beforeStep(number, step); });
    runner.run();
    invariants->finish();
    if (inspect) inspect(*host);
    return {invariants->breaches(), invariants->leniency()};
}

}  // namespace quillet::testing
