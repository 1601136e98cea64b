#include "viewer3d/core/bitmaps/OverlayPictures.h"

#include "viewer3d/core/bitmaps/Dib.h"

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

HDIB MakeContourPicture(HDIB height, int count, int minLevel, int maxLevel) {
    GlobalLockGuard in(height);
    int w = 0, h = 0;
    if (!in || !heightSize(in.get(), &w, &h) || count < 1)
        return nullptr;
    HDIB picture = DibCreate(w, h, kKindRgb24);
    if (!picture)
        return nullptr;
    // All levels in one pass. With L(v) the number of levels at or below v, a pixel lies in the
    // region of level k when k <= L(v), and on its outline when, besides, a neighbour has
    // L < k; the outermost rows and columns count as outside every region (L = 0). So a pixel
    // takes the colours of the levels a < k <= b, with b its own L and a the least L around it.
    const double step = (static_cast<double>(maxLevel) - minLevel) / (count + 1);
    const int samples = DibGetBitCount(in.get()) == 8 ? 256 : 65536;
    std::vector<int> levelsAt(static_cast<size_t>(samples));
    for (int v = 0, k = 0; v < samples; ++v) {
        while (k < count && v >= minLevel + (k + 1) * step)
            ++k;
        levelsAt[v] = k;
    }
    std::vector<COLORREF> colour(static_cast<size_t>(count) + 1, 0);
    for (int k = 1; k <= count; ++k)
        colour[k] = ContourColour(k, count, minLevel, maxLevel);
    std::vector<int> grid(static_cast<size_t>(w) * h, 0), row(static_cast<size_t>(w));
    for (int y = 1; y < h - 1; ++y) {
        DibReadRow(row.data(), in.get(), 0, y, w);
        for (int x = 1; x < w - 1; ++x)
            grid[static_cast<size_t>(y) * w + x] = levelsAt[std::clamp(row[x], 0, samples - 1)];
    }
    GlobalLockGuard out(picture);
    for (int y = 1; y < h - 1; ++y) {
        BYTE* px = rgbRow(out.get(), y);
        for (int x = 1; x < w - 1; ++x) {
            const int b = grid[static_cast<size_t>(y) * w + x];
            int a = b;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    a = std::min(a, grid[static_cast<size_t>(y + dy) * w + x + dx]);
            COLORREF c = 0;
            for (int k = a + 1; k <= b; ++k)
                c |= colour[k];
            px[3 * x] = GetBValue(c);
            px[3 * x + 1] = GetGValue(c);
            px[3 * x + 2] = GetRValue(c);
        }
    }
    return picture;
}

} // namespace v3d
