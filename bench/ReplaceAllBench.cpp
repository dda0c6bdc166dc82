// Replace All through the in-memory host, against a plain one-pass replace of
// the same texts: 10,000 matches in one 1 MiB story, and 10,000 matches across
// 1,000 stories.
#include <benchmark/benchmark.h>

#include <random>

#include "addin/Component.h"
#include "simhost/headless/HeadlessWindows.h"
#include "simhost/memory/InMemoryHost.h"

namespace {

using namespace quillet;

constexpr char16_t kFind[] = u"lantern";
constexpr char16_t kReplacement[] = u"lamp";
constexpr int kMatches = 10000;

class SilentMessages : public MessageBoxPort {
public:
    int show(const std::u16string&, int, const std::optional<std::u16string>&) override { return msgbox::kAnswerOk; }
};

/// `length` code units of English-like words with `matches` occurrences of the find text spread evenly.
std::u16string textWithMatches(size_t length, int matches, std::mt19937& random) {
    static const char16_t* const kWords[] = {u"the", u"of", u"and", u"village", u"garden", u"river", u"mill",
                                             u"spring", u"walk", u"church", u"meadow", u"with", u"from", u"lamp"};
    const size_t every = length / static_cast<size_t>(matches);
    std::u16string text;
    text.reserve(length + 16);
    for (int m = 0; m < matches; ++m) {
        const size_t end = (static_cast<size_t>(m) + 1) * every - 8;
        while (text.size() < end) {
            text += kWords[random() % std::size(kWords)];
            text += u' ';
        }
        text.resize(end);
        text += u' ';
        text += kFind;
    }
    return text;
}

simhost::PublicationModel publication(size_t stories, size_t storyLength, int matchesPerStory) {
    std::mt19937 random(7);
    simhost::PublicationModel model;
    for (size_t i = 0; i < stories; ++i)
        model.stories.push_back({textWithMatches(storyLength, matchesPerStory, random), {simhost::Frame{1, 0}}});
    return model;
}

void replaceAll(benchmark::State& state, const simhost::PublicationModel& model) {
    for (auto _ : state) {
        state.PauseTiming();
        simhost::InMemoryHost host(model, {});
        SilentMessages messages;
        simhost::HeadlessWindowSystem windows(host.faults());
        Component component({messages, host, windows, windows});
        Module1& engine = component.engine();
        (void)engine.FindNext({kFind, {/*matchCase=*/true, /*wholeWord=*/false}}, /*noWrapPrompt=*/false);
        state.ResumeTiming();
        engine.ReplaceAll({kFind, {/*matchCase=*/true, /*wholeWord=*/false}}, kReplacement);
        benchmark::DoNotOptimize(host.publication().model().stories.front().text.data());
    }
}

void plainReplace(benchmark::State& state, const simhost::PublicationModel& model) {
    const std::u16string_view find = kFind;
    for (auto _ : state) {
        std::vector<std::u16string> result;
        for (const auto& story : model.stories) {
            std::u16string out;
            out.reserve(story.text.size());
            size_t from = 0;
            for (size_t at; (at = story.text.find(find, from)) != std::u16string::npos; from = at + find.size()) {
                out.append(story.text, from, at - from);
                out += kReplacement;
            }
            out.append(story.text, from);
            result.push_back(std::move(out));
        }
        benchmark::DoNotOptimize(result.data());
    }
}

const simhost::PublicationModel& oneLargeStory() {
    static const auto model = publication(1, 512 * 1024, kMatches);  // 1 MiB of UTF-16
    return model;
}

const simhost::PublicationModel& manyStories() {
    static const auto model = publication(1000, 1024, kMatches / 1000);
    return model;
}

void BM_ReplaceAll_OneLargeStory(benchmark::State& state) { replaceAll(state, oneLargeStory()); }
void BM_PlainReplace_OneLargeStory(benchmark::State& state) { plainReplace(state, oneLargeStory()); }
void BM_ReplaceAll_ThousandStories(benchmark::State& state) { replaceAll(state, manyStories()); }
void BM_PlainReplace_ThousandStories(benchmark::State& state) { plainReplace(state, manyStories()); }

BENCHMARK(BM_ReplaceAll_OneLargeStory)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PlainReplace_OneLargeStory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceAll_ThousandStories)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PlainReplace_ThousandStories)->Unit(benchmark::kMillisecond);

}  // namespace
