// Truncated and crafted files: every reader fails cleanly (the sanitizer build checks that no
// byte outside a buffer is touched), and sample layouts that only look deep are not read as deep.
#include "ReaderTestSupport.h"

#include "platform/File.h"
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/core/files/HiBitTiffReader.h"
#include "viewer3d/core/files/ImageReaders.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <fstream>
#include <iterator>

namespace v3d {
namespace {

std::vector<BYTE> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A TIFF of one row written with libtiff: bits per sample, samples, sample format.
std::string writeTiff(const std::string& path, int bits, int samples, int format, int photometric) {
    TIFF* t = TIFFOpen(path.c_str(), "w");
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, uint32_t(4));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, uint32_t(2));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, uint16_t(bits));
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, uint16_t(samples));
    TIFFSetField(t, TIFFTAG_SAMPLEFORMAT, uint16_t(format));
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, uint16_t(photometric));
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    if (samples == 2 || samples == 6) {
        std::vector<uint16_t> extra(size_t(samples == 2 ? 1 : 3), EXTRASAMPLE_UNSPECIFIED);
        TIFFSetField(t, TIFFTAG_EXTRASAMPLES, uint16_t(extra.size()), extra.data());
    }
    std::vector<BYTE> row(size_t(4 * samples * bits / 8), 0x5A);
    for (uint32_t y = 0; y < 2; ++y)
        TIFFWriteScanline(t, row.data(), y, 0);
    TIFFClose(t);
    return path;
}

TEST(V3dCraftedFiles, OnlyTenTwelveAndSixteenBitUnsignedGreyOrRgbIsDeep) {
    v3dtest::ScratchDir dir;
    struct Case {
        int bits, samples, format, photometric, type;
    };
    const Case cases[] = {
        {16, 1, SAMPLEFORMAT_UINT, PHOTOMETRIC_MINISBLACK, 6},
        {12, 3, SAMPLEFORMAT_UINT, PHOTOMETRIC_RGB, 8},
        {8, 2, SAMPLEFORMAT_UINT, PHOTOMETRIC_MINISBLACK, -1},  // grey and alpha: 16 bits, not deep
        {8, 6, SAMPLEFORMAT_UINT, PHOTOMETRIC_RGB, -1},         // six bytes: 48 bits, not deep
        {16, 2, SAMPLEFORMAT_UINT, PHOTOMETRIC_MINISBLACK, -1}, // grey and alpha of 16 bits
        {16, 1, SAMPLEFORMAT_INT, PHOTOMETRIC_MINISBLACK, -1},  // signed
        {16, 1, SAMPLEFORMAT_IEEEFP, PHOTOMETRIC_MINISBLACK, -1},
        {10, 3, SAMPLEFORMAT_UINT, PHOTOMETRIC_MINISBLACK, -1}, // three grey samples
    };
    for (const Case& c : cases) {
        const std::string path = writeTiff(dir.Path("t.tif"), c.bits, c.samples, c.format, c.photometric);
        CHiBitTiffReader r;
        ASSERT_TRUE(r.Open(path));
        EXPECT_EQ(r.GetImageType(), c.type) << c.bits << " bits x " << c.samples;
        r.Close();
        int type = 99;
        CFile f(path, CFile::modeRead);
        HDIB dib = ReadTifFile(&f, &type);
        if (c.type >= 0) {
            EXPECT_EQ(type, c.type);
            ASSERT_NE(dib, nullptr);
            // Bytes 0x5A: a 16-bit sample 0x5A5A, the first 12-bit sample 0x5A5 (red).
            EXPECT_EQ(v3dtest::Sample(dib, 0, 0, 0), c.bits == 16 ? 0x5A5A : 0x5A5);
        } else {
            // Neither the deep reader nor the image classes take it.
            EXPECT_EQ(dib, nullptr) << c.bits << " bits x " << c.samples;
            EXPECT_EQ(type, -1);
        }
        GlobalFree(dib);
    }
}

// Each truncation of a valid file and each flipped header byte: no crash, no leak; truncated
// bitmap and height files always fail.
TEST(V3dCraftedFiles, TruncatedAndFlippedFilesFailCleanly) {
    v3dtest::ScratchDir dir;
    const std::string im = v3dtest::ImageMagick();
    std::vector<std::pair<std::string, std::vector<BYTE>>> seeds;
    // Hand-built: a 24-bit BMP and a version-4 height file of 16-bit samples.
    v3dtest::Bytes bmp;
    bmp.u16(0x4D42).u32(54 + 24).u32(0).u32(54).u32(40).u32(3).u32(2).u16(1).u16(24).u32(0).u32(24).zeros(16);
    bmp.zeros(24);
    seeds.emplace_back("bmp", bmp.b);
    std::vector<BYTE> frn(512, ' ');
    const std::string head = "INDEX4.0-FRN";
    std::copy(head.begin(), head.end(), frn.begin());
    const std::string dims = "    3     2";
    std::copy(dims.begin(), dims.end(), frn.begin() + 16);
    frn[416] = ' ', frn[417] = '6';
    frn.insert(frn.end(), 12, 0x11);
    seeds.emplace_back("frn", frn);
    if (!im.empty()) {
        const std::string src = dir.Path("s.ppm");
        v3dtest::WriteText(src, "P6\n5 3\n255\n" + std::string(45, 'x'));
        for (const char* opt :
             {"-depth 16 -compress Zip t1.tif", "-depth 12 -interlace Plane t2.tif",
              "-depth 8 -compress LZW t3.tif", "-type Palette t4.tif", "-quality 80 j.jpg"}) {
            const std::string o(opt), name = o.substr(o.rfind(' ') + 1);
            if (v3dtest::Shell(im + " " + src + " " + o.substr(0, o.rfind(' ')) + " " + dir.Path(name)) == 0)
                seeds.emplace_back(name, readFile(dir.Path(name)));
        }
    }
    int reads = 0;
    for (const auto& [name, full] : seeds) {
        std::vector<std::vector<BYTE>> variants;
        for (size_t n = 0; n < full.size(); n += std::max<size_t>(1, full.size() / 40))
            variants.emplace_back(full.begin(), full.begin() + long(n));
        for (size_t i = 0; i < std::min<size_t>(full.size(), 64); ++i) {
            std::vector<BYTE> v = full;
            v[i] ^= 0xFF;
            variants.push_back(v);
        }
        for (const auto& v : variants) {
            const std::string path = dir.Path("v-" + name);
            v3dtest::WriteBytes(path, v);
            CFile f(path, CFile::modeRead);
            int type = -1;
            FrnInfo info;
            double pitch = 0;
            CalibRecord calib;
            HDIB dib = nullptr;
            if (name == "bmp")
                dib = ReadBmpFile(&f);
            else if (name == "frn")
                dib = ReadFrnFile(&f, &info, &pitch, &calib);
            else if (name.ends_with(".jpg"))
                dib = ReadJpgFile(&f);
            else
                dib = ReadTifFile(&f, &type);
            if (v.size() < full.size() && (name == "bmp" || name == "frn")) {
                EXPECT_EQ(dib, nullptr) << name << " cut to " << v.size();
            }
            if (dib) {
                EXPECT_GT(v3dtest::Width(dib), 0);
                ++reads;
            }
            GlobalFree(dib);
        }
    }
    EXPECT_GT(reads, 0); // flipped bytes that do not matter still read
}

} // namespace
} // namespace v3d
