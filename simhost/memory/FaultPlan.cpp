#include "simhost/memory/FaultPlan.h"

namespace quillet::simhost {

void FaultPlan::fail(std::string operation, RaisedError error, int count, int after) {
    plans_.insert_or_assign(std::move(operation), Plan{std::move(error), count, after});
}

std::optional<RaisedError> FaultPlan::check(std::string_view operation) {
    if (plans_.empty()) return std::nullopt;
    auto found = plans_.find(operation);
    if (found == plans_.end()) return std::nullopt;
    Plan& plan = found->second;
    if (plan.passesBeforeFailing > 0) {
        --plan.passesBeforeFailing;
        return std::nullopt;
    }
    RaisedError error = plan.error;
    ++given_[found->first];
    if (plan.remainingFailures > 0 && --plan.remainingFailures == 0) plans_.erase(found);
    return error;
}

int FaultPlan::failuresGiven(std::string_view operation) const {
    auto found = given_.find(operation);
    return found == given_.end() ? 0 : found->second;
}

}  // namespace quillet::simhost
