// Labels of the 3D view kept apart on the screen: a label that meets one drawn before it moves
// past it, upwards when it sits higher, else downwards, and on past any label it then meets.
#include "viewer3d/render/gl/SceneGeometry.h"

#include <gtest/gtest.h>

namespace s = v3d::scene;

namespace {

bool overlap(const s::LabelBox& a, const s::LabelBox& b) {
    return a.left < b.right && b.left < a.right && a.bottom < b.top && b.bottom < a.top;
}

s::LabelBox moved(s::LabelBox b, int shift) {
    b.bottom += shift;
    b.top += shift;
    return b;
}

} // namespace

TEST(LabelPlacement, ALabelOnAnotherMovesClearOfItAndKeepsItsSide) {
    // A 7 x 13 cell (10 up, 3 down): "0.00um" at the origin, "102.82um" four pixels above it.
    const s::LabelBox origin = s::LabelBoxAt(100, 200, 6, 7, 10, 3);
    EXPECT_EQ(origin.left, 100);
    EXPECT_EQ(origin.right, 142);
    EXPECT_EQ(origin.bottom, 197);
    EXPECT_EQ(origin.top, 210);
    const s::LabelBox top = s::LabelBoxAt(100, 204, 8, 7, 10, 3);
    const int up = s::LabelShiftClearOf(top, {origin});
    EXPECT_GT(up, 0);
    EXPECT_FALSE(overlap(moved(top, up), origin));
    EXPECT_EQ(moved(top, up).bottom, origin.top + 2);
    // One just below moves down; one clear of it stays.
    const s::LabelBox below = s::LabelBoxAt(120, 196, 8, 7, 10, 3);
    const int down = s::LabelShiftClearOf(below, {origin});
    EXPECT_LT(down, 0);
    EXPECT_EQ(moved(below, down).top, origin.bottom - 2);
    EXPECT_EQ(s::LabelShiftClearOf(s::LabelBoxAt(300, 200, 8, 7, 10, 3), {origin}), 0);
    EXPECT_EQ(s::LabelShiftClearOf(s::LabelBoxAt(100, 240, 8, 7, 10, 3), {origin}), 0);
}

TEST(LabelPlacement, ALabelMovedOntoAThirdMovesOnPastIt) {
    const s::LabelBox a = s::LabelBoxAt(0, 100, 6, 7, 10, 3);
    const s::LabelBox b = s::LabelBoxAt(0, 115, 6, 7, 10, 3); // just above a
    const s::LabelBox c = s::LabelBoxAt(5, 102, 6, 7, 10, 3);
    const int shift = s::LabelShiftClearOf(c, {a, b});
    const s::LabelBox placed = moved(c, shift);
    EXPECT_GT(shift, 0);
    EXPECT_FALSE(overlap(placed, a));
    EXPECT_FALSE(overlap(placed, b));
    EXPECT_GE(placed.bottom, b.top + 2);
}
