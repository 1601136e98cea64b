// Bitmap and integer text files built by hand, and crafted files that must fail cleanly.
#include "ReaderTestSupport.h"

#include "platform/File.h"
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/core/files/ImageReaders.h"

#include <gtest/gtest.h>

namespace v3d {
namespace {

using v3dtest::Bytes;

struct Bmp {
    int headerSize = 40;
    int width = 2;
    int height = 2;
    int bits = 24;
    DWORD compression = 0;
    DWORD clrUsed = 0;
    int tableEntries = 0;    // entries written after the header
    std::vector<BYTE> extra; // bytes between header and table (masks)
    std::vector<BYTE> rows;  // pixel bytes as stored
    int64_t offBitsDelta = 0;
    std::vector<BYTE> build() const {
        Bytes b;
        const uint32_t offBits = uint32_t(14 + headerSize + extra.size() + 4 * tableEntries + offBitsDelta);
        b.u16(0x4D42).u32(uint32_t(offBits + rows.size())).u32(0).u32(offBits);
        b.u32(uint32_t(headerSize))
            .u32(uint32_t(width))
            .u32(uint32_t(height))
            .u16(1)
            .u16(bits)
            .u32(compression);
        b.u32(uint32_t(rows.size())).u32(0).u32(0).u32(clrUsed).u32(0);
        b.zeros(size_t(headerSize - 40));
        b.b.insert(b.b.end(), extra.begin(), extra.end());
        for (int i = 0; i < tableEntries; ++i)
            b.u8(i).u8(255 - i).u8(i / 2).u8(0); // blue, green, red
        if (offBitsDelta > 0)
            b.zeros(size_t(offBitsDelta));
        b.b.insert(b.b.end(), rows.begin(), rows.end());
        return b.b;
    }
};

HDIB readBmp(const std::vector<BYTE>& bytes) {
    CMemFile f(bytes.data(), bytes.size());
    return ReadBmpFile(&f);
}

TEST(V3dBmpReader, DepthsTablesAndRowOrder) {
    // 8 bits, bottom-up, with its table.
    Bmp b8;
    b8.bits = 8, b8.tableEntries = 256, b8.rows = {1, 2, 0, 0, 3, 4, 0, 0};
    HDIB d8 = readBmp(b8.build());
    ASSERT_NE(d8, nullptr);
    EXPECT_EQ(v3dtest::Sample(d8, 0, 0), 3); // the last stored row is the top
    RgbEntry t[256];
    ASSERT_EQ(DibGetColorTable(d8, t), 1);
    EXPECT_EQ(t[10].red, 5);
    EXPECT_EQ(t[10].green, 245);
    GlobalFree(d8);

    // 24 bits top-down: flipped into bottom-up rows.
    Bmp td;
    td.height = -2;
    td.rows = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    HDIB d24 = readBmp(td.build());
    ASSERT_NE(d24, nullptr);
    EXPECT_EQ(v3dtest::Height(d24), 2);
    EXPECT_EQ(v3dtest::Sample(d24, 0, 0, 0), 3); // top row first in the file
    EXPECT_EQ(v3dtest::Sample(d24, 1, 1, 2), 10);
    GlobalFree(d24);

    // 32 bits become 24: the first three bytes of each pixel.
    Bmp b32;
    b32.bits = 32, b32.width = 3, b32.height = 1, b32.rows = {1, 2, 3, 99, 4, 5, 6, 99, 7, 8, 9, 99};
    HDIB d32 = readBmp(b32.build());
    ASSERT_NE(d32, nullptr);
    EXPECT_EQ(v3dtest::BitCount(d32), 24);
    EXPECT_EQ(v3dtest::Sample(d32, 2, 0, 0), 9);
    EXPECT_EQ(v3dtest::Sample(d32, 2, 0, 2), 7);
    GlobalFree(d32);

    // 32-bit bit fields with the usual masks after a 40-byte header.
    Bmp bf = b32;
    bf.compression = 3;
    bf.extra = Bytes().u32(0xFF0000).u32(0xFF00).u32(0xFF).b;
    HDIB dbf = readBmp(bf.build());
    ASSERT_NE(dbf, nullptr);
    EXPECT_EQ(v3dtest::Sample(dbf, 1, 0, 0), 6);
    GlobalFree(dbf);
    bf.extra = Bytes().u32(0xFF).u32(0xFF00).u32(0xFF0000).b; // red and blue the other way
    EXPECT_EQ(readBmp(bf.build()), nullptr);

    // 16 bits without a table: grey samples under the grey ramp.
    Bmp b16;
    b16.bits = 16, b16.height = 1, b16.rows = {0x34, 0x12, 0xFF, 0xFF};
    HDIB d16 = readBmp(b16.build());
    ASSERT_NE(d16, nullptr);
    EXPECT_EQ(v3dtest::Sample(d16, 0, 0), 0x1234);
    DibGetColorTable(d16, t);
    EXPECT_EQ(t[77].red, 77);
    GlobalFree(d16);

    // 48 bits.
    Bmp b48;
    b48.bits = 48, b48.width = 1, b48.height = 1, b48.rows = {1, 0, 2, 0, 0x10, 0x27, 0, 0};
    HDIB d48 = readBmp(b48.build());
    ASSERT_NE(d48, nullptr);
    EXPECT_EQ(v3dtest::Sample(d48, 0, 0, 0), 10000);
    GlobalFree(d48);

    // A 108-byte header: the table follows the whole header; biClrUsed counts it.
    Bmp v4;
    v4.headerSize = 108, v4.bits = 8, v4.clrUsed = 4, v4.tableEntries = 4, v4.height = 1,
    v4.rows = {3, 2, 0, 0};
    HDIB dv4 = readBmp(v4.build());
    ASSERT_NE(dv4, nullptr);
    DibGetColorTable(dv4, t);
    EXPECT_EQ(t[3].green, 252);
    EXPECT_EQ(t[4].green, 0);
    EXPECT_EQ(v3dtest::Sample(dv4, 0, 0), 3);
    GlobalFree(dv4);
}

TEST(V3dBmpReader, CraftedHeadersFailBeforeAnythingIsAllocated) {
    Bmp good;
    good.rows = std::vector<BYTE>(16, 7);
    HDIB ok = readBmp(good.build());
    ASSERT_NE(ok, nullptr);
    GlobalFree(ok);

    std::vector<std::pair<const char*, std::vector<BYTE>>> cases;
    auto add = [&](const char* name, Bmp b) { cases.emplace_back(name, b.build()); };
    Bmp b = good;
    b.compression = 1, b.bits = 8, b.tableEntries = 256;
    add("run-length", b);
    b = good, b.width = 0;
    add("width 0", b);
    b = good, b.width = -2;
    add("negative width", b);
    b = good, b.height = 0;
    add("height 0", b);
    b = good, b.bits = 4;
    add("4 bits", b);
    b = good, b.headerSize = 64;
    add("odd header size", b);
    b = good, b.bits = 8, b.clrUsed = 300, b.tableEntries = 256;
    add("too many colours", b);
    b = good, b.bits = 8, b.tableEntries = 16;
    add("table not in the file", b);
    b = good, b.offBitsDelta = -30;
    add("bits inside the header", b);
    b = good, b.rows.resize(15);
    add("a row byte short", b);
    b = good, b.width = 0x7FFFFFF0, b.height = 0x7FFFFFF0;
    add("absurd size", b);
    std::vector<BYTE> bigOff = good.build();
    le::put32(bigOff.data() + 10, 0xFFFFFFF0u);
    cases.emplace_back("offset past the end", bigOff);
    std::vector<BYTE> notBm = good.build();
    notBm[0] = 'X';
    cases.emplace_back("signature", notBm);
    for (const auto& [name, bytes] : cases)
        EXPECT_EQ(readBmp(bytes), nullptr) << name;
    // Every truncation of a good file fails cleanly.
    const std::vector<BYTE> full = good.build();
    for (size_t n = 0; n < full.size(); ++n)
        EXPECT_EQ(readBmp(std::vector<BYTE>(full.begin(), full.begin() + long(n))), nullptr) << n;
}

HDIB readTxt(const std::string& text, int depth, int w, int h, bool comma, int* type) {
    CMemFile f(text.data(), text.size());
    return ReadTxtFile(&f, depth, w, h, comma, type);
}

TEST(V3dTxtReader, LineEndsOfEveryKindEndValuesAndRowsFollowTheWidth) {
    int type = -1;
    for (const char* text : {"1,2,3\n4,5,6\n", "1,2,3\r\n4,5,6\r\n", "1,2,3\r4,5,6\r", "1,2,3\n4,5,6"}) {
        HDIB d = readTxt(text, 0, 3, 2, true, &type);
        ASSERT_NE(d, nullptr) << text;
        EXPECT_EQ(type, 0);
        EXPECT_EQ(v3dtest::Sample(d, 0, 0), 1) << text;
        EXPECT_EQ(v3dtest::Sample(d, 2, 0), 3) << text;
        EXPECT_EQ(v3dtest::Sample(d, 0, 1), 4) << text; // no line feed in a value
        EXPECT_EQ(v3dtest::Sample(d, 2, 1), 6) << text; // the last value needs no separator
        GlobalFree(d);
    }
    // Values are not realigned at line ends: every width values make a row.
    HDIB d = readTxt("1\t2\t3\t4\n5\t6\n", 3, 3, 2, false, &type);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(type, 6);
    EXPECT_EQ(v3dtest::BitCount(d), 16);
    EXPECT_EQ(v3dtest::Sample(d, 0, 1), 4);
    EXPECT_EQ(v3dtest::Sample(d, 2, 1), 6);
    GlobalFree(d);
    // Clamping by depth; empty values are 0; a short text leaves the rest 0.
    d = readTxt("5000,-3,,1023,99999", 2, 5, 2, true, &type);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(type, 5);
    EXPECT_EQ(v3dtest::Sample(d, 0, 0), 4095);
    EXPECT_EQ(v3dtest::Sample(d, 1, 0), 0);
    EXPECT_EQ(v3dtest::Sample(d, 2, 0), 0);
    EXPECT_EQ(v3dtest::Sample(d, 3, 0), 1023);
    EXPECT_EQ(v3dtest::Sample(d, 4, 0), 4095);
    EXPECT_EQ(v3dtest::Sample(d, 0, 1), 0);
    GlobalFree(d);
    d = readTxt("300,7", 0, 2, 1, true, &type);
    EXPECT_EQ(v3dtest::Sample(d, 0, 0), 255);
    GlobalFree(d);
    d = readTxt("300,7", 1, 2, 1, true, &type);
    EXPECT_EQ(type, 4);
    EXPECT_EQ(v3dtest::Sample(d, 0, 0), 300);
    GlobalFree(d);

    EXPECT_EQ(readTxt("1", 4, 1, 1, true, &type), nullptr);
    EXPECT_EQ(readTxt("1", 0, 0, 1, true, &type), nullptr);
    EXPECT_EQ(readTxt("1", 0, 100000, 100000, true, &type), nullptr); // beyond the readers' limit
}

} // namespace
} // namespace v3d
