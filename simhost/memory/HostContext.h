#pragma once

#include <string_view>

#include "host/Result.h"
#include "simhost/memory/FaultPlan.h"
#include "simhost/memory/HostCapabilities.h"
#include "simhost/memory/HostEvents.h"

namespace quillet::simhost {

/// What every object of the stand-in host shares: what the host offers, the
/// injected failures and the listener that sees the host's events.
struct HostContext {
    HostCapabilities capabilities;
    FaultPlan faults;
    HostEvents* events = &silence;

    /// The first step of every host operation: the injected failure, if any.
    Status gate(std::string_view operation) {
        if (auto failure = faults.check(operation)) return *failure;
        return {};
    }

    static inline HostEvents silence;
};

}  // namespace quillet::simhost
