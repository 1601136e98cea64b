// Labels of the 3D view kept apart on the screen: a label that meets one drawn before it moves
// past it, upwards when it sits higher, else downwards, and on past any label it then meets.
#include "viewer3d/render/gl/SceneGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

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

namespace {

// The view of a 3D pane of width x height pixels as the scene sets it up: the perspective of
// 40 degrees from 7 units away, the zoom, the turn and the z stretch.
s::ScreenView paneView(int width, int height, const double turn[16], double zoom, double zScale) {
    s::ScreenView view;
    const double f = 1.0 / std::tan(20.0 * std::numbers::pi / 180.0), nearPlane = 0.001, farPlane = 30.0;
    double perspective[16] = {};
    perspective[0] = f * height / width;
    perspective[5] = f;
    perspective[10] = (farPlane + nearPlane) / (nearPlane - farPlane);
    perspective[11] = -1.0;
    perspective[14] = 2.0 * farPlane * nearPlane / (nearPlane - farPlane);
    double back[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -7, 1};
    s::MultiplyMatrix(perspective, back, view.projection);
    double zoomed[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, zoom, 1};
    double stretch[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, zScale, 0, 0, 0, 0, 1};
    s::MultiplyMatrix(zoomed, turn, view.modelview);
    s::MultiplyMatrix(view.modelview, stretch, view.modelview);
    view.viewport[2] = width;
    view.viewport[3] = height;
    return view;
}

} // namespace

TEST(LabelPlacement, AtEveryTurnOfTheRotationFieldsTheLabelsCoverNeitherEachOtherNorAnArrowHead) {
    // A 320 x 240 data set of 0.5 um a pixel, 23.8 um high, in the texture mode with the grid.
    s::SceneValues v;
    v.imageWidth = 320;
    v.imageHeight = 240;
    v.pitch = 0.5;
    v.rawMaximum = 238;
    v.rawMinimum = 0;
    v.zCalibration = 0.1;
    v.maxRawValue = 255;
    s::SceneExtents ext;
    // The labels in the order the scene draws them, with their lengths: "0.00um", "x", "y",
    // "z", "160.00um", "120.00um", "23.80um".
    struct Label {
        s::Vec3 at;
        int length;
    };
    constexpr int kCell = 7, kAscent = 10, kDescent = 3;
    int checked = 0, headCovered = 0;
    for (int mode = 0; mode < 2; ++mode)
        for (int ax = -180; ax < 180; ax += 15)
            for (int ay = -180; ay < 180; ay += 15)
                for (int az = (mode ? -180 : 0); az < (mode ? 180 : 1); az += 30) {
                    v.rotationMode = mode;
                    double turn[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
                    s::AccumulateRotation(turn, mode, ax, ay, az);
                    const s::ScreenView view = paneView(533, 426, turn, 0.0, 1.0);
                    std::vector<Label> labels = {{s::OriginLabelPos(ext), 6}};
                    for (int axis = 0; axis < 3; ++axis)
                        labels.push_back({s::AxisLetterPos(v, ext, axis), 1});
                    const int lengths[3] = {8, 8, 7};
                    for (int axis = 0; axis < 3; ++axis)
                        labels.push_back({s::AxisValuePos(v, ext, axis), lengths[axis]});
                    const std::vector<s::LabelBox> heads = s::ArrowHeadBoxes(v, ext, view);
                    ASSERT_EQ(heads.size(), 3u);
                    // The places the renderer gives the labels.
                    s::LabelPlacer placer(v, ext, view, kCell, kAscent, kDescent);
                    std::vector<s::LabelBox> apart, drawn;
                    for (const Label& l : labels) {
                        double x = 0, y = 0;
                        ASSERT_TRUE(s::ToWindow(view, l.at, &x, &y));
                        const int rx = int(std::lround(x)), ry = int(std::lround(y));
                        const s::LabelBox at = s::LabelBoxAt(rx, ry, l.length, kCell, kAscent, kDescent);
                        drawn.push_back(moved(at, placer.Place(rx, ry, l.length)));
                        // Kept apart from the other labels alone, as they were.
                        const s::LabelBox alone = moved(at, s::LabelShiftClearOf(at, apart));
                        apart.push_back(alone);
                        for (const s::LabelBox& head : heads)
                            headCovered += overlap(alone, head);
                    }
                    for (size_t i = 0; i < drawn.size(); ++i) {
                        for (size_t j = i + 1; j < drawn.size(); ++j)
                            ASSERT_FALSE(overlap(drawn[i], drawn[j]))
                                << "labels " << i << " and " << j << " at " << ax << ", " << ay << ", " << az;
                        for (size_t k = 0; k < heads.size(); ++k)
                            ASSERT_FALSE(overlap(drawn[i], heads[k]))
                                << "label " << i << " and arrow head " << k << " at " << ax << ", " << ay
                                << ", " << az;
                    }
                    ++checked;
                }
    EXPECT_GT(checked, 1000);
    // Labels kept apart from each other alone meet an arrow head in many of these views (the
    // value of an axis under its arrow head in a tilted view among them).
    EXPECT_GT(headCovered, checked / 20);
    std::printf("%d views, %d labels an arrow head covered when only the labels were kept apart\n", checked,
                headCovered);
}

TEST(LabelPlacement, TheWindowPointOfAScenePointTakesEachAxisFromItsOwnSideOfTheViewport) {
    // A viewport four times as wide as high, away from the window's corner; a projection whose w
    // is 2 halves every point.
    s::ScreenView view;
    view.projection[15] = 2.0;
    view.viewport[0] = 10;
    view.viewport[1] = 20;
    view.viewport[2] = 400;
    view.viewport[3] = 100;
    double x = 0, y = 0;
    ASSERT_TRUE(s::ToWindow(view, {2.0, 2.0, 0.0}, &x, &y));
    EXPECT_DOUBLE_EQ(x, 410.0);
    EXPECT_DOUBLE_EQ(y, 120.0);
    ASSERT_TRUE(s::ToWindow(view, {-1.0, 1.0, 0.0}, &x, &y));
    EXPECT_DOUBLE_EQ(x, 110.0);
    EXPECT_DOUBLE_EQ(y, 95.0);
    // A point at the eye has no window point.
    view.projection[15] = 0.0;
    EXPECT_FALSE(s::ToWindow(view, {0.0, 0.0, 0.0}, &x, &y));
}
