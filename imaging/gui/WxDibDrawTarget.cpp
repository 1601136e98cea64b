#include "imaging/gui/WxDibDrawTarget.h"

#include "imaging/bitmaps/Dib.h"
#include "imaging/bitmaps/MemoryRoom.h"

#include <wx/bitmap.h>
#include <wx/dc.h>
#include <wx/image.h>

#include <cstdint>

namespace {

// Largest picture drawn at once; beyond it a request is refused rather than allocated.
constexpr int64_t kMaxPixels = int64_t(1) << 28;

} // namespace

CPalette* CWxDibDrawTarget::SelectPalette(CPalette* palette, BOOL) {
    CPalette* old = m_palette;
    m_palette = palette;
    return old;
}

int CWxDibDrawTarget::SetStretchBltMode(int mode) {
    int old = m_mode;
    m_mode = mode;
    return old;
}

bool CWxDibDrawTarget::RoomForPicture(int64_t width, int64_t height) {
    constexpr int64_t kCheckedFrom = int64_t(1) << 18; // smaller pictures are not looked at
    if (width <= 0 || height <= 0)
        return true;
    return width * height < kCheckedFrom || HasRoomFor(uint64_t(width) * uint64_t(height) * 7);
}

BOOL CWxDibDrawTarget::SetClipRect(const RECT* rect) {
    m_dc.DestroyClippingRegion();
    if (rect)
        m_dc.SetClippingRegion(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
    return TRUE;
}

bool CWxDibDrawTarget::ExtractRect(const BYTE* info, const void* bits, int xSrc, int ySrc, int width,
                                   int height, wxImage& out) {
    if (!info || !bits || width <= 0 || height <= 0)
        return false;
    BITMAPINFOHEADER h = BITMAPINFOHEADER::Read(info);
    if (h.biSize < BITMAPINFOHEADER::kSize || h.biCompression != 0 || h.biWidth <= 0 || h.biHeight <= 0)
        return false;
    const int bpp = h.biBitCount;
    if (bpp != 8 && bpp != 16 && bpp != 24 && bpp != 48)
        return false;
    const int64_t W = h.biWidth, H = h.biHeight;
    if (xSrc < 0 || ySrc < 0 || int64_t(xSrc) + width > W || int64_t(ySrc) + height > H)
        return false;
    if (int64_t(width) * height > kMaxPixels || !RoomForPicture(width, height))
        return false;
    const int64_t stride = ((W * bpp + 31) / 32) * 4;
    const BYTE* table = info + h.biSize;
    const WORD colours = bpp == 8 ? DibColorCount(info) : 0;
    if (!out.Create(width, height, false) || !out.GetData())
        return false;
    unsigned char* dst = out.GetData();
    const auto* base = static_cast<const BYTE*>(bits);
    for (int r = 0; r < height; ++r) {
        // Output rows run top-down; memory rows bottom-up.
        const BYTE* row = base + (int64_t(ySrc) + height - 1 - r) * stride;
        for (int c = 0; c < width; ++c, dst += 3) {
            const int64_t x = xSrc + c;
            switch (bpp) {
            case 8: {
                BYTE i = row[x];
                if (i < colours) {
                    dst[0] = table[i * 4 + 2];
                    dst[1] = table[i * 4 + 1];
                    dst[2] = table[i * 4 + 0];
                } else {
                    dst[0] = dst[1] = dst[2] = i;
                }
                break;
            }
            case 16: {
                BYTE v = row[x * 2 + 1]; // high byte of the grey sample
                dst[0] = dst[1] = dst[2] = v;
                break;
            }
            case 24:
                dst[0] = row[x * 3 + 2];
                dst[1] = row[x * 3 + 1];
                dst[2] = row[x * 3 + 0];
                break;
            case 48:
                dst[0] = row[x * 6 + 5];
                dst[1] = row[x * 6 + 3];
                dst[2] = row[x * 6 + 1];
                break;
            }
        }
    }
    return true;
}

int CWxDibDrawTarget::SetDIBitsToDevice(int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc,
                                        UINT, UINT, const void* bits, const BYTE* info, UINT) {
    if (width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        return 0;
    wxImage img;
    if (!ExtractRect(info, bits, xSrc, ySrc, static_cast<int>(width), static_cast<int>(height), img))
        return 0;
    m_dc.DrawBitmap(wxBitmap(img), xDest, yDest, false);
    return static_cast<int>(height);
}

int CWxDibDrawTarget::StretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                                    int srcWidth, int srcHeight, const void* bits, const BYTE* info, UINT,
                                    DWORD) {
    if (destWidth <= 0 || destHeight <= 0 || int64_t(destWidth) * destHeight > kMaxPixels ||
        !RoomForPicture(destWidth, destHeight))
        return 0;
    wxImage img;
    if (!ExtractRect(info, bits, xSrc, ySrc, srcWidth, srcHeight, img))
        return 0;
    if (destWidth != srcWidth || destHeight != srcHeight)
        img.Rescale(destWidth, destHeight, wxIMAGE_QUALITY_NEAREST);
    m_dc.DrawBitmap(wxBitmap(img), xDest, yDest, false);
    return srcHeight;
}
