#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tests/sweep/CheckedRun.h"

namespace quillet::testing {

/// How leniently the checks judged, in words.
std::string told(const Leniency& leniency);
/// The share of the stories judged at "Replace complete!" that were exempted.
double exemptShare(const Leniency& leniency);

/// What many watched runs came to, told together: how many broke the
/// invariants and with which kinds of breach, the smallest of their
/// scenarios to replay, and how often the checks let the add-in off.
class RunTally {
public:
    /// Run number `run`, of `scenario` (its JSON), came to `report`.
    void add(int run, const std::string& scenario, const RunReport& report);

    int failures() const { return static_cast<int>(failures_.size()); }
    const Leniency& leniency() const { return leniency_; }
    /// The runs, the failures and the leniency, in one line.
    std::string totals() const;
    /// Each kind of breach (a run's first, its step and story numbers left
    /// out) with how many runs broke it and a few of them; then the
    /// `smallest` failing scenarios, each with its breaches.
    std::string failuresTold(size_t smallest) const;

private:
    struct Failure {
        int run = 0;
        std::string scenario;
        std::vector<std::string> breaches;
    };

    int runs_ = 0;
    std::vector<Failure> failures_;
    Leniency leniency_;
};

}  // namespace quillet::testing
