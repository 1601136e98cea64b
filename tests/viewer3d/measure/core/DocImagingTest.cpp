// The document's image toolkit on small bitmaps whose answers are counted by hand.
#include "ids/BrelvoxaIds.h"
#include "viewer3d/measure/core/DocImaging.h"

#include "tests/support/ScratchFolder.h"
#include "ui/resources/ResourceRegistry.h"
#include "viewer3d/core/bitmaps/Dib.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <fstream>

using namespace v3d;

namespace {

// A bitmap freed with the test.
struct OwnedDib {
    HDIB h;
    OwnedDib(int w, int hgt, int kind) : h(v3d::DibCreateOfKind(w, hgt, kind)) {}
    ~OwnedDib() { GlobalFree(h); }
    OwnedDib(const OwnedDib&) = delete;
    OwnedDib& operator=(const OwnedDib&) = delete;
};

// Fills a slot from rows of text: '.' is 0, '#' the value.
void paint(DocImaging& d, int slot, const std::vector<const char*>& rows, int value, int dx = 0, int dy = 0) {
    for (size_t y = 0; y < rows.size(); ++y)
        for (int x = 0; rows[y][x]; ++x)
            if (rows[y][x] == '#')
                d.SetSlotPixel(slot, x + dx, static_cast<int>(y) + dy, value);
}

constexpr double kRoot2 = 1.4142135623730950;
constexpr double kKnight = 1.1180339887498948;

class DocImagingTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(ui::LoadProgramResources("brelvoxa", &error)) << error;
    }
    void TearDown() override { ui::Resources().Clear(); }
    DocImaging d;
};

} // namespace

TEST_F(DocImagingTest, SlotsAttributesAndSampleAccessPerTypeAndPlane) {
    OwnedDib grey(3, 2, kKindGrey8), wide(3, 2, kKindGrey16), rgb(2, 2, kKindRgb24), rgb48(2, 1, kKindRgb48);
    d.SetSlotImage(grey.h, 20);
    d.SetSlotImage(grey.h, -1);
    EXPECT_EQ(d.GetSlotImage(19), nullptr);
    d.SetSlotImage(grey.h, 0, 12); // an 8-bit bitmap takes the type of its table
    EXPECT_EQ(d.GetSlotAttributes(0).type, 0);
    EXPECT_EQ(d.GetSlotAttributes(0).stride, 4);
    d.SetSlotImage(wide.h, 1, 4);
    const SlotAttributes a = d.GetSlotAttributes(1);
    EXPECT_EQ(a.type, 4);
    EXPECT_EQ(a.bytesPerPixel, 2);
    EXPECT_EQ(a.stride, 8); // ((3 x 2 x 8 + 31) / 32) x 4
    EXPECT_EQ(a.levels, 1024);
    EXPECT_EQ(a.levelsPer256, 4);
    EXPECT_EQ(a.levelDigits, 4);
    EXPECT_EQ(a.mono, 1);
    EXPECT_EQ(d.GetSlotLevelCount(1), 1024);
    d.SetSlotImage(nullptr, 1);
    EXPECT_EQ(d.GetSlotAttributes(1).type, -1);
    EXPECT_EQ(d.GetSlotAttributes(1).levels, -1);
    EXPECT_EQ(d.GetSlotAttributes(1).mono, 0);

    // Writes keep the low 8 or 16 bits; y counts from the top (stored row height - 1 - y).
    d.SetSlotImage(wide.h, 1, 6);
    d.SetSlotPixel(0, 1, 0, 0x1FF);
    d.SetSlotPixel(1, 2, 1, 0x12345);
    EXPECT_EQ(d.GetSlotPixel(0, 1, 0), 0xFF);
    EXPECT_EQ(d.GetSlotPixel(1, 2, 1), 0x2345);
    {
        GlobalLockGuard lock(grey.h);
        EXPECT_EQ(v3d::DibGetBits(lock.get())[4 + 1], 0xFF); // stored row 1 is y = 0
    }
    // Outside the image: reads 0, writes dropped.
    EXPECT_EQ(d.GetSlotPixel(0, 3, 0), 0);
    d.SetSlotPixel(0, -1, 0, 9);

    // 24-bit: plane 0 red (byte 2), 1 green, 2 blue; 48-bit: words at 4, 2, 0.
    d.SetSlotImage(rgb.h, 2);
    d.SetSlotImage(rgb48.h, 3);
    EXPECT_EQ(d.GetSlotAttributes(2).type, 3);
    EXPECT_EQ(d.GetSlotAttributes(3).type, 9);
    for (int p = 0; p < 3; ++p) {
        d.SetColorPlane(p);
        d.SetSlotPixel(2, 1, 1, 10 + p);
        d.SetSlotPixel(3, 1, 0, 1000 * (p + 1));
    }
    {
        GlobalLockGuard lock(rgb.h);
        const BYTE* px = v3d::DibGetBits(lock.get()) + 3; // row 0 stored first is y = 1
        EXPECT_EQ(px[0], 12);                             // blue
        EXPECT_EQ(px[1], 11);
        EXPECT_EQ(px[2], 10); // red
    }
    {
        GlobalLockGuard lock(rgb48.h);
        const BYTE* px = v3d::DibGetBits(lock.get()) + 6;
        EXPECT_EQ(px[4] | (px[5] << 8), 1000); // red word
        EXPECT_EQ(px[0] | (px[1] << 8), 3000); // blue word
    }
    d.SetColorPlane(1);
    EXPECT_EQ(d.GetSlotPixel(2, 1, 1), 11);
    EXPECT_EQ(d.GetSlotPixel(3, 1, 0), 2000);
    // A code without samples (13..15) reads 0 and writes nothing.
    d.SetSlotImage(wide.h, 4, 13);
    EXPECT_EQ(d.GetSlotPixel(4, 2, 1), 0);

    // Rows and columns; count <= 0 does nothing; a row copy is cut at the target's width.
    int row[3] = {7, 8, 9};
    d.WriteSlotRow(0, row, 0, 1, 3);
    int col[2] = {};
    d.ReadSlotColumn(0, col, 2, 0, 2);
    EXPECT_EQ(col[1], 9);
    int untouched[2] = {-5, -5};
    d.ReadSlotRow(0, untouched, 0, 1, 0);
    EXPECT_EQ(untouched[0], -5);
    OwnedDib narrow(2, 2, kKindGrey8);
    d.SetSlotImage(narrow.h, 5);
    d.CopySlotRow(0, 5, 0, 1, 3);
    EXPECT_EQ(d.GetSlotPixel(5, 1, 1), 8);
    d.CopySlotRow(1, 5, 0, 0, 2); // different types: nothing
    EXPECT_EQ(d.GetSlotPixel(5, 0, 0), 0);
}

TEST_F(DocImagingTest, RectanglesBinarisationAndLevelTables) {
    OwnedDib a(6, 5, kKindGrey8), b(6, 5, kKindGrey8), w16(4, 1, kKindGrey16);
    d.SetSlotImage(a.h, 0);
    d.SetSlotImage(b.h, 1);
    EXPECT_EQ(d.DrawSlotRect(0, 1, 1, 4, 3, 256), 0);
    EXPECT_EQ(d.DrawSlotRect(0, 1, 1, 4, 3, 200), 1);
    int sum = 0;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            sum += d.GetSlotPixel(0, x, y) == 200;
    EXPECT_EQ(sum, 10); // the outline of a 4 x 3 rectangle
    EXPECT_EQ(d.GetSlotPixel(0, 2, 2), 0);
    EXPECT_EQ(d.DrawSlotRect(1, 0, 4, 5, 4, 9), 1); // one row
    EXPECT_EQ(d.GetSlotPixel(1, 5, 4), 9);
    EXPECT_EQ(d.GetSlotPixel(1, 5, 3), 0);

    // A binarised 16-bit slot holds 0 and 255, not 65535.
    d.SetSlotImage(w16.h, 2, 4);
    int vals[4] = {0, 511, 512, 1023};
    d.WriteSlotRow(2, vals, 0, 0, 4);
    EXPECT_EQ(d.BinarizeSlot(2, 2, 0, 0, 3, 0, 1024, 0), 0); // threshold beyond the levels
    EXPECT_EQ(d.BinarizeSlot(2, 0, 0, 0, 3, 0, 512, 0), 0);  // different types
    EXPECT_EQ(d.BinarizeSlot(2, 2, 0, 0, 3, 0, 512, 0), 1);
    d.ReadSlotRow(2, vals, 0, 0, 4);
    EXPECT_EQ(vals[1], 0);
    EXPECT_EQ(vals[2], 255);
    EXPECT_EQ(vals[3], 255);

    // Level mapping with a real slope: 0..1023 onto 0..255 keeps the ramp.
    int ramp[4] = {0, 512, 1000, 1023};
    d.WriteSlotRow(2, ramp, 0, 0, 4);
    EXPECT_EQ(d.MapSlotLevels(2, 2, 0, 0, 3, 0, 0, 1023, 0, 255, 0), 1);
    d.ReadSlotRow(2, vals, 0, 0, 4);
    EXPECT_EQ(vals[1], static_cast<int>(255.0 / 1023 * 512)); // 127
    EXPECT_EQ(vals[2], static_cast<int>(255.0 / 1023 * 1000));
    EXPECT_EQ(vals[3], 255);
    // start = end: that level to low, everything else by the mode.
    for (int mode = 0; mode < 3; ++mode) {
        int r[4] = {3, 5, 7, 9};
        d.WriteSlotRow(1, r, 0, 0, 4);
        ASSERT_EQ(d.MapSlotLevels(1, 1, 0, 0, 3, 0, 5, 5, 40, 60, mode), 1);
        d.ReadSlotRow(1, r, 0, 0, 4);
        const int below[] = {40, 0, 255};
        const int above[] = {60, 0, 255};
        EXPECT_EQ(r[0], below[mode]) << mode;
        EXPECT_EQ(r[1], 40) << mode;
        EXPECT_EQ(r[2], above[mode]) << mode;
    }
    EXPECT_EQ(d.MapSlotLevels(1, 1, 0, 0, 3, 0, 6, 5, 0, 0, 0), 0);
    EXPECT_EQ(d.MapSlotLevels(1, 1, 0, 0, 3, 0, 0, 5, 0, 256, 0), 0);
    EXPECT_EQ(d.MapSlotLevels(1, 1, 0, 0, 3, 0, 0, 5, 0, 5, 3), 0);
    // Relabelling changes one value only.
    int r[4] = {159, 3, 159, 191};
    d.WriteSlotRow(1, r, 0, 0, 4);
    EXPECT_EQ(d.RelabelValue(1, 1, 0, 0, 2, 0, 159, 191), 1);
    d.ReadSlotRow(1, r, 0, 0, 4);
    EXPECT_EQ(r[0], 191);
    EXPECT_EQ(r[1], 3);
    EXPECT_EQ(r[2], 191);
    // Copying a rectangle between slots of one type.
    EXPECT_EQ(d.CopySlotRect(1, 0, 0, 0, 1, 0), 1);
    EXPECT_EQ(d.GetSlotPixel(0, 1, 0), 3);
    EXPECT_EQ(d.CopySlotRect(2, 0, 0, 0, 1, 0), 0);
}

TEST_F(DocImagingTest, BoundariesMasksAndFirstPixel) {
    // A plus sign: with 4-connectivity its centre is inside, with 8 it touches the background.
    OwnedDib a(9, 9, kKindGrey8), b(9, 9, kKindGrey8);
    d.SetSlotImage(a.h, 0);
    d.SetSlotImage(b.h, 1);
    paint(d, 0, {".#.", "###", ".#."}, 255, 3, 3);
    ASSERT_EQ(d.ExtractSlotBoundary(0, 1, 0, 0, 8, 8, 4), 1);
    EXPECT_EQ(d.GetSlotPixel(1, 4, 4), 0);
    EXPECT_EQ(d.GetSlotPixel(1, 4, 3), 255);
    EXPECT_EQ(d.GetSlotPixel(0, 4, 4), 255); // the source is kept
    ASSERT_EQ(d.ExtractSlotBoundary(0, 1, 0, 0, 8, 8, 8), 1);
    EXPECT_EQ(d.GetSlotPixel(1, 4, 4), 255);
    EXPECT_EQ(d.ExtractSlotBoundary(0, 1, 0, 0, 8, 8, 6), 0);
    OwnedDib w16(9, 9, kKindGrey16);
    d.SetSlotImage(w16.h, 2, 4);
    d.SetSlotImage(w16.h, 3, 4);
    EXPECT_EQ(d.ExtractSlotBoundary(2, 3, 0, 0, 8, 8, 8), 8); // 10-bit slots are left alone

    // The mask: most significant bit first, rows padded to 16 bits.
    OwnedDib m(10, 2, kKindGrey8);
    d.SetSlotImage(m.h, 4);
    d.SetSlotPixel(4, 0, 0, 255);
    d.SetSlotPixel(4, 9, 1, 255);
    d.SetSlotPixel(4, 8, 1, 254);
    ASSERT_EQ(d.BuildMaskBitmap(4, 4), 1);
    const MaskBitmap& mask = d.GetMaskBitmap();
    EXPECT_EQ(mask.stride, 2);
    EXPECT_EQ(mask.bits[0], 0x80);
    EXPECT_EQ(mask.bits[2 + 1], 0x40);
    EXPECT_TRUE(mask.IsSet(9, 1));
    EXPECT_FALSE(mask.IsSet(8, 1));

    int x = 0, y = 0;
    EXPECT_EQ(d.FindFirstPixel(0, 0, 0, 8, 8, 255, &x, &y), 1);
    EXPECT_EQ(x, 4);
    EXPECT_EQ(y, 3);
    EXPECT_EQ(d.FindFirstPixel(0, 0, 0, 8, 8, 77, &x, &y), 0);
    EXPECT_EQ(x, -1);
    EXPECT_EQ(y, -1);
}

TEST_F(DocImagingTest, RegionFillHasNoSeedLimit) {
    OwnedDib a(8, 6, kKindGrey8);
    d.SetSlotImage(a.h, 0);
    paint(d, 0, {"##..#", "#...#", "#####"}, 255, 1, 1);
    RegionBox box;
    EXPECT_EQ(d.FillRegion(0, 0, 0, 7, 5, 1, 1, 255, 255, 8, &box), 0); // old = new
    EXPECT_EQ(box.left, -1);
    EXPECT_EQ(d.FillRegion(0, 0, 0, 7, 5, 3, 1, 255, 9, 8, &box), 0); // seed not the old value
    EXPECT_EQ(d.FillRegion(0, 0, 0, 7, 5, 1, 1, 255, 9, 5, &box), 0);
    ASSERT_EQ(d.FillRegion(0, 0, 0, 7, 5, 1, 1, 255, 9, 4, &box), 1);
    EXPECT_EQ(box.left, 1);
    EXPECT_EQ(box.top, 1);
    EXPECT_EQ(box.right, 5);
    EXPECT_EQ(box.bottom, 3);
    EXPECT_EQ(d.GetSlotPixel(0, 5, 1), 9);

    // A comb of 50000 teeth under one spine: every tooth is a pending seed at once, beyond what a
    // capped stack would hold. All of it is filled.
    const int teeth = 50000;
    OwnedDib comb(2 * teeth + 1, 3, kKindGrey8);
    d.SetSlotImage(comb.h, 1);
    d.FillRowSegment(1, 0, 0, 2 * teeth + 1, 1);
    for (int t = 0; t < teeth; ++t)
        d.FillColumnSegment(1, 2 * t, 1, 2, 1);
    ASSERT_EQ(d.FillRegion(1, 0, 0, 2 * teeth, 2, 0, 0, 1, 7, 4, &box), 1);
    int filled = 0;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x <= 2 * teeth; ++x)
            filled += d.GetSlotPixel(1, x, y) == 7;
    EXPECT_EQ(filled, 2 * teeth + 1 + 2 * teeth);
    EXPECT_EQ(box.bottom, 2);
}

TEST_F(DocImagingTest, OutlineClassesOfHandTracedShapes) {
    OwnedDib a(12, 12, kKindGrey8);
    d.SetSlotImage(a.h, 0);
    OutlineStats s;
    // A single pixel: one point, no steps.
    d.SetSlotPixel(0, 9, 9, 50);
    ASSERT_EQ(d.TraceOutline(0, 8, 8, 10, 10, 50, 8, &s), 1);
    EXPECT_EQ(s.points, 1);
    for (int c = 0; c < 8; ++c)
        EXPECT_EQ(s.classCount[c], 0);
    // A rectangle reaching the last column is refused: tracing needs a margin of one pixel.
    EXPECT_EQ(d.TraceOutline(0, 8, 8, 11, 10, 50, 8, &s), 0);
    EXPECT_EQ(d.TraceOutline(0, 8, 8, 10, 10, 256, 8, &s), 0);
    d.SetSlotPixel(0, 9, 9, 0);

    // A 5 x 5 square, traced from its top-left pixel down the left side: 3 straight steps down
    // (class 0), a corner (5), 4 along the bottom (2), a corner, 4 up (0), a corner, 4 left (2),
    // and the closing corner: classes 0, 2, 5 = 6 (3 + 3 from the walk's first step counted at
    // the close), 6, 4; 16 points.
    paint(d, 0, {"#####", "#####", "#####", "#####", "#####"}, 50, 2, 2);
    ASSERT_EQ(d.TraceOutline(0, 1, 1, 10, 10, 50, 8, &s), 1);
    EXPECT_EQ(s.classCount[0], 6);
    EXPECT_EQ(s.classCount[2], 6);
    EXPECT_EQ(s.classCount[5], 4);
    EXPECT_EQ(s.points, 16);
    // The border around the rectangle is put back.
    d.SetSlotPixel(0, 0, 0, 33);
    ASSERT_EQ(d.TraceOutline(0, 1, 1, 10, 10, 50, 8, &s), 1);
    EXPECT_EQ(d.GetSlotPixel(0, 0, 0), 33);
    // 4-connectivity walks the same square the same way.
    ASSERT_EQ(d.TraceOutline(0, 1, 1, 10, 10, 50, 4, &s), 1);
    EXPECT_EQ(s.points, 16);

    // An L: a 2-wide bar of 4 rows with a foot of 3 more columns on its lower 2 rows. The walk
    // goes down 2 (0, 0), turns (5), 3 right (2, 2, 2), turns up (5), turns left (5), 1 left
    // (2), up-left (7), up (6), the top-right corner (5) and the closing corner (5).
    OwnedDib l(12, 12, kKindGrey8);
    d.SetSlotImage(l.h, 1);
    paint(d, 1, {"##...", "##...", "#####", "#####"}, 80, 1, 1);
    ASSERT_EQ(d.TraceOutline(1, 1, 1, 10, 10, 80, 8, &s), 1);
    const int expected[8] = {2, 0, 4, 0, 0, 5, 1, 1};
    for (int c = 0; c < 8; ++c)
        EXPECT_EQ(s.classCount[c], expected[c]) << c;
    EXPECT_EQ(s.points, 13);
}

TEST_F(DocImagingTest, PerimeterAtALevelAndScratchSlotsLeftEmpty) {
    OwnedDib img(16, 16, kKindGrey8);
    d.SetSlotImage(img.h, 0);
    paint(d, 0, {"#####", "#####", "#####", "#####", "#####"}, 200, 2, 2);
    paint(d, 0, {"##...", "##...", "#####", "#####"}, 120, 9, 9);
    d.SetSlotPixel(0, 12, 3, 250); // one pixel: perimeter 0
    const double square = 6 + 6 + 4 * kRoot2 / 2;
    const double ell = 2 + 4 + 5 * kRoot2 / 2 + 2 * kKnight;
    EXPECT_NEAR(d.MeasurePerimeter(img.h, 100, 0), square + ell, 1e-12);
    EXPECT_NEAR(d.MeasurePerimeter(img.h, 121, 0), square, 1e-12);
    EXPECT_EQ(d.MeasurePerimeter(img.h, 251, 0), 0.0);
    EXPECT_EQ(d.MeasurePerimeter(img.h, 300, 0), 0.0);
    EXPECT_EQ(d.MeasurePerimeter(nullptr, 100, 0), 0.0);
    // The measured image is a copy: the original keeps its values; the scratch slot is empty.
    EXPECT_EQ(d.GetSlotPixel(0, 3, 3), 200);
    EXPECT_EQ(d.GetSlotImage(kScratchSlot), nullptr);
    EXPECT_EQ(d.GetSlotAttributes(kScratchSlot).type, -1);

    // Without the outline tables nothing is measured.
    ui::Resources().Clear();
    EXPECT_EQ(d.MeasurePerimeter(img.h, 100, 0), 0.0);
}

TEST_F(DocImagingTest, OutlineTablesAndTheirSizeCheck) {
    int t[64];
    ASSERT_EQ(LoadRcDataTable(t, bxid::data::OutlineSearchStart, 8), 1);
    const int start[8] = {5, 6, 7, 8, 1, 2, 3, 4};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(t[i], start[i]);
    ASSERT_EQ(LoadRcDataTable(t, bxid::data::OutlineDx, 16), 1);
    EXPECT_EQ(t[1], -1);
    EXPECT_EQ(t[9], -1);
    EXPECT_EQ(t[15], 1);
    ASSERT_EQ(LoadRcDataTable(t, bxid::data::OutlineStepClass, 64), 1);
    EXPECT_EQ(t[0 * 8 + 1], 6);
    EXPECT_EQ(t[3 * 8 + 5], 0);
    EXPECT_EQ(t[7 * 8 + 6], 7);
    // A block of another size is refused and the array left as it was.
    t[0] = 42;
    EXPECT_EQ(LoadRcDataTable(t, bxid::data::OutlineSearchStart, 9), 0);
    EXPECT_EQ(LoadRcDataTable(t, bxid::data::OutlineSearchStart, 7), 0);
    EXPECT_EQ(t[0], 42);
    ScratchFolder dir("measure-tables");
    dir.Write("short.bin", std::string(15, '\1'));
    ASSERT_TRUE(ui::Resources().LoadText("DATA 4802 \"short.bin\"\n", dir.Path(), "short.txt"));
    OutlineTableSet set;
    EXPECT_EQ(LoadOutlineTables(&set), 0);
    // The curve cannot be measured then: its data is marked not valid.
    OwnedDib img(16, 16, kKindGrey8);
    AreaData area;
    area.levelMax = 10;
    EXPECT_EQ(d.BuildPerimeterCurve(img.h, 0, true, &area), 1);
    EXPECT_EQ(area.flag, 0);
}

TEST_F(DocImagingTest, HistogramFromTheImageItself) {
    OwnedDib img(4, 3, kKindGrey8);
    d.SetSlotImage(img.h, 0);
    // A rising scan: each value raises the maximum, and the least is still found.
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            d.SetSlotPixel(0, x, y, 5 + 4 * y + x);
    AreaData area;
    area.levelMax = 999; // stale from a larger image
    area.histogram.assign(3, 1.0);
    ASSERT_EQ(d.BuildHeightHistogram(img.h, 0, false, &area), 1);
    EXPECT_EQ(area.levelMax, 16);
    EXPECT_EQ(area.levelMin, 5);
    EXPECT_TRUE(area.histogram.empty());
    EXPECT_EQ(area.histogramSum, 0.0);
    EXPECT_EQ(area.flag, 0);

    // Cumulative counts: three 0s, two 1s, seven 3s -> 12, 9, 7, 7.
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            d.SetSlotPixel(0, x, y, 3);
    d.SetSlotPixel(0, 0, 0, 0);
    d.SetSlotPixel(0, 1, 0, 0);
    d.SetSlotPixel(0, 2, 0, 0);
    d.SetSlotPixel(0, 3, 0, 1);
    d.SetSlotPixel(0, 0, 1, 1);
    ASSERT_EQ(d.BuildHeightHistogram(img.h, 0, true, &area), 1);
    ASSERT_EQ(area.histogram.size(), 4u);
    EXPECT_EQ(area.histogram[0], 12);
    EXPECT_EQ(area.histogram[1], 9);
    EXPECT_EQ(area.histogram[2], 7);
    EXPECT_EQ(area.histogram[3], 7);
    EXPECT_EQ(area.histogramSum, 12);
    EXPECT_EQ(area.levelMin, 0);
    EXPECT_EQ(area.flag, 1);

    // An all-zero image still gets its one entry.
    OwnedDib zero(5, 5, kKindGrey8);
    ASSERT_EQ(d.BuildHeightHistogram(zero.h, 0, true, &area), 1);
    ASSERT_EQ(area.histogram.size(), 1u);
    EXPECT_EQ(area.histogram[0], 25);
    EXPECT_EQ(area.levelMax, 0);
    EXPECT_EQ(area.levelMin, 0);
    EXPECT_EQ(d.GetSlotImage(kScratchSlot), nullptr);
    EXPECT_EQ(d.BuildHeightHistogram(nullptr, 0, true, &area), 0);
}

TEST_F(DocImagingTest, PerimeterCurveLevelsFromTheMinimum) {
    // A constant image of level 150: its quarter copy is constant too, so every level up to 150
    // outlines the quarter's whole 8 x 8 inner area (4 x 6 straight steps and 4 corners) and
    // every level above it nothing.
    OwnedDib img(40, 40, kKindGrey8);
    d.SetSlotImage(img.h, 0);
    for (int y = 0; y < 40; ++y)
        d.FillRowSegment(0, 0, y, 40, 150);
    AreaData area;
    area.levelMin = 100;
    area.levelMax = 163; // A = 1: levels 100 .. 163
    area.perimeter.assign(164, 0.0);
    ASSERT_EQ(d.BuildPerimeterCurve(img.h, 0, true, &area), 1);
    EXPECT_EQ(area.flag, 1);
    const double whole = 4 * 6 + 4 * kRoot2 / 2;
    EXPECT_NEAR(area.curve[0], whole, 1e-12);
    EXPECT_NEAR(area.curve[50], whole, 1e-12);
    EXPECT_EQ(area.curve[51], 0.0);
    EXPECT_EQ(area.curve[63], 0.0);
    EXPECT_NEAR(area.curveMax, whole, 1e-12);
    // Quarter-size values stay out of the full-size per-level array.
    for (double p : area.perimeter)
        ASSERT_EQ(p, 0.0);
    EXPECT_EQ(d.GetSlotImage(kScratchSlot), nullptr);
    EXPECT_EQ(d.GetSlotImage(kQuarterSlot), nullptr);

    // A range of 32 levels: A = 0.5, so levels repeat and keep the last measured value.
    area = AreaData{};
    area.levelMin = 140;
    area.levelMax = 171;
    ASSERT_EQ(d.BuildPerimeterCurve(img.h, 0, true, &area), 1);
    EXPECT_NEAR(area.curve[21], whole, 1e-12); // 140 + trunc(10.5) = 150
    EXPECT_EQ(area.curve[22], 0.0);            // 151
    // Without the measure flag nothing is measured.
    area = AreaData{};
    area.levelMax = 255;
    ASSERT_EQ(d.BuildPerimeterCurve(img.h, 0, false, &area), 1);
    EXPECT_EQ(area.flag, 0);
    EXPECT_EQ(area.curveMax, 0.0);
}

TEST_F(DocImagingTest, ResizingKeepsConstantsAndRefusesColour16) {
    OwnedDib img(7, 5, kKindGrey16);
    d.SetSlotImage(img.h, 3, 5);
    for (int y = 0; y < 5; ++y)
        d.FillRowSegment(3, 0, y, 7, 3000);
    // Larger and smaller, odd and even sizes: a constant stays constant everywhere.
    for (const auto& [w, h] : {std::pair{16, 11}, std::pair{3, 2}, std::pair{7, 5}, std::pair{1, 1}}) {
        HDIB out = d.ResizeSlotImage(3, w, h);
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(d.GetSlotImage(4), out);
        EXPECT_EQ(d.GetSlotAttributes(4).type, 5);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(d.GetSlotPixel(4, x, y), 3000) << w << "x" << h << " at " << x << "," << y;
        d.SetSlotImage(nullptr, 4);
        GlobalFree(out);
    }
    // A ramp resized to the same size is itself.
    OwnedDib ramp(6, 1, kKindGrey8);
    d.SetSlotImage(ramp.h, 6);
    for (int x = 0; x < 6; ++x)
        d.SetSlotPixel(6, x, 0, 10 * x);
    HDIB same = d.ResizeSlotImage(6, 6, 1);
    ASSERT_NE(same, nullptr);
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(d.GetSlotPixel(7, x, 0), 10 * x) << x;
    d.SetSlotImage(nullptr, 7);
    GlobalFree(same);

    OwnedDib c16(4, 4, kKindGrey16);
    d.SetSlotImage(c16.h, 8, 2);
    EXPECT_EQ(d.ResizeSlotImage(8, 2, 2), nullptr);
    EXPECT_EQ(d.ResizeSlotImage(19, 2, 2), nullptr); // no slot after the last
    EXPECT_EQ(d.ResizeSlotImage(3, 0, 2), nullptr);
}
