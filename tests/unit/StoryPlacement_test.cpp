// Where remembered stories went when text boxes came, went or moved, found
// by their texts whatever their order, and what stays in doubt where a
// story could be either of two.
#include <gtest/gtest.h>

#include "engine/memory/StoryPlacement.h"

namespace quillet {
namespace {

constexpr int kJob = 0;

/// A story that reads `text`, where the job wrote over `spans`, each having
/// replaced "cat".
RememberedStory written(std::u16string text, std::vector<Span> spans) {
    RememberedStory story{std::move(text), {}, std::nullopt, false, {}, std::nullopt, {}};
    uint64_t order = 0;
    for (const Span& span : spans) story.written[kJob].push_back({span, u"cat", ++order});
    return story;
}

struct Placed {
    std::vector<Span> spans;
    bool certain = true;

    friend bool operator==(const Placed&, const Placed&) = default;
};

/// The job's spans at each new index, and whether all of them are certain.
std::map<int32_t, Placed> spansOf(const Placement& placement) {
    std::map<int32_t, Placed> out;
    for (const auto& [index, story] : placement.placed) {
        auto found = story.written.find(kJob);
        if (found == story.written.end()) continue;
        Placed& spans = out[index];
        for (const WrittenSpan& span : found->second) {
            spans.spans.push_back(span.span);
            spans.certain = spans.certain && span.certain;
        }
    }
    return out;
}

TEST(StoryPlacement, StoriesThatMovedAreFoundByTheirTextsWhateverTheirOrder) {
    const std::map<int32_t, RememberedStory> two{{1, written(u"Our cats sleeps.", {{4, 4}})},
                                                 {2, written(u"A cats in the hat.", {{2, 4}})}};
    // The first text box moved to the end.
    EXPECT_EQ(spansOf(placedAmong(two, 2, {u"A cats in the hat.", u"Our cats sleeps."}, true)),
              (std::map<int32_t, Placed>{{1, {{{2, 4}}}}, {2, {{{4, 4}}}}}));
    // Moved to the front past others, and more added.
    const std::map<int32_t, RememberedStory> three{{1, written(u"a cats", {{2, 4}})},
                                                   {3, written(u"b cats", {{2, 4}})}};
    EXPECT_EQ(spansOf(placedAmong(three, 3, {u"b cats", u"new", u"a cats", u"x", u"y"}, true)),
              (std::map<int32_t, Placed>{{1, {{{2, 4}}}}, {3, {{{2, 4}}}}}));
    // A story that reads as if its writing were undone is found too.
    EXPECT_EQ(spansOf(placedAmong(two, 2, {u"A cat in the hat.", u"Our cats sleeps."}, true)),
              (std::map<int32_t, Placed>{{2, {{{4, 4}}}}}));
}

TEST(StoryPlacement, AStoryEditedWhereItWasIsCertainAndOneEditedElsewhereIsInDoubt) {
    const std::map<int32_t, RememberedStory> two{{1, written(u"Our cats sleeps.", {{4, 4}})},
                                                 {2, written(u"A cats in the hat.", {{2, 4}})}};
    // Edited at its place, another text box added at the end.
    EXPECT_EQ(spansOf(placedAmong(two, 2, {u"Our cats sleeps!", u"A cats in the hat.", u"z"}, true)),
              (std::map<int32_t, Placed>{{1, {{{4, 4}}}}, {2, {{{2, 4}}}}}));
    // Moved and edited: the writing goes with it, but it may be another
    // text box typed alike.
    EXPECT_EQ(spansOf(placedAmong(two, 2, {u"A cats in the hat.", u"Our cats sleeps!"}, true)),
              (std::map<int32_t, Placed>{{1, {{{2, 4}}}}, {2, {{{4, 4}}, false}}}));
    // Where the publication cannot be told, no edit is certain.
    EXPECT_EQ(spansOf(placedAmong(two, 2, {u"Our cats sleeps!", u"A cats in the hat.", u"z"}, false)),
              (std::map<int32_t, Placed>{{1, {{{4, 4}}, false}}, {2, {{{2, 4}}}}}));
}

TEST(StoryPlacement, AStoryThatCouldBeEitherOfTwoLeavesItsWritingInBothInDoubt) {
    // A copy of the written story beside the original, edited: either could be it.
    const std::map<int32_t, RememberedStory> one{{1, written(u"cats", {{0, 4}})}};
    EXPECT_EQ(spansOf(placedAmong(one, 1, {u"cats!", u"cats"}, true)),
              (std::map<int32_t, Placed>{{1, {{{0, 4}}, false}}, {2, {{{0, 4}}, false}}}));
    // Two stories that read alike but hold other writing, swapped or not.
    const std::map<int32_t, RememberedStory> alike{{1, written(u"cats cats", {{0, 4}})},
                                                   {2, written(u"cats cats", {{5, 4}})}};
    EXPECT_EQ(spansOf(placedAmong(alike, 2, {u"x", u"cats cats", u"cats cats"}, true)),
              (std::map<int32_t, Placed>{{2, {{{0, 4}, {5, 4}}, false}}, {3, {{{0, 4}, {5, 4}}, false}}}));
    // Many alike with the same writing stand for one another: one deleted
    // and one edited where it was, the rest are certain.
    std::map<int32_t, RememberedStory> many;
    for (int32_t story = 1; story <= 5; ++story) many.emplace(story, written(u"a cats", {{2, 4}}));
    EXPECT_EQ(spansOf(placedAmong(many, 5, {u"a cats", u"a cats!", u"a cats", u"a cats"}, true)),
              (std::map<int32_t, Placed>{
                  {1, {{{2, 4}}}}, {2, {{{2, 4}}}}, {3, {{{2, 4}}}}, {4, {{{2, 4}}}}}));
    // More present than remembered: one of them is no written one.
    EXPECT_EQ(spansOf(placedAmong(many, 5, {u"a cats", u"a cats", u"a cats", u"a cats", u"a cats", u"a cats"}, true))
                  .at(6)
                  .certain,
              false);
}

TEST(StoryPlacement, TheSearchAndItsMatchGoOnlyWhereTheirStorySurelyWent) {
    RememberedStory searched{u"a cat", {}, Span{2, 3}, true, {}, std::nullopt, {}};
    const std::map<int32_t, RememberedStory> one{{2, searched}};
    const auto moved = placedAmong(one, 2, {u"a cat", u"b"}, true).placed;
    ASSERT_TRUE(moved.contains(1));
    EXPECT_TRUE(moved.at(1).searched);
    EXPECT_EQ(moved.at(1).current, (Span{2, 3}));
    // Two that read so: neither is surely it.
    EXPECT_TRUE(placedAmong(one, 2, {u"a cat", u"a cat"}, true).placed.empty());
    // Edited at its place, it is followed there.
    const auto edited = placedAmong(one, 2, {u"b", u"so a cat", u"c"}, true).placed;
    ASSERT_TRUE(edited.contains(2));
    EXPECT_EQ(edited.at(2).current, (Span{5, 3}));
}

}  // namespace
}  // namespace quillet

namespace quillet {
namespace {

TEST(StoryPlacement, AStoryThatVanishedIsToldAndOneThatComesBackKeepsItsWritingInDoubt) {
    // Its text box deleted, or cut to be pasted later.
    const std::map<int32_t, RememberedStory> two{{1, written(u"a roses", {{2, 5}})}, {2, written(u"rose", {})}};
    const Placement deleted = placedAmong(two, 2, {u"rose"}, true);
    EXPECT_EQ(deleted.vanished, (std::vector<int32_t>{1}));
    // Back again (an undo, a paste): another text box could read so, too.
    const std::map<int32_t, RememberedStory> back{{-1, written(u"a roses", {{2, 5}})}};
    EXPECT_EQ(spansOf(placedAmong(back, 1, {u"a roses", u"rose"}, true)),
              (std::map<int32_t, Placed>{{1, {{{2, 5}}, false}}}));
}

}  // namespace
}  // namespace quillet
