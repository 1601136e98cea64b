#include <gtest/gtest.h>

#include "ImageFileTestSupport.h"

#include "imaging/bitmaps/Dib.h"
#include "imaging/files/ImageFile.h"
#include "platform/File.h"

#include <cstring>
#include <sys/stat.h>

using namespace imgtest;

namespace {

HDIB ReadBmp(const std::vector<BYTE>& bytes, int mode = 0) {
    CMemFile f(bytes);
    return DibReadBmpFile(&f, mode);
}

} // namespace

TEST(ImageFile, FormatComesFromTheLastDotIgnoringCase) {
    EXPECT_EQ(ImageFileFormatIndex("/a/b.bmp"), 0);
    EXPECT_EQ(ImageFileFormatIndex("x.DIB"), 1);
    EXPECT_EQ(ImageFileFormatIndex("series.001.Tif"), 2);
    EXPECT_EQ(ImageFileFormatIndex("IMG.JPG"), 3);
    for (const char* name : {"a.jpeg", "a.tiff", "noext", "dir.jpg/file", "a.jpg.txt", ""})
        EXPECT_EQ(ImageFileFormatIndex(name), -1) << name;
}

TEST(ImageFile, BmpRoundTripGivesTheSameBytes) {
    ScratchDir dir;
    for (int kind : {0, 1}) {
        HDIB src = kind == 0 ? MakePaletteDib(5, 3) : MakePatternDib(5, 3, 1);
        const std::string path = dir.Path("r.bmp");
        ASSERT_TRUE(SaveImageFile(src, path, kind == 0 ? 1 : 3, 75));
        int type = -2;
        HDIB back = ReadImageFile(path, &type);
        ASSERT_NE(back, nullptr);
        EXPECT_TRUE(SameBitmap(src, back));
        {
            GlobalLockGuard a(src), b(back);
            const size_t n = 40 + DibColorTableSize(a.get()) + DibStride(5, kind == 0 ? 8 : 24) * 3;
            EXPECT_EQ(0, std::memcmp(a.get(), b.get(), n)) << "header, table and rows byte for byte";
        }
        const auto bytes = ReadBytes(path);
        EXPECT_EQ(le::get32(&bytes[10]), kind == 0 ? 54u + 1024 : 54u);
        GlobalFree(src);
        GlobalFree(back);
    }
}

TEST(ImageFile, BmpReaderChecksEveryDeclaredSize) {
    BmpFields good;
    HDIB ok = ReadBmp(MakeBmp(good));
    ASSERT_NE(ok, nullptr);
    GlobalFree(ok);

    struct Bad {
        const char* what;
        BmpFields params;
    };
    std::vector<Bad> bad;
    auto add = [&](const char* what, auto change) {
        BmpFields s;
        change(s);
        bad.push_back({what, s});
    };
    add("offset inside the header", [](BmpFields& s) { s.offBitsDelta = -20; });
    add("offset inside the colour table", [](BmpFields& s) { s.bitCount = 8, s.offBitsDelta = -4; });
    add("offset past the end", [](BmpFields& s) { s.overrideOffBits = true, s.offBits = 100000; });
    add("offset near 2^32", [](BmpFields& s) { s.overrideOffBits = true, s.offBits = 0xFFFFFFF0u; });
    add("rows missing", [](BmpFields& s) { s.rowBytesDelta = -1; });
    add("zero width", [](BmpFields& s) { s.width = 0; });
    add("negative width", [](BmpFields& s) { s.width = -4; });
    add("zero height", [](BmpFields& s) { s.height = 0; });
    add("huge height", [](BmpFields& s) { s.height = 0x7FFFFFFF, s.rowBytesDelta = -12ll * 0x7FFFFFFE; });
    add("RLE8", [](BmpFields& s) { s.bitCount = 8, s.compression = 1; });
    add("RLE4", [](BmpFields& s) { s.bitCount = 4, s.compression = 2; });
    add("bit fields", [](BmpFields& s) { s.bitCount = 32, s.compression = 3; });
    add("16 bits in mode 0", [](BmpFields& s) { s.bitCount = 16; });
    add("odd header size", [](BmpFields& s) { s.headerSize = 64; });
    add("table larger than the depth", [](BmpFields& s) { s.bitCount = 8, s.clrUsed = 300; });
    for (const Bad& b : bad) {
        HDIB d = ReadBmp(MakeBmp(b.params));
        EXPECT_EQ(d, nullptr) << b.what;
        if (d)
            GlobalFree(d);
    }
    std::vector<BYTE> shortFile = {'B', 'M', 0, 0};
    EXPECT_EQ(ReadBmp(shortFile), nullptr);
    EXPECT_EQ(ReadBmp({}), nullptr);
}

TEST(ImageFile, TopDownAndLongHeaderFilesComeBackBottomUpWith40ByteHeaders) {
    BmpFields up;
    up.headerSize = 124;
    up.height = 3;
    BmpFields down = up;
    down.headerSize = 108;
    down.height = -3;
    std::vector<BYTE> upBytes = MakeBmp(up);
    std::vector<BYTE> downBytes = MakeBmp(down);
    // Same rows, stored in the other order.
    const size_t stride = 12;
    const size_t upRows = 14 + 124, downRows = 14 + 108;
    for (int r = 0; r < 3; ++r)
        std::memcpy(&downBytes[downRows + r * stride], &upBytes[upRows + (2 - r) * stride], stride);
    HDIB a = ReadBmp(upBytes);
    HDIB b = ReadBmp(downBytes);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(SameBitmap(a, b));
    {
        GlobalLockGuard l(b);
        EXPECT_EQ(DibHeaderSize(l.get()), 40u);
        EXPECT_EQ(DibGetHeight(l.get()), 3);
        EXPECT_EQ(DibGetBits(l.get()) - l.get(), 40);
    }
    GlobalFree(a);
    GlobalFree(b);
}

TEST(ImageFile, RawBmpLoaderTakesEveryUncompressedDepthWithTheSameChecks) {
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        BmpFields s;
        s.bitCount = bits;
        CMemFile f(MakeBmp(s));
        HDIB d = LoadDibFromBmp(&f);
        ASSERT_NE(d, nullptr) << bits;
        {
            GlobalLockGuard l(d);
            EXPECT_EQ(DibGetBitCount(l.get()), bits);
        }
        GlobalFree(d);
    }
    BmpFields cut;
    cut.rowBytesDelta = -5;
    CMemFile f(MakeBmp(cut));
    EXPECT_EQ(LoadDibFromBmp(&f), nullptr);
    BmpFields s16;
    s16.bitCount = 16;
    HDIB mode2 = ReadBmp(MakeBmp(s16), 2);
    EXPECT_NE(mode2, nullptr);
    GlobalFree(mode2);
}

TEST(ImageFile, EightBitTiffGoesThroughTheImageClassWithItsType) {
    ScratchDir dir;
    HDIB grey = MakePatternDib(6, 4, 0);
    HDIB pal = MakePaletteDib(6, 4);
    ASSERT_TRUE(SaveImageFile(grey, dir.Path("g.tif"), 0, 75));
    ASSERT_TRUE(SaveImageFile(pal, dir.Path("p.tif"), 1, 75));
    ASSERT_TRUE(SaveImageFile(pal, dir.Path("pg.tif"), 0, 75)); // palette bitmap saved as grey
    int type = -2;
    HDIB g = ReadImageFile(dir.Path("g.tif"), &type);
    EXPECT_EQ(type, 0);
    EXPECT_TRUE(SameBitmap(g, grey));
    HDIB p = ReadImageFile(dir.Path("p.tif"), &type);
    EXPECT_EQ(type, 1);
    EXPECT_TRUE(SameBitmap(p, pal));
    HDIB pg = ReadImageFile(dir.Path("pg.tif"), &type);
    EXPECT_EQ(type, 0) << "indices written as grey levels";
    EXPECT_EQ(Sample(pg, 2, 1, 0), Sample(pal, 2, 1, 0));
    for (HDIB h : {grey, pal, g, p, pg})
        GlobalFree(h);
}

TEST(ImageFile, FailedSavesLeaveTheExistingFileAlone) {
    ScratchDir dir;
    HDIB deep = MakePatternDib(4, 4, 4);
    HDIB grey = MakePatternDib(4, 4, 0);
    const std::vector<BYTE> old = {'k', 'e', 'e', 'p'};
    for (const char* name : {"a.jpg", "b.tif", "c.tif"}) {
        WriteBytes(dir.Path(name), old);
    }
    EXPECT_FALSE(SaveImageFile(deep, dir.Path("a.jpg"), 9, 75)) << "48-bit bitmaps have no JPEG form";
    EXPECT_FALSE(SaveImageFile(grey, dir.Path("b.tif"), 6, 75)) << "type and depth disagree";
    EXPECT_FALSE(SaveImageFile(deep, dir.Path("c.tif"), 3, 75));
    EXPECT_FALSE(SaveImageFile(grey, dir.Path("d.png"), 0, 75));
    for (const char* name : {"a.jpg", "b.tif", "c.tif"})
        EXPECT_EQ(ReadBytes(dir.Path(name)), old) << name;
    EXPECT_FALSE(Exists(dir.Path("d.png")));
    // No temporary file is left behind.
    std::string listing;
    Shell("ls -A " + dir.Path(""), &listing);
    EXPECT_EQ(listing, "a.jpg\nb.tif\nc.tif\n");
    GlobalFree(deep);
    GlobalFree(grey);
}

TEST(ImageFile, DeepBitmapsAreRefusedByTheBmpWriter) {
    ScratchDir dir;
    const std::vector<BYTE> old = {'k', 'e', 'e', 'p'};
    for (int kind : {DIB_KIND_GREY16, DIB_KIND_RGB48}) {
        SCOPED_TRACE(kind);
        HDIB deep = MakePatternDib(5, 3, kind, 12);
        CMemFile mem;
        EXPECT_FALSE(SaveDibAsBmp(deep, &mem));
        EXPECT_EQ(mem.GetLength(), 0u) << "nothing written";
        WriteBytes(dir.Path("d.bmp"), old);
        EXPECT_FALSE(SaveImageFile(deep, dir.Path("d.bmp"), kind == DIB_KIND_GREY16 ? 5 : 8, 75));
        EXPECT_EQ(ReadBytes(dir.Path("d.bmp")), old);
        // TIFF keeps every sample.
        ASSERT_TRUE(SaveImageFile(deep, dir.Path("d.tif"), kind == DIB_KIND_GREY16 ? 5 : 8, 75));
        int type = -2;
        HDIB back = ReadImageFile(dir.Path("d.tif"), &type);
        EXPECT_TRUE(SameBitmap(deep, back));
        GlobalFree(back);
        GlobalFree(deep);
    }
}

TEST(ImageFile, UnreadableFilesGiveNothing) {
    ScratchDir dir;
    int type = -2;
    EXPECT_EQ(ReadImageFile(dir.Path("missing.bmp"), &type), nullptr);
    WriteBytes(dir.Path("e.jpg"), {});
    EXPECT_EQ(ReadImageFile(dir.Path("e.jpg"), &type), nullptr);
    WriteBytes(dir.Path("e.tif"), {'I', 'I', 42, 0});
    EXPECT_EQ(ReadImageFile(dir.Path("e.tif"), &type), nullptr);
    HDIB grey = MakePatternDib(4, 4, 0);
    ASSERT_TRUE(SaveImageFile(grey, dir.Path("ok.bmp"), 0, 75));
    EXPECT_EQ(ReadImageFile(dir.Path("ok.jpeg"), &type), nullptr) << ".jpeg is no image name";
    GlobalFree(grey);
}
