#include "imaging/bitmaps/Dib.h"
#include "imaging/bitmaps/DibDraw.h"
#include "platform/Palette.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records every call in order.
class RecordingTarget : public CDibDrawTarget {
public:
    std::vector<std::string> calls;
    CPalette* current = &previous;
    CPalette previous;
    std::vector<std::pair<CPalette*, BOOL>> selected;
    int lastMode = 0;
    std::vector<long> args; // the numbers of the last drawing call
    const void* bits = nullptr;
    const BYTE* info = nullptr;
    int result = 17;

    CPalette* SelectPalette(CPalette* palette, BOOL forceBackground) override {
        calls.push_back("SelectPalette");
        selected.emplace_back(palette, forceBackground);
        CPalette* old = current;
        current = palette;
        return old;
    }
    int SetStretchBltMode(int mode) override {
        calls.push_back("SetStretchBltMode");
        lastMode = mode;
        return 1;
    }
    int SetDIBitsToDevice(int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc, UINT startScan,
                          UINT scanLines, const void* b, const BYTE* i, UINT colorUse) override {
        calls.push_back("SetDIBitsToDevice");
        args = {xDest, yDest, long(w), long(h), xSrc, ySrc, long(startScan), long(scanLines), long(colorUse)};
        bits = b, info = i;
        return result;
    }
    int StretchDIBits(int xDest, int yDest, int dw, int dh, int xSrc, int ySrc, int sw, int sh, const void* b,
                      const BYTE* i, UINT colorUse, DWORD rop) override {
        calls.push_back("StretchDIBits");
        args = {xDest, yDest, dw, dh, xSrc, ySrc, sw, sh, long(colorUse), long(rop)};
        bits = b, info = i;
        return result;
    }
};

// Paints an 8-bit canvas the way the two calls are defined on bottom-up bitmaps (nearest
// sample when stretching), so the rows each call draws can be compared.
class RasterTarget : public CDibDrawTarget {
public:
    RasterTarget(int w, int h) : pixels(size_t(w) * h, -1), w_(w), h_(h) {}
    std::vector<int> pixels;
    int at(int x, int y) const { return pixels[size_t(y) * w_ + x]; }

    CPalette* SelectPalette(CPalette*, BOOL) override { return nullptr; }
    int SetStretchBltMode(int) override { return 1; }
    int SetDIBitsToDevice(int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc, UINT, UINT, const void* bits,
                          const BYTE* info, UINT) override {
        for (int j = 0; j < int(h); ++j)
            for (int i = 0; i < int(w); ++i)
                put(xDest + i, yDest + j, sample(bits, info, xSrc + i, ySrc + int(h) - 1 - j));
        return int(h);
    }
    int StretchDIBits(int xDest, int yDest, int dw, int dh, int xSrc, int ySrc, int sw, int sh, const void* bits,
                      const BYTE* info, UINT, DWORD) override {
        for (int j = 0; j < dh; ++j)
            for (int i = 0; i < dw; ++i)
                put(xDest + i, yDest + j, sample(bits, info, xSrc + i * sw / dw, ySrc + sh - 1 - j * sh / dh));
        return dh;
    }

private:
    // Sample at bottom-up row r.
    static int sample(const void* bits, const BYTE* info, int x, int r) {
        return static_cast<const BYTE*>(bits)[size_t(r) * DibStride(DibGetWidth(info), 8) + x];
    }
    void put(int x, int y, int v) {
        if (x >= 0 && y >= 0 && x < w_ && y < h_)
            pixels[size_t(y) * w_ + x] = v;
    }
    int w_, h_;
};

// 8-bit bitmap whose every pixel holds its image row (from the top).
HDIB rowNumbered(int w, int h) {
    HDIB dib = DibCreate(w, h, DIB_KIND_GREY8);
    GlobalLockGuard l(dib);
    std::vector<int> row(w);
    for (int y = 0; y < h; ++y) {
        row.assign(w, y);
        DibWriteRow(row.data(), l.get(), 0, y, w);
    }
    return dib;
}

} // namespace

TEST(DibDrawMapping, EqualRectanglesDrawUnscaledOthersStretch) {
    DibDrawPlan same = DibDrawMapping(RECT{100, 50, 110, 70}, RECT{2, 10, 12, 30}, 40);
    EXPECT_EQ(same.call, DibDrawCall::SetDIBitsToDevice);
    EXPECT_EQ(same.xDest, 100);
    EXPECT_EQ(same.yDest, 50);
    EXPECT_EQ(same.xSrc, 2);
    EXPECT_EQ(same.ySrc, 10); // 40 - bottom 30
    EXPECT_EQ(same.srcWidth, 10);
    EXPECT_EQ(same.srcHeight, 20);

    DibDrawPlan taller = DibDrawMapping(RECT{0, 0, 10, 40}, RECT{2, 10, 12, 30}, 40);
    EXPECT_EQ(taller.call, DibDrawCall::StretchDIBits);
    EXPECT_EQ(taller.ySrc, same.ySrc); // the same origin in both calls
    EXPECT_EQ(taller.destWidth, 10);
    EXPECT_EQ(taller.destHeight, 40);
    EXPECT_EQ(taller.srcHeight, 20);
    EXPECT_EQ(DibDrawMapping(RECT{0, 0, 11, 20}, RECT{2, 10, 12, 30}, 40).call, DibDrawCall::StretchDIBits);
    EXPECT_EQ(DibDrawMapping(RECT{0, 0, 10, 20}, RECT{0, 0, 10, 20}, 20).ySrc, 0);
}

TEST(DibDraw, CallsInOrderWithThePaletteInTheBackground) {
    HDIB h = rowNumbered(20, 40);
    RecordingTarget rec;
    CPalette pal;
    CPalette* before = rec.current;
    RECT dst{5, 6, 15, 26}, src{2, 10, 12, 30};
    EXPECT_EQ(DibDraw(&rec, &dst, h, &src, &pal), 17);
    EXPECT_EQ(rec.calls,
              (std::vector<std::string>{"SelectPalette", "SetStretchBltMode", "SetDIBitsToDevice", "SelectPalette"}));
    ASSERT_EQ(rec.selected.size(), 2u);
    EXPECT_EQ(rec.selected[0], std::make_pair(&pal, BOOL(TRUE)));
    EXPECT_EQ(rec.selected[1], std::make_pair(before, BOOL(TRUE)));
    EXPECT_EQ(rec.lastMode, COLORONCOLOR);
    EXPECT_EQ(rec.args, (std::vector<long>{5, 6, 10, 20, 2, 10, 0, 40, long(DIB_RGB_COLORS)}));
    {
        GlobalLockGuard l(h);
        EXPECT_EQ(rec.info, l.get());
        EXPECT_EQ(rec.bits, DibGetBits(l.get()));
    }

    RecordingTarget plain;
    RECT big{0, 0, 30, 60};
    EXPECT_EQ(DibDraw(&plain, &big, h, &src, nullptr), 17);
    EXPECT_EQ(plain.calls, (std::vector<std::string>{"SetStretchBltMode", "StretchDIBits"}));
    EXPECT_EQ(plain.args, (std::vector<long>{0, 0, 30, 60, 2, 10, 10, 20, long(DIB_RGB_COLORS), long(SRCCOPY)}));

    RecordingTarget none;
    EXPECT_EQ(DibDraw(&none, &dst, nullptr, &src, &pal), 0);
    EXPECT_TRUE(none.calls.empty());
    GlobalFree(h);
}

TEST(DibDraw, UnscaledAndStretchedDrawingShowTheSameSourceRows) {
    HDIB h = rowNumbered(20, 40);
    RECT src{2, 10, 12, 30}; // image rows 10..29

    RasterTarget unscaled(10, 20);
    RECT dst{0, 0, 10, 20};
    EXPECT_EQ(DibDraw(&unscaled, &dst, h, &src, nullptr), 20);
    // The same numbers handed to the stretching call.
    DibDrawPlan plan = DibDrawMapping(dst, src, 40);
    RasterTarget stretched(10, 20);
    {
        GlobalLockGuard l(h);
        stretched.StretchDIBits(plan.xDest, plan.yDest, plan.destWidth, plan.destHeight, plan.xSrc, plan.ySrc,
                                plan.srcWidth, plan.srcHeight, DibGetBits(l.get()), l.get(), DIB_RGB_COLORS,
                                SRCCOPY);
    }
    EXPECT_EQ(unscaled.pixels, stretched.pixels);
    for (int y = 0; y < 20; ++y)
        EXPECT_EQ(unscaled.at(3, y), 10 + y);

    // Doubled: every source row twice, still rows 10..29 from the top.
    RasterTarget doubled(20, 40);
    RECT dst2{0, 0, 20, 40};
    DibDraw(&doubled, &dst2, h, &src, nullptr);
    for (int y = 0; y < 40; ++y)
        EXPECT_EQ(doubled.at(7, y), 10 + y / 2) << y;
    GlobalFree(h);
}
