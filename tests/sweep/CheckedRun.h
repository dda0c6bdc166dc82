#pragma once

#include <functional>
#include <string>
#include <vector>

#include "simhost/Scenario.h"
#include "simhost/memory/InMemoryHost.h"

namespace quillet::testing {

using HostVisit = std::function<void(simhost::InMemoryHost&)>;

/// Runs `scenario` through the stand-in host with the component linked in,
/// watched by RunInvariants. `prepare` may plan failures into the host before
/// it connects the add-in at its start; `inspect` sees the host after the
/// run. Returns the invariants' breaches.
std::vector<std::string> checkedRun(const simhost::Scenario& scenario, const HostVisit& prepare = {},
                                    const HostVisit& inspect = {});

}  // namespace quillet::testing
