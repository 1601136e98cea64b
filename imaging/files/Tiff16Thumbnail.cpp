// Thumbnails of the open high-bit-depth TIFF file: read, converted for display, scaled so
// that the longer side has the requested size, and held as a 24-bit thumbnail image.
#include "imaging/files/Tiff16.h"

#include "imaging/bitmaps/Dib.h"
#include "imaging/bitmaps/DibConvert.h"
#include "imaging/files/ImageFileMemory.h"
#include "imaging/bitmaps/MyImageData.h"
#include "platform/MessageSink.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr UINT kMsgOutOfMemory = 876;

// Upper end of the sample range a thumbnail maps onto 0..255: 2 to the power of the sample
// bits, one above the largest sample, so that the brightest samples of a thumbnail come out a
// shade darker than in the image window, which maps up to the largest sample itself
// (ImageTypeFullScale).
int ThumbnailFullScale(int type) {
    switch (type) {
    case 4:
    case 7:
        return 1024;
    case 5:
    case 8:
        return 4096;
    case 6:
    case 9:
        return 65536;
    default:
        return 256;
    }
}

// A 24-bit copy of an 8- or 24-bit bitmap, 8-bit pixels through their colour table; on a
// palette screen the table colours first get the display contrast curve.
HDIB To24(HDIB dib, bool paletteScreen) {
    GlobalLockGuard s(dib);
    if (!s)
        return nullptr;
    const int w = DibGetWidth(s.get()), h = DibGetHeight(s.get()), bc = DibGetBitCount(s.get());
    if (bc == 24)
        return DibCopyInto(dib, nullptr);
    if (bc != 8)
        return nullptr;
    RGBQUAD table[256] = {};
    const WORD n = std::min<WORD>(DibColorCount(s.get()), 256);
    std::memcpy(table, s.get() + DibHeaderSize(s.get()), 4u * n);
    if (paletteScreen)
        for (RGBQUAD& e : table) {
            const COLORREF c = AdjustValueContrast(-1.0, RGB(e.rgbRed, e.rgbGreen, e.rgbBlue));
            e = RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0};
        }
    HDIB out = DibCreateOfKind(w, h, DIB_KIND_RGB24);
    if (!out)
        return nullptr;
    GlobalLockGuard d(out);
    const size_t ss = DibStride(w, 8), ds = DibStride(w, 24);
    const BYTE* src = DibGetBits(s.get());
    BYTE* dst = DibGetBits(d.get());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const RGBQUAD& e = table[src[y * ss + x]];
            BYTE* p = dst + y * ds + 3 * x;
            p[0] = e.rgbBlue;
            p[1] = e.rgbGreen;
            p[2] = e.rgbRed;
        }
    return out;
}

// Nearest-pixel enlargement of a 24-bit bitmap.
HDIB Enlarge24(HDIB dib, int tw, int th) {
    GlobalLockGuard s(dib);
    const int w = DibGetWidth(s.get()), h = DibGetHeight(s.get());
    HDIB out = DibCreateOfKind(tw, th, DIB_KIND_RGB24);
    if (!out)
        return nullptr;
    GlobalLockGuard d(out);
    const size_t ss = DibStride(w, 24), ds = DibStride(tw, 24);
    for (int y = 0; y < th; ++y)
        for (int x = 0; x < tw; ++x) {
            const int sx = static_cast<int>(static_cast<int64_t>(x) * w / tw);
            const int sy = static_cast<int>(static_cast<int64_t>(y) * h / th);
            std::memcpy(DibGetBits(d.get()) + y * ds + 3 * x, DibGetBits(s.get()) + sy * ss + 3 * sx, 3);
        }
    return out;
}

} // namespace

COLORREF AdjustValueContrast(double amount, COLORREF pixel) {
    const double r = GetRValue(pixel) / 255.0, g = GetGValue(pixel) / 255.0, b = GetBValue(pixel) / 255.0;
    const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    const double v = mx;
    const double kPi = 3.14159265358979323846;
    double nv = v + ((std::sin((v - 0.5) * kPi) + 1) / 2 - v) * amount / 2;
    nv = std::clamp(nv, 0.0, 1.0);
    auto byte = [](double x) { return static_cast<BYTE>(std::floor(std::clamp(x, 0.0, 1.0) * 255 + 0.5)); };
    if (mx <= 0 || mx == mn)
        return RGB(byte(nv), byte(nv), byte(nv));
    // Same hue and saturation, new value: every channel scales with the maximum.
    const double k = nv / mx;
    return RGB(byte(r * k), byte(g * k), byte(b * k));
}

CMyThumbnl* CTiff16::MakeThumbnail(int size) {
    if (!m_tiff || size <= 0 || m_width == 0 || m_height == 0)
        return nullptr;
    int kind, bitCount;
    switch (m_imageType) {
    case 0:
        kind = DIB_KIND_GREY8;
        bitCount = 8;
        break;
    case 3:
        kind = DIB_KIND_RGB24;
        bitCount = 24;
        break;
    case 4:
    case 5:
    case 6:
        kind = DIB_KIND_GREY16;
        bitCount = 16;
        break;
    case 7:
    case 8:
    case 9:
        kind = DIB_KIND_RGB48;
        bitCount = 48;
        break;
    default:
        return nullptr;
    }
    // The raw bitmap, one scanline, and at most two 24-bit images of the same size (the
    // display conversion and the colour copy) live at one time.
    const uint64_t rawBytes = static_cast<uint64_t>(DibStride(m_width, bitCount)) * m_height;
    const uint64_t colourBytes = static_cast<uint64_t>(DibStride(m_width, 24)) * m_height;
    const ImageMemoryGrant memory = ReserveImageMemory(3 * (BITMAPINFOHEADER::kSize + 256 * 4) + rawBytes +
                                                       ScanlineBytes() + 2 * colourBytes);
    HDIB raw =
        memory ? DibCreateOfKind(static_cast<int>(m_width), static_cast<int>(m_height), kind) : nullptr;
    if (!raw) {
        ShowMessage(kMsgOutOfMemory, MB_OK | MB_ICONEXCLAMATION);
        return nullptr;
    }
    raw = Read(raw);
    if (!raw)
        return nullptr;
    const int screenBits = GetScreenCaps().bitsPixel;
    HDIB shown = DibConvertForDisplayOnScreen(raw, nullptr, 0, ThumbnailFullScale(m_imageType), m_imageType,
                                              -1, screenBits);
    if (shown)
        GlobalFree(raw);
    else
        shown = raw; // already showable as it is
    HDIB colour = To24(shown, screenBits <= 8);
    GlobalFree(shown);
    if (!colour)
        return nullptr;

    const int64_t longer = std::max(m_width, m_height), shorter = std::min(m_width, m_height);
    const int small = std::max<int>(1, static_cast<int>(shorter * size / longer));
    const int tw = m_width >= m_height ? size : small;
    const int th = m_width >= m_height ? small : size;
    HDIB scaled = (tw <= static_cast<int>(m_width) && th <= static_cast<int>(m_height)) ? DibShrink(colour, tw, th)
                                                                                       : Enlarge24(colour, tw, th);
    GlobalFree(colour);
    if (!scaled)
        return nullptr;

    auto thumb = std::make_unique<CMyThumbnl>();
    {
        GlobalLockGuard l(scaled);
        const uint64_t bytes = DibStride(tw, 24) * static_cast<uint64_t>(th);
        thumb->m_bits = SECImage::AllocBlock(bytes);
        if (thumb->m_bits)
            std::memcpy(thumb->m_bits, DibGetBits(l.get()), bytes);
    }
    GlobalFree(scaled);
    if (!thumb->m_bits)
        return nullptr;
    thumb->m_bitsPerPixel = 24;
    thumb->m_width = static_cast<DWORD>(tw);
    thumb->m_height = static_cast<DWORD>(th);
    thumb->m_rowsPadded = TRUE;
    if (!thumb->BuildInfoHeader())
        return nullptr;
    thumb->m_loaded = TRUE;
    return thumb.release();
}
