#include "simhost/com/Dialect.h"

#include <cwctype>
#include <random>

namespace quillet::simhost::com {

namespace {

Dialect& current() {
    static Dialect dialect = Dialect::drawn(0);
    return dialect;
}

/// FNV-1a, over the seed and then each text without regard to case (names are looked up that way).
uint32_t mix(uint32_t hash, uint32_t value) { return (hash ^ value) * 16777619u; }

}  // namespace

Dialect Dialect::drawn(uint32_t seed) {
    std::mt19937 random(seed);
    Dialect dialect;
    dialect.seed = seed;
    dialect.collectionItemIsMethod = random() & 1;
    dialect.activePageByReference = random() & 1;
    dialect.deferredExceptions = random() & 1;
    dialect.connectsThroughInvoke = random() & 1;
    return dialect;
}

DISPID Dialect::dispid(const wchar_t* role, const wchar_t* name) const {
    uint32_t hash = mix(2166136261u, seed);
    for (const wchar_t* text : {role, L"\n", name})
        for (; *text; ++text) hash = mix(hash, static_cast<uint32_t>(std::towlower(*text)));
    // Clear of 0 (the default member) and of the negative ids that COM reserves.
    return static_cast<DISPID>(1 + hash % 0x3FFFFFFFu);
}

std::optional<uint32_t> parseSeed(const std::string& text) {
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const unsigned long long seed = std::stoull(text);
    if (seed > UINT32_MAX) return std::nullopt;
    return static_cast<uint32_t>(seed);
}

const Dialect& theDialect() { return current(); }

void useDialect(const Dialect& dialect) { current() = dialect; }

}  // namespace quillet::simhost::com
