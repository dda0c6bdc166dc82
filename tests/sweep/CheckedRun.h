#pragma once

#include <functional>
#include <string>
#include <vector>

#include "simhost/Scenario.h"
#include "simhost/memory/InMemoryHost.h"
#include "tests/sweep/SearchTracker.h"

namespace quillet::testing {

using HostVisit = std::function<void(simhost::InMemoryHost&)>;

/// What a watched run came to.
struct RunReport {
    /// What it broke of RunInvariants.
    std::vector<std::string> breaches;
    /// Where the checks let the add-in off because no add-in could know better.
    Leniency leniency;
};

/// Runs `scenario` through the stand-in host with the component linked in,
/// watched by RunInvariants. `prepare` may plan failures into the host before
/// it connects the add-in at its start; `inspect` sees the host after the run.
RunReport checkedRun(const simhost::Scenario& scenario, const HostVisit& prepare = {}, const HostVisit& inspect = {});

}  // namespace quillet::testing
