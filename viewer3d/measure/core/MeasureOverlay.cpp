#include "viewer3d/measure/core/MeasureOverlay.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace v3d::overlay {

namespace {

double distanceToSegment(const PointF& a, const PointF& b, double x, double y) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0.0 ? ((x - a.x) * dx + (y - a.y) * dy) / length2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(x - (a.x + t * dx), y - (a.y + t * dy));
}

} // namespace

bool PointInPolygon(const std::vector<PointF>& polygon, double x, double y) {
    const size_t n = polygon.size();
    if (n < 3)
        return false;
    bool inside = false;
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const PointF& a = polygon[i];
        const PointF& b = polygon[j];
        if (distanceToSegment(a, b, x, y) < 1e-3)
            return true;
        if ((a.y > y) != (b.y > y)) {
            const double crossX = a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y);
            if (x < crossX)
                inside = !inside;
        }
    }
    return inside;
}

std::vector<PointF> CrossLineRegion(POINT a, POINT b) {
    const double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
    const double length = std::hypot(dx, dy);
    if (length == 0.0)
        return {
            {a.x - 1.0, a.y - 1.0}, {a.x + 1.0, a.y - 1.0}, {a.x + 1.0, a.y + 1.0}, {a.x - 1.0, a.y + 1.0}};
    // Unit vectors along and across the segment; the corners lie 1 pixel out on both. For an
    // axis-parallel segment this is the rectangle 1 pixel larger on every side.
    const double ux = dx / length, uy = dy / length;
    const double nx = -uy, ny = ux;
    const PointF start{a.x - ux, a.y - uy}, end{b.x + ux, b.y + uy};
    return {{start.x + nx, start.y + ny},
            {end.x + nx, end.y + ny},
            {end.x - nx, end.y - ny},
            {start.x - nx, start.y - ny}};
}

bool PicksUp(int pointer, int line, int last, bool haveLast) {
    if (std::abs(pointer - line) <= 1)
        return true;
    return haveLast && ((last < line && pointer > line) || (last > line && pointer < line));
}

int ClampLinePosition(int position, int half, int extent) {
    const int low = half, high = extent - half;
    if (high < low)
        return extent / 2;
    return std::clamp(position, low, high);
}

int ClampCursorA(int value, int b) {
    return std::clamp(value, 0, std::max(b, 0));
}

int ClampCursorB(int value, int a, int end) {
    return std::clamp(value, std::min(a, end), end);
}

bool FreeLineAlongX(const RECT& line) {
    return std::abs(line.right - line.left) > std::abs(line.bottom - line.top);
}

int FreeLineLast(const RECT& line) {
    return FreeLineAlongX(line) ? std::abs(line.right - line.left) : std::abs(line.bottom - line.top);
}

int FreeCursorPosition(const RECT& line, POINT projected) {
    if (FreeLineAlongX(line))
        return projected.x - std::min(line.left, line.right);
    return projected.y - std::min(line.top, line.bottom);
}

std::array<PointF, 4> FreeBand(const RECT& line, int half) {
    const bool shiftX = std::abs(line.bottom - line.top) >= std::abs(line.right - line.left);
    const double ox = shiftX ? half : 0.0, oy = shiftX ? 0.0 : half;
    return {PointF{line.left - ox, line.top - oy}, PointF{line.right - ox, line.bottom - oy},
            PointF{line.right + ox, line.bottom + oy}, PointF{line.left + ox, line.top + oy}};
}

} // namespace v3d::overlay
