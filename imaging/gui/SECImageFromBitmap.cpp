// Window-layer bitmaps into image-file objects.
#include "imaging/gui/SECImageFromBitmap.h"

#include "imaging/files/SECImage.h"

#include <wx/bitmap.h>
#include <wx/image.h>

#include <algorithm>

BOOL FromBitmap(SECImage& image, const wxBitmap& bitmap) {
    if (!bitmap.IsOk() || bitmap.GetWidth() <= 0 || bitmap.GetHeight() <= 0)
        return FALSE;
    const int depth = bitmap.GetDepth();
    int bitCount;
    WORD colors;
    if (depth > 8) {
        bitCount = 24;
        colors = 0;
    } else if (depth == 1) {
        bitCount = 1;
        colors = 2;
    } else {
        return FALSE; // the window layer makes no bitmaps of 2 to 8 bits
    }
    const wxImage pixels = bitmap.ConvertToImage();
    if (!pixels.IsOk())
        return FALSE;
    const uint64_t width = static_cast<uint64_t>(bitmap.GetWidth());
    const uint64_t height = static_cast<uint64_t>(bitmap.GetHeight());
    const uint64_t stride = SECImage::PaddedRowBytes(bitCount, width);

    // The new blocks are made first, so that the image stays as it was when memory runs out.
    BYTE* bits = SECImage::AllocBlock(stride * height);
    BYTE* info = bits ? SECImage::AllocBlock(BITMAPINFOHEADER::kSize + 4ull * colors) : nullptr;
    if (!bits || !info) {
        SECImage::FreeBlock(bits);
        return FALSE;
    }
    const unsigned char* rgb = pixels.GetData();
    for (uint64_t y = 0; y < height; ++y) {
        const unsigned char* src = rgb + y * width * 3;
        BYTE* dst = bits + (height - 1 - y) * stride; // bottom-up
        if (bitCount == 24) {
            for (uint64_t x = 0; x < width; ++x, src += 3) {
                dst[3 * x] = src[2];
                dst[3 * x + 1] = src[1];
                dst[3 * x + 2] = src[0];
            }
        } else {
            // Entry 1 of the table is white: every pixel that is not black, most significant bit
            // first.
            for (uint64_t x = 0; x < width; ++x, src += 3)
                if (src[0] | src[1] | src[2])
                    dst[x / 8] |= static_cast<BYTE>(0x80u >> (x % 8));
        }
    }
    if (colors) {
        BYTE* white = info + BITMAPINFOHEADER::kSize + 4;
        white[0] = white[1] = white[2] = 255;
    }

    image.FreeImage();
    image.m_bits = bits;
    image.m_info = info;
    image.m_colorTable = info + BITMAPINFOHEADER::kSize;
    image.m_bitsPerPixel = bitCount;
    image.m_width = static_cast<DWORD>(width);
    image.m_height = static_cast<DWORD>(height);
    image.m_rowWidth = (image.m_width + 3) & ~DWORD(3);
    image.m_colorCount = colors;
    image.m_rowsPadded = TRUE;
    image.StoreRgbInfoHeader(width, height, 1, bitCount,
                             static_cast<DWORD>(std::min<uint64_t>(stride * height, 0xFFFFFFFFu)));
    image.MakePalette();
    return TRUE;
}
