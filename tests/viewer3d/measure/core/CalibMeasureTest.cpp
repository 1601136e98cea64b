// The calibration window's measurement: the measured pixels of a line, the zoom steps, the
// length per pixel, the accepted values and the result block.
#include "viewer3d/measure/core/CalibMeasure.h"

#include "platform/GlobalMemory.h"
#include "platform/WinTypes.h"

#include <gtest/gtest.h>

#include <string>

using namespace v3d;

TEST(CalibMeasureTest, LinesZoomLimitsValuesAndTheResultBlock) {
    EXPECT_DOUBLE_EQ(CalibMeasuredPixels(9, 0, 100), 10.0); // x = 10 to 19: both end pixels count
    EXPECT_DOUBLE_EQ(CalibMeasuredPixels(0, 0, 200), 0.5);  // a click: one pixel at 200 %
    EXPECT_DOUBLE_EQ(CalibMeasuredPixels(18, 0, 200), 19.0 / 2);
    EXPECT_EQ(CalibZoomIn(400), 400);
    EXPECT_EQ(CalibZoomIn(395), 395);
    EXPECT_EQ(CalibZoomIn(100), 110);
    EXPECT_EQ(CalibZoomOut(20), 20);
    EXPECT_EQ(CalibZoomOut(30), 20);
    EXPECT_DOUBLE_EQ(CalibLengthPerPixel(5.0, 10.0, false), 0.5);
    EXPECT_DOUBLE_EQ(CalibLengthPerPixel(5.0, 10.0, true), 5.0);
    EXPECT_FALSE(CalibValuesAcceptable(0.0, 0.5));
    EXPECT_FALSE(CalibValuesAcceptable(1.0, 1e6 * 1.0001));
    EXPECT_TRUE(CalibValuesAcceptable(1e-6, 1e6));
    HGLOBAL block = MakeCalibResultBlock(0.25, "ｍｍ");
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 30u);
    {
        GlobalLockGuard lock(block);
        EXPECT_EQ(le::getDouble(lock.get()), 0.25);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(lock.get() + 8)), "\x82\x8d\x82\x8d");
        EXPECT_EQ(lock.get()[29], 0);
    }
    GlobalFree(block);
}
