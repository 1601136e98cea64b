// Height files (.frn) of every header version, built byte by byte.
#include "ReaderTestSupport.h"

#include "platform/Encoding.h"
#include "platform/File.h"
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/core/files/ImageReaders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace v3d {
namespace {

// A 512-byte header of zeros with texts and numbers placed at their offsets.
struct FrnFile {
    std::vector<BYTE> bytes = std::vector<BYTE>(512, 0);
    FrnFile& at(size_t offset, const std::string& text) {
        std::memcpy(bytes.data() + offset, text.data(), text.size());
        return *this;
    }
    FrnFile& binaryDouble(size_t offset, double v) {
        le::putDouble(bytes.data() + offset, v);
        return *this;
    }
    FrnFile& samples8(std::initializer_list<int> v) {
        for (int s : v)
            bytes.push_back(static_cast<BYTE>(s));
        return *this;
    }
    FrnFile& samples16(std::initializer_list<int> v) {
        for (int s : v)
            bytes.push_back(static_cast<BYTE>(s & 0xFF)), bytes.push_back(static_cast<BYTE>(s >> 8));
        return *this;
    }
};

struct Result {
    HDIB dib = nullptr;
    FrnInfo info;
    double pitch = -7;
    CalibRecord calib;
    ~Result() { GlobalFree(dib); }
};

void read(const std::vector<BYTE>& bytes, Result& r) {
    r.calib.zScale = -7;
    CMemFile f(bytes.data(), bytes.size());
    r.dib = ReadFrnFile(&f, &r.info, &r.pitch, &r.calib);
}

TEST(V3dFrnReader, VersionBelowTwoReadsTextFieldsAndEightBitSamples) {
    FrnFile f;
    f.at(0, "INDEX\n")
        .at(16, "   3    2\n")
        .at(32, "1.250000000000000e+00 um\n")
        .at(72, "2.000000000000000e-03 nm\n");
    f.samples8({1, 2, 3, 4, 5, 250});
    Result r;
    read(f.bytes, r);
    ASSERT_NE(r.dib, nullptr);
    EXPECT_EQ(v3dtest::BitCount(r.dib), 8);
    EXPECT_EQ(v3dtest::Width(r.dib), 3);
    EXPECT_EQ(v3dtest::Sample(r.dib, 0, 0), 1); // file row 0 is the top row
    EXPECT_EQ(v3dtest::Sample(r.dib, 2, 1), 250);
    EXPECT_EQ(r.info.type, 0);
    EXPECT_EQ(r.info.windowStart, -1);
    EXPECT_EQ(r.info.largest, -1);
    EXPECT_DOUBLE_EQ(r.pitch, 1.25);
    EXPECT_EQ(r.calib.xyUnit, "um");
    EXPECT_DOUBLE_EQ(r.calib.zScale, 0.002);
    EXPECT_EQ(r.calib.zUnit, "nm");
}

TEST(V3dFrnReader, VersionTwoKeepsTheScaleAtEightyAndTheTypeAtZero) {
    FrnFile f;
    f.at(0, "INDEX2.0-FRN\n").at(16, "   2    1\n").at(32, "5.000000000000000e-01 mm\n");
    f.at(72, "9.9e+00 xx\n").at(80, "3.000000000000000e+00 um\n").at(416, " 6\n");
    f.samples8({7, 8});
    Result r;
    read(f.bytes, r);
    ASSERT_NE(r.dib, nullptr);
    EXPECT_EQ(r.info.type, 0); // the type field counts from version 3
    EXPECT_DOUBLE_EQ(r.pitch, 0.5);
    EXPECT_DOUBLE_EQ(r.calib.zScale, 3.0);
    EXPECT_EQ(r.calib.zUnit, "um");
}

TEST(V3dFrnReader, VersionThreeTextPitchTwelveBitsClampedAndJapaneseUnits) {
    const std::string micro = Utf8ToCp932("μｍ");
    FrnFile f;
    f.at(0, "INDEX3.0-FRN\n").at(16, "   2    2\n").at(32, "4.500000000000000e-01 " + micro + "\n");
    f.at(80, "1.000000000000000e-01 " + micro + "\n").at(416, " 5\n").at(424, "  100   200\n");
    f.samples16({0, 4095, 4096, 60000});
    Result r;
    read(f.bytes, r);
    ASSERT_NE(r.dib, nullptr);
    EXPECT_EQ(v3dtest::BitCount(r.dib), 16);
    EXPECT_EQ(r.info.type, 5);
    EXPECT_EQ(r.info.windowStart, -1); // the window counts from version 4
    EXPECT_DOUBLE_EQ(r.pitch, 0.45);
    EXPECT_EQ(r.calib.xyUnit, "μｍ");
    EXPECT_EQ(v3dtest::Sample(r.dib, 1, 0), 4095);
    EXPECT_EQ(v3dtest::Sample(r.dib, 0, 1), 4095); // 4096 clamped to the 12-bit maximum
    EXPECT_EQ(v3dtest::Sample(r.dib, 1, 1), 4095);
}

TEST(V3dFrnReader, VersionFourBinaryPitchWindowAndSixteenBits) {
    FrnFile f;
    f.at(0, "INDEX4.0-FRN\n").at(16, "    2     1\n").binaryDouble(32, 0.125).at(41, "um\n");
    f.binaryDouble(80, 0.01).at(89, "nm\n").at(416, " 6\n").at(424, "  100  2000\n");
    f.samples16({65535, 1234});
    Result r;
    read(f.bytes, r);
    ASSERT_NE(r.dib, nullptr);
    EXPECT_DOUBLE_EQ(r.pitch, 0.125); // binary at 32, not text
    EXPECT_EQ(r.calib.xyUnit, "um");
    EXPECT_DOUBLE_EQ(r.calib.zScale, 0.01);
    EXPECT_EQ(r.calib.zUnit, "nm");
    EXPECT_EQ(r.info.type, 6);
    EXPECT_EQ(r.info.windowStart, 100);
    EXPECT_EQ(r.info.windowEnd, 2000);
    EXPECT_EQ(r.info.largest, -1);
    EXPECT_EQ(v3dtest::Sample(r.dib, 0, 0), 65535);
    EXPECT_EQ(v3dtest::Sample(r.dib, 1, 0), 1234);
}

TEST(V3dFrnReader, VersionsFiveToSevenLargestValueAndColourPlanes) {
    FrnFile v5;
    v5.at(0, "INDEX5.0-FRN\n").at(16, "    2     1\n").binaryDouble(32, 1).binaryDouble(80, 1);
    v5.at(416, " 4\n").at(460, "  300\n").samples16({299, 1000});
    Result r5;
    read(v5.bytes, r5);
    ASSERT_NE(r5.dib, nullptr);
    EXPECT_EQ(r5.info.largest, 300);
    EXPECT_EQ(v3dtest::Sample(r5.dib, 0, 0), 299);
    EXPECT_EQ(v3dtest::Sample(r5.dib, 1, 0), 300);

    // Version 6, 24-bit: a red plane, then green, then blue.
    FrnFile v6;
    v6.at(0, "INDEX6.0-FRN\n").at(16, "    2     1\n").binaryDouble(32, 2).binaryDouble(80, 3);
    v6.at(416, " 3\n").at(468, "    1\n").samples8({10, 11, 20, 21, 30, 31});
    Result r6;
    read(v6.bytes, r6);
    ASSERT_NE(r6.dib, nullptr);
    EXPECT_EQ(v3dtest::BitCount(r6.dib), 24);
    EXPECT_EQ(v3dtest::Sample(r6.dib, 1, 0, 0), 11);
    EXPECT_EQ(v3dtest::Sample(r6.dib, 1, 0, 1), 21);
    EXPECT_EQ(v3dtest::Sample(r6.dib, 1, 0, 2), 31);

    // Version 7, 48-bit 12-bit planes with two binary integers at 476 and 480.
    FrnFile v7;
    v7.at(0, "INDEX7.0-FRN\n").at(16, "    1     2\n").binaryDouble(32, 2).binaryDouble(80, 3);
    v7.at(416, " 8\n");
    le::put32(v7.bytes.data() + 476, 0x12345678);
    le::put32(v7.bytes.data() + 480, 0xFFFFFFFF);
    v7.samples16({100, 5000, 200, 201, 300, 301});
    Result r7;
    read(v7.bytes, r7);
    ASSERT_NE(r7.dib, nullptr);
    EXPECT_EQ(v3dtest::BitCount(r7.dib), 48);
    EXPECT_EQ(v3dtest::Sample(r7.dib, 0, 1, 0), 4095); // clamped
    EXPECT_EQ(v3dtest::Sample(r7.dib, 0, 0, 1), 200);
    EXPECT_EQ(v3dtest::Sample(r7.dib, 0, 1, 2), 301);
}

TEST(V3dFrnReader, HeaderlessFilesStartTheirSamplesAtByteTen) {
    std::vector<BYTE> f = {'3', ' ', '2', '\r', '\n', ' ', ' ', ' ', ' ', ' ', 9, 8, 7, 6, 5, 4};
    Result r;
    r.pitch = 42;
    read(f, r);
    ASSERT_NE(r.dib, nullptr);
    EXPECT_EQ(v3dtest::BitCount(r.dib), 8);
    EXPECT_EQ(v3dtest::Width(r.dib), 3);
    EXPECT_EQ(v3dtest::Height(r.dib), 2);
    EXPECT_EQ(v3dtest::Sample(r.dib, 0, 0), 9);
    EXPECT_EQ(v3dtest::Sample(r.dib, 2, 1), 4);
    EXPECT_EQ(r.info.type, 0);
    EXPECT_EQ(r.info.windowEnd, -1);
    EXPECT_EQ(r.pitch, 42); // nothing to take
}

TEST(V3dFrnReader, RefusedAndRepairedHeaders) {
    // Type 17 (8-byte samples) is refused.
    FrnFile t17;
    t17.at(0, "INDEX4.0-FRN\n").at(16, "    1     1\n").at(416, "17\n").samples8({0, 0, 0, 0, 0, 0, 0, 0});
    Result r17;
    read(t17.bytes, r17);
    EXPECT_EQ(r17.dib, nullptr);
    EXPECT_EQ(r17.pitch, -7); // nothing written on failure
    // Types whose samples no bitmap holds as the type says (two-byte colour pixels, negative
    // codes) are refused rather than read as bytes of another type; codes 13 and up are 8-bit.
    auto typed = [](const char* type, Result& r) {
        FrnFile t;
        t.at(0, "INDEX4.0-FRN\n").at(16, "    2     1\n").at(416, type).samples8({1, 2, 3, 4});
        read(t.bytes, r);
    };
    for (const char* type : {" 2\n", "-1\n", "-5\n"}) {
        Result rt;
        typed(type, rt);
        EXPECT_EQ(rt.dib, nullptr) << type;
    }
    Result r13;
    typed("13\n", r13);
    ASSERT_NE(r13.dib, nullptr);
    EXPECT_EQ(r13.info.type, 13);
    EXPECT_EQ(v3dtest::BitCount(r13.dib), 8);

    // Pitch and height scale that are not positive finite numbers become 1.0.
    FrnFile bad;
    bad.at(0, "INDEX4.0-FRN\n")
        .at(16, "    1     1\n")
        .binaryDouble(32, std::numeric_limits<double>::quiet_NaN());
    bad.binaryDouble(80, -2.0).samples8({5});
    Result rb;
    read(bad.bytes, rb);
    ASSERT_NE(rb.dib, nullptr);
    EXPECT_EQ(rb.pitch, 1.0);
    EXPECT_EQ(rb.calib.zScale, 1.0);

    // Unit texts run without a break up to the next field and are cut to 20 CP932 bytes on a
    // character boundary: 19 single bytes and a double-byte character do not fit.
    FrnFile longUnit;
    longUnit.at(0, "INDEX3.0-FRN\n").at(16, "   1    1\n");
    longUnit.at(32, "2.0e+00 abcdefghijklmnopqrs" + Utf8ToCp932("μ") + "tuvwxyzABCDEFGHIJKLMN");
    longUnit.samples8({1});
    Result rl;
    read(longUnit.bytes, rl);
    ASSERT_NE(rl.dib, nullptr);
    EXPECT_DOUBLE_EQ(rl.pitch, 2.0);
    EXPECT_EQ(rl.calib.xyUnit, "abcdefghijklmnopqrs");

    // Sizes that the samples do not fill, no size, and a short header.
    for (const char* dims : {"    3     3\n", "    0     4\n", "   -1    -1\n", "99999 99999\n"}) {
        FrnFile s;
        s.at(0, "INDEX4.0-FRN\n").at(16, dims).samples8({1, 2, 3, 4, 5, 6, 7, 8});
        Result rs;
        read(s.bytes, rs);
        EXPECT_EQ(rs.dib, nullptr) << dims;
    }
    FrnFile shortHeader;
    shortHeader.at(0, "INDEX4.0-FRN\n");
    shortHeader.bytes.resize(300);
    Result rh;
    read(shortHeader.bytes, rh);
    EXPECT_EQ(rh.dib, nullptr);
    Result empty;
    read({}, empty);
    EXPECT_EQ(empty.dib, nullptr);
}

} // namespace
} // namespace v3d
