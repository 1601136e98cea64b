// Bitmaps drawn through DibDraw onto a wx memory device context, read back pixel by pixel.
#include "imaging/bitmaps/Dib.h"
#include "imaging/bitmaps/DibDraw.h"
#include "imaging/gui/WxDibDrawTarget.h"
#include "tests/support/ScopedAddressSpaceLimit.h"

#include <gtest/gtest.h>

#include <wx/dcmemory.h>
#include <wx/image.h>

namespace {

// Draws into a fresh white canvas and returns it as an image.
wxImage drawOnCanvas(HDIB dib, const RECT& dest, const RECT& src, int* result) {
    wxBitmap canvas(16, 16, 24);
    {
        wxMemoryDC dc(canvas);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        CWxDibDrawTarget target(dc);
        *result = DibDraw(&target, &dest, dib, &src, nullptr);
    }
    return canvas.ConvertToImage();
}

// 2 x 2, 24 bits: top row red, green; bottom row blue, white (memory rows are bottom-up).
HDIB colourSquare() {
    HDIB dib = DibCreateOfKind(2, 2, 1);
    GlobalLockGuard lock(dib);
    BYTE* bits = DibGetBits(lock.get());
    const size_t stride = DibStride(2, 24);
    const BYTE bottom[6] = {255, 0, 0, 255, 255, 255}; // blue, white (B, G, R)
    const BYTE top[6] = {0, 0, 255, 0, 255, 0};        // red, green
    std::copy(bottom, bottom + 6, bits);
    std::copy(top, top + 6, bits + stride);
    return dib;
}

void expectRgb(const wxImage& img, int x, int y, int r, int g, int b) {
    EXPECT_EQ(img.GetRed(x, y), r) << x << "," << y;
    EXPECT_EQ(img.GetGreen(x, y), g) << x << "," << y;
    EXPECT_EQ(img.GetBlue(x, y), b) << x << "," << y;
}

TEST(WxDibDrawTargetGui, UnscaledDrawKeepsRowsTopDown) {
    HDIB dib = colourSquare();
    int rows = 0;
    wxImage img = drawOnCanvas(dib, RECT{3, 4, 5, 6}, RECT{0, 0, 2, 2}, &rows);
    EXPECT_EQ(rows, 2);
    expectRgb(img, 3, 4, 255, 0, 0);
    expectRgb(img, 4, 4, 0, 255, 0);
    expectRgb(img, 3, 5, 0, 0, 255);
    expectRgb(img, 4, 5, 255, 255, 255);
    expectRgb(img, 2, 4, 255, 255, 255); // nothing outside the destination
    GlobalFree(dib);
}

TEST(WxDibDrawTargetGui, StretchAndPartOfTheSource) {
    HDIB dib = colourSquare();
    int rows = 0;
    wxImage img = drawOnCanvas(dib, RECT{0, 0, 8, 8}, RECT{0, 0, 2, 2}, &rows);
    EXPECT_NE(rows, 0);
    expectRgb(img, 1, 1, 255, 0, 0);
    expectRgb(img, 6, 1, 0, 255, 0);
    expectRgb(img, 1, 6, 0, 0, 255);
    // The right column of the top row only (source rectangles count from the top).
    img = drawOnCanvas(dib, RECT{0, 0, 4, 4}, RECT{1, 0, 2, 1}, &rows);
    expectRgb(img, 0, 0, 0, 255, 0);
    expectRgb(img, 3, 3, 0, 255, 0);
    GlobalFree(dib);
}

TEST(WxDibDrawTargetGui, EightBitsUseTheColourTable) {
    HDIB dib = DibCreateOfKind(2, 1, 0);
    RGBQUAD table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), 7, 0};
    DibSetColorTable(dib, table);
    {
        GlobalLockGuard lock(dib);
        BYTE* bits = DibGetBits(lock.get());
        bits[0] = 10;
        bits[1] = 200;
    }
    int rows = 0;
    wxImage img = drawOnCanvas(dib, RECT{0, 0, 2, 1}, RECT{0, 0, 2, 1}, &rows);
    EXPECT_EQ(rows, 1);
    expectRgb(img, 0, 0, 7, 245, 10);
    expectRgb(img, 1, 0, 7, 55, 200);
    GlobalFree(dib);
}

TEST(WxDibDrawTargetGui, RectanglesOutsideTheBitmapOrOddFormatsDrawNothing) {
    HDIB dib = colourSquare();
    {
        GlobalLockGuard lock(dib);
        const BYTE* info = lock.get();
        const BYTE* bits = DibGetBits(lock.get());
        wxImage img;
        EXPECT_FALSE(CWxDibDrawTarget::ExtractRect(info, bits, 1, 0, 2, 2, img));
        EXPECT_FALSE(CWxDibDrawTarget::ExtractRect(info, bits, 0, -1, 1, 1, img));
        EXPECT_FALSE(CWxDibDrawTarget::ExtractRect(info, bits, 0, 0, 0, 1, img));
        EXPECT_FALSE(CWxDibDrawTarget::ExtractRect(nullptr, bits, 0, 0, 1, 1, img));
        std::vector<BYTE> odd(info, info + 40);
        odd[14] = 4; // 4 bits per pixel
        EXPECT_FALSE(CWxDibDrawTarget::ExtractRect(odd.data(), bits, 0, 0, 1, 1, img));
        EXPECT_TRUE(CWxDibDrawTarget::ExtractRect(info, bits, 0, 0, 2, 2, img));
        wxBitmap canvas(4, 4, 24);
        wxMemoryDC dc(canvas);
        CWxDibDrawTarget target(dc);
        EXPECT_EQ(target.StretchDIBits(0, 0, -4, 4, 0, 0, 2, 2, bits, info, 0, SRCCOPY), 0);
        EXPECT_EQ(target.SetDIBitsToDevice(0, 0, 3, 2, 0, 0, 0, 2, bits, info, 0), 0);
        EXPECT_EQ(target.SetStretchBltMode(4), COLORONCOLOR);
        EXPECT_EQ(target.SetStretchBltMode(COLORONCOLOR), 4);
    }
    GlobalFree(dib);
}

// A bitmap whose picture does not fit in the memory left is refused before the image or the
// toolkit's bitmap is asked for; once memory is there again the same picture is made.
TEST(WxDibDrawTargetGui, APictureThatDoesNotFitInMemoryIsRefused) {
    HDIB dib = DibCreateOfKind(3000, 2000, 1); // 18 MB of pixels, 42 MB as image and bitmap
    {
        GlobalLockGuard lock(dib);
        ASSERT_TRUE(lock);
        const BYTE* bits = DibGetBits(lock.get());
        wxImage img;
        {
            ScopedAddressSpaceLimit limit(8u << 20);
            ASSERT_TRUE(limit.Active());
            EXPECT_FALSE(CWxDibDrawTarget::ExtractRect(lock.get(), bits, 0, 0, 3000, 2000, img));
        }
        EXPECT_TRUE(CWxDibDrawTarget::ExtractRect(lock.get(), bits, 0, 0, 3000, 2000, img));
    }
    GlobalFree(dib);
}

} // namespace
