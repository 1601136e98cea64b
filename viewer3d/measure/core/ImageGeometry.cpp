#include "viewer3d/measure/core/ImageGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace v3d::image {
namespace {

RECT intersect(const RECT& a, const RECT& b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (r.right <= r.left || r.bottom <= r.top)
        r = RECT{};
    return r;
}

bool isEmpty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

int sign(int v) {
    return v < 0 ? -1 : 1;
}

} // namespace

bool CalcFitRect(int w, int h, int W, int H, RECT* out) {
    *out = RECT{};
    if (w <= 0 || h <= 0 || W <= 0 || H <= 0)
        return false;
    const int dw = static_cast<int>(static_cast<double>(w) / h * H);
    const int dh = static_cast<int>(static_cast<double>(h) / w * W);
    const RECT byWidth{0, (H - dh) / 2, W, dh + (H - dh) / 2};
    const RECT byHeight{(W - dw) / 2, 0, dw + (W - dw) / 2, H};
    if (w < h)
        *out = W < dw ? byWidth : byHeight;
    else
        *out = H < dh ? byHeight : byWidth;
    return true;
}

bool ImageMapping::Valid() const {
    return !isEmpty(dest) && imageWidth > 0 && imageHeight > 0;
}

POINT ImageMapping::ToClient(double x, double y) const {
    if (!Valid())
        return {};
    const double sx = static_cast<double>(dest.right - dest.left) / imageWidth;
    const double sy = static_cast<double>(dest.bottom - dest.top) / imageHeight;
    return {static_cast<LONG>(std::lround(dest.left + x * sx)),
            static_cast<LONG>(std::lround(dest.top + y * sy))};
}

POINT ImageMapping::ToImage(int x, int y) const {
    if (!Valid())
        return {};
    const double sx = static_cast<double>(imageWidth) / (dest.right - dest.left);
    const double sy = static_cast<double>(imageHeight) / (dest.bottom - dest.top);
    return {static_cast<LONG>(std::floor((x - dest.left) * sx)),
            static_cast<LONG>(std::floor((y - dest.top) * sy))};
}

ImageMapping SetImageMapping(const RECT& dest, int imageWidth, int imageHeight) {
    ImageMapping m;
    if (isEmpty(dest) || imageWidth <= 0 || imageHeight <= 0)
        return m;
    m.dest = dest;
    m.imageWidth = imageWidth;
    m.imageHeight = imageHeight;
    return m;
}

POINT ClampPointToRect(POINT p, const RECT& r) {
    p.x = std::clamp(p.x, r.left, std::max(r.left, r.right));
    p.y = std::clamp(p.y, r.top, std::max(r.top, r.bottom));
    return p;
}

void ClipLineToImage(POINT* first, POINT* second, int width, int height) {
    int x = first->x, y = first->y;
    const int dx = std::abs(second->x - x), dy = std::abs(second->y - y);
    const int sx = second->x >= x ? 1 : -1, sy = second->y >= y ? 1 : -1;
    auto inside = [&](int px, int py) { return px >= 0 && px < width && py >= 0 && py < height; };
    POINT a{-1, -1}, b{-1, -1};
    bool found = false, left = false;
    int err = (dx > dy ? dx : -dy) / 2;
    for (;;) {
        if (inside(x, y) && !left) {
            if (!found)
                a = {x, y}, found = true;
            b = {x, y};
        } else if (found) {
            left = true; // the inside run has ended
        }
        if (x == second->x && y == second->y)
            break;
        const int e = err;
        if (e > -dx)
            err -= dy, x += sx;
        if (e < dy)
            err += dx, y += sy;
    }
    *first = a;
    *second = b;
}

void SnapToAxis(POINT fixed, POINT* moving) {
    if (std::abs(moving->x - fixed.x) >= std::abs(moving->y - fixed.y))
        moving->y = fixed.y;
    else
        moving->x = fixed.x;
}

void SnapToDiagonal(POINT fixed, POINT* moving, int width, int height) {
    const int dx = moving->x - fixed.x, dy = moving->y - fixed.y;
    const int d = std::max(std::abs(dx), std::abs(dy));
    double cx = sign(dx) * d, cy = sign(dy) * d;
    // Shorten in proportion so the point stays within 1..width - 1 and 1..height - 1.
    double t = 1.0;
    auto limit = [&](double from, double step, double lo, double hi) {
        if (step == 0)
            return;
        const double to = from + step;
        if (to > hi)
            t = std::min(t, (hi - from) / step);
        if (to < lo)
            t = std::min(t, (lo - from) / step);
    };
    limit(fixed.x, cx, 1, width - 1);
    limit(fixed.y, cy, 1, height - 1);
    t = std::max(t, 0.0);
    moving->x = static_cast<LONG>(fixed.x + cx * t);
    moving->y = static_cast<LONG>(fixed.y + cy * t);
}

bool DeflateIntersect(RECT* r, int width, int height) {
    *r = intersect(*r, RECT{0, 0, width - 2, height - 2});
    return !isEmpty(*r);
}

RECT RubberRect(POINT start, POINT end, int width, int height) {
    const RECT image{0, 0, width, height};
    POINT a = ClampPointToRect(start, image), b = ClampPointToRect(end, image);
    RECT r{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    if (r.right == r.left)
        ++r.right;
    if (r.bottom == r.top)
        ++r.bottom;
    DeflateIntersect(&r, width, height);
    if (isEmpty(r))
        return RECT{};
    return RECT{r.left, r.top, r.right + 1, r.bottom + 1};
}

bool ReleaseRoi(POINT start, POINT end, int width, int height, RECT* roi) {
    if (std::abs(end.x - start.x) <= 3 || std::abs(end.y - start.y) <= 3)
        return false;
    const RECT image{0, 0, width, height};
    POINT a = ClampPointToRect(start, image), b = ClampPointToRect(end, image);
    RECT r{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    if (r.right == r.left)
        ++r.right;
    if (r.bottom == r.top)
        ++r.bottom;
    r = intersect(r, image);
    if (isEmpty(r))
        return false;
    *roi = r;
    return true;
}

bool OverlayNeedsRebuild(bool exists, bool flagged, const RECT& stored, const RECT& fitted) {
    if (!exists)
        return true;
    const int oldW = stored.right - stored.left, oldH = stored.bottom - stored.top;
    const int newW = fitted.right - fitted.left, newH = fitted.bottom - fitted.top;
    if (stored.left == fitted.left && stored.top == fitted.top && stored.right == fitted.right &&
        stored.bottom == fitted.bottom)
        return flagged;
    return std::abs(newW - oldW) > newW / 10 || std::abs(newH - oldH) > newH / 10;
}

int PageFontPixels(int dpiY) {
    return (9 * dpiY + 36) / 72;
}

PrintPageMetrics MakePageMetrics(int pageWidth, int pageHeight, int dpiX, int dpiY, int charWidth,
                                 int charHeight) {
    PrintPageMetrics m;
    m.pageWidth = pageWidth;
    m.pageHeight = pageHeight;
    m.sideMargin = static_cast<int>(dpiX * 0.1968503937);
    m.topMargin = static_cast<int>(dpiY * 0.1968503937);
    m.textLeft = static_cast<int>(dpiX * 0.7086614173);
    m.charWidth = charWidth;
    m.charHeight = charHeight;
    m.textTop = m.topMargin + charHeight;
    m.fontPixels = PageFontPixels(dpiY);
    return m;
}

ReportCells ReportLayout(const PrintPageMetrics& m, ScreenMode screenMode) {
    ReportCells cells;
    const int L = m.textLeft, T = m.textTop, mx = m.sideMargin, my = m.topMargin;
    const int U = m.pageHeight - 2 * T;
    if (screenMode == kScreen3d) {
        const int C = (m.pageWidth - 2 * L) / 2 - mx;
        for (int k = 0; k < 3; ++k)
            cells.cell[k] = RECT{L, T + k * (U / 3), L + C, T + k * (U / 3) + U / 3 - my};
        cells.cell[3] = RECT{L + C + mx, T, L + 2 * C + mx, T + U / 2 - my};
        cells.cell[4] = RECT{L + C + mx, T + U / 2, L + 2 * C + mx, T + U / 2 + U / 2 - my};
        cells.count = 5;
    } else {
        const int R = 15 * m.charWidth;
        const int C = (m.pageWidth - 2 * L - R) / 2 - 2 * mx;
        const int H2 = U / 2 - my;
        cells.cell[0] = RECT{L, T, L + C, T + 2 * H2};
        cells.cell[1] = RECT{L + C + mx, T, L + 2 * C + mx, T + H2};
        cells.cell[2] = RECT{L + C + mx, T + U / 2, L + 2 * C + mx, T + U / 2 + H2};
        cells.cell[3] = RECT{L + 2 * C + 2 * mx, T + U / 2, L + 2 * C + 2 * mx + R, T + U / 2 + H2};
        cells.count = 4;
    }
    return cells;
}

} // namespace v3d::image
