#pragma once

#include <cstdint>
#include <string_view>

#include "base/Result.h"
#include "simhost/memory/FaultPlan.h"
#include "simhost/memory/HostCapabilities.h"
#include "simhost/memory/HostEvents.h"

namespace quillet::simhost {

/// What every object of the stand-in host shares: what the host offers, the
/// injected failures, the listener that sees the host's events, and the
/// state of the host's window.
struct HostContext {
    HostCapabilities capabilities;
    FaultPlan faults;
    HostEvents* events = &silence;
    /// The application's ScreenUpdating.
    bool screenUpdating = true;
    /// How often the host has redrawn its window.
    int64_t redraws = 0;
    /// How many calls of the host's operations there have been.
    int64_t operations = 0;

    /// What the user sees has changed (a page displayed, a selection, a
    /// write): the window is redrawn, unless updating is off.
    void changedOnScreen() {
        if (screenUpdating) ++redraws;
    }

    /// The first step of every host operation: the injected failure, if any.
    Status gate(std::string_view operation) {
        ++operations;
        if (auto failure = faults.check(operation)) return *failure;
        return {};
    }

    /// The first step of an operation of a member that only some hosts have
    /// (`offered` among the capabilities). A member that the host lacks is
    /// never reached: it is no call of an operation, and no failure is planned for it.
    Status gate(std::string_view operation, bool HostCapabilities::*offered) {
        if (!(capabilities.*offered)) return unknownMember();
        return gate(operation);
    }

    static inline HostEvents silence;
};

}  // namespace quillet::simhost
