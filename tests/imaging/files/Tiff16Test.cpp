#include <gtest/gtest.h>

#include "ImageFileTestSupport.h"

#include "imaging/bitmaps/Dib.h"
#include "imaging/files/ImageFile.h"
#include "imaging/bitmaps/MyImageData.h"
#include "imaging/files/Tiff16.h"
#include "platform/File.h"

#include <tiffio.h>

#include <csignal>
#include <sys/resource.h>
#include <vector>

using namespace imgtest;

namespace {

// Writes a TIFF with libtiff itself: rows given top row first as raw sample bytes.
void WriteRawTiff(const std::string& path, uint32_t w, uint32_t h, int bps, int spp, int photometric, int planar,
                  const std::vector<std::vector<BYTE>>& rowsPerPlane, const uint16_t* colormap = nullptr) {
    TIFF* t = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(t, nullptr);
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, bps);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, spp);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, planar);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 2);
    if (spp == 2) {
        uint16_t extra = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    if (colormap) {
        const size_t n = size_t(1) << bps;
        TIFFSetField(t, TIFFTAG_COLORMAP, colormap, colormap + n, colormap + 2 * n);
    }
    for (size_t q = 0; q < rowsPerPlane.size(); ++q) {
        const size_t rowBytes = rowsPerPlane[q].size() / h;
        for (uint32_t r = 0; r < h; ++r)
            ASSERT_EQ(TIFFWriteScanline(t, const_cast<BYTE*>(rowsPerPlane[q].data() + r * rowBytes), r,
                                        static_cast<uint16_t>(q)),
                      1);
    }
    TIFFClose(t);
}

HDIB ReadTiff(const std::string& path, int* type) {
    CFile f(path, CFile::modeRead);
    return DibReadTiffFile(&f, type);
}

} // namespace

TEST(Tiff16, EveryTypeRoundTripsBitExactThroughTheTiffFunctions) {
    ScratchDir dir;
    struct Case {
        int type, kind, bits;
    } cases[] = {{0, 0, 8}, {3, 1, 8}, {4, 3, 10}, {5, 3, 12}, {6, 3, 16}, {7, 4, 10}, {8, 4, 12}, {9, 4, 16}};
    for (const Case& c : cases) {
        for (int width : {1, 3, 17}) {
            SCOPED_TRACE("type " + std::to_string(c.type) + " width " + std::to_string(width));
            HDIB src = MakePatternDib(width, 5, c.kind, c.bits);
            const std::string path = dir.Path("t" + std::to_string(c.type) + ".tif");
            ASSERT_TRUE(SaveImageFile(src, path, c.type, 75));
            int type = -2;
            HDIB back = ReadTiff(path, &type);
            ASSERT_NE(back, nullptr);
            EXPECT_EQ(type, c.type);
            EXPECT_TRUE(SameBitmap(src, back));
            GlobalFree(src);
            GlobalFree(back);
        }
    }
}

TEST(Tiff16, PacksTenAndTwelveBitSamplesMostSignificantFirst) {
    // Three 12-bit samples: 36 bits of samples and 4 zero bits, 5 bytes.
    BYTE row16[6];
    le::put16(row16, 0xABC);
    le::put16(row16 + 2, 0x123);
    le::put16(row16 + 4, 0xF0F);
    BYTE out[6] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    CTiff16::PackGreyRow(out, row16, 3, 12);
    const BYTE expect[5] = {0xAB, 0xC1, 0x23, 0xF0, 0xF0};
    EXPECT_EQ(std::vector<BYTE>(out, out + 5), std::vector<BYTE>(expect, expect + 5));
    EXPECT_EQ(out[5], 0xEE) << "nothing written past the row";

    // Red, green, blue of one 10-bit pixel from a blue-green-red pixel.
    BYTE px[6];
    le::put16(px, 0x001);     // blue
    le::put16(px + 2, 0x3FF); // green
    le::put16(px + 4, 0x200); // red
    BYTE rgb[4] = {};
    CTiff16::PackRgbRow(rgb, px, 1, 10);
    EXPECT_EQ(rgb[0], 0x80);
    EXPECT_EQ(rgb[1], 0x3F);
    EXPECT_EQ(rgb[2], 0xF0);
    EXPECT_EQ(rgb[3], 0x04);
    BYTE again[6] = {};
    CTiff16::UnpackRgbRow(again, rgb, 1, 10);
    EXPECT_EQ(std::vector<BYTE>(again, again + 6), std::vector<BYTE>(px, px + 6));
}

TEST(Tiff16, WrittenFilesCarryTheTagsOfTheirType) {
    ScratchDir dir;
    HDIB src = MakePatternDib(3, 2, 3, 12);
    const std::string path = dir.Path("g12.tif");
    ASSERT_TRUE(SaveImageFile(src, path, 5, 75));
    GlobalFree(src);
    TIFF* t = TIFFOpen(path.c_str(), "r");
    ASSERT_NE(t, nullptr);
    uint16_t bps = 0, spp = 0, photo = 0, unit = 0;
    float xres = 0, yres = 0;
    TIFFGetField(t, TIFFTAG_BITSPERSAMPLE, &bps);
    TIFFGetField(t, TIFFTAG_SAMPLESPERPIXEL, &spp);
    TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &photo);
    TIFFGetField(t, TIFFTAG_RESOLUTIONUNIT, &unit);
    TIFFGetField(t, TIFFTAG_XRESOLUTION, &xres);
    TIFFGetField(t, TIFFTAG_YRESOLUTION, &yres);
    EXPECT_EQ(bps, 12);
    EXPECT_EQ(spp, 1);
    EXPECT_EQ(photo, PHOTOMETRIC_MINISBLACK);
    EXPECT_EQ(unit, RESUNIT_NONE);
    EXPECT_FLOAT_EQ(xres, 72.0f);
    EXPECT_FLOAT_EQ(yres, 72.0f);
    EXPECT_EQ(TIFFScanlineSize(t), 5) << "36 bits of samples end in a whole byte";
    TIFFClose(t);
}

TEST(Tiff16, ClassifiesBySampleSizeAndCount) {
    EXPECT_EQ(CTiff16::TypeFromSamples(8, 1, PHOTOMETRIC_MINISBLACK), 0);
    EXPECT_EQ(CTiff16::TypeFromSamples(8, 1, PHOTOMETRIC_PALETTE), 1);
    EXPECT_EQ(CTiff16::TypeFromSamples(12, 1, PHOTOMETRIC_MINISBLACK), 5);
    EXPECT_EQ(CTiff16::TypeFromSamples(16, 1, PHOTOMETRIC_PALETTE), 12);
    EXPECT_EQ(CTiff16::TypeFromSamples(10, 3, PHOTOMETRIC_RGB), 7);
    // Grey with alpha is two 8-bit samples, not one 16-bit sample; four samples of 12 bits
    // are no 48-bit colour image.
    EXPECT_EQ(CTiff16::TypeFromSamples(8, 2, PHOTOMETRIC_MINISBLACK), -1);
    EXPECT_EQ(CTiff16::TypeFromSamples(12, 4, PHOTOMETRIC_RGB), -1);
    EXPECT_EQ(CTiff16::TypeFromSamples(4, 4, PHOTOMETRIC_RGB), -1);

    ScratchDir dir;
    std::vector<BYTE> ga(2 * 2 * 2, 0x40);
    WriteRawTiff(dir.Path("ga.tif"), 2, 2, 8, 2, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_CONTIG, {ga});
    CTiff16 t;
    ASSERT_TRUE(t.Open(dir.Path("ga.tif").c_str(), "r"));
    EXPECT_EQ(t.GetImageType(), -1);
    EXPECT_FALSE(t.IsHighBitDepth());
    t.Close();
    int type = -2;
    EXPECT_EQ(ReadTiff(dir.Path("ga.tif"), &type), nullptr);
}

TEST(Tiff16, SixteenBitPaletteFilesGiveNothing) {
    ScratchDir dir;
    std::vector<uint16_t> cmap(3 * 65536, 0);
    std::vector<BYTE> rows(2 * 2 * 2, 0);
    WriteRawTiff(dir.Path("p16.tif"), 2, 2, 16, 1, PHOTOMETRIC_PALETTE, PLANARCONFIG_CONTIG, {rows}, cmap.data());
    CTiff16 t;
    ASSERT_TRUE(t.Open(dir.Path("p16.tif").c_str(), "r"));
    EXPECT_EQ(t.GetImageType(), 12);
    t.Close();
    int type = -2;
    EXPECT_EQ(ReadTiff(dir.Path("p16.tif"), &type), nullptr);
}

TEST(Tiff16, SeparatePlanesAreReadIntoBlueGreenRedPixels) {
    ScratchDir dir;
    const uint32_t w = 3, h = 4;
    // 12-bit planes: every row of a plane is 36 bits of samples in 5 bytes.
    std::vector<std::vector<BYTE>> planes(3, std::vector<BYTE>(5 * h));
    std::vector<uint16_t> value(3 * w * h);
    for (int q = 0; q < 3; ++q)
        for (uint32_t r = 0; r < h; ++r) {
            BYTE row16[6];
            for (uint32_t x = 0; x < w; ++x) {
                const uint16_t v = static_cast<uint16_t>((q * 1000 + r * 100 + x * 7) & 0xFFF);
                value[(q * h + r) * w + x] = v;
                le::put16(row16 + 2 * x, v);
            }
            CTiff16::PackGreyRow(planes[q].data() + 5 * r, row16, w, 12);
        }
    WriteRawTiff(dir.Path("sep.tif"), w, h, 12, 3, PHOTOMETRIC_RGB, PLANARCONFIG_SEPARATE, planes);
    int type = -2;
    HDIB dib = ReadTiff(dir.Path("sep.tif"), &type);
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(type, 8);
    for (int q = 0; q < 3; ++q)
        for (uint32_t r = 0; r < h; ++r)
            for (uint32_t x = 0; x < w; ++x)
                EXPECT_EQ(Sample(dib, x, r, q), value[(q * h + r) * w + x]) << q << " " << r << " " << x;
    GlobalFree(dib);
}

TEST(Tiff16, RefusesATypeThatDoesNotMatchTheDepth) {
    ScratchDir dir;
    HDIB grey16 = MakePatternDib(4, 4, 3);
    const std::string path = dir.Path("m.tif");
    WriteBytes(path, {'o', 'l', 'd'});
    for (int type : {9, 3, 0, 1, 2, 12, -1}) {
        CTiff16 t;
        t.SetImageType(type);
        ASSERT_TRUE(t.OpenForWrite(path.c_str(), "w"));
        EXPECT_FALSE(t.Write(grey16)) << type;
        EXPECT_FALSE(t.Close());
    }
    EXPECT_EQ(ReadBytes(path), (std::vector<BYTE>{'o', 'l', 'd'})) << "a failed save leaves the file alone";
    GlobalFree(grey16);
}

TEST(Tiff16, AFullDiskIsAFailureAndTheOldFileStays) {
    ScratchDir dir;
    const std::string path = dir.Path("full.tif");
    WriteBytes(path, {'o', 'l', 'd'});
    HDIB big = MakePatternDib(300, 300, 4);
    // A file-size limit makes writes beyond 64 KiB fail the way a full disk does.
    auto old = signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 64 * 1024;
    setrlimit(RLIMIT_FSIZE, &small);
    const BOOL tiff48 = SaveImageFile(big, path, 9, 75);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, old);
    EXPECT_FALSE(tiff48);
    EXPECT_EQ(ReadBytes(path), (std::vector<BYTE>{'o', 'l', 'd'}));
    GlobalFree(big);
}

TEST(Tiff16, ThumbnailsKeepTheAspectAndShowTheImage) {
    ScratchDir dir;
    // A 16-bit grey image: left half dark, right half bright.
    HDIB grey = DibCreateOfKind(60, 30, 3);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 60; ++x)
            DibSetPixel(grey, x, y, 0, x < 30 ? 1000 : 64000);
    ASSERT_TRUE(SaveImageFile(grey, dir.Path("g.tif"), 6, 75));
    HDIB colour = MakePatternDib(10, 20, 1);
    ASSERT_TRUE(SaveImageFile(colour, dir.Path("c.tif"), 3, 75));
    CTiff16 t;
    ASSERT_TRUE(t.Open(dir.Path("g.tif").c_str(), "r"));
    EXPECT_EQ(t.MakeThumbnail(0), nullptr);
    EXPECT_EQ(t.MakeThumbnail(-5), nullptr);
    std::unique_ptr<CMyThumbnl> th(t.MakeThumbnail(20));
    ASSERT_NE(th, nullptr);
    EXPECT_EQ(th->GetWidth(), 20u);
    EXPECT_EQ(th->GetHeight(), 10u);
    EXPECT_TRUE(th->m_loaded);
    EXPECT_EQ(th->m_bitsPerPixel, 24);
    EXPECT_LT(th->m_bits[0], 20) << "dark left";
    EXPECT_GT(th->m_bits[3 * 19], 230) << "bright right";
    t.Close();
    ASSERT_TRUE(t.Open(dir.Path("c.tif").c_str(), "r"));
    std::unique_ptr<CMyThumbnl> big(t.MakeThumbnail(40)); // larger than the image
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->GetWidth(), 20u);
    EXPECT_EQ(big->GetHeight(), 40u);
    GlobalFree(grey);
    GlobalFree(colour);
}

TEST(Tiff16, ThumbnailsMapOneAboveTheLargestSampleToWhite) {
    ScratchDir dir;
    // Left half at half the sample range, right half at the largest sample. Mapping
    // [0, 2^bits] onto 256 levels puts half the range just below level 128.
    for (int type : {4, 5, 6, 7, 8, 9}) {
        SCOPED_TRACE(type);
        const int bits = type == 4 || type == 7 ? 10 : type == 5 || type == 8 ? 12 : 16;
        const bool colour = type >= 7;
        HDIB dib = DibCreateOfKind(8, 4, colour ? DIB_KIND_RGB48 : DIB_KIND_GREY16);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x)
                for (int p = 0; p < (colour ? 3 : 1); ++p)
                    DibSetPixel(dib, x, y, p, x < 4 ? 1 << (bits - 1) : (1 << bits) - 1);
        const std::string path = dir.Path("t.tif");
        ASSERT_TRUE(SaveImageFile(dib, path, type, 75));
        CTiff16 t;
        ASSERT_TRUE(t.Open(path.c_str(), "r"));
        std::unique_ptr<CMyThumbnl> th(t.MakeThumbnail(8));
        ASSERT_NE(th, nullptr);
        ASSERT_EQ(th->GetWidth(), 8u);
        EXPECT_EQ(th->m_bits[0], 127);
        EXPECT_EQ(th->m_bits[3 * 7], 255);
        GlobalFree(dib);
    }
}

TEST(Tiff16, ValueContrastBendsValuesAndKeepsGreyGrey) {
    EXPECT_EQ(AdjustValueContrast(-1, RGB(0, 0, 0)), RGB(0, 0, 0));
    EXPECT_EQ(AdjustValueContrast(-1, RGB(255, 255, 255)), RGB(255, 255, 255));
    const COLORREF g = AdjustValueContrast(-1, RGB(64, 64, 64));
    EXPECT_EQ(GetRValue(g), GetBValue(g));
    EXPECT_GT(GetRValue(g), 64) << "amount -1 lifts dark values towards the middle";
    const COLORREF c = AdjustValueContrast(1, RGB(200, 100, 50));
    EXPECT_GT(GetRValue(c), 200);
    EXPECT_NEAR(GetRValue(c) / 2.0, GetGValue(c), 1.0) << "hue and saturation stay";
}
