#include "shell/core/lens/ScaleBars.h"

#include <gtest/gtest.h>

namespace {

ScaleBarInput Lens(double c, int dots, double ceiling) {
    ScaleBarInput in;
    in.umPerPixel = c;
    in.dotLength = dots;
    in.ceiling = ceiling;
    in.dotOn = 1;
    in.displayScale = 1.0;
    return in;
}

SIZE Measure(const std::string& s) {
    return SIZE{static_cast<LONG>(7 * s.size()), 12};
}

TEST(ScaleBars, DotBarRoundsDownToTheCeilingAndNeverToZero) {
    auto bars = ComputeScaleBars(Lens(0.37, 100, 10));
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_EQ(bars[0].label, "30um");
    EXPECT_EQ(bars[0].length, 81);
    bars = ComputeScaleBars(Lens(0.37, 10, 10));
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_EQ(bars[0].label, "10um");
    EXPECT_EQ(bars[0].length, 27);
}

TEST(ScaleBars, NonPositiveCalibrationOrCeilingDrawsNoBar) {
    ScaleBarInput in = Lens(0.0, 100, 10);
    in.micrometreOn = 1;
    in.barLength = 100;
    EXPECT_TRUE(ComputeScaleBars(in).empty());
    in.umPerPixel = -1;
    EXPECT_TRUE(ComputeScaleBars(in).empty());
    in.umPerPixel = 0.5;
    in.ceiling = 0;
    auto bars = ComputeScaleBars(in); // the micrometre bar alone
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_EQ(bars[0].label, "100um");
    EXPECT_EQ(bars[0].length, 200);
    in.ceiling = -5;
    EXPECT_EQ(ComputeScaleBars(in).size(), 1u);
}

TEST(ScaleBars, OrderFactorAndDisplayScale) {
    ScaleBarInput in = Lens(0.5, 100, 10);
    in.micrometreOn = 1;
    in.barLength = 100;
    in.factor = 0.8;
    in.displayScale = 0.5;
    for (int corner : {0, 2}) {
        in.corner = corner;
        auto bars = ComputeScaleBars(in);
        ASSERT_EQ(bars.size(), 2u);
        EXPECT_EQ(bars[0].label, "100um");
        EXPECT_EQ(bars[0].length, 80); // 200 × 0.8 = 160, × 0.5
    }
    for (int corner : {1, 3}) {
        in.corner = corner;
        auto bars = ComputeScaleBars(in);
        ASSERT_EQ(bars.size(), 2u);
        EXPECT_EQ(bars[0].label, "50um");
        EXPECT_EQ(bars[0].length, 40);
    }
}

TEST(ScaleBars, MagnificationTextAndFont) {
    ScaleBarInput in = Lens(0.5, 0, 1);
    in.regName = "Obj";
    EXPECT_EQ(MagnificationText(in), "");
    in.lensNumber = 90;
    EXPECT_EQ(MagnificationText(in), "");
    in.zoom = 2.0;
    EXPECT_EQ(MagnificationText(in), "Obj(x180)");
    EXPECT_EQ(ScaleLabelFontHeight(1.0, 0.5), 12);
    EXPECT_EQ(ScaleLabelFontHeight(3.0, 2.0), 27);
}

TEST(ScaleBars, LayoutKeepsCornerMarginsAndCutsLongBars) {
    const RECT client{0, 0, 400, 300};
    ScaleBarInput in = Lens(0.5, 100, 10);
    in.micrometreOn = 1;
    in.barLength = 100;
    in.corner = 0;
    ScaleOverlayLayout top = LayoutScaleOverlay(in, client, Measure);
    ASSERT_EQ(top.bars.size(), 2u);
    EXPECT_EQ(top.bars[0].barLeft, 10);
    EXPECT_EQ(top.bars[0].barRight, 210);
    EXPECT_EQ(top.bars[0].labelRect.top, 10);
    EXPECT_LT(top.bars[0].labelRect.bottom, top.bars[0].barY);
    EXPECT_EQ(top.bars[1].labelRect.top, top.bars[0].barY + 2 + 4);

    in.corner = 3;
    in.barLength = 1000; // 2000 px: wider than the window
    ScaleOverlayLayout bottom = LayoutScaleOverlay(in, client, Measure);
    ASSERT_EQ(bottom.bars.size(), 2u);
    EXPECT_EQ(bottom.bars[0].barRight, 390);
    EXPECT_EQ(bottom.bars[0].barY, 290);
    EXPECT_EQ(bottom.bars[0].labelRect.bottom, 285);
    const ScaleBarPlacement& cut = bottom.bars[1];
    EXPECT_EQ(cut.barLeft, 0);
    EXPECT_FALSE(cut.leftTick);
    EXPECT_TRUE(cut.rightTick);
    EXPECT_EQ(cut.barY, bottom.bars[0].labelRect.top - 4);

    in.displayScale = 0;
    EXPECT_TRUE(LayoutScaleOverlay(in, client, Measure).bars.empty());
}

} // namespace
