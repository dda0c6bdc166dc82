#pragma once

#include <windows.h>

#include "simhost/memory/FaultPlan.h"

namespace quillet::simhost {

/// Makes the window service of a loaded component fail as `faults` says
/// ("window.topmost"): its import of user32's SetWindowPos is redirected to a
/// stand-in that asks the fault plan first. Idempotent per module.
void injectTopmostFaults(HMODULE component, FaultPlan& faults);

}  // namespace quillet::simhost
