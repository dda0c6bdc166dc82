// Find All through the in-memory host, from the press to a filled list:
// 10,000 occurrences in one 1 MiB story, and across 1,000 stories. The
// list holds its rows itself; drawing them is the window's part.
#include <benchmark/benchmark.h>

#include <optional>

#include "bench/PlantedMatches.h"

namespace {

using namespace quillet;
using namespace quillet::bench;

class FindAllRun {
public:
    explicit FindAllRun(const simhost::PublicationModel& model) : benched_(model) {}

    size_t findAll() {
        benched_.engine().FindAll({kFind, {/*matchCase=*/true, /*wholeWord=*/false}}, nullptr, list_);
        return list_.rows.size();
    }

private:
    BenchedComponent benched_;
    FoundList list_;
};

void findAll(benchmark::State& state, const simhost::PublicationModel& model) {
    std::optional<FindAllRun> run;
    for (auto _ : state) {
        state.PauseTiming();
        run.emplace(model);
        state.ResumeTiming();
        if (run->findAll() != static_cast<size_t>(kMatches)) {
            state.SkipWithError("Find All did not list every occurrence");
            break;
        }
    }
}

void BM_FindAll_OneLargeStory(benchmark::State& state) { findAll(state, oneLargeStory()); }
void BM_FindAll_ThousandStories(benchmark::State& state) { findAll(state, manyStories()); }

BENCHMARK(BM_FindAll_OneLargeStory)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(5)->DisplayAggregatesOnly(true);
BENCHMARK(BM_FindAll_ThousandStories)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(5)->DisplayAggregatesOnly(true);

}  // namespace
