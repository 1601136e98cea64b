#include "shell/core/capture/ZPositionRule.h"
#include "shell/core/capture/ZTravelDiagram.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(ZRule, DisplayedRawAndMoveTarget) {
    EXPECT_EQ(ZDisplaySign(false, 0), 1);
    EXPECT_EQ(ZDisplaySign(true, 0), -1);
    EXPECT_EQ(ZDisplaySign(false, 1), -1);
    // 1500 pulses from an origin of 500 at 0.5 µm per pulse.
    EXPECT_DOUBLE_EQ(RawZ(1500, 500, 0.5), 500.0);
    EXPECT_DOUBLE_EQ(DisplayedZ(1500, 500, 0.5, 1), 500.0);
    EXPECT_DOUBLE_EQ(DisplayedZ(1500, 500, 0.5, -1), -500.0);
    EXPECT_FALSE(std::signbit(DisplayedZ(500, 500, 0.5, -1))); // the origin is 0, not -0
    // The move target leads back to the pulse position of a displayed Z, for either sign.
    for (int sign : {1, -1}) {
        for (int pulses : {-7000, -1, 0, 3, 1500}) {
            const double z = DisplayedZ(pulses, 500, 0.25, sign);
            EXPECT_EQ(ZMoveTarget(z, 0.25, 500, sign), pulses) << sign << " " << pulses;
        }
    }
    // s·z/u + o truncated toward zero.
    EXPECT_EQ(ZMoveTarget(10.7, 1.0, 0, 1), 10);
    EXPECT_EQ(ZMoveTarget(10.7, 1.0, 0, -1), -10);
    EXPECT_EQ(ZMoveTarget(-0.9, 1.0, 0, 1), 0);
    EXPECT_EQ(ZMoveTarget(3.0, 0.4, -2, 1), 5); // 7.5 - 2 = 5.5
    // Two positions far apart do not overflow their difference.
    EXPECT_DOUBLE_EQ(RawZ(2147483647, -2147483647 - 1, 1.0), 4294967295.0);
}

TEST(ZRule, NoMoveWithoutAPositiveCalibration) {
    EXPECT_EQ(ZMoveTarget(10.0, 0.0, 0, 1), std::nullopt);
    EXPECT_EQ(ZMoveTarget(10.0, -0.5, 0, 1), std::nullopt);
    EXPECT_EQ(ZMoveTarget(10.0, std::nan(""), 0, 1), std::nullopt);
    // A target beyond what a pulse position holds is no target either.
    EXPECT_EQ(ZMoveTarget(999999.0, 1e-6, 0, 1), std::nullopt);
}

TEST(ZRule, DiagramCoordinates) {
    for (int type : {3, 4, 5, 8}) {
        EXPECT_EQ(DiagramCurrentZ(type, 12.0), -12.0);
        EXPECT_EQ(DiagramPositionZ(type, true, 1, 7.0), 7.0);
    }
    for (int type : {1, 2, 6, 7, 9}) {
        EXPECT_EQ(DiagramCurrentZ(type, 12.0), 12.0);
        EXPECT_EQ(DiagramPositionZ(type, false, 0, 7.0), 7.0);
        EXPECT_EQ(DiagramPositionZ(type, false, 1, 7.0), -7.0);
    }
}

// The diagram in a 40 × 210 client area: the bar from y 5 to 205, 200 pixels high.
const DiagramRect kClient{0, 0, 40, 210};

TEST(ZTravelDiagram, BarTicksMarksAndZeroLine) {
    auto g = ComputeZTravelDiagram(kClient, 5.0, {-10, 0, 10});
    EXPECT_EQ(g.bar, (DiagramRect{15, 5, 20, 205}));
    EXPECT_EQ(g.topTick, (DiagramRect{0, 5, 35, 6}));
    EXPECT_EQ(g.bottomTick, (DiagramRect{0, 204, 35, 205}));
    ASSERT_EQ(g.captures.size(), 3u);
    // Larger values higher up: 10 at the top, -10 at the bottom end (kept inside the bar).
    EXPECT_EQ(g.captures[2].tip, (DiagramPoint{20, 5}));
    EXPECT_EQ(g.captures[1].tip, (DiagramPoint{20, 105}));
    EXPECT_EQ(g.captures[0].tip, (DiagramPoint{20, 204}));
    EXPECT_EQ(g.captures[1].first, (DiagramPoint{33, 100}));
    EXPECT_EQ(g.captures[1].second, (DiagramPoint{33, 110}));
    EXPECT_EQ(g.current.tip, (DiagramPoint{14, 55}));
    EXPECT_EQ(g.current.first, (DiagramPoint{5, 50}));
    ASSERT_TRUE(g.zeroLine.has_value());
    EXPECT_EQ(*g.zeroLine, (DiagramRect{2, 105, 20, 106}));
    // The current Z beyond the positions widens the span.
    auto above = ComputeZTravelDiagram(kClient, 30.0, {-10, 10});
    EXPECT_EQ(above.current.tip.y, 5);
    EXPECT_EQ(above.captures[1].tip.y, 5 + 200 * 20 / 40);
}

TEST(ZTravelDiagram, NoPositionsPutsTheCurrentMarkAtTheBottom) {
    auto g = ComputeZTravelDiagram(kClient, 12.5, {});
    EXPECT_TRUE(g.captures.empty());
    EXPECT_EQ(g.current.tip.y, 204);
    EXPECT_FALSE(g.zeroLine.has_value());
}

TEST(ZTravelDiagram, ZeroLineAbsentWhenZeroIsOutsideTheRange) {
    EXPECT_FALSE(ComputeZTravelDiagram(kClient, 20.0, {10, 30}).zeroLine.has_value());
    EXPECT_FALSE(ComputeZTravelDiagram(kClient, -20.0, {-10, -30}).zeroLine.has_value());
    EXPECT_TRUE(ComputeZTravelDiagram(kClient, -20.0, {-10, 30}).zeroLine.has_value());
}

TEST(ZTravelDiagram, NoSpanDrawsTheMarksAtTheMiddle) {
    auto g = ComputeZTravelDiagram(kClient, 7.0, {7.0, 7.0});
    ASSERT_EQ(g.captures.size(), 2u);
    EXPECT_EQ(g.captures[0].tip.y, 105);
    EXPECT_EQ(g.captures[1].tip.y, 105);
    EXPECT_EQ(g.current.tip.y, 105);
    EXPECT_FALSE(g.zeroLine.has_value());
    auto zero = ComputeZTravelDiagram(kClient, 0.0, {0.0});
    ASSERT_TRUE(zero.zeroLine.has_value());
    EXPECT_EQ(zero.zeroLine->top, 105);
}

} // namespace
