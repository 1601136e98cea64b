// Our files read by libtiff's utilities and ImageMagick, and their files read by us, with
// the pixels compared.
#include <gtest/gtest.h>

#include "ImageFileTestSupport.h"

#include "imaging/bitmaps/Dib.h"
#include "imaging/files/ImageFile.h"

#include <tiffio.h>

#include <cstdlib>
#include <cstring>
#include <functional>

using namespace imgtest;

namespace {

constexpr int W = 23, H = 17;

// Sample c of pixel (x, y from the top) in a source image of `maxval`.
unsigned Src(int x, int y, int c, unsigned maxval) {
    return static_cast<unsigned>((x * 2 + y * 3 + c * 40) * (maxval / 255.0) * 1.0 + 0.5) % (maxval + 1);
}

// A binary PGM/PPM written by hand: the tools' input.
void WritePnm(const std::string& path, int channels, unsigned maxval) {
    std::string head = std::string(channels == 1 ? "P5" : "P6") + "\n" + std::to_string(W) + " " +
                       std::to_string(H) + "\n" + std::to_string(maxval) + "\n";
    std::vector<BYTE> f(head.begin(), head.end());
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            for (int c = 0; c < channels; ++c) {
                const unsigned v = Src(x, y, c, maxval);
                if (maxval > 255)
                    f.push_back(static_cast<BYTE>(v >> 8));
                f.push_back(static_cast<BYTE>(v));
            }
    WriteBytes(path, f);
}

// Largest difference between a bitmap and the source pattern (planes red, green, blue);
// 8-bit pixels count through their colour table.
int Deviation(HDIB dib, int channels, unsigned maxval) {
    RGBQUAD table[256];
    bool indexed = false;
    {
        GlobalLockGuard l(dib);
        indexed = DibGetBitCount(l.get()) == 8;
    }
    if (indexed)
        DibGetColorTable(dib, table);
    int worst = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            for (int c = 0; c < channels; ++c) {
                const int v = indexed ? table[DibGetPixel(dib, x, y, 0)].rgbGreen : DibGetPixel(dib, x, y, c);
                worst = std::max(worst, std::abs(v - static_cast<int>(Src(x, y, c, maxval))));
            }
    return worst;
}

class Interop : public ::testing::Test {
protected:
    void SetUp() override {
        im_ = ImageMagick();
        tiffcp_ = FindTool({"/usr/bin/tiffcp"});
        tiffinfo_ = FindTool({"/usr/bin/tiffinfo"});
        tiffdump_ = FindTool({"/usr/bin/tiffdump"});
        if (im_.empty() || tiffcp_.empty() || tiffinfo_.empty() || tiffdump_.empty())
            GTEST_SKIP() << "ImageMagick or libtiff's tools are not installed";
    }
    // Raw samples of a file as ImageMagick reads them: 8 or 16 bits, grey or RGB, top row first.
    std::vector<BYTE> MagickRaw(const std::string& file, const char* format, int depth) {
        const std::string raw = dir_.Path("out.raw");
        EXPECT_EQ(Shell(im_ + " '" + file + "' -endian MSB -depth " + std::to_string(depth) + " " + format + ":'" + raw + "'"), 0);
        return ReadBytes(raw);
    }
    HDIB ReadOurs(const std::string& file, int* type = nullptr) { return ReadImageFile(file, type); }

    ScratchDir dir_;
    std::string im_, tiffcp_, tiffinfo_, tiffdump_;
};

} // namespace

TEST_F(Interop, OurTiffFilesReadTheSameInLibtiffToolsAndImageMagick) {
    struct Case {
        int type, kind, bits, channels;
        const char* format;
    } cases[] = {{0, 0, 8, 1, "gray"}, {3, 1, 8, 3, "rgb"}, {6, 3, 16, 1, "gray"}, {9, 4, 16, 3, "rgb"},
                 {5, 3, 12, 1, "gray"}, {8, 4, 12, 3, "rgb"}, {4, 3, 10, 1, "gray"}};
    for (const Case& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type));
        HDIB dib = MakePatternDib(W, H, c.kind, c.bits);
        const std::string path = dir_.Path("ours.tif");
        ASSERT_TRUE(SaveImageFile(dib, path, c.type, 75));
        std::string info, dump;
        EXPECT_EQ(Shell(tiffinfo_ + " -D " + path, &info), 0);
        EXPECT_NE(info.find("Bits/Sample: " + std::to_string(c.bits)), std::string::npos) << info;
        EXPECT_EQ(Shell(tiffdump_ + " " + path, &dump), 0);
        // Deep files come from the high-bit-depth writer, which also records a resolution.
        EXPECT_NE(dump.find(c.type >= 4 ? "XResolution" : "StripByteCounts"), std::string::npos) << dump;
        const int depth = c.bits > 8 ? 16 : 8;
        const auto raw = MagickRaw(path, c.format, depth);
        ASSERT_EQ(raw.size(), static_cast<size_t>(W * H * c.channels * depth / 8));
        bool same = true;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                for (int ch = 0; ch < c.channels; ++ch) {
                    const size_t i = (static_cast<size_t>(y) * W + x) * c.channels + ch;
                    unsigned v = depth == 16 ? (raw[2 * i] << 8 | raw[2 * i + 1]) : raw[i];
                    // ImageMagick scales 10- and 12-bit samples to its 16-bit range.
                    if (c.bits == 10 || c.bits == 12)
                        v = (v * ((1u << c.bits) - 1) + 32767) / 65535;
                    same = same && static_cast<int>(v) == DibGetPixel(dib, x, y, c.channels == 1 ? 0 : ch);
                }
        EXPECT_TRUE(same);
        GlobalFree(dib);
    }
}

TEST_F(Interop, OurPaletteTiffBmpAndJpegFilesShowTheirColoursInImageMagick) {
    HDIB pal = MakePaletteDib(W, H);
    ASSERT_TRUE(SaveImageFile(pal, dir_.Path("p.tif"), 1, 75));
    ASSERT_TRUE(SaveImageFile(pal, dir_.Path("p.bmp"), 1, 75));
    RGBQUAD table[256];
    DibGetColorTable(pal, table);
    for (const char* name : {"p.tif", "p.bmp"}) {
        const auto raw = MagickRaw(dir_.Path(name), "rgb", 8);
        ASSERT_EQ(raw.size(), static_cast<size_t>(W * H * 3)) << name;
        bool same = true;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const RGBQUAD& e = table[DibGetPixel(pal, x, y, 0)];
                const BYTE* p = &raw[(static_cast<size_t>(y) * W + x) * 3];
                same = same && p[0] == e.rgbRed && p[1] == e.rgbGreen && p[2] == e.rgbBlue;
            }
        EXPECT_TRUE(same) << name;
    }
    HDIB colour = MakePatternDib(W, H, 1);
    ASSERT_TRUE(SaveImageFile(colour, dir_.Path("c.bmp"), 3, 75));
    const auto raw = MagickRaw(dir_.Path("c.bmp"), "rgb", 8);
    ASSERT_EQ(raw.size(), static_cast<size_t>(W * H * 3));
    EXPECT_EQ(raw[(5 * W + 7) * 3 + 2], DibGetPixel(colour, 7, 5, 2));
    EXPECT_EQ(raw[(5 * W + 7) * 3 + 0], DibGetPixel(colour, 7, 5, 0));

    // A smooth colour image through JPEG keeps its colours within a few levels.
    WritePnm(dir_.Path("s.ppm"), 3, 255);
    ASSERT_EQ(Shell(im_ + " " + dir_.Path("s.ppm") + " " + dir_.Path("s.bmp")), 0);
    HDIB smooth = ReadOurs(dir_.Path("s.bmp"));
    ASSERT_NE(smooth, nullptr);
    ASSERT_TRUE(SaveImageFile(smooth, dir_.Path("s.jpg"), 3, 95));
    const auto jraw = MagickRaw(dir_.Path("s.jpg"), "rgb", 8);
    ASSERT_EQ(jraw.size(), static_cast<size_t>(W * H * 3));
    int worst = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst, std::abs(jraw[(static_cast<size_t>(y) * W + x) * 3 + c] -
                                                 static_cast<int>(Src(x, y, c, 255))));
    EXPECT_LE(worst, 12);
    for (HDIB h : {pal, colour, smooth})
        GlobalFree(h);
}

TEST_F(Interop, TiffFilesOfTheToolsAreReadInEveryCompressionAndLayout) {
    WritePnm(dir_.Path("g.pgm"), 1, 255);
    WritePnm(dir_.Path("c.ppm"), 3, 255);
    struct Case {
        const char* name;
        const char* magick; // ImageMagick options, then tiffcp options applied to its output
        const char* tiffcp;
        int channels;
        int tolerance;
    } cases[] = {
        {"none", "-compress None", nullptr, 3, 0},
        {"lzw", "-compress LZW", nullptr, 3, 0},
        {"packbits", "-compress RLE", nullptr, 1, 0},
        {"zip", "-compress Zip", nullptr, 3, 0},
        {"jpeg", "-compress JPEG -quality 95", nullptr, 3, 12},
        {"jpeg grey", "-compress JPEG -quality 95", nullptr, 1, 6},
        {"tiles", "-compress None", "-t -w 16 -l 16", 3, 0},
        {"tiles lzw grey", "-compress None", "-t -w 16 -l 16 -c lzw", 1, 0},
        {"separate", "-compress None", "-p separate", 3, 0},
        {"separate tiles zip", "-compress None", "-p separate -t -w 16 -l 16 -c zip", 3, 0},
        {"tiffcp jpeg", "-compress None", "-c jpeg:95", 3, 12},
        {"packbits strips of one row", "-compress None", "-c packbits -r 1", 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string src = dir_.Path(c.channels == 1 ? "g.pgm" : "c.ppm");
        const std::string im = dir_.Path("im.tif");
        const std::string out = dir_.Path("in.tif");
        ASSERT_EQ(Shell(im_ + " " + src + " -depth 8 " + c.magick + " " + (c.channels == 1 ? "-type Grayscale " : "") +
                      im),
                  0);
        if (c.tiffcp)
            ASSERT_EQ(Shell(tiffcp_ + " " + c.tiffcp + " " + im + " " + out), 0);
        else
            ASSERT_EQ(Shell("cp " + im + " " + out), 0);
        int type = -2;
        HDIB dib = ReadOurs(out, &type);
        ASSERT_NE(dib, nullptr);
        EXPECT_EQ(type, c.channels == 1 ? 0 : 3);
        EXPECT_LE(Deviation(dib, c.channels, 255), c.tolerance);
        GlobalFree(dib);
    }
}

TEST_F(Interop, DeepAndBilevelTiffFilesOfTheTools) {
    WritePnm(dir_.Path("g16.pgm"), 1, 65535);
    WritePnm(dir_.Path("c16.ppm"), 3, 65535);
    struct Case {
        const char* src;
        int depth;
        const char* extra;
        int type;
        int channels;
    } cases[] = {{"g16.pgm", 16, "", 6, 1},          {"c16.ppm", 16, "", 9, 3},
                 {"g16.pgm", 12, "", 5, 1},          {"c16.ppm", 12, "", 8, 3},
                 {"g16.pgm", 10, "", 4, 1}, // ImageMagick's own 16 to 10-bit rounding: within 2          {"c16.ppm", 16, "-compress LZW", 9, 3},
                 {"c16.ppm", 16, "-compress Zip", 9, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.src) + " " + std::to_string(c.depth) + " " + c.extra);
        const std::string out = dir_.Path("deep.tif");
        ASSERT_EQ(Shell(im_ + " " + dir_.Path(c.src) + " -depth " + std::to_string(c.depth) + " " + c.extra + " " + out), 0);
        int type = -2;
        HDIB dib = ReadOurs(out, &type);
        ASSERT_NE(dib, nullptr);
        EXPECT_EQ(type, c.type);
        const unsigned full = (1u << c.depth) - 1;
        int worst = 0;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                for (int ch = 0; ch < c.channels; ++ch) {
                    const unsigned expect = (Src(x, y, ch, 65535) * full + 32767) / 65535;
                    worst = std::max(worst, std::abs(DibGetPixel(dib, x, y, ch) - static_cast<int>(expect)));
                }
        EXPECT_LE(worst, c.depth == 10 ? 2 : 1);
        GlobalFree(dib);
    }
    // Separate planes of 16-bit colour.
    ASSERT_EQ(Shell(im_ + " " + dir_.Path("c16.ppm") + " -depth 16 -interlace Plane " + dir_.Path("cs.tif")), 0);
    HDIB sep = ReadOurs(dir_.Path("cs.tif"));
    ASSERT_NE(sep, nullptr);
    EXPECT_EQ(Deviation(sep, 3, 65535), 0);
    GlobalFree(sep);

    // Bilevel files (CCITT Group 4 and Group 3) load as black and white grey levels.
    WritePnm(dir_.Path("g.pgm"), 1, 255);
    for (const char* how : {"g4", "g3"}) {
        SCOPED_TRACE(how);
        ASSERT_EQ(Shell(im_ + " " + dir_.Path("g.pgm") + " -threshold 50% -compress Group4 " + dir_.Path("b.tif")), 0);
        std::string file = dir_.Path("b.tif");
        if (std::string(how) == "g3") {
            ASSERT_EQ(Shell(tiffcp_ + " -c g3:2d " + file + " " + dir_.Path("b3.tif")), 0);
            file = dir_.Path("b3.tif");
        }
        HDIB bw = ReadOurs(file);
        ASSERT_NE(bw, nullptr);
        int wrong = 0;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const int v = DibGetPixel(bw, x, y, 0);
                const int expect = Src(x, y, 0, 255) > 128 ? 255 : 0;
                wrong += (v != 0 && v != 255) || (std::abs(static_cast<int>(Src(x, y, 0, 255)) - 128) > 2 && v != expect);
            }
        EXPECT_EQ(wrong, 0);
        GlobalFree(bw);
    }
}

TEST_F(Interop, PixarLogFilesAreRead) {
    // No installed tool writes this codec; libtiff's own writer makes the file.
    const std::string path = dir_.Path("px.tif");
    TIFF* t = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(t, nullptr);
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, W);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, H);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    if (!TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_PIXARLOG)) {
        TIFFClose(t);
        GTEST_SKIP() << "libtiff without PixarLog";
    }
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 4);
    std::vector<BYTE> row(W * 3);
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x)
            for (int c = 0; c < 3; ++c)
                row[x * 3 + c] = static_cast<BYTE>(Src(x, y, c, 255));
        ASSERT_EQ(TIFFWriteScanline(t, row.data(), y, 0), 1);
    }
    TIFFClose(t);
    HDIB dib = ReadOurs(path);
    ASSERT_NE(dib, nullptr);
    EXPECT_LE(Deviation(dib, 3, 255), 2) << "PixarLog keeps 8-bit samples within its log quantisation";
    GlobalFree(dib);
}

TEST_F(Interop, JpegAndBmpFilesOfImageMagick) {
    WritePnm(dir_.Path("g.pgm"), 1, 255);
    WritePnm(dir_.Path("c.ppm"), 3, 255);
    struct Case {
        const char* src;
        const char* opts;
        int channels;
    } jpegs[] = {{"c.ppm", "-quality 95", 3},
                 {"c.ppm", "-quality 95 -interlace Plane", 3},
                 {"g.pgm", "-quality 95 -type Grayscale", 1},
                 {"g.pgm", "-quality 95 -type Grayscale -interlace Plane", 1}};
    for (const Case& c : jpegs) {
        SCOPED_TRACE(std::string(c.src) + " " + c.opts);
        ASSERT_EQ(Shell(im_ + " " + dir_.Path(c.src) + " " + c.opts + " " + dir_.Path("i.jpg")), 0);
        HDIB dib = ReadOurs(dir_.Path("i.jpg"));
        ASSERT_NE(dib, nullptr);
        {
            GlobalLockGuard l(dib);
            EXPECT_EQ(DibGetBitCount(l.get()), c.channels == 1 ? 8 : 24);
        }
        EXPECT_LE(Deviation(dib, c.channels, 255), 12);
        GlobalFree(dib);
    }
    // Four-ink JPEG: turned into colour.
    ASSERT_EQ(Shell(im_ + " " + dir_.Path("c.ppm") + " -colorspace CMYK -quality 95 " + dir_.Path("k.jpg")), 0);
    HDIB cmyk = ReadOurs(dir_.Path("k.jpg"));
    ASSERT_NE(cmyk, nullptr);
    EXPECT_LE(Deviation(cmyk, 3, 255), 24);
    GlobalFree(cmyk);

    for (const char* fmt : {"BMP3", "BMP"}) { // 40-byte and 124-byte headers
        for (const char* src : {"g.pgm", "c.ppm"}) {
            SCOPED_TRACE(std::string(fmt) + " " + src);
            const bool grey = std::string(src) == "g.pgm";
            const std::string bmp = dir_.Path("i.bmp");
            ASSERT_EQ(Shell(im_ + " " + dir_.Path(src) + (grey ? " -type Palette -compress None " : " -type TrueColor ") + fmt + ":" + bmp),
                      0);
            auto bytes = ReadBytes(bmp);
            ASSERT_GT(bytes.size(), 54u);
            const DWORD headerSize = le::get32(&bytes[14]);
            EXPECT_EQ(headerSize, std::string(fmt) == "BMP3" ? 40u : 124u);
            HDIB up = ReadOurs(bmp);
            ASSERT_NE(up, nullptr);
            // ImageMagick's own decoding of its file is the reference (its palette
            // quantisation changes some greys).
            const auto ref = MagickRaw(bmp, "rgb", 8);
            ASSERT_EQ(ref.size(), static_cast<size_t>(W * H * 3));
            RGBQUAD table[256];
            DibGetColorTable(up, table);
            bool same = true;
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x)
                    for (int ch = 0; ch < 3; ++ch) {
                        const BYTE* e = reinterpret_cast<const BYTE*>(&table[DibGetPixel(up, x, y, 0)]);
                        const int v = grey ? e[2 - ch] : DibGetPixel(up, x, y, ch);
                        same = same && v == ref[(static_cast<size_t>(y) * W + x) * 3 + ch];
                    }
            EXPECT_TRUE(same) << "bottom-up";
            // The same file made top-down: rows reversed, height negated.
            const DWORD off = le::get32(&bytes[10]);
            const size_t stride = DibStride(W, le::get16(&bytes[14 + 14]));
            std::vector<BYTE> down = bytes;
            for (int r = 0; r < H; ++r)
                std::memcpy(&down[off + r * stride], &bytes[off + (H - 1 - r) * stride], stride);
            le::put32(&down[14 + 8], static_cast<uint32_t>(-H));
            WriteBytes(dir_.Path("d.bmp"), down);
            HDIB dn = ReadOurs(dir_.Path("d.bmp"));
            ASSERT_NE(dn, nullptr);
            EXPECT_TRUE(SameBitmap(up, dn)) << "top-down";
            GlobalFree(up);
            GlobalFree(dn);
        }
    }
}
