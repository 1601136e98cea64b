// Height data sets from the main program: the record and the .vv3 file laid out byte by byte,
// level conversion with invalid heights, and records or files whose sizes do not add up.
#include "ReaderTestSupport.h"

#include "platform/File.h"
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/core/files/Vv3Data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

using namespace v3d;
using v3dtest::Sample;

namespace {

void putF32(std::vector<BYTE>& b, float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    v3dtest::Bytes x;
    x.u32(u);
    b.insert(b.end(), x.b.begin(), x.b.end());
}

// Pixel records (r, g, b, grey) and heights, both in memory order (bottom row first).
struct DataSet {
    int w, h;
    double pitch;
    std::vector<std::array<BYTE, 4>> pixels;
    std::vector<float> heights;
    std::vector<BYTE> Record() const {
        v3dtest::Bytes b;
        b.u32(uint32_t(w)).u32(uint32_t(h)).zeros(8);
        le::putDouble(&b.b[8], pitch);
        for (auto& p : pixels)
            b.u8(p[0]).u8(p[1]).u8(p[2]).u8(p[3]);
        for (float f : heights)
            putF32(b.b, f);
        return b.b;
    }
    std::vector<BYTE> File() const {
        v3dtest::Bytes b;
        b.u32(uint32_t(w)).u32(uint32_t(h)).zeros(1432);
        le::putDouble(&b.b[848], pitch);
        for (auto& p : pixels)
            b.u8(p[0]).u8(p[1]).u8(p[2]).u8(p[3]);
        for (int copy = 0; copy < 2; ++copy)
            for (float f : heights)
                putF32(b.b, f);
        return b.b;
    }
};

struct Planes {
    HDIB tex = nullptr, height = nullptr;
    HeightSetInfo info;
    ~Planes() {
        if (tex)
            GlobalFree(tex);
        if (height)
            GlobalFree(height);
    }
};

} // namespace

TEST(Vv3DataTest, RecordOfTwoPixelsGivesColoursLevelsAndScale) {
    DataSet d{2, 1, 0.5, {{{255, 0, 0, 76}}, {{0, 255, 0, 153}}}, {0.0f, 3.0f}};
    const auto rec = d.Record();
    ASSERT_EQ(rec.size(), 16u + 8 * 2);
    Planes p;
    p.tex = LoadHeightRecord(rec.data(), rec.size(), &p.height, &p.info);
    ASSERT_NE(p.tex, nullptr);
    ASSERT_NE(p.height, nullptr);
    EXPECT_EQ(v3dtest::BitCount(p.tex), 24);
    EXPECT_EQ(Sample(p.tex, 0, 0, 0), 255);
    EXPECT_EQ(Sample(p.tex, 0, 0, 1), 0);
    EXPECT_EQ(Sample(p.tex, 1, 0, 1), 255);
    EXPECT_EQ(Sample(p.height, 0, 0), 0);
    EXPECT_EQ(Sample(p.height, 1, 0), 65535);
    EXPECT_DOUBLE_EQ(p.info.zScale, 3.0 / 65535);
    EXPECT_EQ(p.info.pitch, 0.5);
    EXPECT_EQ(p.info.maxValue, 65535);
}

TEST(Vv3DataTest, RecordsAreCheckedBeforeAnythingIsRead) {
    DataSet d{2, 2, 0.0, std::vector<std::array<BYTE, 4>>(4, {{1, 2, 3, 4}}), {1, 1, 1, 1}};
    auto rec = d.Record();
    EXPECT_TRUE(CheckHeightRecord(rec.data(), rec.size()));
    EXPECT_FALSE(CheckHeightRecord(rec.data(), rec.size() - 1));
    EXPECT_FALSE(CheckHeightRecord(rec.data(), rec.size() + 1));
    EXPECT_FALSE(CheckHeightRecord(rec.data(), 15));
    EXPECT_FALSE(CheckHeightRecord(nullptr, 0));
    auto forged = rec;
    le::put32(&forged[0], 0x80000001u); // negative width
    EXPECT_FALSE(CheckHeightRecord(forged.data(), forged.size()));
    le::put32(&forged[0], 0x40000000u); // 16 + 8WH wraps in 32 bits to the record's length
    le::put32(&forged[4], 0x40000000u);
    EXPECT_FALSE(CheckHeightRecord(forged.data(), forged.size()));
    le::put32(&forged[0], 0);
    EXPECT_FALSE(CheckHeightRecord(forged.data(), forged.size()));
    // Equal heights: level 0 everywhere, z-scale 1.0; pitch 0 -> 1.0.
    Planes p;
    p.tex = LoadHeightRecord(rec.data(), rec.size(), &p.height, &p.info);
    ASSERT_NE(p.height, nullptr);
    EXPECT_EQ(Sample(p.height, 1, 1), 0);
    EXPECT_EQ(p.info.zScale, 1.0);
    EXPECT_EQ(p.info.pitch, 1.0);
}

TEST(Vv3DataTest, InvalidHeightsTakeTheirNeighboursLevels) {
    const float big = 5000.0f;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // Rows of 3: valid, invalid, valid | invalid, valid, invalid | all invalid.
    const std::vector<float> h = {0, big, 100, big, 50, nan, big, big, nan};
    std::vector<uint16_t> levels(h.size());
    const double scale =
        HeightsToLevels(h.data(), h.size(), 3, InvalidHeightRule{true, 1000.0f}, levels.data());
    EXPECT_DOUBLE_EQ(scale, 100.0 / 65535);
    EXPECT_EQ(levels[0], 0);
    EXPECT_EQ(levels[2], 65535);
    EXPECT_EQ(levels[1], 65535 / 2); // mean toward zero
    EXPECT_EQ(levels[4], 32767);
    EXPECT_EQ(levels[3], 32767); // row starts invalid: the next valid level
    EXPECT_EQ(levels[5], 32767); // row ends invalid: the level before
    EXPECT_EQ(levels[6], 0);
    EXPECT_EQ(levels[8], 0);
    // Option off: the large value is valid, a NaN never is.
    const double off =
        HeightsToLevels(h.data(), h.size(), 3, InvalidHeightRule{false, 1000.0f}, levels.data());
    EXPECT_DOUBLE_EQ(off, 5000.0 / 65535);
    EXPECT_EQ(levels[1], 65535);
}

// The threshold itself is already invalid; a height just below it counts for the range.
TEST(Vv3DataTest, HeightAtTheThresholdIsInvalid) {
    const float below = std::nextafter(1000.0f, 0.0f);
    const std::vector<float> h = {0, 1000.0f, 100, below};
    std::vector<uint16_t> levels(h.size());
    const double scale =
        HeightsToLevels(h.data(), h.size(), 4, InvalidHeightRule{true, 1000.0f}, levels.data());
    EXPECT_DOUBLE_EQ(scale, double(below) / 65535);
    EXPECT_EQ(levels[3], 65535);
    EXPECT_EQ(levels[1], (levels[0] + levels[2]) / 2); // filled from its neighbours
}

TEST(Vv3DataTest, FileReadsAndShortFilesFail) {
    DataSet d{3, 2, 1.25, {}, {}};
    for (int i = 0; i < 6; ++i) {
        d.pixels.push_back({{BYTE(i * 10), BYTE(i * 20), BYTE(i * 30), 0}});
        d.heights.push_back(float(i));
    }
    const auto file = d.File();
    ASSERT_EQ(file.size(), 1440u + 12 * 6);
    {
        CMemFile mem(file);
        Planes p;
        p.tex = ReadVv3File(&mem, InvalidHeightRule{}, &p.height, &p.info);
        ASSERT_NE(p.tex, nullptr);
        ASSERT_NE(p.height, nullptr);
        // The first record is the bottom row's first pixel.
        EXPECT_EQ(Sample(p.tex, 0, 1, 0), 0);
        EXPECT_EQ(Sample(p.tex, 1, 1, 2), 30);
        EXPECT_EQ(Sample(p.tex, 0, 0, 1), 60);
        EXPECT_EQ(Sample(p.height, 2, 0), 65535);
        EXPECT_EQ(Sample(p.height, 0, 1), 0);
        EXPECT_EQ(p.info.pitch, 1.25);
    }
    {
        // Heights missing: the texture alone.
        CMemFile mem(std::vector<BYTE>(file.begin(), file.begin() + 1440 + 24));
        Planes p;
        p.tex = ReadVv3File(&mem, InvalidHeightRule{}, &p.height, &p.info);
        EXPECT_NE(p.tex, nullptr);
        EXPECT_EQ(p.height, nullptr);
    }
    {
        // Cut inside the heights: refused, not taken for a texture without heights.
        CMemFile mem(std::vector<BYTE>(file.begin(), file.begin() + 1440 + 24 + 4));
        Planes p;
        EXPECT_EQ(ReadVv3File(&mem, InvalidHeightRule{}, &p.height, &p.info), nullptr);
    }
    {
        CMemFile mem(std::vector<BYTE>(file.begin(), file.begin() + 1439));
        Planes p;
        EXPECT_EQ(ReadVv3File(&mem, InvalidHeightRule{}, &p.height, &p.info), nullptr);
    }
    {
        auto huge = file;
        le::put32(&huge[0], 100000);
        le::put32(&huge[4], 100000); // 40 GB of pixels claimed by a 1.5 kB file
        CMemFile mem(huge);
        Planes p;
        EXPECT_EQ(ReadVv3File(&mem, InvalidHeightRule{}, &p.height, &p.info), nullptr);
        le::put32(&huge[0], uint32_t(-3));
        CMemFile mem2(huge);
        EXPECT_EQ(ReadVv3File(&mem2, InvalidHeightRule{}, &p.height, &p.info), nullptr);
    }
}
