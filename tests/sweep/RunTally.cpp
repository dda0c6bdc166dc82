#include "tests/sweep/RunTally.h"

#include <algorithm>
#include <cstdio>
#include <cctype>
#include <map>

namespace quillet::testing {

namespace {

/// A breach without the numbers that differ from run to run.
std::string kindOf(const std::string& breach) {
    const size_t colon = breach.find(": ");
    const bool numbered = breach.starts_with("step ") && colon != std::string::npos;
    const std::string what = numbered ? breach.substr(colon + 2) : breach;
    std::string kind;
    for (const char c : what) {
        const bool digit = std::isdigit(static_cast<unsigned char>(c)) != 0;
        if (!digit) kind += c;
        else if (kind.empty() || kind.back() != 'N') kind += 'N';
    }
    return kind;
}

}  // namespace

void RunTally::add(int run, const std::string& scenario, const RunReport& report) {
    ++runs_;
    leniency_.storiesJudgedAtComplete += report.leniency.storiesJudgedAtComplete;
    leniency_.storiesExemptedFromComplete += report.leniency.storiesExemptedFromComplete;
    leniency_.wholeWordJudgementsSkipped += report.leniency.wholeWordJudgementsSkipped;
    leniency_.selectionsOfOutputOnlyTheTruthKnows += report.leniency.selectionsOfOutputOnlyTheTruthKnows;
    if (!report.breaches.empty()) failures_.push_back({run, scenario, report.breaches});
}

double exemptShare(const Leniency& leniency) {
    if (leniency.storiesJudgedAtComplete == 0) return 0;
    return static_cast<double>(leniency.storiesExemptedFromComplete) / leniency.storiesJudgedAtComplete;
}

std::string told(const Leniency& leniency) {
    char share[32];
    std::snprintf(share, sizeof share, "%.2f", 100 * exemptShare(leniency));
    return std::to_string(leniency.storiesExemptedFromComplete) + " of " +
           std::to_string(leniency.storiesJudgedAtComplete) + " stories judged at \"Replace complete!\" exempted (" +
           share + " %), " +
           std::to_string(leniency.wholeWordJudgementsSkipped) + " whole-word judgements skipped, " +
           std::to_string(leniency.selectionsOfOutputOnlyTheTruthKnows) +
           " selections of output that only the truth knows as the job's";
}

std::string RunTally::totals() const {
    return std::to_string(runs_) + " runs, " + std::to_string(failures_.size()) + " broke the invariants; " +
           told(leniency_);
}

std::string RunTally::failuresTold(size_t smallest) const {
    std::map<std::string, std::vector<int>> byKind;
    for (const Failure& failure : failures_) byKind[kindOf(failure.breaches.front())].push_back(failure.run);
    std::string told;
    for (const auto& [kind, runs] : byKind) {
        told += std::to_string(runs.size()) + " x " + kind + " (runs";
        for (size_t i = 0; i < std::min<size_t>(runs.size(), 5); ++i) told += " " + std::to_string(runs[i]);
        told += runs.size() > 5 ? " ...)\n" : ")\n";
    }
    std::vector<const Failure*> bySize;
    for (const Failure& failure : failures_) bySize.push_back(&failure);
    std::stable_sort(bySize.begin(), bySize.end(),
                     [](const Failure* a, const Failure* b) { return a->scenario.size() < b->scenario.size(); });
    for (size_t i = 0; i < std::min(smallest, bySize.size()); ++i) {
        told += "run " + std::to_string(bySize[i]->run) + ":";
        for (const std::string& breach : bySize[i]->breaches) told += "\n  " + breach;
        told += "\n" + bySize[i]->scenario + "\n";
    }
    return told;
}

}  // namespace quillet::testing
