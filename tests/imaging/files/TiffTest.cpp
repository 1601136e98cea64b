#include <gtest/gtest.h>

#include "ImageFileTestSupport.h"

#include "imaging/files/SECTiff.h"

#include <tiffio.h>

#include <cstring>
#include <vector>

using namespace imgtest;

namespace {

struct TiffTags {
    uint32_t w = 5, h = 4;
    int bps = 8, spp = 1;
    int photometric = PHOTOMETRIC_MINISBLACK;
    int orientation = ORIENTATION_TOPLEFT;
    int planar = PLANARCONFIG_CONTIG;
    uint32_t tile = 0; // tile edge, 0 for strips
    int minV = -1, maxV = -1;
    int compression = COMPRESSION_NONE;
};

// Sample q of pixel (x, row) as stored in the file.
BYTE FileSample(uint32_t x, uint32_t row, int q) { return static_cast<BYTE>(x * 40 + row * 9 + q * 77 + 3); }

void WriteTiff(const std::string& path, const TiffTags& s) {
    TIFF* t = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(t, nullptr);
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, s.w);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, s.h);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, s.bps);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, s.spp);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, s.photometric);
    TIFFSetField(t, TIFFTAG_ORIENTATION, s.orientation);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, s.planar);
    TIFFSetField(t, TIFFTAG_COMPRESSION, s.compression);
    if (s.minV >= 0)
        TIFFSetField(t, TIFFTAG_MINSAMPLEVALUE, s.minV);
    if (s.maxV >= 0)
        TIFFSetField(t, TIFFTAG_MAXSAMPLEVALUE, s.maxV);
    const int planes = s.planar == PLANARCONFIG_SEPARATE ? s.spp : 1;
    const int perPixel = s.planar == PLANARCONFIG_SEPARATE ? 1 : s.spp;
    if (s.tile) {
        TIFFSetField(t, TIFFTAG_TILEWIDTH, s.tile);
        TIFFSetField(t, TIFFTAG_TILELENGTH, s.tile);
        std::vector<BYTE> buf(static_cast<size_t>(TIFFTileSize(t)));
        for (int q = 0; q < planes; ++q)
            for (uint32_t ty = 0; ty < s.h; ty += s.tile)
                for (uint32_t tx = 0; tx < s.w; tx += s.tile) {
                    std::fill(buf.begin(), buf.end(), 0);
                    for (uint32_t r = 0; r < s.tile && ty + r < s.h; ++r)
                        for (uint32_t c = 0; c < s.tile && tx + c < s.w; ++c)
                            for (int k = 0; k < perPixel; ++k)
                                buf[(r * s.tile + c) * perPixel + k] = FileSample(tx + c, ty + r, planes > 1 ? q : k);
                    TIFFWriteTile(t, buf.data(), tx, ty, 0, static_cast<uint16_t>(q));
                }
    } else {
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 2);
        std::vector<BYTE> row(static_cast<size_t>(TIFFScanlineSize(t)));
        for (int q = 0; q < planes; ++q)
            for (uint32_t r = 0; r < s.h; ++r) {
                for (uint32_t x = 0; x < s.w; ++x)
                    for (int k = 0; k < perPixel; ++k)
                        row[x * perPixel + k] = FileSample(x, r, planes > 1 ? q : k);
                TIFFWriteScanline(t, row.data(), r, static_cast<uint16_t>(q));
            }
    }
    TIFFClose(t);
}

// The byte of pixel (x, y from the top) and byte k in the object's bottom-up padded rows.
BYTE At(const SECImage& img, uint32_t x, uint32_t y, int k = 0) {
    const uint64_t stride = SECImage::PaddedRowBytes(img.m_bitsPerPixel, img.m_width);
    return img.m_bits[(img.m_height - 1 - y) * stride + x * (img.m_bitsPerPixel / 8) + k];
}

} // namespace

TEST(SECTiff, GreyAndColourFilesLoadInEveryLayout) {
    ScratchDir dir;
    for (uint32_t tile : {0u, 16u}) {
        for (int planar : {PLANARCONFIG_CONTIG, PLANARCONFIG_SEPARATE}) {
            TiffTags s;
            s.w = 21;
            s.h = 18;
            s.tile = tile;
            s.spp = 3;
            s.photometric = PHOTOMETRIC_RGB;
            s.planar = planar;
            SCOPED_TRACE("tile " + std::to_string(tile) + " planar " + std::to_string(planar));
            WriteTiff(dir.Path("c.tif"), s);
            SECTiff img;
            ASSERT_TRUE(img.ReadFromPath(dir.Path("c.tif").c_str()));
            ASSERT_EQ(img.m_bitsPerPixel, 24);
            bool same = true;
            for (uint32_t y = 0; y < s.h; ++y)
                for (uint32_t x = 0; x < s.w; ++x)
                    for (int q = 0; q < 3; ++q)
                        same = same && At(img, x, y, 2 - q) == FileSample(x, y, q);
            EXPECT_TRUE(same) << "red, green, blue samples land as blue, green, red";
        }
        TiffTags g;
        g.tile = tile;
        g.w = 19;
        g.h = 17;
        WriteTiff(dir.Path("g.tif"), g);
        SECTiff img;
        ASSERT_TRUE(img.ReadFromPath(dir.Path("g.tif").c_str()));
        EXPECT_EQ(img.m_bitsPerPixel, 8);
        EXPECT_EQ(At(img, 18, 16), FileSample(18, 16, 0));
        EXPECT_EQ(At(img, 0, 0), FileSample(0, 0, 0));
    }
}

TEST(SECTiff, BottomOriginFilesAreStoredUpsideDown) {
    ScratchDir dir;
    for (uint32_t tile : {0u, 16u}) {
        TiffTags top;
        top.tile = tile;
        top.h = 5;
        TiffTags bottom = top;
        bottom.orientation = ORIENTATION_BOTLEFT;
        WriteTiff(dir.Path("t.tif"), top);
        WriteTiff(dir.Path("b.tif"), bottom);
        SECTiff a, b;
        ASSERT_TRUE(a.ReadFromPath(dir.Path("t.tif").c_str()));
        ASSERT_TRUE(b.ReadFromPath(dir.Path("b.tif").c_str()));
        for (uint32_t y = 0; y < 5; ++y)
            EXPECT_EQ(At(a, 1, y), At(b, 1, 4 - y)) << "tile " << tile << " row " << y;
    }
}

TEST(SECTiff, MinIsWhiteGetsAnInvertedTableAndSampleRangesAreClamped) {
    ScratchDir dir;
    TiffTags w;
    w.photometric = PHOTOMETRIC_MINISWHITE;
    WriteTiff(dir.Path("w.tif"), w);
    SECTiff img;
    ASSERT_TRUE(img.ReadFromPath(dir.Path("w.tif").c_str()));
    EXPECT_EQ(At(img, 2, 1), FileSample(2, 1, 0)) << "pixel values stay";
    EXPECT_EQ(img.m_colorTable[0], 255);
    EXPECT_EQ(img.m_colorTable[4 * 255], 0);

    // Max below min, max equal to min, and max beyond the sample size: no division by
    // zero, no write past the 256-entry maps.
    for (auto range : {std::pair{200, 100}, std::pair{50, 50}, std::pair{0, 1000}, std::pair{10, 60}}) {
        TiffTags s;
        s.minV = range.first;
        s.maxV = range.second;
        WriteTiff(dir.Path("r.tif"), s);
        SECTiff r;
        ASSERT_TRUE(r.ReadFromPath(dir.Path("r.tif").c_str())) << range.first << "-" << range.second;
        EXPECT_EQ(r.m_colorTable[0], 0);
    }
    // 0..50 stretched over the whole grey range.
    EXPECT_EQ(img.m_colorTable[4 * 0], 255);
}

TEST(SECTiff, SavesGreyPaletteAndColourAndLeavesTheRowsAsTheyWere) {
    ScratchDir dir;
    TiffTags s;
    s.spp = 3;
    s.photometric = PHOTOMETRIC_RGB;
    WriteTiff(dir.Path("c.tif"), s);
    SECTiff img;
    ASSERT_TRUE(img.ReadFromPath(dir.Path("c.tif").c_str()));
    std::vector<BYTE> rows(img.m_bits, img.m_bits + 16 * 4);
    ASSERT_TRUE(img.WriteToPath(dir.Path("c2.tif").c_str()));
    EXPECT_EQ(std::vector<BYTE>(img.m_bits, img.m_bits + 64), rows);
    EXPECT_TRUE(img.m_rowsPadded);
    SECTiff back;
    ASSERT_TRUE(back.ReadFromPath(dir.Path("c2.tif").c_str()));
    EXPECT_EQ(std::vector<BYTE>(back.m_bits, back.m_bits + 64), rows);

    // An 8-bit image with a palette: mode 1 writes a 256-entry map, mode 0 grey indices.
    TiffTags g;
    WriteTiff(dir.Path("g.tif"), g);
    SECTiff p;
    ASSERT_TRUE(p.ReadFromPath(dir.Path("g.tif").c_str()));
    for (int i = 0; i < 256; ++i)
        p.m_colorTable[4 * i + 2] = static_cast<BYTE>(255 - i);
    p.m_colorCount = 20; // fewer colours than a byte can index
    p.m_8bitWriteMode = 1;
    ASSERT_TRUE(p.WriteToPath(dir.Path("p.tif").c_str()));
    TIFF* t = TIFFOpen(dir.Path("p.tif").c_str(), "r");
    ASSERT_NE(t, nullptr);
    uint16_t *r = nullptr, *gr = nullptr, *b = nullptr, photo = 0;
    TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &photo);
    EXPECT_EQ(photo, PHOTOMETRIC_PALETTE);
    ASSERT_TRUE(TIFFGetField(t, TIFFTAG_COLORMAP, &r, &gr, &b));
    EXPECT_EQ(r[3], (255 - 3) * 257);
    EXPECT_EQ(r[255], 0) << "entries past the colour count exist and are black";
    TIFFClose(t);
    p.m_8bitWriteMode = 0;
    ASSERT_TRUE(p.WriteToPath(dir.Path("pg.tif").c_str()));
    SECTiff pg;
    ASSERT_TRUE(pg.ReadFromPath(dir.Path("pg.tif").c_str()));
    EXPECT_EQ(pg.m_colorTable[4 * 7 + 2], 7) << "grey file of the indices";
    EXPECT_EQ(At(pg, 3, 2), At(p, 3, 2));
}

TEST(SECTiff, OneBitSaveInvertsACopyAndACompressedLoadSavesUncompressed) {
    ScratchDir dir;
    SECTiff img;
    img.m_info = SECImage::AllocBlock(40 + 8);
    img.m_colorTable = img.m_info + 40;
    img.m_bitsPerPixel = 1;
    img.m_width = 10;
    img.m_height = 2;
    img.m_bits = SECImage::AllocBlock(8);
    img.m_bits[0] = 0xF0;
    img.m_bits[4] = 0x0F;
    img.m_rowsPadded = TRUE;
    ASSERT_TRUE(img.WriteToPath(dir.Path("b.tif").c_str()));
    EXPECT_EQ(img.m_bits[0], 0xF0) << "the object's own rows are not inverted";
    EXPECT_EQ(img.m_bits[4], 0x0F);

    TiffTags s;
    s.compression = COMPRESSION_LZW;
    WriteTiff(dir.Path("lzw.tif"), s);
    SECTiff l;
    ASSERT_TRUE(l.ReadFromPath(dir.Path("lzw.tif").c_str()));
    EXPECT_EQ(l.m_compression, 1u);
    EXPECT_EQ(At(l, 4, 3), FileSample(4, 3, 0));
}

TEST(SECTiff, DeepFilesAreLeftToTheHighBitDepthReader) {
    ScratchDir dir;
    TiffTags s16;
    s16.bps = 16;
    WriteTiff(dir.Path("g16.tif"), s16);
    TiffTags s48 = s16;
    s48.spp = 3;
    s48.photometric = PHOTOMETRIC_RGB;
    WriteTiff(dir.Path("c48.tif"), s48);
    SECTiff img;
    EXPECT_FALSE(img.ReadFromPath(dir.Path("g16.tif").c_str()));
    EXPECT_FALSE(img.ReadFromPath(dir.Path("c48.tif").c_str()));
    EXPECT_FALSE(img.ReadFromPath(dir.Path("none.tif").c_str()));
}
