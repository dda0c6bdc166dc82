#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "base/RaisedError.h"

namespace quillet::simhost {

/// Failures injected into the stand-in host's operations, by operation name
/// ("StoryCollection.item", "window.topmost", ...).
class FaultPlan {
public:
    /// After `after` more calls of `operation` pass, the next `count` calls fail
    /// with `error`; a `count` of 0 fails every call from then on. Replaces an
    /// earlier plan for the same operation.
    void fail(std::string operation, RaisedError error, int count, int after);

    /// No operation fails any more.
    void heal() { plans_.clear(); }

    /// Whether failures of `operation` are still to come: a plan of `count`
    /// failures is gone once it has given them all.
    bool planned(std::string_view operation) const { return plans_.find(operation) != plans_.end(); }

    /// Called once at the start of every call of `operation`: the failure that
    /// this call must give, if any.
    std::optional<RaisedError> check(std::string_view operation);

    /// How many calls of `operation` have failed so far, healed plans' included.
    int failuresGiven(std::string_view operation) const;

private:
    struct Plan {
        RaisedError error;
        int remainingFailures;  // 0: fails for ever
        int passesBeforeFailing;
    };
    std::map<std::string, Plan, std::less<>> plans_;
    std::map<std::string, int, std::less<>> given_;
};

}  // namespace quillet::simhost
