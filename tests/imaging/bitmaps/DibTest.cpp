#include "imaging/bitmaps/Dib.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

// A raw block with a hand-made header, for layouts the program does not create itself.
std::vector<BYTE> infoBlock(DWORD headerSize, LONG w, LONG h, WORD bits, DWORD clrUsed, size_t extra) {
    std::vector<BYTE> b(headerSize + extra, 0);
    le::put32(b.data(), headerSize);
    le::put32(b.data() + 4, static_cast<uint32_t>(w));
    le::put32(b.data() + 8, static_cast<uint32_t>(h));
    le::put16(b.data() + 12, 1);
    le::put16(b.data() + 14, bits);
    le::put32(b.data() + 32, clrUsed);
    return b;
}

struct Locked {
    explicit Locked(HDIB h) : h(h), p(static_cast<BYTE*>(GlobalLock(h))) {}
    ~Locked() {
        GlobalUnlock(h);
        GlobalFree(h);
    }
    HDIB h;
    BYTE* p;
};

} // namespace

TEST(DibLayout, StridesRoundRowsUpToFourBytesIn64Bits) {
    EXPECT_EQ(DibStride(3, 24), 12u);
    EXPECT_EQ(DibStride(3, 16), 8u);
    EXPECT_EQ(DibStride(3, 48), 20u);
    EXPECT_EQ(DibStride(3, 8), 4u);
    EXPECT_EQ(DibStride(5, 1), 4u);
    EXPECT_EQ(DibStride(33, 1), 8u);
    EXPECT_EQ(DibStride(0, 24), 0u);
    EXPECT_EQ(DibStride(-4, 24), 0u);
    // 0x7FFFFFFF * 48 bits would wrap in 32 bits.
    EXPECT_EQ(DibStride(INT_MAX, 48), ((uint64_t(INT_MAX) * 48 + 31) >> 5) << 2);
}

TEST(DibLayout, EveryKindWritesItsHeaderAndBlockSize) {
    struct Case {
        int kind;
        WORD bits;
        size_t tableBytes; // counted in the block
    } cases[] = {{0, 8, 1024}, {1, 24, 4}, {2, 8, 1024}, {3, 16, 1024}, {4, 48, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        HDIB h = DibCreate(3, 5, c.kind);
        ASSERT_NE(h, nullptr);
        size_t stride = DibStride(3, c.bits);
        EXPECT_EQ(GlobalSize(h), 40 + c.tableBytes + 5 * stride);
        EXPECT_EQ(DibCreateBlockSize(3, 5, c.kind), GlobalSize(h));
        Locked l(h);
        BITMAPINFOHEADER hdr = BITMAPINFOHEADER::Read(l.p);
        EXPECT_EQ(hdr.biSize, 40u);
        EXPECT_EQ(hdr.biWidth, 3);
        EXPECT_EQ(hdr.biHeight, 5);
        EXPECT_EQ(hdr.biPlanes, 1);
        EXPECT_EQ(hdr.biBitCount, c.bits);
        EXPECT_EQ(hdr.biCompression, 0u);
        EXPECT_EQ(hdr.biSizeImage, 5 * stride);
        EXPECT_EQ(hdr.biClrUsed, 0u);
        EXPECT_EQ(DibGetWidth(l.p), 3);
        EXPECT_EQ(DibGetHeight(l.p), 5);
        EXPECT_EQ(DibGetBitCount(l.p), c.bits);
        // Only the 8-bit kinds have a table in the layout.
        size_t rowsAt = c.bits == 8 ? 40 + 1024 : 40;
        EXPECT_EQ(DibGetBits(l.p) - l.p, static_cast<ptrdiff_t>(rowsAt));
        EXPECT_EQ(DibColorTableSize(l.p), rowsAt - 40);
        for (size_t i = rowsAt; i < GlobalSize(h); ++i)
            ASSERT_EQ(l.p[i], 0) << i;
    }
}

TEST(DibLayout, GreyRampAndColourCubeTables) {
    Locked grey(DibCreate(2, 2, DIB_KIND_GREY8));
    Locked cube(DibCreate(2, 2, DIB_KIND_CUBE8));
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(le::get32(grey.p + 40 + i * 4), DWORD(i) * 0x010101u) << i;
    // Entry red 2, green 3, blue 4 holds blue, green, red bytes 204, 153, 102.
    EXPECT_EQ(le::get32(cube.p + 40 + 4 * (2 * 36 + 3 * 6 + 4)), 0x6699CCu);
    EXPECT_EQ(le::get32(cube.p + 40 + 4 * 215), 0xFFFFFFu);
    for (int i = 216 * 4; i < 1024; ++i)
        ASSERT_EQ(cube.p[40 + i], 0) << i;
}

TEST(DibLayout, HeaderFormsAndClrUsed) {
    // An 8-bit header with 16 colours used: a 64-byte table, rows at byte 104.
    auto b = infoBlock(40, 4, 2, 8, 16, 64 + 8);
    EXPECT_EQ(DibColorCount(b.data()), 16);
    EXPECT_EQ(DibColorTableSize(b.data()), 64u);
    EXPECT_EQ(DibGetBits(b.data()) - b.data(), 104);

    // Larger info headers are info headers: the fields stay where they are.
    auto v5 = infoBlock(124, 7, 9, 24, 0, 0);
    EXPECT_EQ(DibGetWidth(v5.data()), 7);
    EXPECT_EQ(DibGetHeight(v5.data()), 9);
    EXPECT_EQ(DibGetBitCount(v5.data()), 24);
    EXPECT_EQ(DibGetBits(v5.data()) - v5.data(), 124);

    // Core header: 16-bit fields and three-byte entries.
    std::vector<BYTE> core(12 + 16 * 3, 0);
    BITMAPCOREHEADER ch;
    ch.bcWidth = 300;
    ch.bcHeight = 200;
    ch.bcBitCount = 4;
    ch.Write(core.data());
    EXPECT_EQ(DibGetWidth(core.data()), 300);
    EXPECT_EQ(DibGetHeight(core.data()), 200);
    EXPECT_EQ(DibGetBitCount(core.data()), 4);
    EXPECT_EQ(DibColorCount(core.data()), 16);
    EXPECT_EQ(DibColorTableSize(core.data()), 48u);
    EXPECT_EQ(DibGetBits(core.data()) - core.data(), 60);

    // A first word that is neither 12 nor 40+ is no header: an empty bitmap.
    auto odd = infoBlock(20, 7, 9, 8, 0, 20);
    EXPECT_EQ(DibGetWidth(odd.data()), 0);
    EXPECT_EQ(DibGetHeight(odd.data()), 0);
    EXPECT_EQ(DibGetBitCount(odd.data()), 0);
    EXPECT_EQ(DibColorCount(odd.data()), 0);

    // Default counts by depth; biClrUsed is held in 16 bits without wrapping to 0.
    EXPECT_EQ(DibColorCount(infoBlock(40, 1, 1, 1, 0, 0).data()), 2);
    EXPECT_EQ(DibColorCount(infoBlock(40, 1, 1, 16, 0, 0).data()), 0);
    EXPECT_EQ(DibColorCount(infoBlock(40, 1, 1, 48, 0, 0).data()), 0);
    EXPECT_EQ(DibColorCount(infoBlock(40, 1, 1, 8, 0x10000, 0).data()), 0xFFFF);
}

TEST(DibCreate, RefusesUnknownKindsAndBadOrAbsurdSizes) {
    EXPECT_EQ(DibCreate(4, 4, 5), nullptr);
    EXPECT_EQ(DibCreate(4, 4, -1), nullptr);
    EXPECT_EQ(DibCreateOfKind(4, 4, DIB_KIND_CUBE8), nullptr);
    EXPECT_EQ(DibCreateOfKind(4, 4, 5), nullptr);
    for (int k : {0, 1, 3, 4}) {
        HDIB h = DibCreateOfKind(4, 4, k);
        EXPECT_NE(h, nullptr) << k;
        GlobalFree(h);
    }
    EXPECT_EQ(DibCreate(0, 4, 1), nullptr);
    EXPECT_EQ(DibCreate(4, 0, 1), nullptr);
    EXPECT_EQ(DibCreate(-4, 4, 1), nullptr);
    EXPECT_EQ(DibCreate(4, -4, 1), nullptr);
    // Row bytes that wrap 32 bits, and pixel data the header cannot record.
    EXPECT_EQ(DibCreate(INT_MAX, INT_MAX, DIB_KIND_RGB48), nullptr);
    EXPECT_EQ(DibCreate(70000, 70000, DIB_KIND_RGB24), nullptr);
    EXPECT_EQ(DibCreateBlockSize(70000, 70000, DIB_KIND_RGB24), 0u);
    EXPECT_EQ(DibCreateBlockSize(INT_MAX, 1, DIB_KIND_RGB48), 0u);
    // The largest size the header records is still a size, refused or not by the memory test.
    uint64_t big = DibCreateBlockSize(65536, 16383, DIB_KIND_GREY8);
    EXPECT_EQ(big, 40 + 1024 + uint64_t(65536) * 16383);
}

TEST(DibCopies, CreateLikeModes) {
    HDIB src = DibCreate(5, 3, DIB_KIND_RGB48);
    {
        GlobalLockGuard l(src);
        DibGetBits(l.get())[0] = 0x55;
    }
    Locked grey(DibCreateLike(src, 1));
    ASSERT_NE(grey.p, nullptr);
    EXPECT_EQ(DibGetBitCount(grey.p), 8);
    EXPECT_EQ(DibGetWidth(grey.p), 5);
    EXPECT_EQ(DibGetHeight(grey.p), 3);
    Locked g16(DibCreateLike(src, 2));
    EXPECT_EQ(DibGetBitCount(g16.p), 16);
    Locked same(DibCreateLike(src, 0));
    EXPECT_EQ(GlobalSize(same.h), GlobalSize(src));
    EXPECT_EQ(DibGetBitCount(same.p), 48);
    EXPECT_EQ(DibGetBits(same.p)[0], 0);
    EXPECT_EQ(DibCreateLike(src, 3), nullptr);
    EXPECT_EQ(DibCreateLike(nullptr, 1), nullptr);
    GlobalFree(src);

    // Mode 0 keeps a custom table.
    HDIB pal = DibCreate(2, 2, DIB_KIND_CUBE8);
    Locked like(DibCreateLike(pal, 0));
    EXPECT_EQ(like.p[40 + 4 * 215], 255);
    GlobalFree(pal);
}

TEST(DibCopies, RecreateKeepsTheDepthAndTakesTheRectangle) {
    const RECT r{10, 20, 17, 23};
    struct Case {
        int kind;
        WORD bits;
    } cases[] = {{0, 8}, {2, 8}, {1, 24}, {3, 16}, {4, 48}};
    for (const Case& c : cases) {
        Locked l(DibRecreate(DibCreate(2, 2, c.kind), &r));
        ASSERT_NE(l.p, nullptr);
        EXPECT_EQ(DibGetWidth(l.p), 7);
        EXPECT_EQ(DibGetHeight(l.p), 3);
        EXPECT_EQ(DibGetBitCount(l.p), c.bits);
    }
}

TEST(DibCopies, DuplicateAndCopyInto) {
    HDIB src = DibCreate(3, 3, DIB_KIND_RGB24);
    {
        GlobalLockGuard l(src);
        DibGetBits(l.get())[5] = 77;
    }
    Locked dup(DibDuplicate(src));
    ASSERT_NE(dup.p, nullptr);
    EXPECT_NE(dup.h, src);
    EXPECT_EQ(GlobalSize(dup.h), GlobalSize(src));
    EXPECT_EQ(DibGetBits(dup.p)[5], 77);
    EXPECT_EQ(DibDuplicate(nullptr), nullptr);

    // Same size: the target is reused.
    HDIB same = DibCreate(3, 3, DIB_KIND_RGB24);
    EXPECT_EQ(DibCopyInto(src, same), same);
    // Another size: the target is freed and a new handle returned.
    HDIB other = DibCreate(9, 9, DIB_KIND_GREY8);
    const void* oldPayload = GlobalLock(other);
    GlobalUnlock(other);
    HDIB fresh = DibCopyInto(src, other);
    ASSERT_NE(fresh, nullptr);
    // The old block is no longer registered (its payload may have been reused by the new one).
    HDIB owner = GlobalHandle(oldPayload);
    EXPECT_TRUE(owner == nullptr || owner == fresh);
    EXPECT_EQ(GlobalSize(fresh), GlobalSize(src));
    HDIB made = DibCopyInto(src, nullptr);
    for (HDIB h : {same, fresh, made}) {
        Locked l(h);
        EXPECT_EQ(DibGetBits(l.p)[5], 77);
        EXPECT_EQ(DibGetBitCount(l.p), 24);
    }
    HDIB keep = DibCreate(1, 1, DIB_KIND_GREY8);
    EXPECT_EQ(DibCopyInto(nullptr, keep), nullptr);
    EXPECT_EQ(GlobalSize(keep), DibCreateBlockSize(1, 1, DIB_KIND_GREY8));
    EXPECT_EQ(DibCopyInto(src, src), src);
    GlobalFree(keep);
    GlobalFree(src);
}

TEST(DibColorTable, CopiesTablesAndLeavesTablelessBitmapsAlone) {
    HDIB cube = DibCreate(2, 2, DIB_KIND_CUBE8);
    HDIB grey = DibCreate(2, 2, DIB_KIND_GREY8);
    std::vector<RGBQUAD> t(256);
    EXPECT_EQ(DibGetColorTable(cube, t.data()), 1);
    EXPECT_EQ(t[215].rgbRed, 255);
    EXPECT_EQ(t[1].rgbBlue, 51);
    EXPECT_EQ(DibSetColorTable(grey, t.data()), 1);
    {
        GlobalLockGuard l(grey);
        EXPECT_EQ(l.get()[40 + 4], 51);
    }

    // No table at 16, 24, 48 bits: rows untouched, the caller's array untouched.
    for (int kind : {DIB_KIND_GREY16, DIB_KIND_RGB24, DIB_KIND_RGB48}) {
        Locked l(DibCreate(40, 40, kind));
        std::vector<RGBQUAD> marks(256, RGBQUAD{9, 9, 9, 9});
        EXPECT_EQ(DibSetColorTable(l.h, marks.data()), 1);
        EXPECT_EQ(DibGetColorTable(l.h, marks.data()), 1);
        EXPECT_EQ(marks[0].rgbBlue, 9);
        for (size_t i = 40; i < GlobalSize(l.h); ++i)
            ASSERT_EQ(l.p[i], 0) << kind << " " << i;
    }
    EXPECT_EQ(DibGetColorTable(nullptr, t.data()), 0);
    GlobalFree(cube);
    GlobalFree(grey);
}

TEST(DibColorTable, CoreHeaderTableIsConvertedToFourByteEntries) {
    HDIB h = GlobalAlloc(GHND, 12 + 2 * 3 + 4);
    {
        GlobalLockGuard l(h);
        BITMAPCOREHEADER ch;
        ch.bcWidth = 1;
        ch.bcHeight = 1;
        ch.bcBitCount = 1;
        ch.Write(l.get());
        BYTE* e = l.get() + 12;
        e[3] = 10, e[4] = 20, e[5] = 30; // entry 1: blue, green, red
    }
    RGBQUAD t[2];
    EXPECT_EQ(DibGetColorTable(h, t), 1);
    EXPECT_EQ(t[1].rgbBlue, 10);
    EXPECT_EQ(t[1].rgbGreen, 20);
    EXPECT_EQ(t[1].rgbRed, 30);
    t[0] = RGBQUAD{1, 2, 3, 4};
    EXPECT_EQ(DibSetColorTable(h, t), 1);
    {
        GlobalLockGuard l(h);
        EXPECT_EQ(l.get()[12], 1);
        EXPECT_EQ(l.get()[14], 3);
        EXPECT_EQ(l.get()[15], 10); // next entry starts three bytes on
    }
    GlobalFree(h);
}

TEST(ImageTypes, FullScaleAndBitmapDepthPerCode) {
    const struct {
        int code, fullScale, bits;
    } cases[] = {{0, 255, 8},    {1, 255, 8},    {3, 255, 24},   {4, 1023, 16},  {5, 4095, 16},
                 {6, 65535, 16}, {7, 1023, 48},  {8, 4095, 48},  {9, 65535, 48}, {10, 255, 16},
                 {11, 255, 16},  {12, 255, 16},  {2, 255, 0},    {-1, 255, 0},   {13, 255, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(ImageTypeFullScale(c.code), c.fullScale) << c.code;
        EXPECT_EQ(ImageTypeBitCount(c.code), c.bits) << c.code;
    }
}
