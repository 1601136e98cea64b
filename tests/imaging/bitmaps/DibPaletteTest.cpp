#include "imaging/bitmaps/Dib.h"
#include "platform/Palette.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<PALETTEENTRY> entriesOf(const CPalette& pal) {
    std::vector<PALETTEENTRY> e(pal.GetEntryCount());
    pal.GetPaletteEntries(0, static_cast<UINT>(e.size()), e.data());
    return e;
}

void expectEntry(const PALETTEENTRY& e, int r, int g, int b, int flags) {
    EXPECT_EQ(e.peRed, r);
    EXPECT_EQ(e.peGreen, g);
    EXPECT_EQ(e.peBlue, b);
    EXPECT_EQ(e.peFlags, flags);
}

// An 8-bit bitmap whose table entry i is (red i, green 255 - i, blue i / 2).
HDIB distinctTable8() {
    HDIB h = DibCreate(4, 4, DIB_KIND_GREY8);
    std::vector<RGBQUAD> t(256);
    for (int i = 0; i < 256; ++i)
        t[i] = RGBQUAD{static_cast<BYTE>(i / 2), static_cast<BYTE>(255 - i), static_cast<BYTE>(i), 0};
    DibSetColorTable(h, t.data());
    return h;
}

// A 24-bit bitmap with a 16-entry table (biClrUsed 16), entry i grey 16 * i.
HDIB rgb24WithSmallTable() {
    HDIB h = GlobalAlloc(GHND, 40 + 64 + 12);
    GlobalLockGuard l(h);
    BITMAPINFOHEADER hdr;
    hdr.biWidth = 1;
    hdr.biHeight = 1;
    hdr.biBitCount = 24;
    hdr.biClrUsed = 16;
    hdr.Write(l.get());
    for (int i = 0; i < 16; ++i)
        l.get()[40 + i * 4] = l.get()[41 + i * 4] = l.get()[42 + i * 4] = static_cast<BYTE>(16 * i);
    return h;
}

} // namespace

TEST(DibPalette, TablePaletteHasExactlyTheTableEntries) {
    HDIB h = distinctTable8();
    CPalette pal;
    EXPECT_TRUE(DibCreateTablePalette(h, &pal));
    auto e = entriesOf(pal);
    ASSERT_EQ(e.size(), 256u);
    expectEntry(e[10], 10, 245, 5, 0);
    GlobalFree(h);

    HDIB small = rgb24WithSmallTable();
    CPalette pal16;
    EXPECT_TRUE(DibCreateTablePalette(small, &pal16));
    EXPECT_EQ(pal16.GetEntryCount(), 16u);
    GlobalFree(small);

    for (int kind : {DIB_KIND_RGB24, DIB_KIND_GREY16, DIB_KIND_RGB48}) {
        HDIB none = DibCreate(2, 2, kind);
        CPalette untouched;
        EXPECT_FALSE(DibCreateTablePalette(none, &untouched)) << kind;
        EXPECT_FALSE(untouched.IsCreated());
        GlobalFree(none);
    }
    EXPECT_FALSE(DibCreateTablePalette(nullptr, &pal));
}

TEST(DibPalette, DisplayPaletteOfAnEightBitTableSkipsEveryEighthFromTwo) {
    HDIB h = distinctTable8();
    CPalette pal;
    ASSERT_TRUE(DibCreateDisplayPalette(h, &pal, PC_NOCOLLAPSE, 0));
    auto e = entriesOf(pal);
    ASSERT_EQ(e.size(), 256u);
    // Entries 0, 1 from table 0, 1; entry 2 from table 3; entries 7, 8 from table 8, 9 (10 is left out).
    expectEntry(e[0], 0, 255, 0, PC_NOCOLLAPSE);
    expectEntry(e[1], 1, 254, 0, PC_NOCOLLAPSE);
    expectEntry(e[2], 3, 252, 1, PC_NOCOLLAPSE);
    expectEntry(e[7], 8, 247, 4, PC_NOCOLLAPSE);
    expectEntry(e[8], 9, 246, 4, PC_NOCOLLAPSE);
    expectEntry(e[9], 11, 244, 5, PC_NOCOLLAPSE);
    expectEntry(e[223], 255, 0, 127, PC_NOCOLLAPSE);
    for (const auto& x : e)
        EXPECT_NE(x.peRed % 8, 2) << "a skipped table entry was used";
    for (int k = 0; k < 12; ++k)
        expectEntry(e[224 + k], 20 * (k + 1), 20 * (k + 1), 20 * (k + 1), PC_NOCOLLAPSE);
    for (int i = 236; i < 256; ++i)
        expectEntry(e[i], 255, 255, 255, PC_NOCOLLAPSE);
    GlobalFree(h);
}

TEST(DibPalette, DisplayPaletteOfColourBitmapsIsTheCubeInModeMinusOne) {
    for (int kind : {DIB_KIND_RGB24, DIB_KIND_RGB48}) {
        SCOPED_TRACE(kind);
        HDIB h = DibCreate(2, 2, kind);
        CPalette pal;
        ASSERT_TRUE(DibCreateDisplayPalette(h, &pal, 0x01, -1));
        auto e = entriesOf(pal);
        ASSERT_EQ(e.size(), 256u);
        expectEntry(e[0], 0, 0, 0, 1);
        expectEntry(e[2 * 36 + 3 * 6 + 4], 102, 153, 204, 1);
        expectEntry(e[215], 255, 255, 255, 1);
        expectEntry(e[216], 12, 12, 12, 1);
        expectEntry(e[235], 240, 240, 240, 1);
        expectEntry(e[236], 255, 255, 255, 1);
        expectEntry(e[255], 255, 255, 255, 1);

        CPalette black;
        ASSERT_TRUE(DibCreateDisplayPalette(h, &black, 0x01, 0));
        for (const auto& x : entriesOf(black))
            expectEntry(x, 0, 0, 0, 0);
        GlobalFree(h);
    }
}

TEST(DibPalette, DisplayPaletteOfOtherTablesAndSixteenBits) {
    // A 16-entry table: its colours with flags 0, the rest black.
    HDIB small = rgb24WithSmallTable();
    CPalette pal;
    ASSERT_TRUE(DibCreateDisplayPalette(small, &pal, PC_NOCOLLAPSE, -1));
    auto e = entriesOf(pal);
    ASSERT_EQ(e.size(), 256u);
    expectEntry(e[15], 240, 240, 240, 0);
    expectEntry(e[16], 0, 0, 0, 0);
    GlobalFree(small);

    // A 16-bit bitmap has no table; its grey samples show through the grey ramp, packed like
    // an 8-bit table, instead of its pixel rows being read as colours.
    HDIB g16 = DibCreate(64, 64, DIB_KIND_GREY16);
    {
        GlobalLockGuard l(g16);
        BYTE* bits = DibGetBits(l.get());
        for (int i = 0; i < 1024; ++i)
            bits[i] = 0x77;
    }
    CPalette grey;
    ASSERT_TRUE(DibCreateDisplayPalette(g16, &grey, 0, 0));
    auto ge = entriesOf(grey);
    expectEntry(ge[2], 3, 3, 3, 0);
    expectEntry(ge[223], 255, 255, 255, 0);
    GlobalFree(g16);

    // Depths with no colours at all create nothing.
    HDIB h32 = GlobalAlloc(GHND, 40 + 4);
    {
        GlobalLockGuard l(h32);
        BITMAPINFOHEADER hdr;
        hdr.biWidth = hdr.biHeight = 1;
        hdr.biBitCount = 32;
        hdr.Write(l.get());
    }
    CPalette none;
    EXPECT_FALSE(DibCreateDisplayPalette(h32, &none, 0, -1));
    EXPECT_FALSE(none.IsCreated());
    EXPECT_FALSE(DibCreateDisplayPalette(nullptr, &none, 0, -1));
    GlobalFree(h32);
}
