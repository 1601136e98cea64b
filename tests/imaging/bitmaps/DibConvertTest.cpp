#include "imaging/bitmaps/DibConvert.h"
#include "imaging/files/SECImage.h"

#include "ComposeTestSupport.h"

#include <gtest/gtest.h>

using namespace composetest;

TEST(DibConvertForDisplay, ColourOnATrueColourScreenNeedsNoConversionAndFreesTheDestination) {
    Dib src = Make(4, 3, 24, [](int x, int y, int p) { return x + y + p; });
    HDIB dest = DibCreate(4, 3, 0);
    // The destination is freed (the leak checker of the sanitizer build sees it otherwise).
    EXPECT_EQ(DibConvertForDisplayOnScreen(src.get(), dest, 0, 255, 3, -1, 24), nullptr);
    Dib grey = Make(4, 3, 8, [](int x, int, int) { return x; });
    EXPECT_EQ(DibConvertForDisplayOnScreen(grey.get(), nullptr, 0, 255, 0, -1, 8), nullptr);
}

TEST(DibConvertForDisplay, TwelveBitGreyMapsItsRangeAndEverySampleAboveIt) {
    const int samples[] = {0, 15, 16, 2048, 4094, 4095, 4096, 5000, 65535};
    Dib src = Make(9, 1, 16, [&](int x, int, int) { return samples[x]; });
    Dib out(DibConvertForDisplayOnScreen(src.get(), nullptr, 0, 4095, 5, -1, 24));
    ASSERT_TRUE(out);
    EXPECT_EQ(Bits(out.get()), 8);
    const int expected[] = {0, 0, 1, 128, 255, 255, 255, 255, 255};
    for (int x = 0; x < 9; ++x)
        EXPECT_EQ(At(out.get(), x, 0), expected[x]) << samples[x];
    // Ten-bit type: samples beyond 1023 lie outside its table and still give 255.
    Dib ten(DibConvertForDisplayOnScreen(src.get(), nullptr, 0, 1023, 4, -1, 24));
    EXPECT_EQ(At(ten.get(), 1, 0), 3);
    EXPECT_EQ(At(ten.get(), 3, 0), 255);
    EXPECT_EQ(At(ten.get(), 8, 0), 255);
    // With a raised low end, samples below it are black.
    Dib lowered(DibConvertForDisplayOnScreen(src.get(), nullptr, 2048, 4095, 5, -1, 24));
    EXPECT_EQ(At(lowered.get(), 2, 0), 0);
    EXPECT_EQ(At(lowered.get(), 3, 0), 0);
    EXPECT_EQ(At(lowered.get(), 4, 0), 255); // 2046 / 8
}

TEST(DibConvertForDisplay, FortyEightBitsBecomeTwentyFourBitsOrTheColourCube) {
    // Red 65535, green 0, blue 32768 in every pixel.
    Dib src = Make(2, 2, 48, [](int, int, int p) { return p == 0 ? 65535 : p == 1 ? 0 : 32768; });
    Dib rgb(DibConvertForDisplayOnScreen(src.get(), nullptr, 0, 65535, 9, -1, 32));
    ASSERT_TRUE(rgb);
    EXPECT_EQ(Bits(rgb.get()), 24);
    EXPECT_EQ(At(rgb.get(), 1, 1, 0), 255);
    EXPECT_EQ(At(rgb.get(), 1, 1, 1), 0);
    EXPECT_EQ(At(rgb.get(), 1, 1, 2), 128);
    Dib cube(DibConvertForDisplayOnScreen(src.get(), nullptr, 0, 65535, 9, -1, 8));
    ASSERT_TRUE(cube);
    EXPECT_EQ(Bits(cube.get()), 8);
    // Red at or above the top: 180; green 0; blue 128 / 43 = 2.
    EXPECT_EQ(At(cube.get(), 0, 0), 182);
}

TEST(DibConvertForDisplay, GreyModesOfColourOnAPaletteScreen) {
    Dib src = Make(1, 1, 24, [](int, int, int p) { return p == 0 ? 100 : p == 1 ? 0 : 50; });
    struct Case {
        int mode, value;
    } cases[] = {{-1, 2 * 36 + 0 + 1}, {0, 45}, {1, 75}, {2, 50}, {3, 100}, {4, 0}, {5, 55}, {6, 100}};
    for (const Case& c : cases) {
        Dib out(DibConvertForDisplayOnScreen(src.get(), nullptr, 0, 255, 3, c.mode, 8));
        ASSERT_TRUE(out);
        EXPECT_EQ(At(out.get(), 0, 0), c.value) << "mode " << c.mode;
    }
    // A destination of the wrong size is replaced rather than written past its end.
    HDIB small = DibCreate(1, 1, 2);
    Dib wide = Make(5, 2, 24, [](int, int, int) { return 200; });
    Dib out(DibConvertForDisplayOnScreen(wide.get(), small, 0, 255, 3, 3, 8));
    ASSERT_TRUE(out);
    EXPECT_EQ(Width(out.get()), 5);
    EXPECT_EQ(At(out.get(), 4, 1), 200);
}

TEST(DibConvertForDisplay, AsksTheScreenItDrawsOn) {
    Dib src = Make(1, 1, 24, [](int, int, int p) { return p == 0 ? 100 : p == 1 ? 0 : 50; });
    EXPECT_EQ(DibConvertForDisplay(src.get(), nullptr, 0, 255, 3, 5), nullptr); // 24-bit screen
    const ScreenCapsFunction old = SetScreenCapsFunction([] { return ScreenCaps{8, 1}; });
    Dib onPalette(DibConvertForDisplay(src.get(), nullptr, 0, 255, 3, 5));
    SetScreenCapsFunction(old);
    ASSERT_TRUE(onPalette);
    EXPECT_EQ(At(onPalette.get(), 0, 0), 55);
}

TEST(DibMakeDisplayCopy, GreyRampIsShownAsItIsAndDeepImagesAreConverted) {
    Dib grey = Make(3, 2, 8, [](int x, int, int) { return 40 * x; });
    EXPECT_EQ(DibMakeDisplayCopyOnScreen(grey.get(), 24), grey.get());
    Dib deep = Make(3, 2, 16, [](int x, int, int) { return 30000 * x; });
    Dib shown(DibMakeDisplayCopyOnScreen(deep.get(), 24));
    ASSERT_NE(shown.get(), deep.get());
    EXPECT_EQ(Bits(shown.get()), 8);
    EXPECT_EQ(At(shown.get(), 1, 0), 117); // 30000 / 256
    EXPECT_EQ(At(shown.get(), 2, 0), 234);
}

TEST(DibCopyRect, CopiesInsideAndZeroesWhatLiesOutsideTheSource) {
    Dib src = Make(6, 4, 24, [](int x, int y, int p) { return 1 + x + 10 * y + 100 * p; });
    Dib dst(DibCopyRect(src.get(), nullptr, RECT{-2, 1, 3, 6}));
    ASSERT_TRUE(dst);
    EXPECT_EQ(Width(dst.get()), 5);
    EXPECT_EQ(Height(dst.get()), 5);
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 5; ++col)
            for (int p = 0; p < 3; ++p) {
                const int sx = col - 2, sy = row + 1;
                const int want = (sx >= 0 && sy < 4) ? 1 + sx + 10 * sy + 100 * p : 0;
                EXPECT_EQ(At(dst.get(), col, row, p), want) << col << "," << row << "," << p;
            }
    // Into an existing 16-bit destination of another sample size: nothing copied.
    Dib deep = Make(5, 5, 16, [](int, int, int) { return 7; });
    EXPECT_EQ(DibCopyRect(src.get(), deep.get(), RECT{0, 0, 5, 5}), deep.get());
    EXPECT_EQ(At(deep.get(), 0, 0), 7);
}

TEST(DibToLightness, HalfOfMaxPlusMinPerPixel) {
    Dib c = Make(2, 1, 24, [](int x, int, int p) {
        return x == 0 ? (p == 0 ? 200 : p == 1 ? 51 : 10) : 255;
    });
    Dib l(DibToLightness(c.get()));
    ASSERT_TRUE(l);
    EXPECT_EQ(Bits(l.get()), 8);
    EXPECT_EQ(At(l.get(), 0, 0), 105);
    EXPECT_EQ(At(l.get(), 1, 0), 255);
    Dib d = Make(1, 1, 48, [](int, int, int p) { return p == 0 ? 60001 : p == 1 ? 30000 : 2; });
    Dib ld(DibToLightness(d.get()));
    EXPECT_EQ(Bits(ld.get()), 16);
    EXPECT_EQ(At(ld.get(), 0, 0), 30001);
    Dib g = Make(2, 2, 16, [](int x, int y, int) { return 1000 * x + y; });
    Dib lg(DibToLightness(g.get()));
    EXPECT_EQ(Rows(lg.get()), Rows(g.get()));
}

TEST(DibKeepRedPlane, KeepsRedClearsTheRestAndSelectsPlaneZero) {
    DibSelectPlane(2);
    Dib c = Make(3, 2, 48, [](int x, int y, int p) { return 1000 * (p + 1) + x + y; });
    Dib r(DibKeepRedPlane(c.get()));
    ASSERT_TRUE(r);
    EXPECT_EQ(Bits(r.get()), 48);
    EXPECT_EQ(At(r.get(), 2, 1, 0), 1003);
    EXPECT_EQ(At(r.get(), 2, 1, 1), 0);
    EXPECT_EQ(At(r.get(), 2, 1, 2), 0);
    EXPECT_EQ(DibGetSelectedPlane(), 0);
}

TEST(DibShrink, AveragesBlocksAndDividesByTheSamplesActuallySummed) {
    Dib deep = Make(100, 100, 16, [](int x, int y, int) { return 1000 + 10 * (x % 2) + (y % 2); });
    Dib half(DibShrink(deep.get(), 50, 50));
    ASSERT_TRUE(half);
    EXPECT_EQ(Bits(half.get()), 16);
    EXPECT_EQ(At(half.get(), 17, 33), (1000 + 1010 + 1001 + 1011) / 4);
    // Ratio 1.5: columns 0-1 and 1-2 are summed, two samples each.
    Dib row = Make(3, 1, 8, [](int x, int, int) { return x == 0 ? 10 : x == 1 ? 20 : 60; });
    Dib two(DibShrink(row.get(), 2, 1));
    EXPECT_EQ(At(two.get(), 0, 0), 15);
    EXPECT_EQ(At(two.get(), 1, 0), 40);
    // Ratio 2.5: three samples per cell, the last one cut short by the edge.
    Dib five = Make(5, 1, 8, [](int x, int, int) { return 30 * x; });
    Dib cut(DibShrink(five.get(), 2, 1));
    EXPECT_EQ(At(cut.get(), 0, 0), 30); // (0 + 30 + 60) / 3
    EXPECT_EQ(At(cut.get(), 1, 0), 90); // columns trunc(2.5) = 2 .. 4
    // Same size: a copy.
    Dib same(DibShrink(row.get(), 3, 1));
    EXPECT_EQ(Rows(same.get()), Rows(row.get()));
}

TEST(DibResizeNearestPlane, TakesTheNearestSampleOfTheSelectedPlane) {
    Dib src = Make(4, 4, 24, [](int x, int y, int p) { return 10 * x + y + 100 * p; });
    Dib dst(DibCreate(2, 2, 1));
    DibSelectPlane(2);
    DibResizeNearestPlane(src.get(), dst.get(), 2, 2);
    DibSelectPlane(0);
    EXPECT_EQ(At(dst.get(), 1, 1, 2), 200 + 20 + 2);
    EXPECT_EQ(At(dst.get(), 1, 1, 0), 0);
}

TEST(FillHeightColorTable, BlueToGreenToRedThenBlack) {
    RGBQUAD t[256];
    EXPECT_EQ(FillHeightColorTable(t), 1);
    EXPECT_EQ(t[0].rgbBlue, 254);
    EXPECT_EQ(t[0].rgbGreen, 0);
    EXPECT_EQ(t[127].rgbGreen, 254);
    EXPECT_EQ(t[127].rgbBlue, 0);
    EXPECT_EQ(t[128].rgbGreen, 254);
    EXPECT_EQ(t[254].rgbRed, 252);
    EXPECT_EQ(t[254].rgbGreen, 2);
    EXPECT_EQ(t[255].rgbRed + t[255].rgbGreen + t[255].rgbBlue + t[255].rgbReserved, 0);
}
