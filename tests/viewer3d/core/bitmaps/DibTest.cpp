// The 3D viewer's bitmaps: layouts, tables, copies, rows, display conversion and drawing.
#include "ReaderTestSupport.h"

#include "imaging/files/SECImage.h"
#include "platform/Palette.h"
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/core/data/SlotImageType.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace v3d {
namespace {

struct Lock {
    explicit Lock(HDIB h) : g(h) {}
    GlobalLockGuard g;
    BYTE* p() const { return g.get(); }
};

void put16(HDIB dib, int x, int y, int v) {
    Lock l(dib);
    int value = v;
    DibWriteRow(&value, l.p(), x, y, 1);
}

TEST(V3dDib, CreateLaysOutTablesAndRowsByKind) {
    EXPECT_EQ(DibCreate(4, 4, 5), nullptr);
    EXPECT_EQ(DibCreate(4, 4, -1), nullptr);
    EXPECT_EQ(DibCreate(0, 4, 0), nullptr);
    EXPECT_EQ(DibCreate(4, -1, 0), nullptr);
    EXPECT_EQ(DibCreate(70000, 70000, 4), nullptr); // rows beyond what the header records
    EXPECT_EQ(DibCreateOfKind(4, 4, 2), nullptr);

    HDIB g16 = DibCreate(3, 2, 3);
    HDIB c24 = DibCreate(3, 2, 1);
    HDIB c48 = DibCreate(3, 2, 4);
    HDIB cube = DibCreate(3, 2, 2);
    ASSERT_TRUE(g16 && c24 && c48 && cube);
    {
        Lock a(g16), b(c24), c(c48), d(cube);
        EXPECT_EQ(DibGetBits(a.p()) - a.p(), 40 + 1024);
        EXPECT_EQ(DibColorCount(a.p()), 256);
        EXPECT_EQ(a.p()[40 + 4 * 200 + 2], 200);   // grey ramp
        EXPECT_EQ(le::get32(a.p() + 20), 2u * 8u); // biSizeImage = stride x height
        EXPECT_EQ(DibGetBits(b.p()) - b.p(), 40);
        EXPECT_EQ(DibColorCount(b.p()), 0);
        EXPECT_EQ(DibGetBits(c.p()) - c.p(), 40);
        EXPECT_EQ(le::get32(c.p() + 32), 0u); // biClrUsed
        // The reserved entry is in the block but not counted.
        EXPECT_EQ(GlobalSize(c24), 40u + 4u + 2u * 12u);
        EXPECT_EQ(GlobalSize(c48), 40u + 4u + 2u * 20u);
        // Entry 215 of the cube is white, 216 on zero; entry 43 is (51, 32 -> 1*51, ...).
        const BYTE* t = d.p() + 40;
        EXPECT_EQ(t[4 * 215 + 2], 255);
        EXPECT_EQ(t[4 * 215 + 1], 255);
        EXPECT_EQ(t[4 * 215], 255);
        EXPECT_EQ(t[4 * 216 + 2], 0);
        EXPECT_EQ(t[4 * 43 + 2], 51);
        EXPECT_EQ(t[4 * 43 + 1], 51);
        EXPECT_EQ(t[4 * 43], 51);
    }
    for (HDIB h : {g16, c24, c48, cube})
        GlobalFree(h);
}

TEST(V3dDib, ColourCountsOfBothHeaderForms) {
    BYTE info[40] = {};
    le::put32(info, 40);
    const int expected[][2] = {{1, 2}, {4, 16}, {8, 256}, {16, 256}, {24, 0}, {32, 0}, {48, 0}};
    for (const auto& e : expected) {
        le::put16(info + 14, static_cast<uint16_t>(e[0]));
        EXPECT_EQ(DibColorCount(info), e[1]) << e[0];
        EXPECT_EQ(DibColorTableSize(info), DWORD(e[1]) * 4) << e[0];
    }
    le::put16(info + 14, 8);
    le::put32(info + 32, 17);
    EXPECT_EQ(DibColorCount(info), 17);
    BYTE core[12] = {};
    le::put32(core, 12);
    le::put16(core + 4, 300);
    le::put16(core + 6, 7);
    le::put16(core + 10, 16);
    EXPECT_EQ(DibGetWidth(core), 300);
    EXPECT_EQ(DibGetHeight(core), 7);
    EXPECT_EQ(DibColorCount(core), 256);
    EXPECT_EQ(DibColorTableSize(core), 768u);
}

TEST(V3dDib, SlotTypesAttributesAndDerivation) {
    EXPECT_EQ(SlotTypeInfo(6)->levels, 65536);
    EXPECT_EQ(SlotTypeInfo(6)->levelDigits, 5);
    EXPECT_EQ(SlotTypeInfo(8)->levelsPer256, 16);
    EXPECT_EQ(SlotTypeInfo(7)->bytesPerPixel, 6);
    EXPECT_FALSE(SlotTypeInfo(3)->mono);
    EXPECT_EQ(SlotTypeInfo(13), nullptr);
    EXPECT_EQ(SlotTypeInfo(-1), nullptr);
    EXPECT_EQ(SlotTypeLevels(14), 256);
    EXPECT_EQ(SlotTypeMaxValue(11), 4095);
    EXPECT_EQ(SlotTypeDibKind(12), 3);
    EXPECT_EQ(SlotTypeDibKind(8), 4);
    EXPECT_EQ(SlotTypeDibKind(2), -1);

    HDIB g8 = DibCreate(2, 2, 0), g16 = DibCreate(2, 2, 3), c48 = DibCreate(2, 2, 4);
    {
        Lock a(g8), b(g16), c(c48);
        EXPECT_EQ(SlotTypeFromDib(a.p(), GlobalSize(g8)), 0);
        a.p()[40 + 4 * 9] = 1; // one entry off the ramp
        EXPECT_EQ(SlotTypeFromDib(a.p(), GlobalSize(g8)), 1);
        EXPECT_EQ(SlotTypeFromDib(b.p(), GlobalSize(g16)), 6);
        EXPECT_EQ(SlotTypeFromDib(b.p(), GlobalSize(g16), 11), 11);
        EXPECT_EQ(SlotTypeFromDib(c.p(), GlobalSize(c48)), 9);
        le::put16(c.p() + 14, 32);
        EXPECT_EQ(SlotTypeFromDib(c.p(), GlobalSize(c48)), -1);
    }
    for (HDIB h : {g8, g16, c48})
        GlobalFree(h);
}

TEST(V3dDib, TablesMoveAsRedGreenBlueAndColourBitmapsAreRefused) {
    HDIB g16 = DibCreate(2, 2, 3), c24 = DibCreate(2, 2, 1), c48 = DibCreate(2, 2, 4);
    RgbEntry t[256];
    for (int i = 0; i < 256; ++i)
        t[i] = RgbEntry{BYTE(i), BYTE(255 - i), 7, 0};
    ASSERT_EQ(DibSetColorTable(g16, t), 1);
    {
        Lock l(g16);
        EXPECT_EQ(l.p()[40 + 4 * 10 + 2], 10); // red in the third byte of the stored entry
        EXPECT_EQ(l.p()[40 + 4 * 10], 7);
    }
    RgbEntry back[256];
    ASSERT_EQ(DibGetColorTable(g16, back), 1);
    EXPECT_EQ(back[10].red, 10);
    EXPECT_EQ(back[10].green, 245);
    EXPECT_EQ(back[10].blue, 7);
    // A colour bitmap has no counted table: nothing is read or written after its header.
    std::fill(std::begin(back), std::end(back), RgbEntry{0xAB, 0xAB, 0xAB, 0xAB});
    EXPECT_EQ(DibGetColorTable(c24, back), 0);
    EXPECT_EQ(DibSetColorTable(c48, t), 0);
    EXPECT_EQ(back[0].red, 0xAB);
    {
        Lock l(c48);
        EXPECT_EQ(l.p()[40], 0);
    }
    EXPECT_EQ(DibGetColorTable(nullptr, back), 0);
    for (HDIB h : {g16, c24, c48})
        GlobalFree(h);
}

TEST(V3dDib, RowsTakeTheRedSampleFromTheTopAndAreClipped) {
    HDIB c24 = DibCreate(3, 2, 1), c48 = DibCreate(3, 2, 4), g8 = DibCreate(3, 2, 0);
    {
        Lock l(c24);
        BYTE* top = DibGetBits(l.p()) + DibStride(3, 24); // memory row 1 is the top row
        top[0] = 1, top[1] = 2, top[2] = 3;               // blue, green, red of (0, 0)
        int v[3] = {-1, -1, -1};
        EXPECT_EQ(DibReadRow(v, l.p(), 0, 0, 3), 3);
        EXPECT_EQ(v[0], 3);
        const int w[2] = {300, 99};
        EXPECT_EQ(DibWriteRow(w, l.p(), 1, 1, 2), 2);
        EXPECT_EQ(v3dtest::Sample(c24, 1, 1, 0), 300 & 0xFF);
        EXPECT_EQ(v3dtest::Sample(c24, 1, 1, 1), 0); // green untouched
    }
    {
        Lock l(c48);
        const int w[3] = {70000, 4095, 1};
        EXPECT_EQ(DibWriteRow(w, l.p(), 0, 0, 3), 3);
        EXPECT_EQ(v3dtest::Sample(c48, 0, 0, 0), 70000 & 0xFFFF);
        EXPECT_EQ(v3dtest::Sample(c48, 0, 0, 2), 0);
        int v[3] = {};
        DibReadRow(v, l.p(), 0, 0, 3);
        EXPECT_EQ(v[1], 4095);
    }
    {
        // Rows outside the bitmap and runs past its edge move only what lies inside.
        Lock l(g8);
        int v[5] = {9, 9, 9, 9, 9};
        EXPECT_EQ(DibReadRow(v, l.p(), 0, 2, 1), 0);
        EXPECT_EQ(DibReadRow(v, l.p(), 0, -1, 1), 0);
        EXPECT_EQ(DibReadRow(v, l.p(), 0, 0, 0), 0);
        EXPECT_EQ(DibReadRow(v, l.p(), 1, 0, 5), 2);
        EXPECT_EQ(v[2], 9); // beyond the row: not written
        const int w[4] = {1, 2, 3, 4};
        EXPECT_EQ(DibWriteRow(w, l.p(), -2, 1, 4), 2); // columns 0 and 1 take w[2], w[3]
        EXPECT_EQ(v3dtest::Sample(g8, 0, 1), 3);
        EXPECT_EQ(v3dtest::Sample(g8, 1, 1), 4);
        EXPECT_EQ(DibWriteRow(w, l.p(), 3, 0, 1), 0);
    }
    for (HDIB h : {c24, c48, g8})
        GlobalFree(h);
}

TEST(V3dDib, CopiesClipToBothBitmaps) {
    HDIB src = DibCreate(5, 4, 3);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            put16(src, x, y, 100 * y + x);
    HDIB small = DibCreate(3, 2, 3);
    ASSERT_EQ(DibCopyTopLeft(src, small, 1), small);
    EXPECT_EQ(v3dtest::Sample(small, 2, 1), 102);
    EXPECT_EQ(v3dtest::Sample(small, 0, 0), 0);
    HDIB wide = DibCreate(6, 2, 3);
    EXPECT_EQ(DibCopyTopLeft(src, wide, 1), nullptr); // wider than the source
    EXPECT_EQ(v3dtest::Sample(wide, 0, 1), 0);
    HDIB g8 = DibCreate(2, 2, 0);
    EXPECT_EQ(DibCopyTopLeft(src, g8, 1), nullptr); // not 16-bit

    // A rectangle reaching past the source and larger than the target copies the overlap.
    HDIB tile = DibCreate(2, 2, 3);
    ASSERT_EQ(DibCopyRect(src, tile, 3, 2, 9, 9), tile);
    EXPECT_EQ(v3dtest::Sample(tile, 0, 0), 203);
    EXPECT_EQ(v3dtest::Sample(tile, 1, 1), 304);
    ASSERT_EQ(DibCopyRect(src, tile, -3, -3, 1, 1), tile);
    EXPECT_EQ(v3dtest::Sample(tile, 0, 0), 0);
    EXPECT_EQ(DibCopyRect(src, tile, 5, 0, 7, 2), nullptr); // outside
    EXPECT_EQ(DibCopyRect(src, g8, 0, 0, 2, 2), nullptr);   // other depth

    HDIB c48 = DibCreate(3, 3, 4), t48 = DibCreate(2, 2, 4);
    {
        Lock l(c48);
        BYTE* row = DibGetBits(l.p()); // bottom row
        le::put16(row + 6 * 2, 11), le::put16(row + 6 * 2 + 2, 22), le::put16(row + 6 * 2 + 4, 33);
    }
    ASSERT_EQ(DibCopyRect(c48, t48, 1, 1, 3, 3), t48);
    EXPECT_EQ(v3dtest::Sample(t48, 1, 1, 0), 33);
    EXPECT_EQ(v3dtest::Sample(t48, 1, 1, 2), 11);
    for (HDIB h : {src, small, wide, g8, tile, c48, t48})
        GlobalFree(h);
}

class V3dDisplay : public ::testing::Test {
protected:
    static ScreenCaps eightBits() { return ScreenCaps{8, 1}; }
    void TearDown() override { SetScreenCapsFunction(nullptr); }
    // One display byte of a 16-bit value under a window.
    static int shown(int value, int start, int end, int type) {
        HDIB src = DibCreate(1, 1, 3);
        put16(src, 0, 0, value);
        HDIB out = DibConvertForDisplay(src, nullptr, start, end, type);
        const int v = out ? v3dtest::Sample(out, 0, 0) : -1;
        GlobalFree(out);
        GlobalFree(src);
        return v;
    }
};

TEST_F(V3dDisplay, WindowsOfSixteenBitImages) {
    EXPECT_EQ(DisplayBitsPerPixel(), 24);
    // start = end: the whole range of a 12-bit image.
    EXPECT_EQ(shown(4095, 700, 700, 5), 255);
    EXPECT_EQ(shown(2048, 700, 700, 5), 128);
    // A start of -5 becomes 0; an end above L - 1 becomes L - 1.
    EXPECT_EQ(shown(0, -5, 1023, 4), 0);
    EXPECT_EQ(shown(512, -5, 1023, 4), 128);
    EXPECT_EQ(shown(1023, 0, 5000, 4), 255);
    EXPECT_EQ(shown(512, 0, 5000, 4), 128);
    // 300..200 on 12 bits: below 200 black, everything else white.
    EXPECT_EQ(shown(199, 300, 200, 5), 0);
    EXPECT_EQ(shown(200, 300, 200, 5), 255);
    EXPECT_EQ(shown(250, 300, 200, 5), 255);
    EXPECT_EQ(shown(4000, 300, 200, 5), 255);
    // The window end maps to 255, the value below it to (end-1-start) x 256 / (end-start+1).
    EXPECT_EQ(shown(1000, 100, 1000, 6), 255);
    EXPECT_EQ(shown(999, 100, 1000, 6), 899 * 256 / 901);
    EXPECT_EQ(shown(99, 100, 1000, 6), 0);
    // Samples beyond a 10-bit image's levels still find an entry.
    EXPECT_EQ(shown(60000, 0, 1023, 4), 255);
}

TEST_F(V3dDisplay, ColourAndPseudoColourOutputs) {
    HDIB c48 = DibCreate(2, 1, 4);
    {
        Lock l(c48);
        BYTE* p = DibGetBits(l.p());
        le::put16(p, 4095), le::put16(p + 2, 0), le::put16(p + 4, 2048); // blue, green, red
    }
    HDIB out = DibConvertForDisplay(c48, nullptr, 0, 4095, 8);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(v3dtest::BitCount(out), 24);
    EXPECT_EQ(v3dtest::Sample(out, 0, 0, 0), 128);
    EXPECT_EQ(v3dtest::Sample(out, 0, 0, 2), 255);
    // The previous display bitmap is reused when it fits.
    HDIB again = DibConvertForDisplay(c48, out, 0, 4095, 8);
    EXPECT_EQ(again, out);
    // A previous display bitmap of another size is replaced, never written past its end.
    HDIB tooSmall = DibCreate(1, 1, 1);
    HDIB replaced = DibConvertForDisplay(c48, tooSmall, 0, 4095, 8);
    ASSERT_NE(replaced, nullptr);
    EXPECT_EQ(v3dtest::Width(replaced), 2);
    EXPECT_EQ(v3dtest::Sample(replaced, 0, 0, 0), 128);
    GlobalFree(replaced);
    // 8-bit sources need no conversion; 24-bit on a deep screen neither; the target is freed.
    HDIB g8 = DibCreate(2, 1, 0);
    EXPECT_EQ(DibConvertForDisplay(g8, again, 0, 255, 0), nullptr);
    HDIB c24 = DibCreate(2, 1, 1);
    EXPECT_EQ(DibConvertForDisplay(c24, nullptr, 0, 255, 3), nullptr);

    // Types 10-12 show through the image's own table.
    HDIB g16 = DibCreate(2, 1, 3);
    RgbEntry t[256];
    for (int i = 0; i < 256; ++i)
        t[i] = RgbEntry{BYTE(255 - i), BYTE(i), 0, 0};
    DibSetColorTable(g16, t);
    HDIB pseudo = DibConvertForDisplay(g16, nullptr, 0, 1023, 10);
    RgbEntry shownTable[256];
    ASSERT_EQ(DibGetColorTable(pseudo, shownTable), 1);
    EXPECT_EQ(shownTable[0].red, 255);
    // Converting the same target for a grey type puts the grey ramp back.
    HDIB grey = DibConvertForDisplay(g16, pseudo, 0, 1023, 4);
    ASSERT_EQ(grey, pseudo);
    DibGetColorTable(grey, shownTable);
    EXPECT_EQ(shownTable[0].red, 0);
    EXPECT_EQ(shownTable[77].green, 77);
    for (HDIB h : {c48, g8, c24, g16, grey})
        GlobalFree(h);
}

TEST_F(V3dDisplay, PaletteScreensGetColourCubeIndices) {
    SetScreenCapsFunction(&V3dDisplay::eightBits);
    EXPECT_EQ(DisplayBitsPerPixel(), 8);
    HDIB c48 = DibCreate(3, 1, 4);
    {
        Lock l(c48);
        BYTE* p = DibGetBits(l.p());
        for (int s = 0; s < 3; ++s)
            le::put16(p + 2 * s, 3000); // all samples at the window end
        le::put16(p + 6 + 4, 3000);     // pixel 1: red only
        le::put16(p + 12, 1499);        // pixel 2: blue at half the window
    }
    HDIB out = DibConvertForDisplay(c48, nullptr, 1000, 3000, 8);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(v3dtest::BitCount(out), 8);
    EXPECT_EQ(v3dtest::Sample(out, 0, 0), 215);
    EXPECT_EQ(v3dtest::Sample(out, 1, 0), 180);
    EXPECT_EQ(v3dtest::Sample(out, 2, 0), (499 * 256 / 2001) / 43);
    {
        Lock l(out);
        EXPECT_EQ(l.p()[40 + 4 * 215 + 2], 255); // the cube table
    }
    HDIB c24 = DibCreate(1, 1, 1);
    {
        Lock l(c24);
        BYTE* p = DibGetBits(l.p());
        p[0] = 42, p[1] = 43, p[2] = 255; // blue, green, red
    }
    HDIB cube = DibConvertForDisplay(c24, nullptr, 0, 0, 3);
    ASSERT_NE(cube, nullptr);
    EXPECT_EQ(v3dtest::Sample(cube, 0, 0), 5 * 36 + 1 * 6 + 0);
    for (HDIB h : {c48, out, c24, cube})
        GlobalFree(h);
}

TEST(V3dDib, DisplayPalettesByDepth) {
    HDIB g16 = DibCreate(1, 1, 3), c24 = DibCreate(1, 1, 1), g8 = DibCreate(1, 1, 0);
    CPalette p16, p24, p8;
    ASSERT_TRUE(DibCreateDisplayPalette(g16, &p16, PC_NOCOLLAPSE));
    ASSERT_TRUE(DibCreateDisplayPalette(c24, &p24, PC_NOCOLLAPSE));
    PALETTEENTRY e[256];
    ASSERT_EQ(p16.GetPaletteEntries(0, 256, e), 256u);
    EXPECT_EQ(e[2].peRed, 3);     // entry 2 of the table is left out
    EXPECT_EQ(e[223].peRed, 255); // the 224th kept entry
    EXPECT_EQ(e[224].peRed, 20);
    EXPECT_EQ(e[236].peRed, 255);
    EXPECT_EQ(e[0].peFlags, PC_NOCOLLAPSE);
    p24.GetPaletteEntries(0, 256, e);
    EXPECT_EQ(e[215].peBlue, 255);
    EXPECT_EQ(e[216].peRed, 12);
    EXPECT_EQ(e[235].peRed, 240);
    {
        Lock l(g8);
        le::put32(l.p() + 32, 16); // 16 colours
    }
    ASSERT_TRUE(DibCreateDisplayPalette(g8, &p8, PC_NOCOLLAPSE));
    EXPECT_EQ(p8.GetEntryCount(), 16u);
    p8.GetPaletteEntries(0, 16, e);
    EXPECT_EQ(e[5].peFlags, 0);
    EXPECT_FALSE(DibCreateDisplayPalette(nullptr, &p8, 0));
    for (HDIB h : {g16, c24, g8})
        GlobalFree(h);
}

// Records the drawing calls with the header each one saw.
class RecordingTarget : public CDibDrawTarget {
public:
    struct Call {
        bool stretch;
        int xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth, srcHeight;
        LONG headerHeight;
        const void* bits;
        BYTE entry3; // first byte of colour-table entry 3 as the call saw it (8-bit bitmaps)
    };
    std::vector<Call> calls;
    std::vector<RECT> clips;
    CPalette* SelectPalette(CPalette* palette, BOOL) override {
        CPalette* old = selected;
        selected = palette;
        return old;
    }
    int SetStretchBltMode(int) override { return COLORONCOLOR; }
    BOOL SetClipRect(const RECT* r) override {
        clips.push_back(r ? *r : RECT{-1, -1, -1, -1});
        return TRUE;
    }
    int SetDIBitsToDevice(int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc, UINT, UINT lines,
                          const void* bits, const BYTE* info, UINT) override {
        calls.push_back({false, xDest, yDest, int(w), int(h), xSrc, ySrc, int(w), int(h), DibGetHeight(info),
                         bits, DibGetBitCount(info) == 8 ? info[40 + 4 * 3] : BYTE(0)});
        return int(lines);
    }
    int StretchDIBits(int xDest, int yDest, int dw, int dh, int xSrc, int ySrc, int sw, int sh,
                      const void* bits, const BYTE* info, UINT, DWORD) override {
        calls.push_back({true, xDest, yDest, dw, dh, xSrc, ySrc, sw, sh, DibGetHeight(info), bits,
                         DibGetBitCount(info) == 8 ? info[40 + 4 * 3] : BYTE(0)});
        return sh;
    }
    CPalette* selected = nullptr;
};

TEST(V3dDibDraw, BandHeaderIsPatchedForTheCallAndRestored) {
    HDIB dib = DibCreate(10, 8, 0);
    RecordingTarget t;
    const RECT dest{100, 50, 104, 53}, src{2, 3, 6, 6};
    ASSERT_EQ(v3d::DibDraw(&t, &dest, dib, &src, nullptr), 3);
    ASSERT_EQ(t.calls.size(), 1u);
    const auto& c = t.calls[0];
    EXPECT_FALSE(c.stretch);
    EXPECT_EQ(c.headerHeight, 3); // the band of three rows
    EXPECT_EQ(c.xSrc, 2);
    EXPECT_EQ(c.ySrc, 0);
    {
        Lock l(dib);
        // The band starts (8 - 6) rows into the bits; the header is whole again.
        EXPECT_EQ(static_cast<const BYTE*>(c.bits), DibGetBits(l.p()) + 2 * DibStride(10, 8));
        EXPECT_EQ(DibGetHeight(l.p()), 8);
        EXPECT_EQ(le::get32(l.p() + 20), 8 * DibStride(10, 8));
    }
    const RECT outside{8, 0, 12, 2};
    EXPECT_EQ(v3d::DibDraw(&t, &dest, dib, &outside, nullptr), 0);
    const RECT bigger{0, 0, 20, 12};
    EXPECT_EQ(v3d::DibDraw(&t, &bigger, dib, &src, nullptr), 3);
    EXPECT_TRUE(t.calls.back().stretch);
    EXPECT_EQ(v3d::DibDraw(&t, &dest, nullptr, &src, nullptr), 0);
    GlobalFree(dib);
}

TEST(V3dDibDraw, LargeImagesDrawInTilesThroughAWorkBitmap) {
    EXPECT_EQ(DibDrawTileSize(4096, 100), 512);
    EXPECT_EQ(DibDrawTileSize(5000, 3000), 256);
    EXPECT_EQ(DibDrawTileSize(100, 16385), 128);

    HDIB big = DibCreate(5000, 3000, 0);
    ASSERT_NE(big, nullptr);
    {
        Lock l(big);
        l.p()[40 + 4 * 3] = 99; // a table entry the work bitmap must carry
    }
    RecordingTarget t;
    const RECT dest{0, 0, 2500, 1500}; // another width: stretched
    const int tiles = DibDrawClipped(&t, big, nullptr, &dest, nullptr, nullptr);
    EXPECT_EQ(tiles, 20 * 12); // ceil(5000 / 256) x ceil(3000 / 256)
    ASSERT_EQ(t.calls.size(), 240u);
    EXPECT_EQ(t.calls[0].srcWidth, 256);
    EXPECT_EQ(t.calls[0].destWidth, 128);
    EXPECT_EQ(t.calls[0].entry3, 99);
    const auto& last = t.calls.back(); // the bottom-right tile: 5000 - 19 x 256 = 136 wide
    EXPECT_EQ(last.srcWidth, 136);
    EXPECT_EQ(last.srcHeight, 3000 - 11 * 256);
    EXPECT_EQ(last.xDest, 19 * 256 / 2);
    EXPECT_EQ(last.xDest + last.destWidth, 2500);
    EXPECT_EQ(last.yDest + last.destHeight, 1500);
    // Unscaled drawing draws the tiles straight from the image.
    t.calls.clear();
    EXPECT_EQ(DibDrawClipped(&t, big, nullptr, nullptr, nullptr, nullptr), 240);
    EXPECT_FALSE(t.calls[5].stretch);
    EXPECT_EQ(t.calls[5].xDest, 5 * 256);
    GlobalFree(big);
}

TEST(V3dDibDraw, RegionsClipAndGiveTheDefaultRectangles) {
    HDIB dib = DibCreate(600, 100, 1);
    RecordingTarget t;
    const RECT region{100, 10, 700, 60};
    EXPECT_EQ(DibDrawClipped(&t, dib, &region, nullptr, nullptr, nullptr), 1);
    ASSERT_EQ(t.clips.size(), 2u);
    EXPECT_EQ(t.clips[0].left, 0); // offset by the box when no rectangle was given
    EXPECT_EQ(t.clips[0].right, 600);
    EXPECT_EQ(t.clips[1].left, -1); // lifted afterwards
    // The box reaches past the image: only its part inside is drawn, at the box's origin.
    ASSERT_EQ(t.calls.size(), 1u);
    EXPECT_EQ(t.calls[0].xSrc, 100);
    EXPECT_EQ(t.calls[0].destWidth, 500);
    EXPECT_EQ(t.calls[0].xDest, 0);
    EXPECT_EQ(t.calls[0].yDest, 0);
    GlobalFree(dib);
}

} // namespace
} // namespace v3d
