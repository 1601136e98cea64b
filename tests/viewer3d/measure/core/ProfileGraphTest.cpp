// The graphs' geometry and results on synthetic profiles whose answers are known in closed
// form (a step, an incline, a bump), the cursor rules, and the measuring overlay's hit regions.
#include "viewer3d/measure/core/MeasureOverlay.h"
#include "viewer3d/measure/core/ProfileGraph.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

using namespace v3d;

namespace {

// A grid of 9 steps of 11 pixels inside a 110 x 110 area (insets of 5 pixels).
graph::ProfileLayout wideLayout(int imageWidth, int count, double graphScale) {
    return graph::LayoutProfileGraph(RECT{0, 0, 110, 110}, 5.0 / 110, 5.0 / 110, imageWidth, 10, count,
                                     graphScale);
}

} // namespace

TEST(ProfileGraphResults, StepInclineBumpAndWidthMatchTheirClosedForms) {
    const double zScale = 0.5, pitch = 2.0;
    // A step of 40 raw units (20 height units) between samples 49 and 50.
    std::vector<int> step(100);
    for (int j = 0; j < 100; ++j)
        step[j] = j < 50 ? 7 : 47;
    graph::Cursors c;
    c.a = 10;
    c.b = 80;
    graph::AutomaticLevels(step.data(), 100, 7, zScale, &c);
    graph::ProfileResults r = graph::ComputeResults(c, 0.0, pitch);
    EXPECT_DOUBLE_EQ(r.height, 20.0);
    EXPECT_DOUBLE_EQ(r.width, 70.0); // samples, not length units
    EXPECT_NEAR(r.angle, std::atan(20.0 / (70 * pitch)) * 180 / std::numbers::pi, 1e-9);

    // An incline of 3 raw units a sample: slope 3 * 0.5 / 2 = 0.75 in length units.
    std::vector<int> incline(100);
    for (int j = 0; j < 100; ++j)
        incline[j] = 3 * j;
    c.a = 10;
    c.b = 60;
    graph::AutomaticLevels(incline.data(), 100, 0, zScale, &c);
    r = graph::ComputeResults(c, 0.0, pitch);
    EXPECT_NEAR(r.angle, std::atan(0.75) * 180 / std::numbers::pi, 1e-9);
    EXPECT_DOUBLE_EQ(r.height, 75.0);
    // Falling the other way gives the same inclination.
    c.a = 10;
    c.b = 60;
    std::vector<int> falling(incline.rbegin(), incline.rend());
    graph::AutomaticLevels(falling.data(), 100, 0, zScale, &c);
    EXPECT_NEAR(graph::ComputeResults(c, 0.0, pitch).angle, std::atan(0.75) * 180 / std::numbers::pi, 1e-9);

    // A bump 0 1 2 3 2 1 0 (raw) on a base of 5 from sample 20: sum 9 raw, area p * 9 * z.
    std::vector<int> bump(60, 5);
    const int shape[7] = {0, 1, 2, 3, 2, 1, 0};
    for (int i = 0; i < 7; ++i)
        bump[20 + i] += shape[i];
    const double sum = graph::SumHeights(bump.data(), 60, 5, zScale, 15, 40);
    EXPECT_DOUBLE_EQ(graph::ComputeResults(c, sum, pitch).area, pitch * 9 * zScale);
    // Cursors beyond a short profile sum only the samples it has.
    EXPECT_DOUBLE_EQ(graph::SumHeights(bump.data(), 24, 5, 1.0, 15, 40), 0 + 1 + 2 + 3);
}

TEST(ProfileGraphResults, SegmentAnglesAreInclinationsInDegrees) {
    EXPECT_DOUBLE_EQ(graph::MeasureSegmentAngle(10, 0, 0, 0, 0, 0, 10, 0), 0.0);
    EXPECT_NEAR(graph::MeasureSegmentAngle(10, 5, 0, 5, 0, 5, 10, -5), 45.0, 1e-12);
    EXPECT_NEAR(graph::MeasureSegmentAngle(0, 0, 10, 0, 0, 10, 0, 0), 90.0, 1e-12);
    EXPECT_DOUBLE_EQ(graph::MeasureSegmentAngle(3, 3, 3, 3, 3, 3, 3, 3), 0.0); // no length: 0
}

TEST(ProfileGraphLayout, RangesScalesAndTheDivisionsByZeroItMends) {
    graph::ProfileLayout l = wideLayout(101, 101, 1.0);
    ASSERT_TRUE(l.drawable);
    EXPECT_EQ(l.stepX, 11);
    EXPECT_EQ(l.frame.right, 5 + 99 + 1);
    EXPECT_DOUBLE_EQ(l.samplesPerPixel, 100.0 / 99);
    EXPECT_DOUBLE_EQ(l.verticalRange, 99 * 100.0 / 99); // height and length share one scale
    EXPECT_DOUBLE_EQ(wideLayout(101, 101, 4.0).verticalRange, 25.0);
    // A shorter line is centred in the frame of the longer side.
    l = wideLayout(101, 51, 1.0);
    EXPECT_EQ(l.first, 25);
    EXPECT_EQ(l.last, 75);
    EXPECT_GT(l.plot.left, l.frame.left);
    EXPECT_EQ(graph::LineSampleCount(v3d::kLineFree, 0, 0, RECT{10, 40, 3, 20}), 21);

    // A plot of no width (a tiny pane) has no scale: nothing but the background is drawn.
    l = graph::LayoutProfileGraph(RECT{0, 0, 8, 8}, 0.25, 0.25, 101, 10, 101, 1.0);
    EXPECT_FALSE(l.drawable);
    EXPECT_TRUE(graph::CurvePoints(
                    l, 10, [](int) { return 1.0; }, false)
                    .empty());
    EXPECT_EQ(graph::HitCursors(l, graph::Cursors{}, 0, 0, true), 0u);
    // One sample across: vertical range 0; the cursor lines lie on the bottom edge.
    l = graph::LayoutProfileGraph(RECT{0, 0, 110, 110}, 5.0 / 110, 5.0 / 110, 1, 1, 1, 1.0);
    EXPECT_DOUBLE_EQ(l.verticalRange, 0.0);
    bool storeC = false, storeD = false;
    graph::Cursors c = graph::CursorDefaults(-3, 5, -1.0, -1.0, 50, 10, 1.0, &storeC, &storeD);
    EXPECT_TRUE(storeC && storeD);
    EXPECT_EQ(c.c, 40.0); // the profile's height range, whatever the plot's
    EXPECT_EQ(c.d, 0.0);
    EXPECT_EQ(c.a, 0.0); // negative counts as 0
    EXPECT_EQ(graph::CursorPixel(l, c, graph::kCursorC), l.frame.top + 9 * l.stepY);
}

TEST(ProfileGraphCursors, LevelsStayInHeightUnitsWhateverThePlotsRange) {
    bool storeC = false, storeD = false;
    graph::Cursors c = graph::CursorDefaults(1, 5, 30.0, 10.0, 50, 10, 2.0, &storeC, &storeD);
    EXPECT_FALSE(storeC || storeD);
    EXPECT_DOUBLE_EQ(graph::ComputeResults(c, 0.0, 1.0).height, 20.0);
    // Two panes of other shapes: the vertical ranges differ, the measured height does not.
    const graph::ProfileLayout tall =
        graph::LayoutProfileGraph(RECT{0, 0, 110, 400}, 5.0 / 110, 5.0 / 400, 101, 10, 101, 1.0);
    const graph::ProfileLayout flat = wideLayout(101, 101, 1.0);
    ASSERT_GT(tall.verticalRange, 3 * flat.verticalRange);
    // A level above the plot's range stays what it is and is drawn on the plot's top edge.
    c.c = 2 * flat.verticalRange;
    EXPECT_EQ(graph::CursorPixel(flat, c, graph::kCursorC), flat.frame.top);
    EXPECT_LT(graph::CursorPixel(tall, c, graph::kCursorC), tall.frame.bottom);
    EXPECT_GT(graph::CursorPixel(tall, c, graph::kCursorC), tall.frame.top);
    EXPECT_DOUBLE_EQ(graph::ComputeResults(c, 0.0, 1.0).height, 2 * flat.verticalRange - 10.0);
    // Dragging D within the plot leaves a C above it where it was.
    EXPECT_TRUE(graph::DragCursors(graph::kCursorD, 50, 5, 101, flat.verticalRange, true, &c));
    EXPECT_DOUBLE_EQ(c.c, 2 * flat.verticalRange);
    EXPECT_DOUBLE_EQ(c.d, 5.0);
    // Heights of an automatic line are not held to the plot either.
    std::vector<int> step(101, 0);
    for (int j = 50; j < 101; ++j)
        step[j] = 1000;
    c.a = 10;
    c.b = 80;
    graph::AutomaticLevels(step.data(), 101, 0, 1.0, &c);
    EXPECT_DOUBLE_EQ(c.c, 1000.0);
    EXPECT_DOUBLE_EQ(c.d, 0.0);
}

TEST(ProfileGraphLayout, CurvesLieOnTheBottomEdgeAtScaleZeroAndWalkTheShorterCount) {
    const graph::ProfileLayout l = wideLayout(101, 101, 0.0);
    const auto flat = graph::CurvePoints(
        l, 101, [](int j) { return j * 3.0; }, true);
    ASSERT_EQ(flat.size(), 101u);
    for (const POINT& p : flat)
        EXPECT_EQ(p.y, l.frame.top + 9 * l.stepY);
    EXPECT_EQ(flat.front().x, l.frame.left);
    EXPECT_EQ(flat.back().x, l.frame.left + 9 * l.stepX);
    // Heights above the range are held at its top, below 0 at the bottom.
    const auto held = graph::CurvePoints(
        l, 2, [](int j) { return j ? 1e9 : -5.0; }, false);
    EXPECT_EQ(held[0].y, l.frame.top + 9 * l.stepY);
    EXPECT_EQ(held[1].y, l.frame.top);
    EXPECT_EQ(graph::WalkCount(101, 40), 40);
    EXPECT_EQ(graph::WalkCount(30, 40), 30);
    EXPECT_EQ(graph::WalkCount(30, -1), 0);
}

TEST(ProfileGraphCursors, PressesWithinOnePixelHitAndDragsStopAtTheOtherCursor) {
    const graph::ProfileLayout l = wideLayout(100, 100, 1.0);
    graph::Cursors c;
    c.a = 20;
    c.b = 70;
    c.c = 60;
    c.d = 10;
    const int xa = graph::CursorPixel(l, c, graph::kCursorA);
    const int yc = graph::CursorPixel(l, c, graph::kCursorC);
    EXPECT_EQ(graph::HitCursors(l, c, xa + 1, 50, false), graph::kCursorA);
    EXPECT_EQ(graph::HitCursors(l, c, xa - 1, 50, false), graph::kCursorA);
    EXPECT_EQ(graph::HitCursors(l, c, xa + 2, 50, false), 0u);
    EXPECT_EQ(graph::HitCursors(l, c, 0, yc + 1, false), 0u); // C only in manual mode
    EXPECT_EQ(graph::HitCursors(l, c, 0, yc + 1, true), graph::kCursorC);

    const double range = l.verticalRange;
    EXPECT_TRUE(graph::DragCursors(graph::kCursorA, 90, 5, 100, range, true, &c));
    EXPECT_EQ(c.a, 70); // A stops at B
    EXPECT_TRUE(graph::DragCursors(graph::kCursorB, 99, 5, 100, range, true, &c));
    EXPECT_EQ(c.b, 99);
    EXPECT_FALSE(graph::DragCursors(graph::kCursorB, 100.5, 5, 100, range, true, &c)); // beyond the range
    EXPECT_TRUE(graph::DragCursors(graph::kCursorD, 50, 80, 100, range, true, &c));
    EXPECT_EQ(c.d, 60); // D stops at C
    EXPECT_TRUE(graph::DragCursors(graph::kCursorC, 50, 1, 100, range, false, &c));
    EXPECT_EQ(c.c, 60); // automatic mode: C and D follow the profile, not the pointer
}

TEST(AreaGraph, CurvesFollowTheHistogramAndThePerimeterTable) {
    const graph::AreaLayout l = graph::LayoutAreaGraph(RECT{0, 0, 228, 121}, 2, 4);
    ASSERT_TRUE(l.drawable);
    EXPECT_EQ(l.stepX, 22);
    EXPECT_EQ(l.stepY, 11);
    EXPECT_EQ(l.left.right, l.right.left);
    // Levels 0..99 over 99 rows; entry i = 100 - i pixels at level i or above, sum 100.
    std::vector<double> histogram(100);
    for (int i = 0; i < 100; ++i)
        histogram[i] = 100 - i;
    const auto area = graph::AreaCurvePoints(l.left, histogram, 100.0, 0, 99);
    ASSERT_FALSE(area.empty());
    EXPECT_EQ(area.front().x, l.left.right); // every pixel at the bottom level
    EXPECT_EQ(area.front().y, l.left.bottom);
    for (size_t i = 1; i + 1 < area.size(); ++i)
        EXPECT_NE(area[i].x, area[i - 1].x);
    double curve[64];
    for (int i = 0; i < 64; ++i)
        curve[i] = i;
    const auto perimeter = graph::PerimeterCurvePoints(l.right, curve, 64, 63.0);
    ASSERT_EQ(perimeter.size(), size_t(99 + 1));
    EXPECT_EQ(perimeter.front().x, l.right.left);
    EXPECT_EQ(perimeter.back().x, l.right.left + std::lround(99 * 64 / 100 / 63.0 * 110));
    EXPECT_TRUE(graph::AreaCurvePoints(l.left, {}, 0.0, 0, 0).empty()); // no histogram
    // The slice level 40 levels above the minimum at one level a row: 40 rows up, from the axis
    // across to the curve and down.
    EXPECT_DOUBLE_EQ(graph::LevelsPerRow(l.left, 0, 99), 1.0);
    const auto slice = graph::SliceIndicator(l.left, 40.0, 1.0, 70);
    ASSERT_EQ(slice.size(), 3u);
    EXPECT_EQ(slice[0].x, l.left.left);
    EXPECT_EQ(slice[0].y, l.left.bottom - 40);
    EXPECT_EQ(slice[1].x, 70);
    EXPECT_EQ(slice[2].y, l.left.bottom);
    EXPECT_TRUE(graph::SliceIndicator(l.left, 140.0, 1.0, 70).empty()); // above the graph
}

TEST(MeasureOverlay, RegionsAroundCrossLinesReachOnePixel) {
    const std::vector<overlay::PointF> square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    EXPECT_TRUE(overlay::PointInPolygon(square, 5, 5));
    EXPECT_TRUE(overlay::PointInPolygon(square, 10, 3)); // on the edge
    EXPECT_FALSE(overlay::PointInPolygon(square, 10.5, 3));
    const std::vector<overlay::PointF> concave{{0, 0}, {10, 0}, {10, 10}, {5, 2}, {0, 10}};
    EXPECT_FALSE(overlay::PointInPolygon(concave, 5, 6));
    EXPECT_TRUE(overlay::PointInPolygon(concave, 2, 2));

    const auto vertical = overlay::CrossLineRegion(POINT{40, 10}, POINT{40, 50});
    EXPECT_TRUE(overlay::PointInPolygon(vertical, 41, 30));
    EXPECT_TRUE(overlay::PointInPolygon(vertical, 39, 9));
    EXPECT_FALSE(overlay::PointInPolygon(vertical, 42, 30));
    EXPECT_FALSE(overlay::PointInPolygon(vertical, 40, 52));
    // A diagonal cross line: 1 pixel across it is inside, 2 pixels is not.
    const auto diagonal = overlay::CrossLineRegion(POINT{0, 0}, POINT{30, 30});
    const double s = std::sqrt(0.5);
    EXPECT_TRUE(overlay::PointInPolygon(diagonal, 15 + s * 0.99, 15 - s * 0.99));
    EXPECT_FALSE(overlay::PointInPolygon(diagonal, 15 + 2 * s, 15 - 2 * s));
}

TEST(MeasureOverlay, SweepsRangesAndFreeLineCursors) {
    EXPECT_TRUE(overlay::PicksUp(21, 20, 0, false));
    EXPECT_FALSE(overlay::PicksUp(22, 20, 0, false));
    EXPECT_TRUE(overlay::PicksUp(30, 20, 10, true)); // crossed since the last position
    EXPECT_TRUE(overlay::PicksUp(10, 20, 30, true));
    EXPECT_FALSE(overlay::PicksUp(30, 20, 25, true));
    // A band of 5 lines (half 2) in 48 rows: rows 2..46; a single line (half 0) reaches row 48.
    EXPECT_EQ(overlay::ClampLinePosition(0, 2, 48), 2);
    EXPECT_EQ(overlay::ClampLinePosition(47, 2, 48), 46);
    EXPECT_EQ(overlay::ClampLinePosition(46, 2, 48), 46);
    EXPECT_EQ(overlay::ClampLinePosition(60, 0, 48), 48);
    EXPECT_EQ(overlay::ClampLinePosition(9, 4, 5), 2);
    EXPECT_EQ(overlay::ClampLinePosition(9, 4, 9), 5);
    // Cursor B stops at the end it is given: the line's extent.
    EXPECT_EQ(overlay::ClampCursorB(49, 10, 48), 48);
    EXPECT_EQ(overlay::ClampCursorB(3, 10, 47), 10);
    EXPECT_EQ(overlay::ClampCursorA(30, 20), 20);
    EXPECT_EQ(overlay::ClampCursorA(-4, 20), 0);

    const RECT wide{30, 5, 10, 9}; // ends in either order
    EXPECT_TRUE(overlay::FreeLineAlongX(wide));
    EXPECT_EQ(overlay::FreeLineLast(wide), 20);
    EXPECT_EQ(overlay::FreeCursorPosition(wide, POINT{17, 7}), 7);
    const RECT tall{4, 2, 8, 40};
    EXPECT_EQ(overlay::FreeCursorPosition(tall, POINT{5, 12}), 10);
    const auto band = overlay::FreeBand(tall, 2);
    EXPECT_DOUBLE_EQ(band[0].x, 2);
    EXPECT_DOUBLE_EQ(band[2].x, 10);
    EXPECT_DOUBLE_EQ(band[2].y, 40);
}
