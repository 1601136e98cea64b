#include "shell/core/lens/CalibLineGeometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(CalibLineGeometry, LengthInPicturePixelsCountsBothEnds) {
    CalibLineGeometry g;
    // A picture of 1280 pixels shown 640 wide: one shown pixel spans two picture pixels.
    ASSERT_TRUE(g.Begin(POINT{10, 20}, 640, 480, 1280));
    EXPECT_DOUBLE_EQ(g.Scale(), 0.5);
    EXPECT_FALSE(g.HasLength());
    ASSERT_TRUE(g.Move(POINT{109, 20}, false));
    EXPECT_DOUBLE_EQ(g.Length(), std::hypot(200.0, 2.0));
    ASSERT_TRUE(g.Move(POINT{40, 60}, false));
    EXPECT_DOUBLE_EQ(g.Length(), std::hypot(62.0, 82.0));
    EXPECT_TRUE(g.End());
    EXPECT_FALSE(g.End());
    EXPECT_FALSE(g.Move(POINT{1, 1}, false)); // not drawing any more
    g.Reset();
    EXPECT_EQ(g.Length(), 0.0);
    EXPECT_FALSE(g.Begin(POINT{0, 0}, 640, 480, 0)); // no picture: no line
}

TEST(CalibLineGeometry, ShiftKeepsTheLineStraightAndEndsStayOnThePicture) {
    CalibLineGeometry g;
    ASSERT_TRUE(g.Begin(POINT{100, 100}, 640, 480, 640));
    g.Move(POINT{299, 130}, true); // nearer to the start's row: horizontal
    EXPECT_EQ(g.EndPoint().x, 299);
    EXPECT_EQ(g.EndPoint().y, 100);
    EXPECT_DOUBLE_EQ(g.Length(), std::hypot(200.0, 1.0));
    g.Move(POINT{130, 30}, true); // nearer to its column: vertical
    EXPECT_EQ(g.EndPoint().x, 100);
    EXPECT_EQ(g.EndPoint().y, 30);
    g.Move(POINT{5000, -70}, false); // dragged out of the picture: held at its edge
    EXPECT_EQ(g.EndPoint().x, 639);
    EXPECT_EQ(g.EndPoint().y, 0);
    g.Reset();
    ASSERT_TRUE(g.Begin(POINT{-4, 900}, 640, 480, 640));
    EXPECT_EQ(g.Start().x, 0);
    EXPECT_EQ(g.Start().y, 479);
}

} // namespace
