// Document files: the TDV003 header field by field, planes of every type written and read
// back, hand-built TDV002 and TDV001 files and their conversions, and damaged files.
#include "ReaderTestSupport.h"

#include "platform/File.h"
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/core/data/SlotImageType.h"
#include "viewer3d/core/files/TdvFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace v3d;
using v3dtest::Sample;

namespace {

struct Dib {
    HDIB h = nullptr;
    explicit Dib(HDIB d = nullptr) : h(d) {}
    ~Dib() {
        if (h)
            GlobalFree(h);
    }
    Dib(const Dib&) = delete;
    Dib& operator=(const Dib&) = delete;
};

// A bitmap of the type's kind whose sample (x, y, plane) is a pattern within the type's range.
HDIB patterned(int type, int w, int h) {
    HDIB dib = v3d::DibCreate(w, h, SlotTypeDibKind(type));
    GlobalLockGuard lock(dib);
    BYTE* bits = v3d::DibGetBits(lock.get());
    const int bc = DibGetBitCount(lock.get());
    const uint64_t stride = DibStride(w, bc);
    const int maximum = SlotTypeMaxValue(type);
    for (int y = 0; y < h; ++y) {
        BYTE* row = bits + uint64_t(h - 1 - y) * stride;
        for (int x = 0; x < w; ++x)
            for (int s = 0; s < (bc == 24 || bc == 48 ? 3 : 1); ++s) {
                const int v = (x * 37 + y * 101 + s * 13 + 5) % (maximum + 1);
                if (bc == 8)
                    row[x] = BYTE(v);
                else if (bc == 16)
                    le::put16(row + 2 * x, uint16_t(v));
                else if (bc == 24)
                    row[3 * x + 2 - s] = BYTE(v);
                else
                    le::put16(row + 6 * x + 2 * (2 - s), uint16_t(v));
            }
    }
    return dib;
}

TdvFields sampleFields() {
    TdvFields f;
    f.view.contourCount = 12;
    f.view.zoom = 2.5;
    f.view.SetCommentUtf8("表面");
    f.measure.lineCount = 3;
    f.measure.measured = {1, 2, 3, 4};
    f.textureType = 3;
    f.heightType = 6;
    f.pitch = 0.75;
    f.calib = CalibRecord{"ｍｍ", 0.125, "μｍ"};
    f.maxValue = 4000;
    f.baseOffset = -12.5;
    return f;
}

std::vector<BYTE> writeToMemory(const TdvFields& f, HDIB tex, HDIB height, int* result = nullptr) {
    CMemFile mem;
    const int r = WriteTdvFile(&mem, f, tex, height);
    if (result)
        *result = r;
    return mem.Data();
}

} // namespace

TEST(TdvFileTest, HeaderFieldsAtTheirOffsets) {
    Dib tex(patterned(3, 3, 2)), height(patterned(6, 3, 2));
    const TdvFields f = sampleFields();
    int result = 0;
    const auto bytes = writeToMemory(f, tex.h, height.h, &result);
    ASSERT_EQ(result, 1);
    ASSERT_EQ(bytes.size(), 580u + 3 * 2 * 3 + 3 * 2 * 2);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "TDV003");
    const auto view = f.view.Encode();
    EXPECT_EQ(std::memcmp(&bytes[6], view.data(), 388), 0);
    const auto measure = f.measure.Encode();
    EXPECT_EQ(std::memcmp(&bytes[394], measure.data(), 100), 0);
    EXPECT_EQ(le::getS32(&bytes[494]), 3);
    EXPECT_EQ(le::getS32(&bytes[498]), 2);
    EXPECT_EQ(le::getS32(&bytes[502]), 3);
    EXPECT_EQ(le::getS32(&bytes[506]), 6);
    EXPECT_EQ(le::getDouble(&bytes[510]), 0.75);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[518])), "\x82\x8d\x82\x8d"); // ｍｍ in CP932
    EXPECT_EQ(bytes[538], 0);
    EXPECT_EQ(le::getDouble(&bytes[539]), 0.125);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[547])), "\x83\xca\x82\x8d"); // μｍ
    EXPECT_EQ(le::getS32(&bytes[568]), 4000);
    EXPECT_EQ(le::getDouble(&bytes[572]), -12.5);
    // Planes: top row first, colour planes red, green, blue; then u16 heights.
    EXPECT_EQ(bytes[580], Sample(tex.h, 0, 0, 0));
    EXPECT_EQ(bytes[580 + 1], Sample(tex.h, 1, 0, 0));
    EXPECT_EQ(bytes[580 + 3], Sample(tex.h, 0, 1, 0));
    EXPECT_EQ(bytes[580 + 6], Sample(tex.h, 0, 0, 1));
    EXPECT_EQ(bytes[580 + 12], Sample(tex.h, 0, 0, 2));
    EXPECT_EQ(le::get16(&bytes[580 + 18 + 2 * 4]), Sample(height.h, 1, 1));
}

TEST(TdvFileTest, EveryPlaneTypeReadsBackAsWritten) {
    for (int type : {0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 17}) {
        SCOPED_TRACE(type);
        Dib tex(patterned(type, 5, 3)), height(patterned(6, 5, 3));
        if (type == 1 || (type >= 10 && type <= 12)) {
            RgbEntry table[256];
            for (int i = 0; i < 256; ++i)
                table[i] = RgbEntry{BYTE(255 - i), BYTE(i / 2), BYTE(i), 0};
            v3d::DibSetColorTable(tex.h, table);
        }
        TdvFields f = sampleFields();
        f.textureType = type;
        f.maxValue = -1;
        int result = 0;
        auto bytes = writeToMemory(f, tex.h, height.h, &result);
        ASSERT_EQ(result, 1);
        CMemFile mem(bytes);
        TdvFields back;
        HDIB h = nullptr;
        int version = 0;
        Dib got(ReadTdvFile(&mem, &back, &h, &version));
        Dib gotHeight(h);
        ASSERT_NE(got.h, nullptr);
        EXPECT_EQ(version, 3);
        EXPECT_EQ(back.view, f.view);
        EXPECT_EQ(back.measure, f.measure);
        EXPECT_EQ(back.pitch, f.pitch);
        EXPECT_EQ(back.calib.xyUnit, "ｍｍ");
        EXPECT_EQ(back.calib.zScale, 0.125);
        EXPECT_EQ(back.baseOffset, -12.5);
        ASSERT_EQ(v3dtest::BitCount(got.h), v3dtest::BitCount(tex.h));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                for (int s = 0; s < 3; ++s)
                    ASSERT_EQ(Sample(got.h, x, y, s), Sample(tex.h, x, y, s)) << x << "," << y << "," << s;
        if (type == 1 || (type >= 10 && type <= 12)) {
            RgbEntry a[256], b[256];
            v3d::DibGetColorTable(tex.h, a);
            v3d::DibGetColorTable(got.h, b);
            EXPECT_EQ(std::memcmp(a, b, sizeof a), 0);
        }
        EXPECT_EQ(Sample(gotHeight.h, 4, 2), Sample(height.h, 4, 2));
    }
}

TEST(TdvFileTest, RefusedTypesDepthsAndTheHeightLimit) {
    Dib tex(patterned(3, 2, 2)), height(patterned(6, 2, 2));
    TdvFields f = sampleFields();
    f.textureType = 2;
    int result = 1;
    writeToMemory(f, tex.h, height.h, &result);
    EXPECT_EQ(result, 0);
    f.textureType = 0; // a 24-bit bitmap is not an 8-bit plane
    writeToMemory(f, tex.h, height.h, &result);
    EXPECT_EQ(result, 0);

    // A 16-bit height plane with maximum 1023 in the header reads samples above it as 1023.
    Dib big(v3d::DibCreate(2, 1, kKindGrey16));
    {
        int v[2] = {5000, 700};
        GlobalLockGuard lock(big.h);
        v3d::DibWriteRow(v, lock.get(), 0, 0, 2);
    }
    Dib small(patterned(0, 2, 1));
    f = sampleFields();
    f.textureType = 0;
    f.maxValue = 1023;
    auto bytes = writeToMemory(f, small.h, big.h, &result);
    ASSERT_EQ(result, 1);
    CMemFile mem(bytes);
    TdvFields back;
    HDIB h = nullptr;
    Dib got(ReadTdvFile(&mem, &back, &h));
    Dib gotHeight(h);
    ASSERT_NE(got.h, nullptr);
    EXPECT_EQ(Sample(gotHeight.h, 0, 0), 1023);
    EXPECT_EQ(Sample(gotHeight.h, 1, 0), 700);
}

TEST(TdvFileTest, DamagedFilesFailWithoutAllocatingPastTheFile) {
    Dib tex(patterned(0, 4, 4)), height(patterned(6, 4, 4));
    TdvFields f = sampleFields();
    f.textureType = 0;
    int result = 0;
    const auto good = writeToMemory(f, tex.h, height.h, &result);
    ASSERT_EQ(result, 1);
    auto readBack = [](std::vector<BYTE> bytes, TdvFields* fields = nullptr) {
        CMemFile mem(std::move(bytes));
        TdvFields local;
        HDIB h = nullptr;
        HDIB t = ReadTdvFile(&mem, fields ? fields : &local, &h);
        const bool ok = t && h;
        if (t)
            GlobalFree(t);
        if (h)
            GlobalFree(h);
        return ok;
    };
    EXPECT_TRUE(readBack(good));
    EXPECT_FALSE(readBack(std::vector<BYTE>(good.begin(), good.begin() + 5)));
    auto wrongMagic = good;
    wrongMagic[5] = '4';
    EXPECT_FALSE(readBack(wrongMagic));
    EXPECT_FALSE(readBack(std::vector<BYTE>(good.begin(), good.begin() + 300))); // short header
    EXPECT_FALSE(readBack(std::vector<BYTE>(good.begin(), good.end() - 1)));     // short height plane
    auto huge = good;
    le::put32(&huge[494], 0x7FFFFFFF); // a plane far larger than the file
    le::put32(&huge[498], 0x7FFFFFFF);
    EXPECT_FALSE(readBack(huge));
    auto negative = good;
    le::put32(&negative[494], uint32_t(-4));
    EXPECT_FALSE(readBack(negative));
    // Pitch and z-scale not above 0 read as 1.0; NaN too.
    auto zero = good;
    le::putDouble(&zero[510], 0.0);
    le::putDouble(&zero[539], std::nan(""));
    TdvFields fields;
    ASSERT_TRUE(readBack(zero, &fields));
    EXPECT_EQ(fields.pitch, 1.0);
    EXPECT_EQ(fields.calib.zScale, 1.0);
    // A unit text filling all 21 bytes with its last character cut is held to 20 on a boundary.
    auto unit = good;
    std::memset(&unit[518], 'a', 19);
    unit[537] = '\x82';
    unit[538] = '\x8d';
    ASSERT_TRUE(readBack(unit, &fields));
    EXPECT_EQ(fields.calib.xyUnit, std::string(19, 'a'));
}

TEST(TdvFileTest, OlderVersionsConvertTheirStateBlocks) {
    // A TDV002 file: 380-byte block (ViewState bytes 0..371, display code, background), the
    // MeasureState, then the geometry at 486.
    ViewState v;
    v.contourCount = 20;
    v.zoom = 3;
    v.smoothingWidth = 2;
    const auto vb = v.Encode();
    MeasureState m;
    m.lineCount = 7;
    m.lineMode = 0;
    const auto mb = m.Encode();
    v3dtest::Bytes two;
    two.text("TDV002");
    two.b.insert(two.b.end(), vb.begin(), vb.begin() + 372);
    two.u32(2).u32(0x00FF00);
    two.b.insert(two.b.end(), mb.begin(), mb.end());
    two.u32(2).u32(1).u32(0).u32(6);
    const size_t pitchAt = two.b.size();
    two.zeros(8 + 21 + 8 + 21).u32(uint32_t(-1));
    le::putDouble(&two.b[pitchAt], 2.0);
    le::putDouble(&two.b[pitchAt + 29], 0.5);
    ASSERT_EQ(two.b.size(), 564u);
    two.u8(10).u8(20).u16(300).u16(400);
    CMemFile f2(two.b);
    TdvFields got;
    HDIB h = nullptr;
    int version = 0;
    HDIB t = ReadTdvFile(&f2, &got, &h, &version);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(version, 2);
    EXPECT_EQ(got.view.contourCount, 20);
    EXPECT_EQ(got.view.zoom, 3.0);
    EXPECT_EQ(got.view.smoothingWidth, 2);
    EXPECT_EQ(got.view.displayMode, 1);
    EXPECT_EQ(got.view.paletteIndex, 2);
    EXPECT_EQ(got.view.wireframeDivisions, 80);
    EXPECT_EQ(got.view.backgroundColor, 0x00FF00u);
    EXPECT_EQ(got.measure.lineCount, 7);
    EXPECT_EQ(got.pitch, 2.0);
    EXPECT_EQ(got.calib.zScale, 0.5);
    EXPECT_EQ(got.baseOffset, 0.0);
    EXPECT_EQ(Sample(t, 1, 0), 20);
    EXPECT_EQ(Sample(h, 1, 0), 400);
    GlobalFree(t);
    GlobalFree(h);

    // A TDV001 file: the 364-byte block in its own layout, 92 bytes of MeasureState at 370.
    v3dtest::Bytes one;
    one.text("TDV001");
    const size_t b0 = one.b.size();
    one.zeros(364);
    BYTE* s = &one.b[b0];
    le::put16(s + 0, 16);
    le::putDouble(s + 2, 4.0);
    le::putDouble(s + 22, 0.6); // preset Z scale
    le::put32(s + 30, 1);       // Z scale fixed
    le::putDouble(s + 46, 33.0);
    le::putDouble(s + 62, 1.5);
    le::put32(s + 94, 1);
    std::memcpy(s + 98, "old", 3);
    le::put32(s + 356, 1);
    le::put32(s + 360, 0x0000FF);
    MeasureState m1;
    m1.measured[2] = 9.5;
    const auto m1b = m1.Encode();
    one.b.insert(one.b.end(), m1b.begin(), m1b.begin() + 92);
    one.u32(1).u32(1).u32(0).u32(0);
    one.zeros(8 + 21 + 8 + 21).u32(uint32_t(-1));
    ASSERT_EQ(one.b.size(), 540u);
    one.u8(77).u8(88);
    CMemFile f1(one.b);
    t = ReadTdvFile(&f1, &got, &h, &version);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(version, 1);
    EXPECT_EQ(got.view.contourCount, 16);
    EXPECT_EQ(got.view.sliceLevel, 4.0);
    EXPECT_EQ(got.view.zScalePreset, 0.6);
    EXPECT_EQ(got.view.zScaleFixed, 1);
    EXPECT_EQ(got.view.rotationY, 33.0);
    EXPECT_EQ(got.view.zoom, 1.5);
    EXPECT_EQ(got.view.smoothingWidth, 1);
    EXPECT_EQ(got.view.CommentUtf8(), "old");
    EXPECT_EQ(got.view.displayMode, 1);
    EXPECT_EQ(got.view.paletteIndex, 1);
    EXPECT_EQ(got.view.backgroundColor, 0x0000FFu);
    EXPECT_EQ(got.view.scaleLinesShown, 1);
    EXPECT_EQ(got.view.zScaleFreeOn, 0);
    EXPECT_EQ(got.view.zScaleFree, 1.0);
    EXPECT_EQ(got.view.wireframeDivisions, 80);
    EXPECT_EQ(got.measure.measured[2], 9.5);
    EXPECT_EQ(got.measure.lineMode, 0);
    EXPECT_EQ(got.measure.lineCount, 1);
    EXPECT_EQ(got.pitch, 1.0); // stored 0
    EXPECT_EQ(Sample(t, 0, 0), 77);
    EXPECT_EQ(Sample(h, 0, 0), 88);
    GlobalFree(t);
    GlobalFree(h);
}

TEST(TdvFileTest, ShortColourTableKeepsTheGreyRampAndSaveIsAtomic) {
    Dib tex(patterned(1, 2, 2)), height(patterned(6, 2, 2));
    RgbEntry red[256];
    for (auto& e : red)
        e = RgbEntry{200, 0, 0, 0};
    v3d::DibSetColorTable(tex.h, red);
    TdvFields f = sampleFields();
    f.textureType = 1;
    int result = 0;
    const auto bytes = writeToMemory(f, tex.h, height.h, &result);
    ASSERT_EQ(result, 1);
    // A type-1 plane at the end of the file whose colour table came short keeps the grey ramp.
    TdvFields g = sampleFields();
    g.textureType = 0;
    g.heightType = 1;
    Dib grey(patterned(0, 2, 2));
    auto tail = writeToMemory(g, grey.h, tex.h, &result);
    ASSERT_EQ(result, 1);
    tail.resize(tail.size() - 100);
    CMemFile mem(tail);
    TdvFields back;
    HDIB h = nullptr;
    Dib got(ReadTdvFile(&mem, &back, &h));
    Dib gotHeight(h);
    ASSERT_NE(gotHeight.h, nullptr);
    RgbEntry table[256];
    v3d::DibGetColorTable(gotHeight.h, table);
    EXPECT_EQ(table[7].red, 7);
    EXPECT_EQ(table[7].green, 7);

    // Saving to a file: the target is replaced only by a complete file.
    v3dtest::ScratchDir dir;
    const std::string path = dir.Path("doc.tdv");
    v3dtest::WriteText(path, "old");
    TdvFields wrong = f;
    wrong.heightType = 2; // refused: the old file stays
    EXPECT_EQ(SaveTdvFile(path, wrong, tex.h, height.h), 0);
    CFile old(path, CFile::modeRead);
    EXPECT_EQ(old.GetLength(), 3u);
    EXPECT_EQ(SaveTdvFile(path, f, tex.h, height.h), 1);
    CFile now(path, CFile::modeRead);
    EXPECT_EQ(now.GetLength(), bytes.size());
    EXPECT_EQ(SaveTdvFile(dir.Path("missing/doc.tdv"), f, tex.h, height.h), -1);
}
