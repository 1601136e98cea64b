#include "viewer3d/measure/core/PrintTiles.h"

#include <algorithm>
#include <cstdint>

namespace v3d::image {
namespace {

// The source coordinate of a page offset (0..destSize) along one axis, in 64 bits.
int sourceAt(int offset, int destSize, int sourceSize) {
    return static_cast<int>(static_cast<int64_t>(offset) * sourceSize / destSize);
}

// The source span of a destination span, at least one pixel and inside the bitmap.
void sourceSpan(int from, int to, int destSize, int sourceSize, LONG* a, LONG* b) {
    int s0 = sourceAt(from, destSize, sourceSize);
    int s1 = sourceAt(to, destSize, sourceSize);
    if (s1 <= s0) {
        s0 = std::min(s0, sourceSize - 1);
        s1 = s0 + 1;
    }
    *a = s0;
    *b = s1;
}

} // namespace

RECT ScreenshotPlacement(const PrintPageMetrics& m, int bitmapWidth, int bitmapHeight) {
    RECT fit{};
    if (!CalcFitRect(bitmapWidth, bitmapHeight, m.pageWidth - 2 * m.textLeft, m.pageHeight - 2 * m.textTop,
                     &fit))
        return RECT{};
    return RECT{fit.left + m.textLeft, fit.top + m.textTop, fit.right + m.textLeft, fit.bottom + m.textTop};
}

std::vector<PrintTile> ScreenshotTiles(const RECT& dest, int bitmapWidth, int bitmapHeight, int maxTile) {
    std::vector<PrintTile> tiles;
    const int w = dest.right - dest.left, h = dest.bottom - dest.top;
    if (w <= 0 || h <= 0 || bitmapWidth <= 0 || bitmapHeight <= 0 || maxTile <= 0)
        return tiles;
    for (int y = 0; y < h; y += maxTile) {
        const int y1 = std::min(h, y + maxTile);
        for (int x = 0; x < w; x += maxTile) {
            const int x1 = std::min(w, x + maxTile);
            PrintTile t;
            t.dest = RECT{dest.left + x, dest.top + y, dest.left + x1, dest.top + y1};
            sourceSpan(x, x1, w, bitmapWidth, &t.source.left, &t.source.right);
            sourceSpan(y, y1, h, bitmapHeight, &t.source.top, &t.source.bottom);
            tiles.push_back(t);
        }
    }
    return tiles;
}

} // namespace v3d::image
