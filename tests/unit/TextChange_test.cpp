// How one text became another: the changes between them, what they leave
// alone and where it went, and a text with replacements made.
#include <gtest/gtest.h>

#include <tuple>

#include "engine/memory/TextChange.h"

namespace quillet {
namespace {

TEST(TextChange, AnEditIsTheStretchBetweenWhatTheTextsShareAtEitherEnd) {
    EXPECT_TRUE(changesBetween(u"same", u"same").empty());
    const auto typed = changesBetween(u"cats cat", u"cats cat.");
    ASSERT_EQ(typed.size(), 1u);
    EXPECT_EQ((std::tuple{typed[0].start, typed[0].oldLength, typed[0].newLength}), (std::tuple{8, 0, 1}));
    // A letter typed into a run of the same letter lies as far on as it can.
    const auto run = changesBetween(u"aa b", u"aaa b");
    EXPECT_EQ((std::tuple{run[0].start, run[0].oldLength, run[0].newLength}), (std::tuple{2, 0, 1}));
    // Edits apart from each other stay apart: what lies between them stays.
    const auto both = changesBetween(u"cats cats", u"A cats cats!");
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ((std::tuple{both[0].start, both[0].oldLength, both[0].newLength}), (std::tuple{0, 0, 2}));
    EXPECT_EQ((std::tuple{both[1].start, both[1].oldLength, both[1].newLength}), (std::tuple{9, 0, 1}));
    const auto twoEdits = changesBetween(u"xa atca ata at", u"xa ata acat-ta at");
    EXPECT_EQ(carried({6, 3}, twoEdits), (Span{5, 3}));
    // A rewrite is one change, whatever letters it has in common with what it replaced.
    const auto rewrite = changesBetween(u"s-CA", u"xA.xa catCAT");
    ASSERT_EQ(rewrite.size(), 1u);
    EXPECT_EQ(carried({3, 1}, rewrite), std::nullopt);
    // So is a short story typed anew, though a word of it stands untouched.
    const auto anew = changesBetween(u"CcatCATA", u"satcatas");
    ASSERT_EQ(anew.size(), 1u);
    EXPECT_EQ(carried({1, 3}, anew), std::nullopt);
}

TEST(TextChange, WhatAnEditLeftAloneMovesWithTheTextAndWhatItTouchedIsGone) {
    const std::vector<ChangedStretch> insertAt4{{4, 0, 2}};
    EXPECT_EQ(carried({0, 4}, insertAt4), (Span{0, 4}));  // ends where the insertion is
    EXPECT_EQ(carried({4, 3}, insertAt4), (Span{6, 3}));  // begins there
    EXPECT_EQ(carried({2, 4}, insertAt4), std::nullopt);  // the insertion falls inside it
    // A place (what an empty replacement left) is gone where an edit is
    // made at it, or begins or ends there: its neighbours are no longer
    // what they were, and whole words are judged on the text as it reads.
    EXPECT_EQ(carried({4, 0}, insertAt4), std::nullopt);
    const std::vector<ChangedStretch> replace4to6{{4, 2, 5}};
    EXPECT_EQ(carried({4, 0}, replace4to6), std::nullopt);
    EXPECT_EQ(carried({6, 0}, replace4to6), std::nullopt);
    EXPECT_EQ(carried({5, 0}, replace4to6), std::nullopt);
    EXPECT_EQ(carried({3, 0}, replace4to6), (Span{3, 0}));
    EXPECT_EQ(carried({7, 0}, replace4to6), (Span{10, 0}));
    EXPECT_EQ(carried({3, 2}, replace4to6), std::nullopt);
}

TEST(TextChange, AnUndoKeepsThePlacesBesideWhatItPutsBack) {
    // An undo put "cat" back for the empty replacement between "a" and "b":
    // the places of other empty replacements beside it stand as they did.
    const std::vector<ChangedStretch> putBack{{1, 0, 3}};
    EXPECT_EQ(carried({1, 0}, putBack, AtItsEdges::PlacesKept), (Span{4, 0}));
    EXPECT_EQ(carried({0, 0}, putBack, AtItsEdges::PlacesKept), (Span{0, 0}));
    EXPECT_EQ(carried({1, 0}, putBack), std::nullopt);
}

TEST(TextChange, ATextWithItsReplacementsMadeAndWhatSetsAFewEditsApartFromARewrite) {
    EXPECT_EQ(rewritten(u"a cat and a cat", {{{2, 3}, u"dog"}, {{12, 3}, u""}}), u"a dog and a ");
    EXPECT_EQ(rewritten(u"cat", {}), u"cat");
    const SharedEnds shared = sharedEndsOf(u"aXb", u"aYb");
    EXPECT_EQ((std::pair{shared.prefix, shared.suffix}), (std::pair<Position, Position>{1, 1}));
    // The end never reaches back into the beginning.
    const SharedEnds overlapping = sharedEndsOf(u"aa", u"aaa");
    EXPECT_EQ(overlapping.prefix + overlapping.suffix, 2);
    EXPECT_TRUE(isAFewEdits(changesBetween(u"the cat sat", u"the cats sat"), u"the cat sat", u"the cats sat"));
    EXPECT_FALSE(isAFewEdits(changesBetween(u"the cat sat", u"a dog ran off"), u"the cat sat", u"a dog ran off"));
}

}  // namespace
}  // namespace quillet
