#include "dialogs/PixelLayout.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "dialogs/frmFind.h"
#include "dialogs/frmReplace.h"

namespace quillet {
namespace {

constexpr int kDpis[] = {96, 120, 144, 192};

PixelRect scaled(const ControlSpec& entry, int dpi) {
    return {pixelsOf(entry.left, dpi), pixelsOf(entry.top, dpi), pixelsOf(entry.width, dpi),
            pixelsOf(entry.height, dpi)};
}

size_t indexOf(const FormLayout& layout, std::string_view control) {
    return static_cast<size_t>(layout.control(control) - layout.controls.data());
}

bool overlap(const PixelRect& a, const PixelRect& b) {
    return a.left < b.right() && b.left < a.right() && a.top < b.top + b.height && b.top < a.top + a.height;
}

TEST(PixelLayout, TwipsBecomePixelsAtEachDpiRoundedToTheNearest) {
    EXPECT_EQ(pixelsOf(1440, 96), 96);
    EXPECT_EQ(pixelsOf(15, 96), 1);
    EXPECT_EQ(pixelsOf(975, 120), 81);    // 81.25
    EXPECT_EQ(pixelsOf(1545, 144), 155);  // 154.5 rounds up
    EXPECT_EQ(pixelsOf(2175, 192), 290);
    for (const FormLayout* layout : {&frmFind::layout(), &frmReplace::layout()}) {
        for (const int dpi : kDpis) {
            // Captions that fit, and controls without one, keep the layout's place.
            std::vector<int> fitting;
            for (const ControlSpec& entry : layout->controls) fitting.push_back(pixelsOf(entry.width, dpi) / 2);
            const PixelLayout placed = layOut(*layout, dpi, fitting);
            EXPECT_EQ(placed.clientWidth, pixelsOf(layout->clientWidth, dpi));
            EXPECT_EQ(placed.clientHeight, pixelsOf(layout->clientHeight, dpi));
            for (size_t i = 0; i < layout->controls.size(); ++i)
                EXPECT_EQ(placed.controls[i], scaled(layout->controls[i], dpi)) << layout->controls[i].name << " at " << dpi;
        }
    }
}

TEST(PixelLayout, AWideLabelMovesTheColumnsToItsRightAndTheDialogGrows) {
    // "Replace with:" in a face that needs 76 pixels where the layout gives 65.
    const FormLayout& layout = frmReplace::layout();
    std::vector<int> needed(layout.controls.size(), 0);
    needed[indexOf(layout, "lblReplaceWith")] = 76;
    const PixelLayout placed = layOut(layout, 96, needed);

    EXPECT_EQ(placed.controls[indexOf(layout, "lblReplaceWith")], (PixelRect{8, 32, 76, 17}));
    for (const char* moved : {"txtFindWhat", "txtReplaceWith", "cmdSpecial", "cmdReplace", "cmdClose"}) {
        PixelRect expected = scaled(*layout.control(moved), 96);
        expected.left += 11;
        EXPECT_EQ(placed.controls[indexOf(layout, moved)], expected) << moved;
    }
    for (const char* kept : {"lblFindWhat", "chkWholeWord", "chkCase", "cmdFind", "cmdReplaceAll"})
        EXPECT_EQ(placed.controls[indexOf(layout, kept)], scaled(*layout.control(kept), 96)) << kept;
    EXPECT_EQ(placed.clientWidth, 312 + 11);
    EXPECT_EQ(placed.clientHeight, 384);
}

TEST(PixelLayout, WideningsAtOneEdgeTakeTheMostAndAtDifferentEdgesAddUp) {
    const FormLayout& layout = frmReplace::layout();
    std::vector<int> needed(layout.controls.size(), 0);
    needed[indexOf(layout, "lblFindWhat")] = 70;
    needed[indexOf(layout, "lblReplaceWith")] = 76;
    needed[indexOf(layout, "cmdReplace")] = 150;
    const PixelLayout placed = layOut(layout, 96, needed);

    EXPECT_EQ(placed.controls[indexOf(layout, "lblFindWhat")].width, 70);
    EXPECT_EQ(placed.controls[indexOf(layout, "txtFindWhat")].left, 80 + 11);
    EXPECT_EQ(placed.controls[indexOf(layout, "cmdReplace")], (PixelRect{160 + 11, 112, 150, 25}));
    // The other button of the right column moves with it, but keeps its width.
    EXPECT_EQ(placed.controls[indexOf(layout, "cmdClose")], (PixelRect{160 + 11, 144, 145, 25}));
    EXPECT_EQ(placed.clientWidth, 312 + 11 + 5);
}

TEST(PixelLayout, WhateverTheCaptionsNeedNothingRunsIntoAnotherControlOrOutOfTheClientArea) {
    std::mt19937 random(19);
    for (const FormLayout* layout : {&frmFind::layout(), &frmReplace::layout()}) {
        for (int round = 0; round < 200; ++round) {
            const int dpi = kDpis[round % 4];
            std::vector<int> needed;
            for (const ControlSpec& entry : layout->controls) {
                const int width = pixelsOf(entry.width, dpi);
                needed.push_back(std::uniform_int_distribution<int>(0, 2 * width)(random));
            }
            const PixelLayout placed = layOut(*layout, dpi, needed);
            const std::string where = std::string(layout->name) + " round " + std::to_string(round);
            for (size_t i = 0; i < layout->controls.size(); ++i) {
                const ControlSpec& entry = layout->controls[i];
                const PixelRect& rect = placed.controls[i];
                const PixelRect original = scaled(entry, dpi);
                EXPECT_EQ(rect.width, std::max(original.width, needed[i])) << where << " " << entry.name;
                EXPECT_EQ(rect.top, original.top) << where;
                EXPECT_EQ(rect.height, original.height) << where;
                EXPECT_GE(rect.left, original.left) << where;
                // The client area keeps at least the margin that the control had.
                if (entry.visible) {
                    EXPECT_GE(placed.clientWidth - rect.right(), pixelsOf(layout->clientWidth, dpi) - original.right())
                        << where << " " << entry.name;
                }
                for (size_t j = 0; j < i; ++j) {
                    if (overlap(scaled(layout->controls[j], dpi), original)) continue;
                    EXPECT_FALSE(overlap(placed.controls[j], rect))
                        << where << ": " << layout->controls[j].name << " and " << entry.name;
                }
            }
        }
    }
}

}  // namespace
}  // namespace quillet
