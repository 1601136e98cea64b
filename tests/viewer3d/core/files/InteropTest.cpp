// Files made by ImageMagick and libtiff's tools are read with the pixels they were made from.
#include "ReaderTestSupport.h"

#include "ids/BrelvoxaIds.h"
#include "imaging/files/SECImage.h"
#include "platform/File.h"
#include "platform/MessageSink.h"
#include "platform/ScriptedMessageSink.h"
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/core/files/HiBitTiffReader.h"
#include "viewer3d/core/files/ImageReaders.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <fstream>
#include <iterator>

namespace v3d {
namespace {

constexpr int kW = 37, kH = 23; // odd sizes: rows need padding, packed rows end mid-byte

int pattern(int x, int y, int c, int maxval) {
    return (x * 151 + y * 97 + c * 1111 + x * y * 7) % (maxval + 1);
}

// A PGM (channels 1) or PPM (3) of the pattern with the given maximum value.
void writePnm(const std::string& path, int channels, int maxval) {
    std::ofstream f(path, std::ios::binary);
    f << (channels == 1 ? "P5\n" : "P6\n") << kW << " " << kH << "\n" << maxval << "\n";
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            for (int c = 0; c < channels; ++c) {
                const int v = pattern(x, y, c, maxval);
                if (maxval > 255)
                    f.put(char(v >> 8));
                f.put(char(v & 0xFF));
            }
}

// Every sample of the bitmap equals the pattern (channels 1: the one sample or its table
// colour's red for 8-bit palette images).
::testing::AssertionResult holdsPattern(HDIB dib, int channels, int maxval, bool throughTable = false) {
    if (!dib)
        return ::testing::AssertionFailure() << "nothing read";
    if (v3dtest::Width(dib) != kW || v3dtest::Height(dib) != kH)
        return ::testing::AssertionFailure() << "size " << v3dtest::Width(dib) << "x" << v3dtest::Height(dib);
    RgbEntry table[256];
    if (throughTable)
        DibGetColorTable(dib, table);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            for (int c = 0; c < channels; ++c) {
                int v = v3dtest::Sample(dib, x, y, c);
                if (throughTable)
                    v = table[v].red;
                if (v != pattern(x, y, c, maxval))
                    return ::testing::AssertionFailure() << "(" << x << "," << y << "," << c << ") = " << v
                                                         << ", made from " << pattern(x, y, c, maxval);
            }
    return ::testing::AssertionSuccess();
}

std::vector<BYTE> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// ImageMagick's decoding of an image file as 16-bit samples (grey, or red, green, blue).
std::vector<int> decodeWithImageMagick(const std::string& im, const std::string& file, int channels,
                                       const std::string& scratch) {
    const std::string pnm = scratch + (channels == 1 ? ".pgm" : ".ppm");
    if (v3dtest::Shell(im + " " + file + " -depth 16 " + (channels == 1 ? "PGM:" : "PPM:") + pnm) != 0)
        return {};
    const std::vector<BYTE> all = readFile(pnm);
    size_t pos = 0;
    for (int lines = 0; lines < 3 && pos < all.size(); ++pos)
        if (all[pos] == '\n')
            ++lines;
    std::vector<int> v;
    for (; pos + 1 < all.size(); pos += 2)
        v.push_back(all[pos] << 8 | all[pos + 1]);
    return v;
}

// Every sample of the bitmap equals ImageMagick's decoding of the file, scaled to maxval. With
// a table, the colours of the indices are compared (red, green, blue).
::testing::AssertionResult readsLike(HDIB dib, const std::vector<int>& ref, int channels, int maxval,
                                     bool throughTable = false) {
    if (!dib)
        return ::testing::AssertionFailure() << "nothing read";
    const int refChannels = throughTable ? 3 : channels;
    if (ref.size() != size_t(kW * kH * refChannels))
        return ::testing::AssertionFailure() << "no reference decoding";
    if (v3dtest::Width(dib) != kW || v3dtest::Height(dib) != kH)
        return ::testing::AssertionFailure() << "size " << v3dtest::Width(dib) << "x" << v3dtest::Height(dib);
    RgbEntry table[256];
    if (throughTable)
        DibGetColorTable(dib, table);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            for (int c = 0; c < refChannels; ++c) {
                int v = v3dtest::Sample(dib, x, y, throughTable ? 0 : c);
                if (throughTable)
                    v = c == 0 ? table[v].red : c == 1 ? table[v].green : table[v].blue;
                const int want =
                    int((int64_t(ref[size_t((y * kW + x) * refChannels + c)]) * maxval + 32767) / 65535);
                if (v != want)
                    return ::testing::AssertionFailure() << "(" << x << "," << y << "," << c << ") = " << v
                                                         << ", ImageMagick reads " << want;
            }
    return ::testing::AssertionSuccess();
}

class V3dInterop : public ::testing::Test {
protected:
    void SetUp() override {
        im = v3dtest::ImageMagick();
        tiffcp = v3dtest::FindTool({"/usr/bin/tiffcp"});
        if (im.empty() || tiffcp.empty())
            GTEST_SKIP() << "ImageMagick or libtiff's tools are not installed (scripts/deps)";
    }
    std::string make(const std::string& name, int channels, int maxval, const std::string& options) {
        const std::string src = dir.Path(name + (channels == 1 ? ".pgm" : ".ppm"));
        writePnm(src, channels, maxval);
        const std::string out = dir.Path(name);
        EXPECT_EQ(v3dtest::Shell(im + " " + src + " " + options + " " + out), 0) << options;
        return out;
    }
    HDIB readTif(const std::string& path, int* type) {
        CFile f(path, CFile::modeRead);
        return ReadTifFile(&f, type);
    }
    v3dtest::ScratchDir dir;
    std::string im, tiffcp;
};

TEST_F(V3dInterop, DeepTiffGreyAndColourInEveryLayout) {
    struct Case {
        const char* name;
        int channels, maxval, depth, type;
    };
    const Case cases[] = {{"g10.tif", 1, 1023, 10, 4},  {"g12.tif", 1, 4095, 12, 5},
                          {"g16.tif", 1, 65535, 16, 6}, {"c10.tif", 3, 1023, 10, 7},
                          {"c12.tif", 3, 4095, 12, 8},  {"c16.tif", 3, 65535, 16, 9}};
    // ImageMagick writes contiguous and separate planes; libtiff's tiffcp changes codec, strip
    // size and tiling (it keeps the planes).
    const char* layouts[] = {
        "-c none", "-c lzw", "-c zip", "-c lzw -r 3", "-c none -t -w 16 -l 16", "-c zip -t -w 32 -l 16"};
    for (const Case& c : cases) {
        for (const char* planes : {"", "-interlace Plane"}) {
            if (c.channels == 1 && *planes)
                continue; // one sample: no planes to separate
            const std::string base = make(c.name, c.channels, c.maxval,
                                          "-depth " + std::to_string(c.depth) + " -compress None " + planes);
            for (const char* layout : layouts) {
                const std::string path = dir.Path(std::string("x-") + c.name);
                const bool tiled = std::string(layout).find("-t") != std::string::npos;
                if (*planes && tiled) // tiffcp tiles separate planes of 8-bit multiples only
                    ASSERT_EQ(v3dtest::Shell(
                                  im + " " + base +
                                  " -compress Zip -interlace Plane -define tiff:tile-geometry=16x16 " + path),
                              0);
                else
                    ASSERT_EQ(v3dtest::Shell(tiffcp + " " + layout + " " + base + " " + path), 0) << layout;
                int type = -1;
                HDIB dib = readTif(path, &type);
                EXPECT_EQ(type, c.type) << c.name << " " << planes << " " << layout;
                EXPECT_EQ(v3dtest::BitCount(dib), c.channels == 1 ? 16 : 48);
                const std::vector<int> ref = decodeWithImageMagick(im, path, c.channels, dir.Path("ref"));
                EXPECT_TRUE(readsLike(dib, ref, c.channels, c.maxval))
                    << c.name << " " << planes << " " << layout;
                if (c.depth == 16) { // sixteen bits hold the made pixels exactly
                    EXPECT_TRUE(holdsPattern(dib, c.channels, c.maxval))
                        << c.name << " " << planes << " " << layout;
                }
                GlobalFree(dib);
            }
        }
    }
}

TEST_F(V3dInterop, EightBitTiffThroughTheImageClasses) {
    int type = -1;
    const std::string grey = make("g8.tif", 1, 255, "-depth 8 -compress None");
    HDIB dib = readTif(grey, &type);
    EXPECT_EQ(type, 0);
    EXPECT_TRUE(holdsPattern(dib, 1, 255));
    GlobalFree(dib);

    const std::string rgb = make("c8.tif", 3, 255, "-depth 8 -type TrueColor -compress None");
    for (const char* layout : {"-c none", "-c zip -p separate", "-c none -t -w 16 -l 16"}) {
        const std::string path = dir.Path("c8x.tif");
        ASSERT_EQ(v3dtest::Shell(tiffcp + " " + layout + " " + rgb + " " + path), 0);
        dib = readTif(path, &type);
        EXPECT_EQ(type, 3) << layout;
        EXPECT_TRUE(holdsPattern(dib, 3, 255)) << layout;
        GlobalFree(dib);
    }

    // A palette image: indices with the map as the table; the colours are the pattern.
    const std::string pal = make("p8.tif", 1, 255, "-type Palette -compress None");
    dib = readTif(pal, &type);
    EXPECT_EQ(type, 1);
    EXPECT_TRUE(readsLike(dib, decodeWithImageMagick(im, pal, 3, dir.Path("ref")), 1, 255, true));
    GlobalFree(dib);

    // Fewer bits than a byte: 4-bit palette indices, 2-bit grey and 1-bit fax images become
    // 8-bit pixels.
    for (const char* options :
         {"-colors 16 -type Palette -depth 4 -compress None", "-colorspace Gray -depth 2 -compress None",
          "-threshold 50% -depth 1 -compress Group4"}) {
        const std::string small = make("small.tif", 3, 255, options);
        const bool palette = std::string(options).find("Palette") != std::string::npos;
        TIFF* probe = TIFFOpen(small.c_str(), "r");
        ASSERT_NE(probe, nullptr);
        uint16_t bits = 0;
        TIFFGetFieldDefaulted(probe, TIFFTAG_BITSPERSAMPLE, &bits);
        TIFFClose(probe);
        EXPECT_LT(bits, 8) << options;
        dib = readTif(small, &type);
        ASSERT_NE(dib, nullptr) << options;
        EXPECT_EQ(v3dtest::BitCount(dib), 8);
        EXPECT_EQ(type, palette ? 1 : 0) << options;
        EXPECT_TRUE(readsLike(dib, decodeWithImageMagick(im, small, 3, dir.Path("ref")), 1, 255, true))
            << options;
        GlobalFree(dib);
    }
}

// A palette TIFF written with libtiff: bits per sample, and map entries of 16 bits.
std::string writePaletteTiff(const std::string& path, int bits) {
    TIFF* t = TIFFOpen(path.c_str(), "w");
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, uint32_t(kW));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, uint32_t(kH));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, uint16_t(bits));
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, uint16_t(1));
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    const size_t n = size_t(1) << bits;
    std::vector<uint16_t> r(n), g(n), b(n);
    for (size_t i = 0; i < n; ++i)
        r[i] = uint16_t(i * 257 % 65536), g[i] = uint16_t(65535 - i), b[i] = uint16_t(i < 256 ? i * 257 : 0);
    TIFFSetField(t, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
    std::vector<uint16_t> row(kW);
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x)
            row[x] = uint16_t(pattern(x, y, 0, 65535));
        TIFFWriteScanline(t, row.data(), uint32_t(y), 0);
    }
    TIFFClose(t);
    return path;
}

TEST_F(V3dInterop, SixteenBitPaletteKeepsSamplesAndTheFirstMapEntries) {
    int type = -1;
    const std::string path = writePaletteTiff(dir.Path("p16.tif"), 16);
    // libtiff's tools rewrite it; the copy reads the same.
    const std::string copy = dir.Path("p16-lzw.tif");
    ASSERT_EQ(v3dtest::Shell(tiffcp + " -c lzw " + path + " " + copy), 0);
    for (const std::string& p : {path, copy}) {
        HDIB dib = readTif(p, &type);
        EXPECT_EQ(type, 12);
        EXPECT_TRUE(holdsPattern(dib, 1, 65535));
        RgbEntry t[256];
        ASSERT_EQ(DibGetColorTable(dib, t), 1);
        EXPECT_EQ(t[200].red, 200); // 200 x 257 scaled by 255 / 65535
        EXPECT_EQ(t[200].green, (65535 - 200) * 255 / 65535);
        GlobalFree(dib);
    }
}

TEST_F(V3dInterop, RefusedRowBufferShowsTheMemoryMessage) {
    const std::string path = make("big.tif", 1, 65535, "-depth 16 -compress None");
    const std::string one = dir.Path("one-strip.tif");
    ASSERT_EQ(v3dtest::Shell(tiffcp + " -c zip -r 1000 " + path + " " + one), 0);
    CScriptedMessageSink sink;
    CMessageSinkScope scope(&sink);
    CHiBitTiffReader::SetRowBufferLimit(1000); // one strip of the whole image is 1702 bytes
    int type = -1;
    HDIB dib = readTif(one, &type);
    CHiBitTiffReader::SetRowBufferLimit(0);
    EXPECT_EQ(dib, nullptr);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{bxid::str::NotEnoughMemory});
}

HDIB readBmpPath(const std::string& path) {
    CFile f(path, CFile::modeRead);
    return ReadBmpFile(&f);
}

TEST_F(V3dInterop, BitmapsOfVersionThreeAndFiveHeaders) {
    const struct {
        const char* name;
        const char* options;
        int channels;
        bool table;
    } cases[] = {
        {"c24v3.bmp", "-type TrueColor BMP3:", 3, false},
        {"c24v5.bmp", "-type TrueColor BMP:", 3, false},
        {"c32v5.bmp", "-alpha set -channel A -evaluate set 50% +channel BMP:", 3, false},
        {"c32v3.bmp", "-alpha set -define bmp3:alpha=true BMP3:", 3, false},
        {"p8v3.bmp", "-type Palette -compress None BMP3:", 1, true},
        {"p8v5.bmp", "-type Palette -compress None BMP:", 1, true},
    };
    for (const auto& c : cases) {
        const std::string src = dir.Path(std::string("src-") + c.name + (c.channels == 1 ? ".pgm" : ".ppm"));
        writePnm(src, c.channels, 255);
        const std::string out = dir.Path(c.name);
        ASSERT_EQ(v3dtest::Shell(im + " " + src + " " + c.options + out), 0) << c.name;
        HDIB dib = readBmpPath(out);
        const std::vector<int> ref =
            decodeWithImageMagick(im, out, c.table ? 3 : c.channels, dir.Path("ref"));
        EXPECT_TRUE(readsLike(dib, ref, c.channels, 255, c.table)) << c.name;
        if (!c.table) {
            EXPECT_TRUE(holdsPattern(dib, c.channels, 255)) << c.name;
        }
        GlobalFree(dib);

        // The same file stored top-down: height negated, rows in the other order.
        std::vector<BYTE> bytes = readFile(out);
        const uint32_t off = le::get32(bytes.data() + 10);
        const int bits = le::get16(bytes.data() + 28);
        const size_t stride = DibStride(kW, bits);
        le::put32(bytes.data() + 22, uint32_t(-kH));
        std::vector<BYTE> flipped(bytes.begin(), bytes.begin() + off);
        for (int r = kH - 1; r >= 0; --r)
            flipped.insert(flipped.end(), bytes.begin() + off + long(r * stride),
                           bytes.begin() + off + long((r + 1) * stride));
        CMemFile f(flipped.data(), flipped.size());
        dib = ReadBmpFile(&f);
        EXPECT_TRUE(readsLike(dib, ref, c.channels, 255, c.table)) << c.name << " top-down";
        GlobalFree(dib);
    }
}

TEST_F(V3dInterop, JpegGreyAndColourDecodeLikeImageMagick) {
    for (int channels : {1, 3}) {
        const std::string jpg = make(channels == 1 ? "g.jpg" : "c.jpg", channels, 255,
                                     channels == 1 ? "-type Grayscale -quality 90" : "-quality 90");
        const std::vector<int> ref = decodeWithImageMagick(im, jpg, channels, dir.Path("ref"));
        CFile f(jpg, CFile::modeRead);
        f.Seek(5, CFile::begin); // read from the start whatever the position
        HDIB dib = ReadJpgFile(&f);
        ASSERT_NE(dib, nullptr);
        EXPECT_EQ(v3dtest::BitCount(dib), channels == 1 ? 8 : 24);
        EXPECT_TRUE(readsLike(dib, ref, channels, 255)) << channels;
        GlobalFree(dib);
    }
}

TEST_F(V3dInterop, TextHeightFilesWithLineFeedsAndCarriageReturns) {
    // ImageMagick's text output of a 12-bit image, turned into comma-separated rows by sed; the
    // CR LF copy made by sed too.
    const std::string src = dir.Path("t.pgm");
    writePnm(src, 1, 4095);
    const std::string lf = dir.Path("lf.txt"), crlf = dir.Path("crlf.txt");
    const std::string cmd = im + " " + src +
                            " -compress none PGM:- | tail -n +4 | tr -s ' \\n' '\\n\\n' | grep -v '^$' | "
                            "xargs -n " +
                            std::to_string(kW) +
                            " | awk '{for(i=1;i<=NF;i++) printf \"%d%s\", "
                            "int($i*4095/65535+0.5), (i<NF?\",\":\"\\n\")}' > " +
                            lf;
    ASSERT_EQ(v3dtest::Shell(cmd), 0);
    ASSERT_EQ(v3dtest::Shell("sed 's/$/\\r/' " + lf + " > " + crlf), 0);
    for (const std::string& path : {lf, crlf}) {
        CFile f(path, CFile::modeRead);
        int type = -1;
        HDIB dib = ReadTxtFile(&f, 2, kW, kH, true, &type);
        EXPECT_EQ(type, 5);
        EXPECT_TRUE(holdsPattern(dib, 1, 4095)) << path;
        GlobalFree(dib);
    }
}

} // namespace
} // namespace v3d
