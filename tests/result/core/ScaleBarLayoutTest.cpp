// Scale-bar layout in the four corners, the lens label and the bars that cannot be shown.
#include "result/core/ScaleBarLayout.h"

#include <gtest/gtest.h>

namespace {

SIZE Extent(const std::string& text, int fontHeight) {
    return SIZE{LONG(8 * text.size()), LONG(fontHeight)};
}

ScaleBarInput BurnIn(int position) {
    ScaleBarInput in;
    in.position = position;
    in.umBarOn = in.dotBarOn = true;
    in.lensName = "10-2.5";
    in.registeredName = "L1";
    in.umPerPixel = 0.5;
    in.scaleLengthUm = 100;
    in.scaleDots = 200;
    in.ceilingUnit = 1.0;
    in.image = {0, 0, 640, 480};
    in.imageWidth = 640;
    in.target = ScaleBarTarget::BurnIn;
    return in;
}

std::string R(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

} // namespace

TEST(ScaleBarLayoutTest, MagnificationAndDotLength) {
    EXPECT_EQ(MagnificationText("10-2.5"), "(x25)");
    EXPECT_EQ(MagnificationText("50-1"), "(x50)");
    EXPECT_EQ(MagnificationText("lens"), "");
    EXPECT_EQ(MagnificationText("20-"), "(x0)");
    EXPECT_EQ(DotBarLengthUm(200, 0.37, 10.0), 70.0);
    EXPECT_EQ(DotBarLengthUm(10, 0.5, 20.0), 20.0); // ceiling above dots x pitch: the unit itself
    EXPECT_EQ(DotBarLengthUm(10, 0.5, 0.0), 5.0);   // no unit: no division by zero
}

// The dot bar's length is cut down to a whole multiple of the ceiling unit, never rounded to the
// nearer one: 37 um in units of 10 is 30 um, and the bar is drawn 30 um long.
TEST(ScaleBarLayoutTest, DotBarLengthIsCutDownToTheCeilingUnit) {
    EXPECT_EQ(DotBarLengthUm(100, 0.37, 10.0), 30.0);
    EXPECT_EQ(DotBarLengthUm(199, 0.5, 10.0), 90.0); // 99.5 um
    EXPECT_EQ(DotBarLengthUm(200, 0.5, 10.0), 100.0);
    ScaleBarInput in = BurnIn(1);
    in.umBarOn = false;
    in.umPerPixel = 0.37;
    in.scaleDots = 100;
    in.ceilingUnit = 10.0;
    const ScaleBarLayout l = LayoutScaleBars(in, Extent);
    ASSERT_EQ(l.bars.size(), 1u);
    EXPECT_EQ(l.bars[0].label, "30um");
    EXPECT_EQ(l.bars[0].x1 - l.bars[0].x0, 81); // 30 / 0.37 = 81.08 pixels
}

TEST(ScaleBarLayoutTest, FourCornersExactRectangles) {
    struct Want {
        int pos;
        const char* label0;
        int y0;
        const char* label1;
        int y1;
        int x0, x1;
        const char* lens;
        bool firstIsDot;
    };
    const Want want[] = {
        {0, "90,30,130,46", 51, "90,55,130,71", 76, 10, 210, "10,14,66,30", false},
        {1, "90,449,130,465", 470, "90,424,130,440", 445, 10, 210, "10,408,66,424", true},
        {2, "510,30,550,46", 51, "510,55,550,71", 76, 430, 630, "574,14,630,30", false},
        {3, "510,449,550,465", 470, "510,424,550,440", 445, 430, 630, "574,408,630,424", true},
    };
    for (const Want& w : want) {
        const ScaleBarLayout l = LayoutScaleBars(BurnIn(w.pos), Extent);
        ASSERT_EQ(l.bars.size(), 2u) << w.pos;
        EXPECT_EQ(l.failure, 0u);
        EXPECT_EQ(l.bars[0].dotBar, w.firstIsDot);
        EXPECT_EQ(l.bars[0].label, "100um");
        EXPECT_EQ(R(l.bars[0].labelRect), w.label0) << w.pos;
        EXPECT_EQ(l.bars[0].y, w.y0) << w.pos;
        EXPECT_EQ(R(l.bars[1].labelRect), w.label1) << w.pos;
        EXPECT_EQ(l.bars[1].y, w.y1) << w.pos;
        EXPECT_EQ(l.bars[0].x0, w.x0);
        EXPECT_EQ(l.bars[0].x1, w.x1);
        EXPECT_EQ(l.bars[0].tickTop, l.bars[0].labelRect.bottom - 2);
        EXPECT_EQ(l.bars[0].fontHeight, 16);
        EXPECT_EQ(l.lensLabel, "L1(x25)");
        EXPECT_EQ(R(l.lensRect), w.lens) << w.pos;
    }
    EXPECT_TRUE(LayoutScaleBars(([] {
                                    auto i = BurnIn(4);
                                    return i;
                                })(),
                                Extent)
                    .bars.empty());
    ScaleBarInput off = BurnIn(0);
    off.umBarOn = off.dotBarOn = false;
    EXPECT_TRUE(LayoutScaleBars(off, Extent).bars.empty());
}

TEST(ScaleBarLayoutTest, BarsThatCannotBeShown) {
    ScaleBarInput in = BurnIn(1);
    in.scaleDots = 2; // 1 um = 2 pixels
    ScaleBarLayout l = LayoutScaleBars(in, Extent);
    EXPECT_EQ(l.failure, kMsgScaleTooShort);
    EXPECT_TRUE(l.failedDotBar);
    EXPECT_EQ(l.bars.size(), 1u) << "the other bar is not drawn in that pass";

    in = BurnIn(0);
    in.scaleLengthUm = 1000; // 2000 pixels on a 640-pixel picture
    l = LayoutScaleBars(in, Extent);
    EXPECT_EQ(l.failure, kMsgScaleTooLong);
    EXPECT_FALSE(l.failedDotBar);

    in = BurnIn(2);
    in.umPerPixel = 0.0; // no pitch: refused before any division
    l = LayoutScaleBars(in, Extent);
    EXPECT_EQ(l.failure, kMsgScaleTooShort);
    EXPECT_EQ(l.bars.size(), 1u);

    // A wide controller scales the bars by width / 1600: 200 px on 3200 px becomes 400.
    in = BurnIn(0);
    in.wideController = true;
    in.imageWidth = 3200;
    in.image = {0, 0, 3200, 2400};
    l = LayoutScaleBars(in, Extent);
    ASSERT_EQ(l.failure, 0u);
    EXPECT_EQ(l.bars[0].x1 - l.bars[0].x0, 400);
    EXPECT_EQ(l.bars[0].fontHeight, 80);
}

TEST(ScaleBarLayoutTest, ScreenFontFollowsTheZoomDownToTwelve) {
    ScaleBarInput in = BurnIn(0);
    in.target = ScaleBarTarget::Screen;
    in.scale = 2.0;
    in.zoom = 0.5;
    ScaleBarLayout l = LayoutScaleBars(in, Extent);
    EXPECT_EQ(l.bars[0].fontHeight, 12); // 2 x 9 x 0.5 = 9 -> 12
    EXPECT_EQ(l.bars[0].x1 - l.bars[0].x0, 100);
    in.zoom = 2.0;
    l = LayoutScaleBars(in, Extent);
    EXPECT_EQ(l.bars[0].fontHeight, 18);
    EXPECT_EQ(l.bars[0].x1 - l.bars[0].x0, 400);
}

TEST(ScaleBarLayoutTest, ATallFontKeepsTheTopLabelsInsideThePicture) {
    // Text as tall as a Japanese font's line (about twice its height): above the 30 pixels of the
    // top margin the lens label would begin outside the picture.
    auto tall = [](const std::string& text, int fontHeight) {
        return SIZE{LONG(8 * text.size()), LONG(2 * fontHeight + 4)};
    };
    for (int pos : {0, 2}) {
        ScaleBarInput in = BurnIn(pos);
        in.image = {0, 100, 640, 580};
        const ScaleBarLayout l = LayoutScaleBars(in, tall);
        ASSERT_EQ(l.bars.size(), 2u);
        EXPECT_EQ(l.lensRect.top, 100) << pos;
        EXPECT_GE(l.bars[0].labelRect.top, l.lensRect.bottom) << pos;
        EXPECT_GT(l.bars[0].y, l.bars[0].labelRect.bottom) << "the bar stays below its label";
        EXPECT_GT(l.bars[1].labelRect.top, l.bars[0].y) << "the second bar stays below the first";
    }
    // Where the margins hold the labels nothing moves.
    EXPECT_EQ(R(LayoutScaleBars(BurnIn(0), Extent).lensRect), "10,14,66,30");
}
