// Where the continuous composition's views put their pictures.
#include "shell/core/layout/VossaGeometry.h"

#include <gtest/gtest.h>

namespace {

TEST(VossaLayout, PictureFitsTheFrameRatioInsideTheMarginsAndIsCentred) {
    // 720 x 600: area (-1, -1, 715, 595), inner 676 x 556, a 640 x 480 frame 676 x 507.
    auto r = VossaPictureRect(RECT{0, 0, 720, 600}, 640, 480);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->left, 19);
    EXPECT_EQ(r->top, 43);
    EXPECT_EQ(r->right, 695);
    EXPECT_EQ(r->bottom, 550);
    // Higher than wide: the height is the smaller of the inner height and width x h / w.
    r = VossaPictureRect(RECT{0, 0, 300, 600}, 640, 480);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->right - r->left, 256); // 192 x 4 / 3
    EXPECT_EQ(r->bottom - r->top, 192); // 256 x 3 / 4
    EXPECT_EQ(r->left, -1 + (296 - 256) / 2);
    EXPECT_FALSE(VossaPictureRect(RECT{0, 0, 40, 40}, 640, 480));
    EXPECT_FALSE(VossaPictureRect(RECT{0, 0, 720, 600}, 0, 480));
}

} // namespace
