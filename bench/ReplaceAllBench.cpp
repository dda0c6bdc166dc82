// Replace All through the in-memory host, against the very writes that it
// makes there, made directly through the host's text spans: 10,000 matches
// in one 1 MiB story, and 10,000 matches across 1,000 stories. What the host
// spends on the writes alone is the floor under Replace All.
#include <benchmark/benchmark.h>

#include <optional>
#include <vector>

#include "bench/PlantedMatches.h"
#include "simhost/memory/InMemoryHost.h"

namespace {

using namespace quillet;
using namespace quillet::bench;

/// The component connected to a new host of `model`, with the search
/// standing at the first match, as a Find Next leaves it before Replace All.
class ReplaceAllRun {
public:
    explicit ReplaceAllRun(const simhost::PublicationModel& model) : benched_(model) {
        (void)benched_.engine().FindNext(kRequest, /*noWrapPrompt=*/false);
    }

    simhost::InMemoryHost& host() { return benched_.host(); }
    void replaceAll() { benched_.engine().ReplaceAll(kRequest, kReplacement); }

private:
    static inline const FindRequest kRequest{kFind, {/*matchCase=*/true, /*wholeWord=*/false}};

    BenchedComponent benched_;
};

// Each run is made, and the last one let go, with the clock stopped.
void replaceAll(benchmark::State& state, const simhost::PublicationModel& model) {
    std::optional<ReplaceAllRun> run;
    for (auto _ : state) {
        state.PauseTiming();
        run.emplace(model);
        state.ResumeTiming();
        run->replaceAll();
        benchmark::DoNotOptimize(run->host().publication().model().stories.front().text.data());
    }
}

/// A write as the host tells it: `length` code units of `story` from the
/// 1-based `start` replaced with `text`.
struct SpanWrite {
    int32_t story;
    int32_t start;
    int32_t length;
    std::u16string text;
};

class WriteRecorder : public simhost::HostEvents {
public:
    void written(int32_t story, int32_t start, int32_t length, const std::u16string&,
                 const std::u16string& text) override {
        writes.push_back({story, start, length, text});
    }

    std::vector<SpanWrite> writes;
};

/// The writes that Replace All makes in `model`, in their order.
std::vector<SpanWrite> writesOfReplaceAll(const simhost::PublicationModel& model) {
    WriteRecorder recorder;
    ReplaceAllRun run(model);
    run.host().listen(recorder);
    run.replaceAll();
    return std::move(recorder.writes);
}

/// Makes `writes` through the host's objects as Replace All reaches them:
/// each story held from its first write to its last, and each write through
/// a span of the story's whole text.
Status makeWrites(simhost::InMemoryHost& host, const std::vector<SpanWrite>& writes) {
    auto stories = host.application()->publication().and_then([](const PublicationRef& pub) { return pub->stories(); });
    if (!stories) return stories.error();
    StoryRef story;
    int32_t held = 0;
    for (const SpanWrite& write : writes) {
        if (write.story != held) {
            auto item = (*stories)->item(write.story);
            if (!item) return item.error();
            story = std::move(*item);
            held = write.story;
        }
        auto span = story->textSpan().and_then(
            [&](const TextSpanRef& whole) { return whole->span(write.start, write.length); });
        if (!span) return span.error();
        if (Status written = (*span)->setText(write.text); !written) return written;
    }
    return {};
}

void hostWrites(benchmark::State& state, const simhost::PublicationModel& model) {
    const std::vector<SpanWrite> writes = writesOfReplaceAll(model);
    std::optional<simhost::InMemoryHost> host;
    for (auto _ : state) {
        state.PauseTiming();
        host.emplace(model, std::vector<simhost::BarModel>{});
        state.ResumeTiming();
        if (!makeWrites(*host, writes)) {
            state.SkipWithError("the host refused a write that Replace All made");
            break;
        }
        benchmark::DoNotOptimize(host->publication().model().stories.front().text.data());
    }
    state.counters["writes"] = static_cast<double>(writes.size());
}

void BM_ReplaceAll_OneLargeStory(benchmark::State& state) { replaceAll(state, oneLargeStory()); }
void BM_HostWrites_OneLargeStory(benchmark::State& state) { hostWrites(state, oneLargeStory()); }
void BM_ReplaceAll_ThousandStories(benchmark::State& state) { replaceAll(state, manyStories()); }
void BM_HostWrites_ThousandStories(benchmark::State& state) { hostWrites(state, manyStories()); }

// Side by side, each the median of its repetitions: bench/ratios.py divides one by the other.
void sideBySide(benchmark::internal::Benchmark* registered) {
    registered->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5)->DisplayAggregatesOnly(true);
}

BENCHMARK(BM_ReplaceAll_OneLargeStory)->Apply(sideBySide);
BENCHMARK(BM_HostWrites_OneLargeStory)->Apply(sideBySide);
BENCHMARK(BM_ReplaceAll_ThousandStories)->Apply(sideBySide);
BENCHMARK(BM_HostWrites_ThousandStories)->Apply(sideBySide);

}  // namespace
