#include "viewer3d/core/OverlayPictures.h"

#include "viewer3d/core/Dib.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace v3d {

namespace {

bool heightSize(const void* block, int* w, int* h) {
    const int bits = DibGetBitCount(block);
    *w = DibGetWidth(block);
    *h = std::abs(static_cast<int>(DibGetHeight(block)));
    return (bits == 8 || bits == 16) && *w > 0 && *h > 0;
}

// Row y (from the top) of a 24-bit bitmap: blue, green, red bytes.
BYTE* rgbRow(void* block, int y) {
    const int w = DibGetWidth(block), h = DibGetHeight(block);
    return DibGetBits(block) + static_cast<uint64_t>(h - 1 - y) * DibStride(w, 24);
}

} // namespace

bool FitSize(int w, int h, int W, int H, int* width, int* height) {
    *width = *height = 0;
    if (w <= 0 || h <= 0 || W <= 0 || H <= 0)
        return false;
    const int dw = static_cast<int>(static_cast<double>(w) / h * H);
    const int dh = static_cast<int>(static_cast<double>(h) / w * W);
    const bool byWidth = w < h ? W < dw : !(H < dh);
    *width = byWidth ? W : dw;
    *height = byWidth ? dh : H;
    return true;
}

void PseudoColour(int index, double* red, double* green, double* blue) {
    const int i = std::clamp(index, 0, 255);
    double r = 0, g = 0, b = 0;
    if (i < 128) {
        g = i / 128.0;
        b = 1.0 - g;
    } else {
        r = (i - 128) / 127.0;
        g = 1.0 - r;
    }
    *red = r;
    *green = g;
    *blue = b;
}

int ContourColourIndex(int k, int count, int minLevel, int maxLevel) {
    // In real arithmetic: with whole numbers, (range + 1) / 256 is 0 for a range below 255.
    const double range = static_cast<double>(maxLevel) - minLevel;
    const double step = range / (count + 1);
    const double index = k * step / ((range + 1.0) / 256.0);
    return static_cast<int>(std::clamp(index, 0.0, 255.0));
}

COLORREF ContourColour(int k, int count, int minLevel, int maxLevel) {
    double r = 0, g = 0, b = 0;
    PseudoColour(ContourColourIndex(k, count, minLevel, maxLevel), &r, &g, &b);
    return RGB(255 - static_cast<int>(r * 255), 255 - static_cast<int>(g * 255),
               255 - static_cast<int>(b * 255));
}

HDIB MakeSlicePicture(HDIB height, double level) {
    GlobalLockGuard in(height);
    int w = 0, h = 0;
    if (!in || !heightSize(in.get(), &w, &h))
        return nullptr;
    HDIB slice = DibCreate(w, h, kKindGrey8);
    if (!slice)
        return nullptr;
    GlobalLockGuard out(slice);
    std::vector<int> row(static_cast<size_t>(w));
    for (int y = 0; y < h; ++y) {
        DibReadRow(row.data(), in.get(), 0, y, w);
        for (int& v : row)
            v = v >= level ? 255 : 0;
        DibWriteRow(row.data(), out.get(), 0, y, w);
    }
    return slice;
}

void ExtractBoundary(HDIB picture) {
    GlobalLockGuard lock(picture);
    if (!lock || DibGetBitCount(lock.get()) != 8)
        return;
    const int w = DibGetWidth(lock.get()), h = std::abs(static_cast<int>(DibGetHeight(lock.get())));
    if (w <= 0 || h <= 0)
        return;
    std::vector<int> in(static_cast<size_t>(w) * h), out(in.size(), 0);
    for (int y = 0; y < h; ++y)
        DibReadRow(in.data() + static_cast<size_t>(y) * w, lock.get(), 0, y, w);
    auto at = [&](int x, int y) {
        // The outermost rows and columns count as clear.
        if (x <= 0 || y <= 0 || x >= w - 1 || y >= h - 1)
            return 0;
        return in[static_cast<size_t>(y) * w + x];
    };
    for (int y = 1; y < h - 1; ++y)
        for (int x = 1; x < w - 1; ++x) {
            if (!at(x, y))
                continue;
            bool edge = false;
            for (int dy = -1; dy <= 1 && !edge; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if ((dx || dy) && !at(x + dx, y + dy)) {
                        edge = true;
                        break;
                    }
            out[static_cast<size_t>(y) * w + x] = edge ? 255 : 0;
        }
    for (int y = 0; y < h; ++y)
        DibWriteRow(out.data() + static_cast<size_t>(y) * w, lock.get(), 0, y, w);
}

HDIB MakeContourPicture(HDIB height, int count, int minLevel, int maxLevel) {
    int w = 0, h = 0;
    {
        GlobalLockGuard in(height);
        if (!in || !heightSize(in.get(), &w, &h) || count < 1)
            return nullptr;
    }
    HDIB picture = DibCreate(w, h, kKindRgb24);
    if (!picture)
        return nullptr;
    const double step = (static_cast<double>(maxLevel) - minLevel) / (count + 1);
    std::vector<int> row(static_cast<size_t>(w));
    for (int k = 1; k <= count; ++k) {
        HDIB outline = MakeSlicePicture(height, minLevel + k * step);
        if (!outline) {
            GlobalFree(picture);
            return nullptr;
        }
        ExtractBoundary(outline);
        const COLORREF c = ContourColour(k, count, minLevel, maxLevel);
        {
            GlobalLockGuard o(outline);
            GlobalLockGuard p(picture);
            for (int y = 0; y < h; ++y) {
                DibReadRow(row.data(), o.get(), 0, y, w);
                BYTE* px = rgbRow(p.get(), y);
                for (int x = 0; x < w; ++x, px += 3)
                    if (row[x]) {
                        // The first level is laid on black; later ones add their colour.
                        px[0] = static_cast<BYTE>(px[0] | GetBValue(c));
                        px[1] = static_cast<BYTE>(px[1] | GetGValue(c));
                        px[2] = static_cast<BYTE>(px[2] | GetRValue(c));
                    }
            }
        }
        GlobalFree(outline);
    }
    return picture;
}

} // namespace v3d
