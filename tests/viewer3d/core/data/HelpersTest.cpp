// The 3D viewer's memory and geometry helpers, key/value lists, colour tables and thumbnail
// class.
#include "ReaderTestSupport.h"

#include "platform/Archive.h"
#include "platform/File.h"
#include "platform/Time.h"
#include "ui/resources/ResourceRegistry.h"
#include "viewer3d/core/data/KeyValueLists.h"
#include "viewer3d/core/data/MemoryHelpers.h"
#include "viewer3d/core/files/MyThumbnl.h"
#include "viewer3d/core/bitmaps/PaletteTable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <limits>
#include <new>

namespace v3d {
namespace {

TEST(V3dMemoryHelpers, BlocksAreZeroFilledResizedAndFreedOnce) {
    auto* p = static_cast<BYTE*>(AllocBytes(16));
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(p[i], 0);
    std::memset(p, 7, 16);
    p = static_cast<BYTE*>(ReallocArray(p, 4096));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[15], 7);
    EXPECT_EQ(p[16], 0);
    EXPECT_EQ(p[4095], 0);
    EXPECT_EQ(FreeArrayChecked(p), 1);
    EXPECT_EQ(FreeArrayChecked(nullptr), 1);
    int notABlock = 0;
    EXPECT_EQ(FreeArrayChecked(&notABlock), 0);

    void* fresh = ReallocArray(nullptr, 8);
    ASSERT_NE(fresh, nullptr);
    FreeArray(fresh);
    FreeArray(nullptr);
    EXPECT_EQ(AllocArray(std::numeric_limits<uint64_t>::max() / 2, 4), nullptr); // count x size overflows
    EXPECT_EQ(AllocBytes(kGlobalMaxBlock + 1), nullptr);
    EXPECT_THROW(AllocArrayOrThrow(kGlobalMaxBlock + 1), std::bad_alloc);
    void* arr = AllocArray(100, 8);
    ASSERT_NE(arr, nullptr);
    EXPECT_EQ(GlobalSize(GlobalHandle(arr)), 800u);
    FreeArray(arr);
}

TEST(V3dMemoryHelpers, PointsScaleInSixtyFourBitsAndADivisorOfZeroLeavesThem) {
    POINT pts[2] = {{5, 7}, {-5, 9}};
    EXPECT_EQ(ScalePoints(pts, 2, 3, 2), 6);
    EXPECT_EQ(pts[0].x, 3);
    EXPECT_EQ(pts[0].y, 4);
    EXPECT_EQ(pts[1].x, -3); // truncation toward zero
    EXPECT_EQ(pts[1].y, 6);

    POINT big{2000000000, -2000000000};
    EXPECT_EQ(ScalePoints(&big, 1, 4, 3), -1500000000); // 3 x 2e9 does not fit 32 bits
    EXPECT_EQ(big.x, 1500000000);
    POINT huge{2000000000, 1};
    ScalePoints(&huge, 1, 1, 4);
    EXPECT_EQ(huge.x, std::numeric_limits<LONG>::max());

    POINT kept{11, 13};
    EXPECT_EQ(ScalePoints(&kept, 1, 0, 5), 13);
    EXPECT_EQ(kept.x, 11);
    EXPECT_EQ(ScalePoints(nullptr, 3, 1, 1), 0);

    RECT r{10, 20, 30, 40};
    EXPECT_EQ(ScaleRectPoints(&r, 10, 5), 20);
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.top, 10);
    EXPECT_EQ(r.right, 15);

    RECT n;
    EXPECT_EQ(MakeNormalRect(&n, 10, 5, 2, 8), &n);
    EXPECT_EQ(n.left, 2);
    EXPECT_EQ(n.top, 5);
    EXPECT_EQ(n.right, 10);
    EXPECT_EQ(n.bottom, 8);
}

TEST(V3dMemoryHelpers, IntervalThrottleOnTheWrappingTickCount) {
    ScopedManualClock clock(1000);
    DWORD stored = 0;
    EXPECT_EQ(IsIntervalElapsed(&stored, 100), 1); // a stored tick of 0 counts at once
    EXPECT_EQ(stored, 1000u);
    clock.Advance(1);
    EXPECT_EQ(IsIntervalElapsed(&stored, 100), 0);
    clock.Advance(98);
    EXPECT_EQ(IsIntervalElapsed(&stored, 100), 0);
    clock.Advance(1);
    EXPECT_EQ(IsIntervalElapsed(&stored, 100), 1);
    EXPECT_EQ(stored, 1100u);
    // After the counter wraps, the stored tick lies above the count: elapsed.
    stored = 0xFFFFFFF0u;
    clock.Set(5);
    EXPECT_EQ(IsIntervalElapsed(&stored, 100), 1);
    EXPECT_EQ(stored, 5u);
}

TEST(V3dKeyValueLists, PairsReplaceInPlaceGrowAtTheEndAndCopyInOrder) {
    StrPairList head, other;
    SetPairListValue(&head, "Ra", "1.0");
    SetPairListValue(&head, "Rz", "2.0");
    SetPairListValue(&head, "Ra", "3.5"); // replaced in place
    ASSERT_EQ(CountPairs(&head), 2);
    EXPECT_STREQ(GetPairKey(&head, 0), "Ra");
    EXPECT_STREQ(GetPairValue(&head, 0), "3.5");
    SetPairListValue(&head, "Rzjis", "4");
    EXPECT_EQ(CountPairs(&head), 3);
    EXPECT_STREQ(GetPairKey(&head, 2), "Rzjis");
    EXPECT_EQ(GetPairKey(&head, 3), nullptr);
    EXPECT_EQ(GetPairValue(&head, -1), nullptr);

    AppendPair(&other, "old", "x");
    AppendPair(&other, "older", "y");
    CopyPairList(&head, &other);
    ASSERT_EQ(CountPairs(&other), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_STREQ(GetPairKey(&other, i), GetPairKey(&head, i));
        EXPECT_NE(GetPairKey(&other, i), GetPairKey(&head, i)); // own copies
    }
    CopyPairList(&other, &other); // onto itself: nothing lost
    EXPECT_EQ(CountPairs(&other), 3);
    ClearPairList(&head);
    ClearPairList(&other);
    ClearPairList(nullptr);
    EXPECT_EQ(CountPairs(&head), 0);
    EXPECT_EQ(head.next, nullptr);
}

TEST(V3dKeyValueLists, NamedValuesKeepDuplicatesAndGiveNeutralResultsOutOfRange) {
    NamedValueList head, copy;
    AppendNamedValue(&head, "Rz", 1.5);
    AppendNamedValue(&head, "Rz", 2.5);
    AppendNamedValue(&head, "Ra", -0.25);
    EXPECT_EQ(CountNamedValues(&head), 3);
    EXPECT_DOUBLE_EQ(GetNamedValue(&head, 1), 2.5);
    EXPECT_STREQ(GetValueName(&head, 2), "Ra");
    EXPECT_DOUBLE_EQ(GetNamedValue(&head, 3), 0.0);
    EXPECT_EQ(GetValueName(&head, 3), nullptr);
    AppendNamedValue(&copy, "gone", 9);
    CopyValueList(&head, &copy);
    ASSERT_EQ(CountNamedValues(&copy), 3);
    EXPECT_DOUBLE_EQ(GetNamedValue(&copy, 2), -0.25);
    ClearValueList(&head);
    ClearValueList(&copy);
    EXPECT_EQ(CountNamedValues(&copy), 0);
}

class V3dPaletteTable : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(ui::LoadProgramResources("brelvoxa", &error)) << error;
    }
    void TearDown() override { ui::Resources().Clear(); }
};

TEST_F(V3dPaletteTable, GreyRampTellingRowsAndAbsentTables) {
    RgbEntry t[256];
    ASSERT_EQ(LoadPaletteTable(t, -1), 1);
    EXPECT_EQ(t[200].red, 200);
    EXPECT_EQ(t[200].green, 200);
    EXPECT_EQ(t[200].blue, 200);
    EXPECT_EQ(t[200].reserved, 0);

    ASSERT_EQ(LoadPaletteTable(t, 6), 1); // 4707, the blue ramp
    EXPECT_EQ(t[255].red, 0);
    EXPECT_EQ(t[255].green, 0);
    EXPECT_EQ(t[255].blue, 255);
    EXPECT_EQ(t[255].reserved, 0);

    // The telling rows of the first ten tables, entries 0, 64, 128, 192, 255.
    const int rows[10][5][3] = {
        {{0, 0, 254}, {0, 254, 252}, {4, 254, 0}, {254, 252, 0}, {254, 0, 0}},
        {{0, 0, 255}, {0, 160, 255}, {0, 255, 0}, {255, 160, 0}, {255, 4, 0}},
        {{254, 13, 0}, {123, 0, 254}, {0, 254, 250}, {132, 254, 0}, {254, 0, 0}},
        {{0, 254, 254}, {127, 0, 254}, {254, 17, 0}, {111, 254, 0}, {0, 242, 254}},
        {{0, 242, 254}, {115, 254, 0}, {254, 13, 0}, {123, 0, 254}, {0, 254, 254}},
        {{0, 0, 0}, {86, 65, 20}, {142, 110, 30}, {199, 155, 40}, {254, 200, 49}},
        {{0, 0, 0}, {0, 0, 64}, {0, 0, 128}, {0, 0, 192}, {0, 0, 255}},
        {{0, 0, 0}, {0, 64, 0}, {0, 128, 0}, {0, 192, 0}, {0, 255, 0}},
        {{0, 0, 0}, {64, 0, 0}, {128, 0, 0}, {192, 0, 0}, {255, 0, 0}},
        {{0, 0, 0}, {64, 64, 0}, {128, 128, 0}, {192, 192, 0}, {255, 255, 0}},
    };
    const int at[5] = {0, 64, 128, 192, 255};
    for (int p = 0; p < 10; ++p) {
        ASSERT_EQ(LoadPaletteTable(t, p), 1) << p;
        for (int k = 0; k < 5; ++k) {
            EXPECT_EQ(t[at[k]].red, rows[p][k][0]) << p << "/" << at[k];
            EXPECT_EQ(t[at[k]].green, rows[p][k][1]) << p << "/" << at[k];
            EXPECT_EQ(t[at[k]].blue, rows[p][k][2]) << p << "/" << at[k];
        }
        // Between the telling rows the tables are ramps: no step larger than the knots' one.
        EXPECT_LE(std::abs(t[32].red - (rows[p][0][0] + rows[p][1][0]) / 2), 1) << p;
    }
    for (int p : {10, 14, 24, 30}) {
        EXPECT_EQ(LoadPaletteTable(t, p), 1) << p;
    }
    t[0].red = 77;
    EXPECT_EQ(LoadPaletteTable(t, 15), 0); // 4716 does not exist
    EXPECT_EQ(LoadPaletteTable(t, 23), 0); // 4724
    EXPECT_EQ(LoadPaletteTable(t, 31), 0); // 4732
    EXPECT_EQ(t[0].red, 77);               // left as it was
}

TEST_F(V3dPaletteTable, LanguageBundleTablesComeFirstAndWrongSizesAreRefused) {
    v3dtest::ScratchDir dir;
    std::vector<BYTE> table(2048, 0);
    for (int i = 0; i < 256; ++i) {
        table[8 * i] = 0x11;     // red low byte
        table[8 * i + 1] = 0x7F; // high byte, ignored
        table[8 * i + 4] = static_cast<BYTE>(255 - i);
    }
    v3dtest::WriteBytes(dir.Path("t.bin"), table);
    v3dtest::WriteBytes(dir.Path("short.bin"), std::vector<BYTE>(2047, 1));
    v3dtest::WriteText(dir.Path("bundle.txt"), "DATA 4707 \"t.bin\"\nDATA 4708 \"short.bin\"\n");
    ASSERT_TRUE(ui::LoadLanguageBundle(dir.Path("")));
    RgbEntry t[256];
    ASSERT_EQ(LoadPaletteTable(t, 6), 1);
    EXPECT_EQ(t[0].red, 0x11);
    EXPECT_EQ(t[0].blue, 255);
    EXPECT_EQ(t[255].blue, 0);
    EXPECT_EQ(LoadPaletteTable(t, 7), 0);
    EXPECT_EQ(LoadPaletteTable(t, 8), 1); // the program's own 4709 stays
}

TEST(V3dThumbnail, StoresAndLoadsThroughTheArchiveByItsClassName) {
    // A 2 x 2 24-bit BMP file.
    v3dtest::Bytes f;
    f.u16(0x4D42).u32(14 + 40 + 16).u32(0).u32(54);
    f.u32(40).u32(2).u32(2).u16(1).u16(24).u32(0).u32(16).zeros(16);
    f.u8(1).u8(2).u8(3).u8(4).u8(5).u8(6).zeros(2).u8(7).u8(8).u8(9).u8(10).u8(11).u8(12).zeros(2);
    CMemFile in(f.b.data(), f.b.size());
    CMyThumbnl thumb;
    ASSERT_TRUE(thumb.ReadFromFile(&in));
    EXPECT_STREQ(thumb.GetRuntimeClass()->m_lpszClassName, "CMyThumbnl");
    EXPECT_TRUE(thumb.IsKindOf(RUNTIME_CLASS(SECDib)));

    CMemFile mem;
    {
        CArchive ar(&mem, CArchive::store);
        ar << static_cast<const CObject*>(&thumb);
        ar.Close();
    }
    mem.SeekToBegin();
    CArchive ar(&mem, CArchive::load);
    CObject* obj = ar.ReadObject(RUNTIME_CLASS(SECDib));
    ASSERT_NE(obj, nullptr);
    EXPECT_STREQ(obj->GetRuntimeClass()->m_lpszClassName, "CMyThumbnl");
    auto* back = static_cast<SECDib*>(obj);
    EXPECT_EQ(back->GetWidth(), 2u);
    EXPECT_EQ(back->GetHeight(), 2u);
    EXPECT_EQ(std::memcmp(back->m_bits, thumb.m_bits, 16), 0);
    delete obj;
}

} // namespace
} // namespace v3d
