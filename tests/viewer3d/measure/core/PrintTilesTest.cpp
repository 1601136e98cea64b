// A screenshot on a printed page: placed in the text area with its aspect, copied in tiles of at
// most 1024 page pixels that cover the placement exactly, each from its proportional part of the
// bitmap.
#include "viewer3d/measure/core/PrintTiles.h"

#include <gtest/gtest.h>

#include <vector>

namespace im = v3d::image;

namespace {

// Every page pixel of dest covered once, no tile larger than the limit or outside dest, and the
// source parts of each band and row of pieces meeting without gap over the whole bitmap.
void expectExactCover(const RECT& dest, const std::vector<im::PrintTile>& tiles, int bw, int bh, int limit) {
    const int w = dest.right - dest.left, h = dest.bottom - dest.top;
    std::vector<unsigned char> hits(static_cast<size_t>(w) * h, 0);
    for (const auto& t : tiles) {
        ASSERT_TRUE(t.dest.right - t.dest.left <= limit && t.dest.bottom - t.dest.top <= limit);
        ASSERT_TRUE(t.dest.left >= dest.left && t.dest.right <= dest.right && t.dest.top >= dest.top &&
                    t.dest.bottom <= dest.bottom);
        ASSERT_TRUE(t.source.left >= 0 && t.source.top >= 0 && t.source.right <= bw &&
                    t.source.bottom <= bh && t.source.right > t.source.left &&
                    t.source.bottom > t.source.top);
        for (int y = t.dest.top; y < t.dest.bottom; ++y)
            for (int x = t.dest.left; x < t.dest.right; ++x)
                ++hits[static_cast<size_t>(y - dest.top) * w + (x - dest.left)];
    }
    for (unsigned char n : hits)
        ASSERT_EQ(n, 1);
    // First tile starts at the bitmap's corner and the last ends at its far corner.
    ASSERT_FALSE(tiles.empty());
    EXPECT_EQ(tiles.front().source.left, 0);
    EXPECT_EQ(tiles.front().source.top, 0);
    EXPECT_EQ(tiles.back().source.right, bw);
    EXPECT_EQ(tiles.back().source.bottom, bh);
    for (size_t i = 1; i < tiles.size(); ++i) {
        if (tiles[i].dest.top == tiles[i - 1].dest.top) {
            EXPECT_EQ(tiles[i].source.left, tiles[i - 1].source.right) << i;
        } else {
            EXPECT_EQ(tiles[i].source.left, 0) << i;
            EXPECT_EQ(tiles[i].source.top, tiles[i - 1].source.bottom) << i;
        }
    }
}

} // namespace

TEST(PrintScreenshot, A4At300DpiPlacedInTheTextAreaAndTiledExactly) {
    const im::PrintPageMetrics m = im::MakePageMetrics(2480, 3508, 300, 300, 21, 38);
    // 5 mm margins, 18 mm text edge, text top one character below the top margin.
    EXPECT_EQ(m.sideMargin, 59);
    EXPECT_EQ(m.topMargin, 59);
    EXPECT_EQ(m.textLeft, 212);
    EXPECT_EQ(m.textTop, 97);
    // A 1600 x 1200 window: the width binds, centred down the area.
    const RECT dest = im::ScreenshotPlacement(m, 1600, 1200);
    EXPECT_EQ(dest.left, 212);
    EXPECT_EQ(dest.right, 212 + 2056);
    EXPECT_EQ(dest.bottom - dest.top, 1542);
    EXPECT_EQ(dest.top, 97 + (3314 - 1542) / 2);
    const auto tiles = im::ScreenshotTiles(dest, 1600, 1200);
    EXPECT_EQ(tiles.size(), 3u * 2u); // 2056 = 1024 + 1024 + 8 across, 1542 = 1024 + 518 down
    expectExactCover(dest, tiles, 1600, 1200, 1024);
    EXPECT_EQ(tiles[1].source.left, 1024 * 1600 / 2056);
}

TEST(PrintScreenshot, EnlargedSmallBitmapsAndOddLimitsStillCoverAndEmptyGivesNothing) {
    // A 3 x 2 bitmap blown up: every tile reads at least one pixel.
    const RECT big{10, 20, 10 + 2500, 20 + 1700};
    expectExactCover(big, im::ScreenshotTiles(big, 3, 2), 3, 2, 1024);
    // A tall page and a small limit.
    const RECT tall{0, 0, 333, 1001};
    expectExactCover(tall, im::ScreenshotTiles(tall, 640, 480, 100), 640, 480, 100);
    EXPECT_TRUE(im::ScreenshotTiles(RECT{}, 10, 10).empty());
    EXPECT_TRUE(im::ScreenshotTiles(big, 0, 10).empty());
    const im::PrintPageMetrics m = im::MakePageMetrics(2480, 3508, 300, 300, 21, 38);
    const RECT none = im::ScreenshotPlacement(m, 0, 100);
    EXPECT_EQ(none.right - none.left, 0);
}
