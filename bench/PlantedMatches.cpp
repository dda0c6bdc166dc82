#include "bench/PlantedMatches.h"

#include <iterator>
#include <random>

namespace quillet::bench {

namespace {

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

}  // namespace

simhost::PublicationModel plantedPublication(size_t stories, size_t storyLength, int matchesPerStory) {
    std::mt19937 random(7);
    simhost::PublicationModel model;
    for (size_t i = 0; i < stories; ++i)
        model.stories.push_back({textWithMatches(storyLength, matchesPerStory, random), {simhost::Frame{1, 0}}});
    return model;
}

const simhost::PublicationModel& oneLargeStory() {
    static const auto model = plantedPublication(1, 512 * 1024, kMatches);
    return model;
}

const simhost::PublicationModel& manyStories() {
    static const auto model = plantedPublication(1000, 1024, kMatches / 1000);
    return model;
}

}  // namespace quillet::bench
