// The height picture: indexes, the reserved black entry, equal heights.
#include "result/core/HeightPicture.h"

#include "imaging/bitmaps/Dib.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(HeightPictureTest, IndexesStepAndReservedEntry) {
    HeightRows rows;
    rows.Allocate(3, 2);
    const double v[] = {-1.0, 0.0, 1.0, 0.5, 1.0 - 1e-12, -1.0};
    std::copy(v, v + 6, rows.Data());
    double min = 0, step = 0;
    HDIB pic = BuildHeightPicture(rows, &min, &step);
    ASSERT_NE(pic, nullptr);
    EXPECT_EQ(min, -1.0);
    EXPECT_EQ(step, 2.0 / 255.0);
    EXPECT_EQ(DibGetPixel(pic, 0, 0, 0), 0);
    EXPECT_EQ(DibGetPixel(pic, 1, 0, 0), 127);
    EXPECT_EQ(DibGetPixel(pic, 2, 0, 0), 254); // the maximum gives 255 and is stored as 254
    EXPECT_EQ(DibGetPixel(pic, 0, 1, 0), 191);
    RGBQUAD t[256];
    DibGetColorTable(pic, t);
    EXPECT_EQ(t[255].rgbBlue + t[255].rgbGreen + t[255].rgbRed, 0);
    EXPECT_EQ(t[0].rgbBlue, 254);
    GlobalFree(pic);
}

TEST(HeightPictureTest, EqualHeightsGiveIndexZeroWithoutDividingByZero) {
    HeightRows rows;
    rows.Allocate(4, 3);
    std::fill(rows.Data(), rows.Data() + rows.Count(), 7.25);
    double min = 0, step = -1;
    HDIB pic = BuildHeightPicture(rows, &min, &step);
    ASSERT_NE(pic, nullptr);
    EXPECT_EQ(step, 0.0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(DibGetPixel(pic, x, y, 0), 0);
    GlobalFree(pic);
    EXPECT_EQ(HeightIndex(NAN, 0.0, 1.0), 0);
    EXPECT_EQ(HeightIndex(1e300, 0.0, 1e-300), 254);
}
