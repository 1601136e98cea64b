// The .vv3 file and the two hand-over records, byte for byte.
#include "result/core/TransferRecords.h"

#include "imaging/bitmaps/Dib.h"
#include "result/core/HeightPicture.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace {

std::string Hex(const BYTE* p, size_t n) {
    static const char* d = "0123456789ABCDEF";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += d[p[i] >> 4];
        s += d[p[i] & 15];
    }
    return s;
}

// A 24-bit picture from top-down (r, g, b) triples.
HDIB Colour(int w, int h, const std::vector<std::array<int, 3>>& px) {
    HDIB dib = DibCreate(w, h, 1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int p = 0; p < 3; ++p)
                DibSetPixel(dib, x, y, p, px[size_t(y * w + x)][size_t(p)]);
    return dib;
}

struct TwoByOne {
    HDIB dib = Colour(2, 1, {{255, 0, 0}, {0, 255, 0}});
    HeightRows rows;
    ResultPixels r;
    TwoByOne() {
        rows.Allocate(2, 1);
        rows[0][0] = 3.0;
        rows[0][1] = 5.0;
        r.picture = dib;
        r.typeCode = 3;
        r.heights = &rows;
        r.minimum = ScanHeightRange(rows).min;
        r.pitch = 1.5;
    }
    ~TwoByOne() { GlobalFree(dib); }
};

} // namespace

TEST(TransferRecordsTest, Vv3FileAndBlockOfTwoPixelsAreByteExact) {
    TwoByOne t;
    ASSERT_EQ(t.r.minimum, 3.0);
    ScratchFolder dir;
    const std::string path = dir / "a.vv3";
    ASSERT_TRUE(WriteVv3File(path, t.r));
    const std::string f = ScratchFolder::ReadAll(path);
    ASSERT_EQ(f.size(), 1464u);
    const BYTE* b = reinterpret_cast<const BYTE*>(f.data());
    EXPECT_EQ(Hex(b, 8), "0200000001000000");
    EXPECT_EQ(std::string(f.data() + 8, 840), std::string(840, '\0'));
    EXPECT_EQ(Hex(b + 848, 8), "000000000000F83F");
    EXPECT_EQ(std::string(f.data() + 856, 584), std::string(584, '\0'));
    EXPECT_EQ(Hex(b + 1440, 8), "FF00004C00FF0099");
    EXPECT_EQ(Hex(b + 1448, 16), "0000000000000040"
                                 "0000000000000040");
    EXPECT_EQ(Vv3FileBytes(2, 1), 1464u);

    std::vector<BYTE> block;
    ASSERT_TRUE(BuildHeightTransferBlock(t.r, block));
    ASSERT_EQ(block.size(), 32u);
    EXPECT_EQ(Hex(block.data(), 32), "0200000001000000000000000000F83F"
                                     "FF00004C00FF00990000000000000040");
    // No temporary file is left beside the target.
    EXPECT_EQ(std::filesystem::directory_iterator(dir.Path())->path().filename(), "a.vv3");
}

TEST(TransferRecordsTest, BottomRowFirstGreyRuleAndGreyImages) {
    HDIB dib = Colour(1, 2, {{255, 255, 255}, {0, 0, 255}}); // top white, bottom blue
    HeightRows rows;
    rows.Allocate(1, 2);
    rows[0][0] = 1.0; // top
    rows[1][0] = 2.0; // bottom
    ResultPixels r{dib, 3, &rows, 1.0, 1.0};
    std::vector<BYTE> block;
    ASSERT_TRUE(BuildHeightTransferBlock(r, block));
    // bottom row (blue, grey 25) first, then the white row (grey 255); heights 1.0 then 0.0
    EXPECT_EQ(Hex(block.data() + 16, 16), "0000FF19FFFFFFFF"
                                          "0000803F00000000");
    GlobalFree(dib);

    HDIB grey = DibCreate(2, 1, 0);
    DibSetPixel(grey, 0, 0, 0, 7);
    DibSetPixel(grey, 1, 0, 0, 200);
    HeightRows g;
    g.Allocate(2, 1);
    ResultPixels rg{grey, 0, &g, 0.0, 2.0};
    ASSERT_TRUE(BuildHeightTransferBlock(rg, block));
    EXPECT_EQ(Hex(block.data() + 16, 8), "07070707C8C8C8C8");
    // A picture of another size than the heights is refused.
    HeightRows wrong;
    wrong.Allocate(3, 1);
    rg.heights = &wrong;
    EXPECT_FALSE(BuildHeightTransferBlock(rg, block));
    GlobalFree(grey);
    // Sizes are 64-bit: a 40000 x 40000 record is beyond the 32-bit length.
    EXPECT_EQ(HeightTransferBytes(40000, 40000), 16ull + 8ull * 1600000000ull);
    EXPECT_GT(Vv3FileBytes(46341, 46341), 0xFFFFFFFFull);
}

TEST(TransferRecordsTest, FailedWriteLeavesTheOldFileWhole) {
    TwoByOne t;
    ScratchFolder dir;
    const std::string path = dir.Write("keep.vv3", "old contents");
    HeightRows wrong;
    wrong.Allocate(5, 5);
    ResultPixels bad = t.r;
    bad.heights = &wrong;
    EXPECT_FALSE(WriteVv3File(path, bad));
    EXPECT_EQ(ScratchFolder::ReadAll(path), "old contents");
    // A target whose folder is missing fails without a trace.
    EXPECT_FALSE(WriteVv3File(dir / "no/such/folder.vv3", t.r));
}

TEST(TransferRecordsTest, GrayAndHeightRecordsByteForByte) {
    TwoByOne t;
    std::vector<BYTE> rec;
    ASSERT_TRUE(BuildImageTransferRecord(1.5, 1.0, "GRAY", t.dib, rec));
    // 24-bit 2 x 1: header 40, no table, one row of 8 bytes.
    ASSERT_EQ(rec.size(), 92u + 48u);
    EXPECT_EQ(Hex(rec.data(), 8), "000000000000F83F");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(rec.data()) + 8, 22),
              std::string("um") + std::string(20, '\0'));
    EXPECT_EQ(Hex(rec.data() + 30, 8), "000000000000F03F");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(rec.data()) + 38, 21),
              std::string("um") + std::string(19, '\0'));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(rec.data()) + 59, 33),
              std::string("GRAY") + std::string(29, '\0'));
    EXPECT_EQ(0, std::memcmp(rec.data() + 92, GlobalLock(t.dib), 48));
    GlobalUnlock(t.dib);
    // row bytes: blue, green, red per pixel
    EXPECT_EQ(Hex(rec.data() + 92 + 40, 8), "0000FF00FF000000");

    double step = 0;
    HDIB pic = BuildHeightPicture(t.rows, nullptr, &step);
    ASSERT_TRUE(BuildImageTransferRecord(1.5, step, "HEIGHT", pic, rec));
    ASSERT_EQ(rec.size(), 92u + 40u + 1024u + 4u);
    double got;
    std::memcpy(&got, rec.data() + 30, 8);
    EXPECT_EQ(got, 2.0 / 255.0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(rec.data()) + 59, 33),
              std::string("HEIGHT") + std::string(27, '\0'));
    // 8-bit header with a 256-entry table: entry 0 blue 254, entry 255 black
    EXPECT_EQ(Hex(rec.data() + 92 + 14, 2), "0800");
    EXPECT_EQ(Hex(rec.data() + 92 + 40, 4), "FE000000");
    EXPECT_EQ(Hex(rec.data() + 92 + 40 + 255 * 4, 4), "00000000");
    // pixels: height 3 gives 0, height 5 (the max) 254
    EXPECT_EQ(Hex(rec.data() + 92 + 40 + 1024, 4), "00FE0000");
    GlobalFree(pic);
    EXPECT_FALSE(BuildImageTransferRecord(1.0, 1.0, "GRAY", nullptr, rec));
}
