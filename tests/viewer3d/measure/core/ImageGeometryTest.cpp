// Fitting, mapping, points, lines, rubber band, overlay cache rule, crawling patterns, software
// raster operations and the report page's layout.
#include "viewer3d/measure/core/ImageGeometry.h"
#include "viewer3d/measure/core/SoftwareRaster.h"

#include <gtest/gtest.h>

namespace im = v3d::image;

namespace {

bool same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(ImageFit, ImageKeepsItsAspectCentredAndNoSizeDrawsNothing) {
    RECT r;
    ASSERT_TRUE(im::CalcFitRect(400, 200, 300, 300, &r));
    EXPECT_TRUE(same(r, RECT{0, 75, 300, 225}));
    ASSERT_TRUE(im::CalcFitRect(200, 400, 300, 300, &r));
    EXPECT_TRUE(same(r, RECT{75, 0, 225, 300}));
    ASSERT_TRUE(im::CalcFitRect(1000, 100, 300, 20, &r)); // limited by the height
    EXPECT_TRUE(same(r, RECT{50, 0, 250, 20}));
    // No height display image (size 0): only the background.
    EXPECT_FALSE(im::CalcFitRect(0, 0, 300, 300, &r));
    EXPECT_FALSE(im::CalcFitRect(100, 0, 300, 300, &r));
    EXPECT_FALSE(im::CalcFitRect(100, 100, 0, 300, &r));
    EXPECT_TRUE(same(r, RECT{}));

    const im::ImageMapping m = im::SetImageMapping(RECT{0, 75, 300, 225}, 400, 200);
    ASSERT_TRUE(m.Valid());
    POINT c = m.ToClient(200, 100);
    EXPECT_EQ(c.x, 150);
    EXPECT_EQ(c.y, 150);
    POINT p = m.ToImage(c.x, c.y);
    EXPECT_EQ(p.x, 200);
    EXPECT_EQ(p.y, 100);
    EXPECT_FALSE(im::SetImageMapping(RECT{10, 10, 10, 50}, 400, 200).Valid());
}

TEST(ImagePoints, ClampClipAndSnap) {
    POINT p = im::ClampPointToRect({-5, 70}, RECT{0, 0, 50, 60});
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 60);

    // A line entering at the left and leaving at the right of a 10 x 10 image.
    POINT a{-5, 5}, b{15, 5};
    im::ClipLineToImage(&a, &b, 10, 10);
    EXPECT_EQ(a.x, 0);
    EXPECT_EQ(b.x, 9);
    EXPECT_EQ(b.y, 5);
    a = {20, 20}, b = {30, 25};
    im::ClipLineToImage(&a, &b, 10, 10);
    EXPECT_EQ(a.x, -1);
    EXPECT_EQ(b.y, -1);

    POINT m{10, 3};
    im::SnapToAxis({0, 0}, &m);
    EXPECT_EQ(m.y, 0);
    m = {2, -9};
    im::SnapToAxis({0, 0}, &m);
    EXPECT_EQ(m.x, 0);

    // Diagonal: (3, -7) from (20, 20) goes to (13, 13); near a border it is shortened in
    // proportion onto the border.
    m = {23, 13};
    im::SnapToDiagonal({20, 20}, &m, 100, 100);
    EXPECT_EQ(m.x, 27);
    EXPECT_EQ(m.y, 13);
    m = {95, 30};
    im::SnapToDiagonal({90, 20}, &m, 100, 100);
    EXPECT_EQ(m.x, 99);
    EXPECT_EQ(m.y, 29);

    RECT r{5, 5, 200, 200};
    EXPECT_TRUE(im::DeflateIntersect(&r, 100, 80));
    EXPECT_TRUE(same(r, RECT{5, 5, 98, 78}));
    r = RECT{99, 0, 120, 10};
    EXPECT_FALSE(im::DeflateIntersect(&r, 100, 80));
}

TEST(ImageRubberBand, ClippedLessTwoWhileDraggingToTheImageOnReleaseAndSmallDragsIgnored) {
    RECT band = im::RubberRect({50, 60}, {300, -40}, 100, 80);
    EXPECT_TRUE(same(band, RECT{50, 0, 99, 61}));
    RECT roi{1, 2, 3, 4};
    EXPECT_FALSE(im::ReleaseRoi({10, 10}, {13, 40}, 100, 80, &roi));
    EXPECT_FALSE(im::ReleaseRoi({10, 10}, {40, 7}, 100, 80, &roi));
    EXPECT_TRUE(same(roi, RECT{1, 2, 3, 4}));
    ASSERT_TRUE(im::ReleaseRoi({50, 60}, {300, -40}, 100, 80, &roi));
    EXPECT_TRUE(same(roi, RECT{50, 0, 100, 60}));
}

TEST(ImageOverlay, ResizeByATenthKeepsThePictureMoreRebuildsIt) {
    const RECT stored{0, 0, 500, 500};
    EXPECT_FALSE(im::OverlayNeedsRebuild(true, false, stored, RECT{0, 0, 540, 500}));
    EXPECT_TRUE(im::OverlayNeedsRebuild(true, false, stored, RECT{0, 0, 560, 500}));
    EXPECT_FALSE(im::OverlayNeedsRebuild(true, false, stored, stored));
    EXPECT_TRUE(im::OverlayNeedsRebuild(true, true, stored, stored));
    EXPECT_TRUE(im::OverlayNeedsRebuild(false, false, stored, stored));
}

TEST(ImageRaster, AntsPatternsXorBandRedSliceAndPatternFrames) {
    // Pattern 0: row 0 white at columns 0..2, row 1 at 7, 0, 1; pattern k is pattern 0 moved
    // up by k rows.
    EXPECT_EQ(im::PatternRow(0, 0), 0xE0);
    EXPECT_EQ(im::PatternRow(0, 1), 0xC1);
    for (int k = 0; k < 8; ++k)
        for (int r = 0; r < 8; ++r)
            EXPECT_EQ(im::PatternRow(k, r), im::PatternRow(0, (r + k) % 8));
    EXPECT_EQ(im::NextAntsPhase(7), 0);

    im::RgbBuffer buffer(20, 20, RGB(10, 20, 30));
    const im::RgbBuffer before = buffer;
    im::XorFrame(buffer, RECT{2, 3, 12, 9});
    EXPECT_EQ(buffer.At(2, 3), RGB(245, 235, 225));
    EXPECT_EQ(buffer.At(11, 8), RGB(245, 235, 225));
    EXPECT_EQ(buffer.At(5, 5), RGB(10, 20, 30)); // inside untouched
    im::XorFrame(buffer, RECT{2, 3, 12, 9});
    EXPECT_EQ(buffer.rgb, before.rgb) << "the second drawing leaves no trace";

    im::RgbBuffer slice(2, 1);
    slice.Set(0, 0, RGB(255, 255, 255));
    im::MergeCopyRed(buffer, RECT{0, 0, 4, 2}, slice);
    EXPECT_EQ(buffer.At(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(buffer.At(3, 0), RGB(0, 0, 0));

    im::RgbBuffer frame(16, 16, RGB(1, 1, 1));
    const COLORREF yellow = RGB(255, 255, 0), black = RGB(0, 0, 0);
    im::PatternFrame(frame, RECT{0, 0, 16, 16}, 1, 0, yellow, black);
    EXPECT_EQ(frame.At(0, 0), black);  // set bit: background colour
    EXPECT_EQ(frame.At(3, 0), yellow); // clear bit: text colour
    EXPECT_EQ(frame.At(5, 5), RGB(1, 1, 1));
    im::PatternFrame(frame, RECT{0, 0, 16, 16}, 1, 1, yellow, black);
    EXPECT_EQ(frame.At(0, 0), black);
    EXPECT_EQ(frame.At(2, 0), yellow); // one step along: column 2 of row 0 now clear
}

TEST(ImagePrint, A4At300DpiSizesTheFontOnceAndLaysOutBothReports) {
    EXPECT_EQ(im::PageFontPixels(300), 38); // 9 points on paper, not scaled a second time
    EXPECT_EQ(im::PageFontPixels(72), 9);
    const im::PrintPageMetrics m = im::MakePageMetrics(2480, 3508, 300, 300, 21, 38);
    EXPECT_EQ(m.sideMargin, 59);
    EXPECT_EQ(m.textLeft, 212);
    EXPECT_EQ(m.textTop, 59 + 38);
    for (v3d::ScreenMode mode : {v3d::kScreen3d, v3d::kScreenMeasure}) {
        const im::ReportCells cells = im::ReportLayout(m, mode);
        ASSERT_EQ(cells.count, mode == v3d::kScreen3d ? 5 : 4);
        for (int i = 0; i < cells.count; ++i) {
            const RECT& c = cells.cell[i];
            EXPECT_GT(c.right, c.left);
            EXPECT_GT(c.bottom, c.top);
            EXPECT_GE(c.left, m.textLeft);
            EXPECT_LE(c.right, m.pageWidth - m.textLeft + m.sideMargin);
            EXPECT_LE(c.bottom, m.pageHeight - m.textTop + m.topMargin);
            for (int j = 0; j < i; ++j) {
                const RECT& o = cells.cell[j];
                const bool apart =
                    c.right <= o.left || o.right <= c.left || c.bottom <= o.top || o.bottom <= c.top;
                EXPECT_TRUE(apart) << "cells " << j << " and " << i << " overlap in mode " << mode;
            }
        }
    }
    // 3D screen: the left column's three cells stack with one top margin between them.
    const im::ReportCells cells = im::ReportLayout(m, v3d::kScreen3d);
    EXPECT_EQ(cells.cell[1].top - cells.cell[0].bottom, m.topMargin);
    EXPECT_EQ(cells.cell[3].left - cells.cell[0].right, m.sideMargin);
    // Measurement screen: the results column is 15 characters wide.
    const RECT results = im::ReportLayout(m, v3d::kScreenMeasure).cell[3];
    EXPECT_EQ(results.right - results.left, 15 * 21);
}

} // namespace
