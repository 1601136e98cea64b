// The contour and slice pictures of small synthetic height maps, worked out by hand: a ramp gives
// its contour lines at the columns where it crosses each level, in the level's colour; a slice
// level cuts a bump into the expected diamond; the document keeps the fitted height image and
// makes the measurement picture for a rectangle.
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/core/bitmaps/OverlayPictures.h"
#include "viewer3d/core/data/View3dData.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <vector>

using namespace v3d;

namespace {

HDIB heightMap(int w, int h, int kind, const std::function<int(int, int)>& height) {
    HDIB dib = v3d::DibCreate(w, h, kind);
    GlobalLockGuard lock(dib);
    std::vector<int> row(static_cast<size_t>(w));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            row[x] = height(x, y);
        v3d::DibWriteRow(row.data(), lock.get(), 0, y, w);
    }
    return dib;
}

// The 24-bit pixel (x, y from the top) as a COLORREF.
COLORREF rgbAt(HDIB dib, int x, int y) {
    GlobalLockGuard lock(dib);
    const int w = DibGetWidth(lock.get()), h = DibGetHeight(lock.get());
    const BYTE* p = v3d::DibGetBits(lock.get()) + uint64_t(h - 1 - y) * DibStride(w, 24) + 3 * x;
    return RGB(p[2], p[1], p[0]);
}

std::vector<int> samples(HDIB dib) {
    GlobalLockGuard lock(dib);
    const int w = DibGetWidth(lock.get()), h = std::abs(static_cast<int>(DibGetHeight(lock.get())));
    std::vector<int> all(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        v3d::DibReadRow(all.data() + y * w, lock.get(), 0, y, w);
    return all;
}

// The bump max(0, 4 - |x - 4| - |y - 4|) + base on 9 x 9: at level base + 2 the pixels with
// |x - 4| + |y - 4| <= 2 (13 of them).
void expectDiamond(HDIB slice) {
    ASSERT_NE(slice, nullptr);
    const std::vector<int> s = samples(slice);
    ASSERT_EQ(s.size(), 81u);
    int set = 0;
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x) {
            const bool inside = std::abs(x - 4) + std::abs(y - 4) <= 2;
            EXPECT_EQ(s[y * 9 + x], inside ? 255 : 0) << x << "," << y;
            set += inside;
        }
    EXPECT_EQ(set, 13);
}

} // namespace

TEST(OverlayPictures, RampGivesContourLinesAtTheLevelColumnsInTheLevelColours) {
    // Heights x on 16 x 8 (range 15), four levels: step 15 / 5 = 3, levels 3, 6, 9, 12. The
    // colour index is k x 3 x 256 / 16 = 48 k (a range below 255: no whole-number division by 0).
    HDIB ramp = heightMap(16, 8, kKindGrey8, [](int x, int) { return x; });
    HDIB contours = MakeContourPicture(ramp, 4, 0, 15);
    ASSERT_NE(contours, nullptr);
    // Ramp entries 48 (0, .375, .625), 96 (0, .75, .25), 144 (16/127, 111/127, 0), 192 (64/127,
    // 63/127, 0) x 255, truncated and inverted.
    const COLORREF colour[5] = {0, RGB(255, 160, 96), RGB(255, 64, 192), RGB(223, 33, 255),
                                RGB(127, 129, 255)};
    for (int k = 1; k <= 4; ++k)
        EXPECT_EQ(ContourColour(k, 4, 0, 15), colour[k]) << k;
    // Column 14 closes every region along the right border: the four colours ORed.
    const COLORREF border = RGB(255, 160 | 64 | 33 | 129, 255);
    for (int y = 2; y <= 5; ++y)
        for (int x = 0; x < 16; ++x) {
            COLORREF expected = 0;
            if (x == 3 || x == 6 || x == 9 || x == 12)
                expected = colour[x / 3];
            else if (x == 14)
                expected = border;
            EXPECT_EQ(rgbAt(contours, x, y), expected) << x << "," << y;
        }
    // The outermost rows and columns stay black.
    for (int x = 0; x < 16; ++x) {
        EXPECT_EQ(rgbAt(contours, x, 0), 0u);
        EXPECT_EQ(rgbAt(contours, x, 7), 0u);
    }
    GlobalFree(contours);
    GlobalFree(ramp);

    // Index edges: a flat map (range 0) and the full 16-bit range stay inside the table.
    EXPECT_EQ(ContourColourIndex(8, 8, 100, 100), 0);
    EXPECT_EQ(ContourColourIndex(1, 1, 0, 65535), 127); // 32767.5 x 256 / 65536
    EXPECT_EQ(ContourColourIndex(256, 256, 0, 65535), 255);
    HDIB flat = heightMap(6, 5, kKindGrey8, [](int, int) { return 7; });
    HDIB frame = MakeContourPicture(flat, 8, 7, 7);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(rgbAt(frame, 1, 2), RGB(255, 255, 0)); // entry 0 (blue) inverted
    EXPECT_EQ(rgbAt(frame, 2, 2), 0u);               // inside the region
    GlobalFree(frame);
    GlobalFree(flat);
    EXPECT_EQ(MakeContourPicture(nullptr, 4, 0, 15), nullptr);
}

TEST(OverlayPictures, SliceLevelCutsABumpIntoTheExpectedPixels) {
    auto bump = [](int base) {
        return [base](int x, int y) { return std::max(0, 4 - std::abs(x - 4) - std::abs(y - 4)) + base; };
    };
    HDIB eight = heightMap(9, 9, kKindGrey8, bump(0));
    HDIB slice = MakeSlicePicture(eight, 2.0);
    expectDiamond(slice);
    GlobalFree(slice);
    // 16-bit heights 1998..2002, the level between whole levels: at or above 1999.5 means 2000
    // and up, the pixels with |x - 4| + |y - 4| <= 2 once more.
    HDIB sixteen = heightMap(9, 9, kKindGrey16, bump(1998));
    slice = MakeSlicePicture(sixteen, 1999.5);
    expectDiamond(slice);
    GlobalFree(slice);
    GlobalFree(sixteen);
    GlobalFree(eight);

    // Through the document: slice level 1.0 in calibrated units at z-scale 0.5 above the lowest
    // level 10 is raw level 12.
    View3dData d;
    d.heightDisplay = heightMap(9, 9, kKindGrey8, bump(10));
    d.minLevel = 10;
    d.maxLevel = 14;
    d.SetPitch(2, 0.5);
    d.GetViewState()->sliceLevel = 1.0;
    EXPECT_EQ(d.BuildBinaryImage(), 0); // no cache and no pane to fit it to
    const RECT same{0, 0, 9, 9};
    ASSERT_EQ(d.BuildBinaryImage(&same), 1);
    expectDiamond(d.binaryOverlay);
    // The level moves: the cached height image gives the new picture without a target.
    d.GetViewState()->sliceLevel = 0.0; // raw 10: everything
    ASSERT_EQ(d.BuildBinaryImage(), 1);
    for (int v : samples(d.binaryOverlay))
        EXPECT_EQ(v, 255);
}

TEST(OverlayPictures, FittedHeightImageIsKeptWithinATenthAndMadeAgainWhenStale) {
    View3dData d;
    d.heightDisplay = heightMap(100, 50, kKindGrey8, [](int x, int) { return x; });
    d.maxLevel = 99;
    auto cacheSize = [&] {
        GlobalLockGuard lock(d.contourCache);
        return std::make_pair(int(DibGetWidth(lock.get())), int(DibGetHeight(lock.get())));
    };
    // 100 x 50 into 300 x 300: 300 x 150, resampled.
    const RECT big{0, 0, 300, 300};
    ASSERT_EQ(d.BuildContourImage(&big), 1);
    EXPECT_EQ(cacheSize(), std::make_pair(300, 150));
    // Not stale: the cache stays whatever the target.
    const RECT small{0, 0, 105, 105};
    ASSERT_EQ(d.BuildContourImage(&small), 1);
    EXPECT_EQ(cacheSize(), std::make_pair(300, 150));
    // Stale with a fitted size within a tenth of the image's (105 x 52): still resampled, as
    // the image changed; not stale, an empty cache takes the image itself (100 x 50).
    d.contourStale = 1;
    ASSERT_EQ(d.BuildContourImage(&small), 1);
    EXPECT_EQ(cacheSize(), std::make_pair(105, 52));
    EXPECT_EQ(d.contourStale, 0);
    GlobalFree(d.contourCache);
    d.contourCache = nullptr;
    ASSERT_EQ(d.BuildContourImage(&small), 1);
    EXPECT_EQ(cacheSize(), std::make_pair(100, 50));
    // The picture has the cache's size.
    GlobalLockGuard lock(d.contourOverlay);
    EXPECT_EQ(DibGetWidth(lock.get()), 100);
    EXPECT_EQ(DibGetBitCount(lock.get()), 24);
}

TEST(OverlayPictures, MeasurementPictureIsMadeForTheRectangle) {
    View3dData d;
    d.SetPlanes(heightMap(4, 2, kKindGrey8, [](int x, int y) { return 10 * y + x; }), nullptr);
    EXPECT_EQ(d.CreateRoiImages(nullptr), nullptr);
    const RECT empty{5, 5, 5, 9};
    EXPECT_EQ(d.CreateRoiImages(&empty), nullptr);
    const RECT rect{10, 10, 18, 14};
    HDIB picture = d.CreateRoiImages(&rect);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture, d.fitted); // an 8-bit image needs no display version
    const std::vector<int> s = samples(picture);
    ASSERT_EQ(s.size(), 32u);
    EXPECT_EQ(s[0], 0);
    EXPECT_EQ(s[7], 3);      // top right
    EXPECT_EQ(s[3 * 8], 10); // bottom left
    EXPECT_EQ(s[31], 13);    // bottom right
}
