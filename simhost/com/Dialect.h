#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <optional>
#include <string>

namespace quillet::simhost::com {

/// How one run of the stand-in host publishes its objects. A real host
/// publishes member names only: its DISPIDs, and which of the documented
/// ways a member answers to, are its own. So the stand-in draws them from a
/// seed at every run, and an add-in that relies on any of them fails in some
/// run; the seed replays that run.
struct Dialect {
    uint32_t seed = 0;
    /// A page or story collection's Item is a method (else a property get).
    bool collectionItemIsMethod = true;
    /// The view's ActivePage is set by reference only (else by value only).
    bool activePageByReference = false;
    /// Failures fill in their EXCEPINFO only when asked (pfnDeferredFillIn).
    bool deferredExceptions = false;
    /// The host calls the add-in connection interface through Invoke (else its vtable).
    bool connectsThroughInvoke = false;

    /// The dialect that `seed` draws.
    static Dialect drawn(uint32_t seed);

    /// The DISPID of member `name` of an object in role `role`: a positive
    /// number drawn from the seed, the same for every object of the role.
    DISPID dispid(const wchar_t* role, const wchar_t* name) const;
};

/// The environment variable that replays a run's dialect.
inline constexpr char kSeedVariable[] = "QUILLET_SIMHOST_SEED";

/// A seed written as a decimal number from 0 to 4294967295; nothing for anything else.
std::optional<uint32_t> parseSeed(const std::string& text);

/// The dialect of this run. Until useDialect is called, the one of seed 0.
const Dialect& theDialect();
void useDialect(const Dialect& dialect);

}  // namespace quillet::simhost::com
