#include "imaging/bitmaps/Dib.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

// Restores plane 0 when a test ends, so a failing test does not leak its selection.
struct PlaneReset {
    ~PlaneReset() { DibSelectPlane(0); }
};

// Frees a bitmap at the end of a scope; declared before the lock guards so it runs after them.
struct Owned {
    HDIB h;
    ~Owned() { GlobalFree(h); }
};

} // namespace

TEST(DibSamples, RowZeroIsTheLastRowInMemory) {
    Owned h{DibCreate(3, 4, DIB_KIND_GREY8)};
    GlobalLockGuard l(h.h);
    BYTE* bits = DibGetBits(l.get());
    size_t stride = DibStride(3, 8);
    bits[3 * stride + 0] = 11; // last memory row = image row 0
    bits[3 * stride + 2] = 13;
    bits[0] = 99; // memory row 0 = image row 3
    int v[3] = {-1, -1, -1};
    DibReadRow(v, l.get(), 0, 0, 3);
    EXPECT_EQ(v[0], 11);
    EXPECT_EQ(v[1], 0);
    EXPECT_EQ(v[2], 13);
    DibReadRow(v, l.get(), 0, 3, 1);
    EXPECT_EQ(v[0], 99);
    // Column 0 from the top: rows 0..3.
    int c[4];
    DibReadColumn(c, l.get(), 0, 0, 4);
    EXPECT_EQ(c[0], 11);
    EXPECT_EQ(c[3], 99);
}

TEST(DibSamples, SelectedPlaneAddressesTheRightSampleAt24And48Bits) {
    PlaneReset reset;
    Owned o24{DibCreate(2, 2, DIB_KIND_RGB24)}, o48{DibCreate(2, 2, DIB_KIND_RGB48)};
    HDIB h24 = o24.h, h48 = o48.h;
    GlobalLockGuard l24(h24), l48(h48);
    // Pixel (1, 0): blue, green, red.
    BYTE* p24 = DibGetBits(l24.get()) + DibStride(2, 24) + 3;
    p24[0] = 30, p24[1] = 20, p24[2] = 10;
    BYTE* p48 = DibGetBits(l48.get()) + DibStride(2, 48) + 6;
    le::put16(p48, 3000), le::put16(p48 + 2, 2000), le::put16(p48 + 4, 1000);

    const int expect24[3] = {10, 20, 30}, expect48[3] = {1000, 2000, 3000};
    for (int plane = 0; plane < 3; ++plane) {
        DibSelectPlane(plane);
        EXPECT_EQ(DibGetSelectedPlane(), plane);
        int v[2];
        DibReadRow(v, l24.get(), 0, 0, 2);
        EXPECT_EQ(v[0], 0);
        EXPECT_EQ(v[1], expect24[plane]);
        DibReadRow(v, l48.get(), 0, 0, 2);
        EXPECT_EQ(v[1], expect48[plane]);
        EXPECT_EQ(DibGetPixel(h24, 1, 0, 2 - plane), expect24[2 - plane]); // by argument, not selection
        EXPECT_EQ(DibGetPixel(h48, 1, 0, 2 - plane), expect48[2 - plane]);
    }

    // Writing green changes only green.
    DibSelectPlane(1);
    const int w[2] = {0x1FF, 0x12345}; // truncated to 8 / 16 bits
    DibWriteRow(w, l24.get(), 0, 0, 2);
    EXPECT_EQ(p24[0], 30);
    EXPECT_EQ(p24[1], 0x45);
    EXPECT_EQ(p24[2], 10);
    EXPECT_EQ(p24[-3 + 1], 0xFF);
    DibWriteRow(w, l48.get(), 0, 0, 2);
    EXPECT_EQ(le::get16(p48), 3000);
    EXPECT_EQ(le::get16(p48 + 2), 0x2345);
    EXPECT_EQ(le::get16(p48 + 4), 1000);
    EXPECT_EQ(le::get16(p48 - 6 + 2), 0x1FF);

    // Out-of-range planes are ignored, not turned into neighbouring bytes.
    DibSelectPlane(3);
    EXPECT_EQ(DibGetSelectedPlane(), 1);
    EXPECT_EQ(DibGetPixel(h24, 1, 0, 3), 0);
    DibSetPixel(h24, 1, 0, -1, 77);
    EXPECT_EQ(p24[0], 30);
    EXPECT_EQ(p24[2], 10);
}

TEST(DibSamples, SixteenBitSamplesAndColumnsRoundTrip) {
    Owned o{DibCreate(3, 5, DIB_KIND_GREY16)};
    HDIB h = o.h;
    GlobalLockGuard l(h);
    const int col[3] = {65535, 4095, 70000};
    DibWriteColumn(col, l.get(), 2, 1, 3);
    int back[5] = {-1, -1, -1, -1, -1};
    DibReadColumn(back, l.get(), 2, 0, 5);
    EXPECT_EQ(back[0], 0);
    EXPECT_EQ(back[1], 65535);
    EXPECT_EQ(back[2], 4095);
    EXPECT_EQ(back[3], 70000 & 0xFFFF);
    EXPECT_EQ(back[4], 0);
    // Image row 1 is memory row 3; column 2 at byte 4; little-endian.
    const BYTE* s = DibGetBits(l.get()) + 3 * DibStride(3, 16) + 4;
    EXPECT_EQ(s[0], 0xFF);
    EXPECT_EQ(s[1], 0xFF);
    EXPECT_EQ(DibGetPixel(h, 2, 2, 0), 4095);
    DibSetPixel(h, 0, 4, 2, 513);
    EXPECT_EQ(DibGetBits(l.get())[0], 1);
    EXPECT_EQ(DibGetBits(l.get())[1], 2);

    // Counts below 1 read and write nothing.
    int untouched = -7;
    DibReadRow(&untouched, l.get(), 0, 0, 0);
    DibReadColumn(&untouched, l.get(), 0, 0, -3);
    EXPECT_EQ(untouched, -7);
    EXPECT_EQ(DibGetPixel(nullptr, 0, 0, 0), 0);
}

TEST(DibSamples, GetSampleReadsRawRowsByPixelSize) {
    // Two rows of two 6-byte pixels, stride 12, bottom-up.
    std::vector<BYTE> raw(24, 0);
    le::put16(&raw[12 + 6 + 4], 111); // top row (memory row 1), x 1, red
    le::put16(&raw[12 + 6 + 0], 333); // blue
    EXPECT_EQ(DibGetSample(1, 0, 0, 6, raw.data(), 12, 2), 111);
    EXPECT_EQ(DibGetSample(1, 0, 2, 6, raw.data(), 12, 2), 333);
    raw[0 + 3 + 2] = 42; // bottom row, x 1, red of a 3-byte pixel
    EXPECT_EQ(DibGetSample(1, 1, 0, 3, raw.data(), 12, 2), 42);
    raw[12 + 1] = 9;
    EXPECT_EQ(DibGetSample(1, 0, 0, 1, raw.data(), 12, 2), 9);
    EXPECT_EQ(DibGetSample(0, 0, 0, 2, raw.data(), 12, 2), 9 << 8);
    EXPECT_EQ(DibGetSample(1, 0, 0, 4, raw.data(), 12, 2), 0);
    EXPECT_EQ(DibGetSample(1, 0, 3, 6, raw.data(), 12, 2), 0);
}

TEST(DibSamples, EachThreadHasItsOwnSelectedPlane) {
    PlaneReset reset;
    DibSelectPlane(2);
    int seenAtStart = -1, seenAfter = -1;
    std::thread worker([&] {
        seenAtStart = DibGetSelectedPlane();
        DibSelectPlane(1);
        seenAfter = DibGetSelectedPlane();
    });
    worker.join();
    EXPECT_EQ(seenAtStart, 0);
    EXPECT_EQ(seenAfter, 1);
    EXPECT_EQ(DibGetSelectedPlane(), 2);

    // Two threads reading different planes of one bitmap at the same time each get theirs.
    HDIB h = DibCreate(64, 64, DIB_KIND_RGB24);
    {
        GlobalLockGuard l(h);
        BYTE* bits = DibGetBits(l.get());
        for (size_t i = 0; i < 64 * DibStride(64, 24); i += 3)
            bits[i] = 3, bits[i + 1] = 2, bits[i + 2] = 1; // blue 3, green 2, red 1
    }
    auto reader = [h](int plane, bool* ok) {
        DibSelectPlane(plane);
        GlobalLockGuard l(h);
        std::vector<int> row(64);
        *ok = true;
        for (int pass = 0; pass < 2000; ++pass)
            for (int y = 0; y < 64; y += 8) {
                DibReadRow(row.data(), l.get(), 0, y, 64);
                for (int v : row)
                    *ok = *ok && v == plane + 1;
            }
    };
    bool ok0 = false, ok2 = false;
    std::thread a(reader, 0, &ok0), b(reader, 2, &ok2);
    a.join();
    b.join();
    EXPECT_TRUE(ok0);
    EXPECT_TRUE(ok2);
    GlobalFree(h);
}
