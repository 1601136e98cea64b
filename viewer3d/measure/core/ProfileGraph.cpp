#include "viewer3d/measure/core/ProfileGraph.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace v3d::graph {

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;

bool isEmpty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

LONG roundToPixel(double v) {
    return static_cast<LONG>(std::lround(v));
}

} // namespace

double ArcCos(double c) {
    return std::acos(std::clamp(c, -1.0, 1.0));
}

double MeasureSegmentAngle(double x0, double y0, double x1, double y1, double x2, double y2, double x3,
                           double y3) {
    const double dx1 = x1 - x0, dy1 = y1 - y0;
    const double dx2 = x2 - x3, dy2 = y2 - y3;
    auto direction = [](double dx, double dy) {
        const double length = std::sqrt(dx * dx + dy * dy);
        return length == 0.0 ? 0.0 : ArcCos(dx / length);
    };
    const double a1 = direction(dx1, dy1), a2 = direction(dx2, dy2);
    // Opposite sides of the x axis: the angles add; same side (or on the axis): they subtract.
    const bool opposite = (dy1 > 0 && dy2 < 0) || (dy1 < 0 && dy2 > 0);
    double degrees = (opposite ? a1 + a2 : std::fabs(a1 - a2)) * kDegreesPerRadian;
    if (degrees > 180.0)
        degrees = 360.0 - degrees;
    return degrees;
}

bool PlotMapping::Valid() const {
    return !isEmpty(plot) && logicalWidth != 0.0 && logicalHeight != 0.0 && std::isfinite(logicalWidth) &&
           std::isfinite(logicalHeight);
}

double PlotMapping::ToDeviceX(double x) const {
    return Valid() ? plot.left + x * (plot.right - plot.left) / logicalWidth : plot.left;
}

double PlotMapping::ToDeviceY(double y) const {
    return Valid() ? plot.bottom - y * (plot.bottom - plot.top) / logicalHeight : plot.bottom;
}

double PlotMapping::ToLogicalX(double deviceX) const {
    return Valid() ? (deviceX - plot.left) * logicalWidth / (plot.right - plot.left) : 0.0;
}

double PlotMapping::ToLogicalY(double deviceY) const {
    return Valid() ? (plot.bottom - deviceY) * logicalHeight / (plot.bottom - plot.top) : 0.0;
}

PlotMapping SetPlotMapping(const RECT& plot, double logicalWidth, double logicalHeight) {
    return PlotMapping{plot, logicalWidth, logicalHeight};
}

PlotMapping ProfileLayout::Mapping() const {
    const RECT grid{frame.left, frame.top, frame.left + 9 * stepX, frame.top + 9 * stepY};
    return SetPlotMapping(grid, total - 1, verticalRange);
}

int LineSampleCount(LineKind lineKind, int imageWidth, int imageHeight, const RECT& freeLine) {
    switch (lineKind) {
    case kLineHorizontal:
        return imageWidth;
    case kLineVertical:
        return imageHeight;
    default:
        return std::max(std::abs(freeLine.right - freeLine.left), std::abs(freeLine.bottom - freeLine.top)) +
               1;
    }
}

ProfileLayout LayoutProfileGraph(const RECT& area, double insetX, double insetY, int imageWidth,
                                 int imageHeight, int count, double graphScale) {
    ProfileLayout l;
    const int w = area.right - area.left, h = area.bottom - area.top;
    const int dx = static_cast<int>(std::lround(insetX * w)), dy = static_cast<int>(std::lround(insetY * h));
    const int plotWidth = w - 2 * dx, plotHeight = h - 2 * dy;
    l.stepX = plotWidth / 9;
    l.stepY = plotHeight / 9;
    l.frame = RECT{area.left + dx, area.top + dy, area.left + dx + 9 * l.stepX + 1,
                   area.top + dy + 9 * l.stepY + 1};
    l.total = std::max(imageWidth, imageHeight);
    l.count = std::max(count, 0);
    l.first = std::max((l.total - l.count) / 2, 0);
    l.last = l.first + l.count - 1;
    // A plot without width has no scale: the pane shows its background only.
    if (l.stepX <= 0 || l.stepY <= 0 || l.total <= 0)
        return l;
    l.drawable = true;
    l.samplesPerPixel = static_cast<double>(l.total - 1) / (9 * l.stepX);
    l.verticalRange = 9 * l.stepY * l.samplesPerPixel;
    if (graphScale > 0.0)
        l.verticalRange /= graphScale;
    l.plot = l.frame;
    if (l.first != 0 && l.samplesPerPixel > 0.0) {
        l.plot.left = l.frame.left + roundToPixel(l.first / l.samplesPerPixel);
        l.plot.right = l.frame.left + roundToPixel(l.last / l.samplesPerPixel) + 1;
    }
    return l;
}

Cursors CursorDefaults(double storedA, double storedB, double storedC, double storedD, int profileMax,
                       int profileMin, double zScale, bool* storeC, bool* storeD) {
    Cursors c;
    c.a = std::max(storedA, 0.0);
    c.b = std::max(storedB, 0.0);
    *storeC = storedC == -1.0;
    *storeD = storedD == -1.0;
    c.c = *storeC ? (profileMax - profileMin) * zScale : storedC;
    c.d = *storeD ? 0.0 : storedD;
    if (!(c.c >= 0.0))
        c.c = 0.0;
    if (!(c.d >= 0.0))
        c.d = 0.0;
    return c;
}

double ClampedHeight(double value, double range, bool flat) {
    if (flat)
        return 0.0;
    return std::clamp(value, 0.0, std::max(range, 0.0));
}

std::vector<POINT> CurvePoints(const ProfileLayout& layout, int count,
                               const std::function<double(int)>& height, bool flat) {
    std::vector<POINT> points;
    const PlotMapping m = layout.Mapping();
    if (!layout.drawable || !m.Valid() || count <= 0)
        return points;
    points.reserve(static_cast<size_t>(count));
    for (int j = 0; j < count; ++j) {
        const double y = ClampedHeight(height(j), layout.verticalRange, flat);
        points.push_back(POINT{roundToPixel(m.ToDeviceX(layout.first + j)), roundToPixel(m.ToDeviceY(y))});
    }
    return points;
}

void AutomaticLevels(const int* samples, int count, int minimum, double zScale, Cursors* c) {
    auto at = [&](double position) {
        const int i = static_cast<int>(position);
        if (!samples || i < 0 || i >= count)
            return 0.0;
        return std::max((samples[i] - minimum) * zScale, 0.0);
    };
    const double ha = at(c->a), hb = at(c->b);
    c->c = std::max(ha, hb);
    c->d = std::min(ha, hb);
}

double SumHeights(const int* samples, int count, int minimum, double zScale, double a, double b) {
    if (!samples)
        return 0.0;
    const int from = std::max(static_cast<int>(a), 0), to = std::min(static_cast<int>(b), count - 1);
    double sum = 0.0;
    for (int i = from; i <= to; ++i)
        sum += (samples[i] - minimum) * zScale;
    return sum;
}

ProfileResults ComputeResults(const Cursors& c, double heightSum, double xPitch) {
    ProfileResults r;
    r.area = xPitch * heightSum;
    r.height = c.c - c.d;
    r.width = c.b - c.a;
    r.angle = MeasureSegmentAngle(c.b * xPitch, c.c, c.a * xPitch, c.c, c.a * xPitch, c.c, c.b * xPitch, c.d);
    return r;
}

int CursorPixel(const ProfileLayout& layout, const Cursors& c, unsigned which) {
    const PlotMapping m = layout.Mapping();
    switch (which) {
    case kCursorA:
        return roundToPixel(m.ToDeviceX(layout.first + c.a));
    case kCursorB:
        return roundToPixel(m.ToDeviceX(layout.first + c.b));
    case kCursorC:
        return roundToPixel(m.ToDeviceY(ClampedHeight(c.c, layout.verticalRange, false)));
    default:
        return roundToPixel(m.ToDeviceY(ClampedHeight(c.d, layout.verticalRange, false)));
    }
}

unsigned HitCursors(const ProfileLayout& layout, const Cursors& c, int x, int y, bool manual) {
    if (!layout.drawable || !layout.Mapping().Valid())
        return 0;
    unsigned hit = 0;
    if (std::abs(x - CursorPixel(layout, c, kCursorA)) <= 1)
        hit |= kCursorA;
    if (std::abs(x - CursorPixel(layout, c, kCursorB)) <= 1)
        hit |= kCursorB;
    if (manual) {
        if (std::abs(y - CursorPixel(layout, c, kCursorC)) <= 1)
            hit |= kCursorC;
        if (std::abs(y - CursorPixel(layout, c, kCursorD)) <= 1)
            hit |= kCursorD;
    }
    return hit;
}

bool DragCursors(unsigned state, double x, double y, int count, double range, bool manual, Cursors* c) {
    if (state == 0 || state == kPressedNoHit)
        return false;
    if (x < 0.0 || x > count - 1 || y < 0.0 || y > range)
        return false;
    if (state & kCursorA)
        c->a = std::min(x, c->b);
    if (state & kCursorB)
        c->b = std::clamp(x, c->a, static_cast<double>(count - 1));
    // y lies within 0..range here; a level beyond the plot (drawn on its edge) bounds the other.
    if (manual) {
        if (state & kCursorC)
            c->c = std::max(y, c->d);
        if (state & kCursorD)
            c->d = std::min(y, c->c);
    }
    return true;
}

AreaLayout LayoutAreaGraph(const RECT& area, int charWidth, int charHeight) {
    AreaLayout l;
    const int left = area.left + 2 * charWidth, right = area.right - 2 * charWidth;
    const int top = area.top + charHeight * 5 / 2, bottom = area.bottom - 2 * charHeight;
    l.stepX = (right - left) / 10;
    l.stepY = (bottom - top) / 9;
    l.frame = RECT{left, top, left + 10 * l.stepX + 1, top + 9 * l.stepY + 1};
    l.left = RECT{left, top, left + 5 * l.stepX, top + 9 * l.stepY};
    l.right = RECT{left + 5 * l.stepX, top, left + 10 * l.stepX, top + 9 * l.stepY};
    l.drawable = l.stepX > 0 && l.stepY > 0;
    return l;
}

double LevelsPerRow(const RECT& sub, int minLevel, int maxLevel) {
    const int height = sub.bottom - sub.top;
    return height > 0 ? static_cast<double>(maxLevel - minLevel) / height : 0.0;
}

std::vector<POINT> AreaCurvePoints(const RECT& sub, const std::vector<double>& histogram, double sum,
                                   int minLevel, int maxLevel) {
    std::vector<POINT> points;
    const int width = sub.right - sub.left, height = sub.bottom - sub.top;
    if (width <= 0 || height <= 0 || histogram.empty() || !(sum > 0.0))
        return points;
    const double perRow = LevelsPerRow(sub, minLevel, maxLevel);
    for (int row = 0; row <= height; ++row) {
        const int level = minLevel + static_cast<int>(row * perRow);
        const double entry = level >= 0 && level < static_cast<int>(histogram.size())
                                 ? histogram[static_cast<size_t>(level)]
                                 : 0.0;
        const POINT p{sub.left + roundToPixel(entry / sum * width), sub.bottom - row};
        if (points.empty() || points.back().x != p.x || row == height)
            points.push_back(p);
    }
    return points;
}

std::vector<POINT> PerimeterCurvePoints(const RECT& sub, const double* curve, int count, double maximum) {
    std::vector<POINT> points;
    const int width = sub.right - sub.left, height = sub.bottom - sub.top;
    if (width <= 0 || height <= 0 || !curve || count <= 0)
        return points;
    for (int row = 0; row <= height; ++row) {
        const int i = std::min(row * count / (height + 1), count - 1);
        const double x = maximum > 0.0 ? curve[i] / maximum * width : 0.0;
        points.push_back(POINT{sub.left + roundToPixel(x), sub.bottom - row});
    }
    return points;
}

std::vector<POINT> SliceIndicator(const RECT& sub, double levelsAboveMinimum, double levelsPerRow,
                                  int curveX) {
    if (!(levelsPerRow > 0.0))
        return {};
    const LONG y = sub.bottom - roundToPixel(levelsAboveMinimum / levelsPerRow);
    if (y < sub.top || y > sub.bottom)
        return {};
    return {POINT{sub.left, y}, POINT{curveX, y}, POINT{curveX, sub.bottom}};
}

} // namespace v3d::graph
