#include <gtest/gtest.h>

#include "ImageFileTestSupport.h"

#include "imaging/bitmaps/Dib.h"
#include "imaging/files/ImageFile.h"
#include "imaging/files/SECJpeg.h"
#include "platform/File.h"

#include <cstdlib>
#include <cstring>

using namespace imgtest;

namespace {

ScreenCaps PaletteScreen() { return ScreenCaps{8, 1}; }

// A smooth image that JPEG keeps close: every sample within a few levels.
HDIB SmoothDib(int w, int h, int kind) {
    HDIB dib = DibCreateOfKind(w, h, kind);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int p = 0; p < (kind == 0 ? 1 : 3); ++p)
                DibSetPixel(dib, x, y, p, x * 2 + y * 2 + p * 40 + 20);
    return dib;
}

int MaxDifference(HDIB a, HDIB b, int planes) {
    GlobalLockGuard la(a);
    const int w = DibGetWidth(la.get()), h = DibGetHeight(la.get());
    int worst = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int p = 0; p < planes; ++p)
                worst = std::max(worst, std::abs(DibGetPixel(a, x, y, p) - DibGetPixel(b, x, y, p)));
    return worst;
}

} // namespace

TEST(SECJpeg, GreyAndColourRoundTripsKeepDepthOrientationAndColours) {
    ScratchDir dir;
    HDIB grey = SmoothDib(40, 24, 0);
    HDIB colour = SmoothDib(40, 24, 1);
    ASSERT_TRUE(SaveImageFile(grey, dir.Path("g.jpg"), 0, 95));
    ASSERT_TRUE(SaveImageFile(colour, dir.Path("c.JPG"), 3, 95));
    HDIB g = ReadImageFile(dir.Path("g.jpg"), nullptr);
    HDIB c = ReadImageFile(dir.Path("c.JPG"), nullptr);
    ASSERT_NE(g, nullptr);
    ASSERT_NE(c, nullptr);
    {
        GlobalLockGuard lg(g), lc(c);
        EXPECT_EQ(DibGetBitCount(lg.get()), 8);
        EXPECT_EQ(DibColorCount(lg.get()), 256);
        EXPECT_EQ(lg.get()[40 + 4 * 77 + 1], 77) << "grey table";
        EXPECT_EQ(DibGetBitCount(lc.get()), 24);
    }
    EXPECT_LE(MaxDifference(grey, g, 1), 6);
    EXPECT_LE(MaxDifference(colour, c, 3), 8) << "planes keep their order and rows their place";
    for (HDIB h : {grey, colour, g, c})
        GlobalFree(h);
}

TEST(SECJpeg, PaletteImagesSaveAsGreyIndicesOrInTheirColours) {
    ScratchDir dir;
    HDIB pal = DibCreateOfKind(16, 16, 0);
    std::vector<RGBQUAD> table(256);
    for (int i = 0; i < 256; ++i)
        table[i] = RGBQUAD{0, 0, 200, 0}; // every index shows red
    DibSetColorTable(pal, table.data());
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            DibSetPixel(pal, x, y, 0, 90);
    ASSERT_TRUE(SaveImageFile(pal, dir.Path("grey.jpg"), 0, 90));
    ASSERT_TRUE(SaveImageFile(pal, dir.Path("colour.jpg"), 1, 90));
    HDIB g = ReadImageFile(dir.Path("grey.jpg"), nullptr);
    HDIB c = ReadImageFile(dir.Path("colour.jpg"), nullptr);
    ASSERT_NE(g, nullptr);
    ASSERT_NE(c, nullptr);
    EXPECT_NEAR(DibGetPixel(g, 8, 8, 0), 90, 2);
    EXPECT_NEAR(DibGetPixel(c, 8, 8, 0), 200, 3);
    EXPECT_NEAR(DibGetPixel(c, 8, 8, 2), 0, 3);
    for (HDIB h : {pal, g, c})
        GlobalFree(h);
}

TEST(SECJpeg, DefaultQualityIs75AndASaveLeavesTheRowsUnchanged) {
    ScratchDir dir;
    HDIB colour = SmoothDib(13, 7, 1);
    ASSERT_TRUE(SaveImageFile(colour, dir.Path("q75.jpg"), 3, 75));
    SECJpeg img;
    {
        CFile f(dir.Path("q75.jpg"), CFile::modeRead);
        ASSERT_TRUE(img.ReadFromFile(&f));
    }
    ASSERT_TRUE(img.WriteToPath(dir.Path("a.jpg").c_str()));
    img.m_quality = 75;
    std::vector<BYTE> rows(img.m_bits, img.m_bits + 40 * 7);
    ASSERT_TRUE(img.WriteToPath(dir.Path("b.jpg").c_str()));
    EXPECT_EQ(ReadBytes(dir.Path("a.jpg")), ReadBytes(dir.Path("b.jpg")));
    EXPECT_EQ(std::vector<BYTE>(img.m_bits, img.m_bits + 40 * 7), rows);
    EXPECT_TRUE(img.m_rowsPadded);
    img.m_quality = 20;
    ASSERT_TRUE(img.WriteToPath(dir.Path("c.jpg").c_str()));
    EXPECT_NE(ReadBytes(dir.Path("a.jpg")), ReadBytes(dir.Path("c.jpg")));
    GlobalFree(colour);
}

TEST(SECJpeg, EmptyCorruptAndDeepInputsFailCleanly) {
    ScratchDir dir;
    WriteBytes(dir.Path("empty.jpg"), {});
    WriteBytes(dir.Path("junk.jpg"), {0xFF, 0xD8, 0xFF, 0xC0, 0, 3, 1, 2, 3, 4});
    SECJpeg img;
    for (const char* name : {"empty.jpg", "junk.jpg"}) {
        CFile f(dir.Path(name), CFile::modeRead);
        EXPECT_FALSE(img.ReadFromFile(&f)) << name;
    }
    // 16- and 48-bit images cannot be encoded, and nothing is written for them.
    HDIB deep = MakePatternDib(4, 4, 3);
    WriteBytes(dir.Path("d.jpg"), {'o', 'l', 'd'});
    EXPECT_FALSE(SaveImageFile(deep, dir.Path("d.jpg"), 6, 75));
    EXPECT_EQ(ReadBytes(dir.Path("d.jpg")), (std::vector<BYTE>{'o', 'l', 'd'}));
    GlobalFree(deep);
}

TEST(SECJpeg, TruncatedFilesDecodeWhatTheyHold) {
    ScratchDir dir;
    HDIB colour = SmoothDib(64, 64, 1);
    ASSERT_TRUE(SaveImageFile(colour, dir.Path("full.jpg"), 3, 90));
    auto bytes = ReadBytes(dir.Path("full.jpg"));
    bytes.resize(bytes.size() * 2 / 3);
    WriteBytes(dir.Path("cut.jpg"), bytes);
    HDIB cut = ReadImageFile(dir.Path("cut.jpg"), nullptr);
    ASSERT_NE(cut, nullptr);
    EXPECT_NEAR(DibGetPixel(cut, 1, 1, 0), DibGetPixel(colour, 1, 1, 0), 8) << "the top rows are there";
    GlobalFree(cut);
    GlobalFree(colour);
}

TEST(SECJpeg, PaletteScreenGivesColourImagesA256EntryTable) {
    ScratchDir dir;
    HDIB colour = SmoothDib(8, 8, 1);
    ASSERT_TRUE(SaveImageFile(colour, dir.Path("c.jpg"), 3, 90));
    ScreenCapsFunction old = SetScreenCapsFunction(&PaletteScreen);
    SECJpeg img;
    {
        CFile f(dir.Path("c.jpg"), CFile::modeRead);
        EXPECT_TRUE(img.ReadFromFile(&f));
    }
    EXPECT_EQ(img.m_bitsPerPixel, 24);
    EXPECT_EQ(img.m_colorCount, 256);
    EXPECT_TRUE(img.m_depthDiffers);
    // The bitmap made from it is still a plain 24-bit one.
    HDIB back = ReadImageFile(dir.Path("c.jpg"), nullptr);
    SetScreenCapsFunction(old);
    ASSERT_NE(back, nullptr);
    EXPECT_LE(MaxDifference(colour, back, 3), 10);
    GlobalFree(back);
    GlobalFree(colour);
}

TEST(SECJpeg, FourAndOneBitRowsAreExpandedNotOverRead) {
    ScratchDir dir;
    for (int bpp : {1, 4}) {
        SECJpeg img;
        img.m_bitsPerPixel = bpp;
        img.m_width = 16;
        img.m_height = 8;
        img.m_colorCount = static_cast<WORD>(1u << bpp);
        img.m_bits = SECImage::AllocBlock(SECImage::PaddedRowBytes(bpp, 16) * 8);
        img.m_rowsPadded = TRUE;
        img.BuildInfoHeader();
        img.m_colorTable[4 * 0 + 2] = 220; // index 0 red
        img.m_colorTable[4 * 1 + 1] = 210; // index 1 green; every pixel is index 0 or 1
        // The lower half of the image (memory rows 0 to 3) is index 1, the upper half 0.
        const uint64_t stride = SECImage::PaddedRowBytes(bpp, 16);
        for (uint64_t i = 0; i < 4 * stride; ++i)
            img.m_bits[i] = bpp == 1 ? 0xFF : 0x11;
        img.m_colorMode = 1;
        img.m_quality = 100;
        const std::string path = dir.Path("e" + std::to_string(bpp) + ".jpg");
        ASSERT_TRUE(img.WriteToPath(path.c_str()));
        HDIB back = ReadImageFile(path, nullptr);
        ASSERT_NE(back, nullptr);
        EXPECT_NEAR(DibGetPixel(back, 9, 7, 1), 210, 25) << bpp << ": bottom row green";
        EXPECT_NEAR(DibGetPixel(back, 9, 7, 0), 0, 25) << bpp;
        EXPECT_NEAR(DibGetPixel(back, 9, 0, 0), 220, 25) << bpp << ": top row red";
        GlobalFree(back);
    }
}
