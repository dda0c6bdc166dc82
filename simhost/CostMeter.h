#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>

#include <nlohmann/json.hpp>

#include "simhost/memory/InMemoryHost.h"

namespace quillet::simhost {

/// What each step of a run cost, for the benchmarks: the host operations
/// called, the COM calls that the host's objects answered (where the add-in
/// reaches them through COM), the writes, the host's redraws, and the time,
/// on the clock and in processor time. Writes one JSON line per step:
/// {"step":N,"hostOperations":...,"getIDsOfNames":...,"invoke":...,
/// "queryInterface":...,"secondsInGetIDsOfNames":...,"writes":...,
/// "redraws":...,"seconds":...,"processorSeconds":...}; the COM figures only
/// where there is COM. On a machine that others share, the processor time
/// is the steadier of the two.
class CostMeter {
public:
    struct ComCalls {
        int64_t getIDsOfNames = 0;
        int64_t invoke = 0;
        int64_t queryInterface = 0;
        /// How long the host took to look the names up.
        double secondsInGetIDsOfNames = 0;
    };
    /// What the meter reads besides the host.
    struct Sources {
        /// The COM calls answered so far in the run; empty where there is no COM.
        std::function<ComCalls()> comCalls;
        /// The processor time that the process has used so far.
        std::function<double()> processorSeconds;
    };

    CostMeter(const InMemoryHost& host, Sources sources, std::ostream& out);

    /// An event of the transcript, as it happens.
    void event(const nlohmann::ordered_json& event);
    /// Before step `number` (from 1): the step before it has ended.
    void beforeStep(size_t number);
    /// After the run's last step.
    void finish();

private:
    struct Counts {
        int64_t hostOperations = 0;
        ComCalls com;
        int64_t writes = 0;
        int64_t redraws = 0;
        std::chrono::steady_clock::time_point time;
        double processorSeconds = 0;
    };

    Counts now() const;
    void report(const Counts& end);

    const InMemoryHost& host_;
    Sources sources_;
    std::ostream& out_;
    int64_t writes_ = 0;
    std::optional<size_t> step_;
    Counts start_;
};

}  // namespace quillet::simhost
