// A story's copy with a job's writing masked, and what the job leaves where
// its writing is only possibly its own.
#include <gtest/gtest.h>

#include "engine/memory/MaskedStory.h"

namespace quillet {
namespace {

WrittenSpan inDoubt(Span span, std::u16string replaced) { return {span, std::move(replaced), 1, /*certain=*/false}; }

TEST(MaskedStory, WhatMayBeTheJobsOwnIsCountedWhereItLeavesAnOccurrenceEitherWay) {
    const FindOptions anyCase{};
    // "cats" that may have been written for "cat": its "cat" is left.
    EXPECT_EQ(occurrencesLeftInDoubt(u"a cats and a cat", {inDoubt({2, 4}, u"cat")}, u"cat", anyCase), 1);
    // Certain writing leaves nothing in doubt.
    EXPECT_EQ(occurrencesLeftInDoubt(u"a cats", {{{2, 4}, u"cat", 1, true}}, u"cat", anyCase), 0);
    // Writing in doubt that holds no occurrence either way leaves none.
    EXPECT_EQ(occurrencesLeftInDoubt(u"a dog", {inDoubt({2, 3}, u"cat")}, u"cat", anyCase), 0);
    // Occurrences next to it that are whole words only one way.
    const FindOptions word{false, true};
    EXPECT_EQ(occurrencesLeftInDoubt(u".c.", {inDoubt({1, 1}, u".")}, u".", word), 2);
    // Found passing over the writing, it is no occurrence left.
    SearchBuffer buffer;
    loadMasked(buffer, u"a cats and a cat", {inDoubt({2, 4}, u"cat")});
    EXPECT_EQ(occurrencesIn(buffer, u"cat", anyCase), (std::vector<Span>{{13, 3}}));
}

}  // namespace
}  // namespace quillet
