// What the engine remembers of the stories between presses, followed through
// what the user does meanwhile: edits, undos, text boxes that come and go.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/memory/StoryMemory.h"

namespace quillet {
namespace {

const Job kCats{u"cat", u"cats"};
const Job kDogs{u"cat", u"dog"};

std::vector<Span> spansOf(const StoryMemory& memory, const Job& job, int32_t story) {
    std::vector<Span> spans;
    for (const WrittenSpan& written : memory.writtenBy(job, story)) spans.push_back(written.span);
    return spans;
}

/// Reads the stories `texts`, counting the reads in `reads` if given.
StoryMemory::StoryReader readerOf(std::vector<std::u16string> texts, int* reads = nullptr) {
    return [texts = std::move(texts), reads](int32_t story) -> Result<std::u16string> {
        if (reads != nullptr) ++*reads;
        return texts[static_cast<size_t>(story - 1)];
    };
}

/// "cat cat cat" with the first two written by kCats: "cats cats cat".
StoryMemory twoOfThreeWritten() {
    StoryMemory memory;
    memory.wrote(kCats, 1, u"cat cat cat", {0, 3}, u"cats");
    memory.wrote(kCats, 1, u"cats cat cat", {5, 3}, u"cats");
    return memory;
}

TEST(StoryMemory, WhatAJobWroteStaysItsOwnThroughEditsThatLeaveItAlone) {
    StoryMemory memory = twoOfThreeWritten();
    EXPECT_EQ(spansOf(memory, kCats, 1), (std::vector<Span>{{0, 4}, {5, 4}}));
    ASSERT_TRUE(memory.seen(1, u"cats cats cat.", {}));
    EXPECT_EQ(spansOf(memory, kCats, 1), (std::vector<Span>{{0, 4}, {5, 4}}));
    ASSERT_TRUE(memory.seen(1, u">cats cats cat.", {}));
    EXPECT_EQ(spansOf(memory, kCats, 1), (std::vector<Span>{{1, 4}, {6, 4}}));
    // Typing into the second one makes it the user's text.
    ASSERT_TRUE(memory.seen(1, u">cats caxts cat.", {}));
    EXPECT_EQ(spansOf(memory, kCats, 1), (std::vector<Span>{{1, 4}}));
    // Typing at both ends at once keeps what lies between.
    ASSERT_TRUE(memory.seen(1, u"<>cats caxts cat.!", {}));
    EXPECT_EQ(spansOf(memory, kCats, 1), (std::vector<Span>{{2, 4}}));
    EXPECT_EQ(memory.writtenBy(kCats, 1).front().replaced, u"cat");
    // Another job's writing is not this job's.
    EXPECT_TRUE(spansOf(memory, kDogs, 1).empty());
}

TEST(StoryMemory, AnUndoTakesBackExactlyTheWritingThatItUndid) {
    // The second of two replacements undone.
    StoryMemory one = twoOfThreeWritten();
    ASSERT_TRUE(one.seen(1, u"cats cat cat", {}));
    EXPECT_EQ(spansOf(one, kCats, 1), (std::vector<Span>{{0, 4}}));
    // A Replace All around an earlier Replace undone in one step: the
    // earlier one in the middle stays, though the two ends changed.
    StoryMemory around;
    around.wrote(kCats, 1, u"cat cat cat", {4, 3}, u"cats");
    around.wroteAll(kCats, 1, u"cat cats cat", {{{0, 3}, u"cats"}, {{9, 3}, u"cats"}}, u"cats cats cats");
    EXPECT_EQ(spansOf(around, kCats, 1), (std::vector<Span>{{0, 4}, {5, 4}, {10, 4}}));
    ASSERT_TRUE(around.seen(1, u"cat cats cat", {}));
    EXPECT_EQ(spansOf(around, kCats, 1), (std::vector<Span>{{4, 4}}));
    // A replacement that begins with what it replaced reads both ways; what
    // follows it decides.
    StoryMemory prefix;
    prefix.wrote(kCats, 1, u"cats x", {0, 3}, u"cats");
    EXPECT_EQ(spansOf(prefix, kCats, 1), (std::vector<Span>{{0, 4}}));
    ASSERT_TRUE(prefix.seen(1, u"cats x", {}));
    EXPECT_TRUE(spansOf(prefix, kCats, 1).empty());
    // Two jobs that wrote nothing at one place: the later write replaced
    // text after the earlier one's, whichever job came first.
    const Job noCats{u"cat", u""};
    const Job noMarks{u"\u00a9", u""};
    StoryMemory empty;
    empty.wrote(noCats, 2, u"cat", {0, 3}, u"");
    empty.wrote(noMarks, 1, u"s- \u00a9cat ", {3, 1}, u"");
    empty.wrote(noCats, 1, u"s- cat ", {3, 3}, u"");
    ASSERT_TRUE(empty.seen(1, u"s- \u00a9cat ", {}));
    EXPECT_TRUE(spansOf(empty, noCats, 1).empty());
    EXPECT_TRUE(spansOf(empty, noMarks, 1).empty());
}

TEST(StoryMemory, ManyReplacementsAtOnceAreRememberedAsOneAfterAnother) {
    StoryMemory batch;
    batch.wrote(kCats, 1, u"a cat b cat c cat", {8, 3}, u"cats");
    batch.wroteAll(kCats, 1, u"a cat b cats c cat", {{{2, 3}, u"cats"}, {{15, 3}, u"cats"}}, u"a cats b cats c cats");
    StoryMemory single;
    single.wrote(kCats, 1, u"a cat b cat c cat", {8, 3}, u"cats");
    single.wrote(kCats, 1, u"a cat b cats c cat", {2, 3}, u"cats");
    single.wrote(kCats, 1, u"a cats b cats c cat", {16, 3}, u"cats");
    EXPECT_EQ(spansOf(batch, kCats, 1), spansOf(single, kCats, 1));
    // An empty replacement next to text written before stays apart from it.
    StoryMemory seams;
    seams.wrote(kDogs, 1, u"catcat", {0, 3}, u"");
    seams.wrote(kDogs, 1, u"cat", {0, 3}, u"");
    EXPECT_EQ(spansOf(seams, kDogs, 1), (std::vector<Span>{{0, 0}, {0, 0}}));
}

TEST(StoryMemory, TheCurrentMatchIsCarriedAndGoneOnlyWhenItsOwnTextChanged) {
    StoryMemory memory;
    memory.setCurrentMatch(1, u"a cat", {2, 3});
    ASSERT_TRUE(memory.seen(1, u"and a cat", {}));
    ASSERT_TRUE(memory.currentMatch());
    EXPECT_EQ(memory.currentMatch()->span, (Span{6, 3}));
    ASSERT_TRUE(memory.seen(1, u"and a cot", {}));
    EXPECT_FALSE(memory.currentMatch());
}

TEST(StoryMemory, WhatAListFoundMovesWithItsStoryAndGoesWhereAnEditTouchesIt) {
    StoryMemory memory;
    ASSERT_TRUE(memory.storyCountIs(2, {}));
    memory.markFound(1, u"a cat, a cat", {{1, {2, 3}}, {2, {9, 3}}});
    memory.markFound(2, u"cat", {{3, {0, 3}}});
    // Typing over the second, then before the first.
    ASSERT_TRUE(memory.seen(1, u"a cat, a cut", {}));
    ASSERT_TRUE(memory.seen(1, u"So a cat, a cut", {}));
    auto marks = memory.foundMarks();
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks.at(1).span, (Span{5, 3}));
    EXPECT_FALSE(marks.contains(2));
    // A text box added before them all: each goes where its story went,
    // also where an edit elsewhere reads a little like it.
    ASSERT_TRUE(memory.storyCountIs(3, readerOf({u"cat!", u"So a cat, a cut", u"cat"})));
    marks = memory.foundMarks();
    EXPECT_EQ(marks.at(1).story, 2);
    EXPECT_EQ(marks.at(3).story, 3);
    EXPECT_FALSE(memory.brokenInvariant());
    // Let go of, a row's story holds nothing more.
    memory.unmarkFound({1, 3});
    EXPECT_TRUE(memory.foundMarks().empty());
    EXPECT_FALSE(memory.textOf(2));
}

TEST(StoryMemory, WhenTextBoxesComeOrGoAStoryIsFoundAtItsNewPlace) {
    const StoryMemory::StoryReader none;
    StoryMemory memory;
    ASSERT_TRUE(memory.storyCountIs(3, none));
    memory.wrote(kCats, 3, u"cat cat", {0, 3}, u"cats");
    memory.searchIn(3, u"cats cat");
    // The first text box deleted.
    ASSERT_TRUE(memory.storyCountIs(2, readerOf({u"b", u"cats cat"})));
    EXPECT_EQ(spansOf(memory, kCats, 2), (std::vector<Span>{{0, 4}}));
    EXPECT_EQ(memory.searchStory(), 2);
    // One added before it, and the story edited at once: found between its neighbours.
    memory.wrote(kCats, 1, u"cat b", {0, 3}, u"cats");
    ASSERT_TRUE(memory.storyCountIs(3, readerOf({u"cats b", u"new", u"cats cat!"})));
    EXPECT_EQ(spansOf(memory, kCats, 1), (std::vector<Span>{{0, 4}}));
    EXPECT_EQ(spansOf(memory, kCats, 3), (std::vector<Span>{{0, 4}}));
    EXPECT_TRUE(spansOf(memory, kCats, 2).empty());
    // An empty story goes nowhere but to its own place: the empty first
    // story is not where the deleted empty one went, before the edited one.
    StoryMemory emptied;
    ASSERT_TRUE(emptied.storyCountIs(3, none));
    emptied.wrote(kCats, 2, u"cat b", {0, 3}, u"cats");
    emptied.searchIn(3, u"");
    ASSERT_TRUE(emptied.storyCountIs(2, readerOf({u"", u"cats b!"})));
    EXPECT_EQ(spansOf(emptied, kCats, 2), (std::vector<Span>{{0, 4}}));
    // A story that cannot be read leaves everything as it was, to be tried again.
    auto failing = [](int32_t) -> Result<std::u16string> { return RaisedError{1, u"no"}; };
    EXPECT_FALSE(memory.storyCountIs(2, failing));
    EXPECT_EQ(spansOf(memory, kCats, 3), (std::vector<Span>{{0, 4}}));
}

TEST(StoryMemory, TextBoxesThatCameAndWentWhileTheirCountStayedAreFollowedWhenAStoryTellsIt) {
    int reads = 0;
    StoryMemory memory;
    ASSERT_TRUE(memory.storyCountIs(3, readerOf({}, &reads)));
    memory.wrote(kCats, 1, u"a cat.", {2, 3}, u"cats");
    memory.searchIn(2, u"a cat ");
    // The third text box deleted and an empty one added first: the second
    // story reads as the first one did, and the first one no longer does,
    // so every story is read to follow them.
    const std::vector<std::u16string> now{u"", u"a cats.", u"a cat "};
    ASSERT_TRUE(memory.seen(2, now[1], readerOf(now, &reads)));
    EXPECT_EQ(reads, 1 + 3);
    EXPECT_EQ(spansOf(memory, kCats, 2), (std::vector<Span>{{2, 4}}));
    EXPECT_TRUE(spansOf(memory, kCats, 1).empty());
    EXPECT_EQ(memory.searchStory(), 3);
    // A text box alike to one remembered costs one read of that one, which
    // still reads so where it was: nothing moved.
    reads = 0;
    const std::vector<std::u16string> alike{u"a cats.", u"a cats.", u"a cat "};
    ASSERT_TRUE(memory.seen(1, alike[0], readerOf(alike, &reads)));
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(spansOf(memory, kCats, 2), (std::vector<Span>{{2, 4}}));
    // However many alike are remembered, one of them is read.
    StoryMemory many;
    ASSERT_TRUE(many.storyCountIs(4, readerOf({}, &reads)));
    for (int32_t story = 1; story <= 3; ++story) many.wrote(kCats, story, u"a cat", {2, 3}, u"cats");
    reads = 0;
    const std::vector<std::u16string> four{u"a cats", u"a cats", u"a cats", u"a cats"};
    ASSERT_TRUE(many.seen(4, four[3], readerOf(four, &reads)));
    EXPECT_EQ(reads, 1);
    // An edit of a remembered story is followed where it is, with no reads.
    reads = 0;
    ASSERT_TRUE(memory.seen(2, u"so a cats.", readerOf({}, &reads)));
    EXPECT_EQ(reads, 0);
    EXPECT_EQ(spansOf(memory, kCats, 2), (std::vector<Span>{{5, 4}}));
}

/// Whether all of `job`'s spans in `story` are certainly its own.
bool allCertain(const StoryMemory& memory, const Job& job, int32_t story) {
    const auto spans = memory.writtenBy(job, story);
    return std::all_of(spans.begin(), spans.end(), [](const WrittenSpan& span) { return span.certain; });
}

TEST(StoryMemory, StoriesThatReadAlikeButHoldOtherWritingCouldBeEachOtherAndKeepBothInDoubt) {
    // The job wrote in the first story; the user typed the same text into
    // the second one. Moved unseen, either could be either.
    StoryMemory memory;
    ASSERT_TRUE(memory.storyCountIs(2, readerOf({})));
    memory.wrote(kCats, 1, u"a cat", {2, 3}, u"cats");
    int reads = 0;
    const std::vector<std::u16string> now{u"a cats", u"a cats"};
    ASSERT_TRUE(memory.seen(2, now[1], readerOf(now, &reads)));
    EXPECT_EQ(reads, 1);
    for (const int32_t story : {1, 2}) {
        EXPECT_EQ(spansOf(memory, kCats, story), (std::vector<Span>{{2, 4}}));
        EXPECT_FALSE(allCertain(memory, kCats, story));
    }
    // Alike stories with the same writing stand for one another as they are.
    StoryMemory same;
    ASSERT_TRUE(same.storyCountIs(2, readerOf({})));
    same.wrote(kCats, 1, u"a cat", {2, 3}, u"cats");
    same.wrote(kCats, 2, u"a cat", {2, 3}, u"cats");
    ASSERT_TRUE(same.seen(2, now[1], readerOf(now)));
    EXPECT_TRUE(allCertain(same, kCats, 1));
    EXPECT_TRUE(allCertain(same, kCats, 2));
}

TEST(StoryMemory, WhereThePublicationCannotBeToldAnEditLeavesTheWritingInDoubt) {
    StoryMemory memory = twoOfThreeWritten();
    memory.publicationKnown(false);
    // As it was, or undone: nothing tells of another publication.
    ASSERT_TRUE(memory.seen(1, u"cats cats cat", {}));
    EXPECT_TRUE(allCertain(memory, kCats, 1));
    ASSERT_TRUE(memory.seen(1, u"cats cats cat!", {}));
    EXPECT_EQ(spansOf(memory, kCats, 1), (std::vector<Span>{{0, 4}, {5, 4}}));
    EXPECT_FALSE(allCertain(memory, kCats, 1));
    // Another publication: nothing remembered holds.
    memory.forget();
    EXPECT_FALSE(memory.hasWritten(kCats));
}

TEST(StoryMemory, AStoryIsReadForASelectionOnlyWhereTheJobsWritingCouldBeUnderIt) {
    StoryMemory memory;
    memory.wrote(kCats, 1, u"a cat b", {2, 3}, u"cats");
    memory.wrote(kCats, 2, u"Another story altogether, with a cat in it.", {33, 3}, u"cats");
    // A selection at 2 in a story that reads "a cats b": story 1 could be it.
    EXPECT_EQ(memory.couldHoldWritingNear(kCats, u"a cats b", Span{2, 3}, 3), (std::vector<int32_t>{1}));
    // Far from the writing, or in a story that no written one could have become.
    EXPECT_TRUE(memory.couldHoldWritingNear(kCats, u"a cats b", Span{7, 1}, 3).empty());
    EXPECT_TRUE(memory.couldHoldWritingNear(kCats, u"something else", Span{2, 3}, 3).empty());
    // Undone there, the writing is no longer under it.
    EXPECT_TRUE(memory.couldHoldWritingNear(kCats, u"a cat b", Span{2, 3}, 3).empty());
    // Without the selection's start, anywhere.
    EXPECT_EQ(memory.couldHoldWritingNear(kCats, u"Another story, with a cats in it.", std::nullopt, 1),
              (std::vector<int32_t>{2}));
}

TEST(StoryMemory, WritingTakenFromAStoryComesBackWhereTheStoryMayStandAgain) {
    // The user's typing over the job's output, undone: the output is back, in doubt.
    StoryMemory typed;
    typed.wrote(kCats, 1, u"a cat.", {2, 3}, u"cats");
    ASSERT_TRUE(typed.seen(1, u"a cxts.", {}));
    EXPECT_TRUE(spansOf(typed, kCats, 1).empty());
    ASSERT_TRUE(typed.seen(1, u"a cats.", {}));
    EXPECT_EQ(spansOf(typed, kCats, 1), (std::vector<Span>{{2, 4}}));
    EXPECT_FALSE(allCertain(typed, kCats, 1));
    // An undo of the latest Replace All, then typing: what only one
    // reading keeps stays in doubt, and the earlier Replace stays.
    StoryMemory undone;
    undone.wrote(kCats, 1, u".cat cat", {1, 3}, u"cats");
    undone.wrote(kCats, 1, u".cats cat", {6, 3}, u"cats");
    ASSERT_TRUE(undone.seen(1, u"xy.cats cat", {}));
    EXPECT_EQ(spansOf(undone, kCats, 1), (std::vector<Span>{{3, 4}}));
    // Its writing read as undone, a story may have moved away unchanged and
    // an alike text taken its place: where it turns up, its writing is found.
    StoryMemory moved;
    ASSERT_TRUE(moved.storyCountIs(2, readerOf({})));
    moved.wrote(kCats, 1, u"a cat", {2, 3}, u"cats");
    const std::vector<std::u16string> now{u"a cat", u"a cats"};
    ASSERT_TRUE(moved.seen(1, now[0], readerOf(now)));
    ASSERT_TRUE(moved.seen(2, now[1], readerOf(now)));
    EXPECT_EQ(spansOf(moved, kCats, 2), (std::vector<Span>{{2, 4}}));
}

TEST(StoryMemory, OnlyTheLastFewJobsAreRemembered) {
    StoryMemory memory;
    for (int job = 0; job < 9; ++job)
        memory.wrote({u"cat", std::u16string(static_cast<size_t>(job + 1), u'x')}, job + 1, u"cat", {0, 3}, u"x");
    EXPECT_FALSE(memory.hasWritten({u"cat", u"x"}));
    EXPECT_TRUE(memory.hasWritten({u"cat", u"xx"}));
}

}  // namespace
}  // namespace quillet
