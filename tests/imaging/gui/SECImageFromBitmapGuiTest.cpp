// Window-layer bitmaps taken into image-file objects: depth, row layout, pixels, and a save
// that the BMP reader reads back as the bitmap showed.
#include <gtest/gtest.h>

#include "ImageFileTestSupport.h"

#include "imaging/files/SECDib.h"
#include "imaging/gui/SECImageFromBitmap.h"

#include <array>

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/image.h>

using namespace imgtest;

namespace {

// Pixel (x, y) from the top of an image at rest (bottom-up rows), as red, green, blue.
std::array<int, 3> RgbAt(const SECImage& image, int x, int y) {
    const uint64_t stride = SECImage::PaddedRowBytes(image.m_bitsPerPixel, image.m_width);
    const BYTE* p = image.m_bits + (image.m_height - 1 - y) * stride + 3 * x;
    return {p[2], p[1], p[0]};
}

// A w x h picture whose every pixel differs: red from x, green from y, blue from both.
wxImage Picture(int w, int h) {
    wxImage img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.SetRGB(x, y, static_cast<unsigned char>(40 * x + 1), static_cast<unsigned char>(50 * y + 2),
                       static_cast<unsigned char>(7 * x + 11 * y + 3));
    return img;
}

} // namespace

TEST(SECImageFromBitmapGui, ScreenBitmapsOfMoreThanEightBitsBecomeTwentyFourBitImages) {
    const wxImage picture = Picture(5, 3);
    wxImage withAlpha = picture;
    withAlpha.InitAlpha(); // opaque: the colours stay as they are
    const wxBitmap bitmaps[] = {wxBitmap(picture, 24), wxBitmap(withAlpha, 32)};
    ASSERT_EQ(bitmaps[1].GetDepth(), 32);
    for (const wxBitmap& bitmap : bitmaps) {
        SCOPED_TRACE(bitmap.GetDepth());
        ASSERT_TRUE(bitmap.IsOk());
        SECDib image;
        ASSERT_TRUE(FromBitmap(image, bitmap));
        EXPECT_EQ(image.m_bitsPerPixel, 24);
        EXPECT_EQ(image.GetWidth(), 5u);
        EXPECT_EQ(image.GetHeight(), 3u);
        EXPECT_TRUE(image.m_rowsPadded);
        EXPECT_EQ(image.m_colorCount, 0);
        EXPECT_EQ(image.GetPalette(), nullptr);
        EXPECT_EQ(GlobalSize(GlobalHandle(image.m_bits)), 16u * 3) << "rows of 15 bytes padded to 16";
        const BITMAPINFOHEADER h = image.InfoHeader();
        EXPECT_EQ(h.biSize, 40u);
        EXPECT_EQ(h.biBitCount, 24);
        EXPECT_EQ(h.biWidth, 5);
        EXPECT_EQ(h.biHeight, 3);
        EXPECT_EQ(h.biSizeImage, 48u);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                EXPECT_EQ(
                    RgbAt(image, x, y),
                    (std::array<int, 3>{picture.GetRed(x, y), picture.GetGreen(x, y), picture.GetBlue(x, y)}))
                    << x << "," << y;
    }
}

TEST(SECImageFromBitmapGui, WhatWasDrawnIsSavedAndReadBackAsShown) {
    // A picture with a white bar drawn over it, as a result window burns in its scale bar.
    wxBitmap canvas(Picture(7, 6), 24);
    {
        wxMemoryDC dc(canvas);
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(*wxWHITE_BRUSH);
        dc.DrawRectangle(1, 4, 5, 1);
    }
    const wxImage shown = canvas.ConvertToImage();
    SECDib image;
    ASSERT_TRUE(FromBitmap(image, canvas));
    ScratchDir dir;
    ASSERT_TRUE(image.WriteToPath(dir.Path("s.bmp").c_str()));
    SECDib back;
    ASSERT_TRUE(back.ReadFromPath(dir.Path("s.bmp").c_str()));
    ASSERT_EQ(back.m_bitsPerPixel, 24);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(RgbAt(back, x, y),
                      (std::array<int, 3>{shown.GetRed(x, y), shown.GetGreen(x, y), shown.GetBlue(x, y)}))
                << x << "," << y;
    EXPECT_EQ(RgbAt(back, 3, 4), (std::array<int, 3>{255, 255, 255}));
}

TEST(SECImageFromBitmapGui, MonochromeBitmapsGiveOneBitImagesAndBadBitmapsKeepTheImage) {
    wxBitmap mono(10, 2, 1);
    {
        wxMemoryDC dc(mono);
        dc.SetBackground(*wxBLACK_BRUSH);
        dc.Clear();
        dc.SetPen(*wxWHITE_PEN);
        dc.DrawPoint(0, 0);
        dc.DrawPoint(9, 0);
        dc.DrawPoint(8, 1);
    }
    SECDib image;
    ASSERT_TRUE(FromBitmap(image, mono));
    EXPECT_EQ(image.m_bitsPerPixel, 1);
    EXPECT_EQ(image.m_colorCount, 2);
    EXPECT_EQ(image.InfoHeader().biBitCount, 1);
    const BYTE* table = image.m_colorTable;
    EXPECT_EQ((std::array<int, 4>{table[0], table[1], table[2], table[4]}),
              (std::array<int, 4>{0, 0, 0, 255}));
    // Rows of two bytes padded to four, bottom-up, leftmost pixel in the top bit.
    EXPECT_EQ(image.m_bits[4], 0x80) << "top row";
    EXPECT_EQ(image.m_bits[5], 0x40);
    EXPECT_EQ(image.m_bits[0], 0x00) << "bottom row";
    EXPECT_EQ(image.m_bits[1], 0x80);

    BYTE* held = image.m_bits;
    EXPECT_FALSE(FromBitmap(image, wxBitmap()));
    EXPECT_EQ(image.m_bits, held) << "an invalid bitmap leaves the image as it was";
    EXPECT_EQ(image.GetWidth(), 10u);
}
