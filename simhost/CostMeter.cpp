#include "simhost/CostMeter.h"

namespace quillet::simhost {

CostMeter::CostMeter(const InMemoryHost& host, ComCallCounter comCalls, std::ostream& out)
    : host_(host), comCalls_(std::move(comCalls)), out_(out) {}

void CostMeter::event(const nlohmann::ordered_json& event) {
    if (event["ev"] == "write") ++writes_;
}

void CostMeter::beforeStep(size_t number) {
    const Counts end = now();
    if (step_) report(end);
    step_ = number;
    start_ = now();
}

void CostMeter::finish() {
    if (step_) report(now());
    step_.reset();
}

CostMeter::Counts CostMeter::now() const {
    Counts counts;
    counts.hostOperations = host_.operations();
    if (comCalls_) counts.com = comCalls_();
    counts.writes = writes_;
    counts.redraws = host_.redraws();
    counts.time = std::chrono::steady_clock::now();
    return counts;
}

void CostMeter::report(const Counts& end) {
    nlohmann::ordered_json line{{"step", *step_}, {"hostOperations", end.hostOperations - start_.hostOperations}};
    if (comCalls_) {
        line["getIDsOfNames"] = end.com.getIDsOfNames - start_.com.getIDsOfNames;
        line["invoke"] = end.com.invoke - start_.com.invoke;
        line["queryInterface"] = end.com.queryInterface - start_.com.queryInterface;
        line["secondsInGetIDsOfNames"] = end.com.secondsInGetIDsOfNames - start_.com.secondsInGetIDsOfNames;
    }
    line["writes"] = end.writes - start_.writes;
    line["redraws"] = end.redraws - start_.redraws;
    line["seconds"] = std::chrono::duration<double>(end.time - start_.time).count();
    out_ << line.dump() << "\n";
}

}  // namespace quillet::simhost
