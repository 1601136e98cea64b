#include "shell/core/capture/ZTravelDiagram.h"

#include <algorithm>
#include <cmath>

namespace {

// The integer part of a pixel coordinate computed in doubles, kept inside a range that any
// drawing takes (a value far off the bar is clipped away anyway).
int PixelOf(double v) {
    if (!(v > -100000.0))
        return -100000;
    if (v > 100000.0)
        return 100000;
    return static_cast<int>(v);
}

DiagramTriangle CaptureMark(int left, int y) {
    return {{left + 20, y}, {left + 33, y - 5}, {left + 33, y + 5}};
}

DiagramTriangle CurrentMark(int left, int y) {
    return {{left + 14, y}, {left + 5, y - 5}, {left + 5, y + 5}};
}

} // namespace

ZTravelDiagramGeometry ComputeZTravelDiagram(const DiagramRect& client, double current,
                                             const std::vector<double>& positions) {
    ZTravelDiagramGeometry g;
    const int L = client.left;
    const int barTop = client.top + 5;
    const int barBottom = client.bottom - 5;
    const int H = barBottom - barTop;
    g.bar = {L + 15, barTop, L + 20, barBottom};
    g.topTick = {L, barTop, L + 35, barTop + 1};
    g.bottomTick = {L, barTop + (barBottom - 6), L + 35, barTop + (barBottom - 6) + 1};

    // The extremes start at the ends of a 32-bit range, so that with no positions the current
    // value alone sets the minimum and the span reaches far above it.
    double lo = 2147483647.0, hi = -2147483648.0;
    for (double v : positions) {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    if (lo > current)
        lo = current;
    else if (current > hi)
        hi = current;
    const double span = std::fabs(hi - lo);

    if (!(span > 0.0) || !std::isfinite(span)) {
        const int middle = barTop + H / 2;
        if (hi == 0.0 && 0 < middle && middle + 1 < barBottom)
            g.zeroLine = DiagramRect{L + 2, middle, L + 20, middle + 1};
        for (size_t i = 0; i < positions.size(); ++i)
            g.captures.push_back(CaptureMark(L, middle));
        g.current = CurrentMark(L, middle);
        return g;
    }

    const int y0 = PixelOf(hi / span * H + barTop);
    if (0 < y0 && y0 + 1 < barBottom)
        g.zeroLine = DiagramRect{L + 2, y0, L + 20, y0 + 1};
    for (double v : positions) {
        const int y = std::min(PixelOf(barTop + H * (lo - v + span) / span), barBottom - 1);
        g.captures.push_back(CaptureMark(L, y));
    }
    const int y = std::min(PixelOf(barTop + H * (span - (current - lo)) / span), barBottom - 1);
    g.current = CurrentMark(L, y);
    return g;
}
