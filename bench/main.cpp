// Runs every benchmark, then prints the ratios that matter: the buffer's find
// against a memcpy of the same bytes, and Replace All against a plain
// one-pass replace of the same texts.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

/// Prints as usual and keeps each benchmark's figures for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& reports) override {
        ConsoleReporter::ReportRuns(reports);
        for (const Run& run : reports) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
            const std::string name = run.benchmark_name();
            secondsPerIteration_[name] = run.real_accumulated_time / static_cast<double>(run.iterations);
            if (auto it = run.counters.find("bytes_per_second"); it != run.counters.end())
                bytesPerSecond_[name] = it->second.value;
        }
    }

    void printRatios() const {
        if (auto memcpyRate = bytesPerSecond_.find("BM_Memcpy"); memcpyRate != bytesPerSecond_.end()) {
            std::printf("\nfind / memcpy throughput (targets: match case >= 0.35, ignore case >= 0.25)\n");
            for (const auto& [name, rate] : bytesPerSecond_) {
                if (name.rfind("BM_Find1MiB", 0) == 0)
                    std::printf("  %-34s %.2f\n", name.c_str(), rate / memcpyRate->second);
            }
        }
        const std::string replaceAll = "BM_ReplaceAll_";
        for (const auto& [name, seconds] : secondsPerIteration_) {
            if (name.rfind(replaceAll, 0) != 0) continue;
            const std::string workload = name.substr(replaceAll.size(), name.find('/') - replaceAll.size());
            auto plain = secondsPerIteration_.find("BM_PlainReplace_" + workload);
            if (plain == secondsPerIteration_.end()) continue;
            std::printf("\nReplace All, %s: %.0f ms, %.0f times a plain one-pass replace\n", workload.c_str(),
                        seconds * 1e3, seconds / plain->second);
        }
    }

private:
    std::map<std::string, double> bytesPerSecond_;
    std::map<std::string, double> secondsPerIteration_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
