#include "simhost/CostMeter.h"

namespace quillet::simhost {

CostMeter::CostMeter(const InMemoryHost& host, Sources sources, std::ostream& out)
    : host_(host), sources_(std::move(sources)), out_(out) {}

void CostMeter::event(const nlohmann::ordered_json& event) {
    if (event["ev"] == "write") ++writes_;
}

void CostMeter::beforeStep(size_t number) {
    // One look: what ends one step begins the next.
    const Counts counts = now();
    if (step_) report(counts);
    step_ = number;
    start_ = counts;
}

void CostMeter::finish() {
    if (step_) report(now());
    step_.reset();
}

CostMeter::Counts CostMeter::now() const {
    Counts counts;
    counts.hostOperations = host_.operations();
    if (sources_.comCalls) counts.com = sources_.comCalls();
    counts.writes = writes_;
    counts.redraws = host_.redraws();
    counts.time = std::chrono::steady_clock::now();
    if (sources_.processorSeconds) counts.processorSeconds = sources_.processorSeconds();
    return counts;
}

void CostMeter::report(const Counts& end) {
    nlohmann::ordered_json line{{"step", *step_}, {"hostOperations", end.hostOperations - start_.hostOperations}};
    if (sources_.comCalls) {
        line["getIDsOfNames"] = end.com.getIDsOfNames - start_.com.getIDsOfNames;
        line["invoke"] = end.com.invoke - start_.com.invoke;
        line["queryInterface"] = end.com.queryInterface - start_.com.queryInterface;
        line["secondsInGetIDsOfNames"] = end.com.secondsInGetIDsOfNames - start_.com.secondsInGetIDsOfNames;
    }
    line["writes"] = end.writes - start_.writes;
    line["redraws"] = end.redraws - start_.redraws;
    line["seconds"] = std::chrono::duration<double>(end.time - start_.time).count();
    line["processorSeconds"] = end.processorSeconds - start_.processorSeconds;
    out_ << line.dump() << "\n";
}

}  // namespace quillet::simhost
