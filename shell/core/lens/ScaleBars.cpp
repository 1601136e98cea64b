#include "shell/core/lens/ScaleBars.h"

#include "platform/Settings.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

namespace {
constexpr int kMargin = 10;
constexpr int kTick = 4; // height of the end ticks between a label's bottom and its bar

int ClampToInt(double v) {
    if (!(v == v))
        return 0;
    v = std::trunc(v);
    if (v > INT_MAX)
        return INT_MAX;
    if (v < INT_MIN)
        return INT_MIN;
    return static_cast<int>(v);
}

bool IsBottom(int corner) {
    return corner == 1 || corner == 3;
}
bool IsRight(int corner) {
    return corner == 2 || corner == 3;
}
} // namespace

inline namespace live_scale {

std::vector<ScaleBar> ComputeScaleBars(const ScaleBarInput& in) {
    std::vector<ScaleBar> bars;
    const double c = in.umPerPixel;
    if (!(c > 0.0))
        return bars;
    ScaleBar micro;
    ScaleBar dots;
    const bool haveMicro = in.micrometreOn != 0;
    const bool haveDots = in.dotOn != 0 && in.ceiling > 0.0;
    if (haveMicro) {
        micro.label = FormatDoubleText(in.barLength) + "um";
        micro.length = ClampToInt(in.barLength / c);
    }
    if (haveDots) {
        const double s = in.ceiling;
        double u = std::trunc(in.dotLength * c / s) * s;
        if (u <= 0.0)
            u = s;
        dots.label = FormatDoubleText(u) + "um";
        dots.length = ClampToInt(u / c);
    }
    const bool dotsFirst = IsBottom(in.corner);
    if (dotsFirst && haveDots)
        bars.push_back(dots);
    if (haveMicro)
        bars.push_back(micro);
    if (!dotsFirst && haveDots)
        bars.push_back(dots);
    for (ScaleBar& b : bars) {
        b.length = ClampToInt(b.length * in.factor);
        b.length = ClampToInt(b.length * in.displayScale);
    }
    return bars;
}

std::string MagnificationText(const ScaleBarInput& in) {
    if (in.lensNumber == -1 || in.zoom == -1.0)
        return {};
    char text[320];
    std::snprintf(text, sizeof text, "%s(x%d)", in.regName.c_str(), ClampToInt(in.zoom * in.lensNumber));
    return text;
}

int ScaleLabelFontHeight(double textFactor, double displayScale) {
    return std::max(12, ClampToInt(textFactor * 9.0 * std::min(displayScale, 1.0)));
}

ScaleOverlayLayout LayoutScaleOverlay(const ScaleBarInput& in, const RECT& client,
                                      const std::function<SIZE(const std::string&)>& measure) {
    ScaleOverlayLayout out;
    if (in.displayScale == 0.0)
        return out;
    const std::vector<ScaleBar> bars = ComputeScaleBars(in);
    out.magnification = MagnificationText(in);
    const bool bottom = IsBottom(in.corner);
    const bool right = IsRight(in.corner);
    const int width = client.right - client.left;

    int cursor = bottom ? client.bottom - 15 : client.top + (out.magnification.empty() ? 10 : 20);
    int previousTop = 0;
    for (size_t i = 0; i < bars.size(); ++i) {
        const ScaleBar& bar = bars[i];
        ScaleBarPlacement p;
        p.label = bar.label;
        const SIZE text = measure(bar.label);
        // Horizontal span of the bar, from its corner's side; cut at the window's edge.
        if (right) {
            p.barRight = client.right - kMargin;
            p.barLeft = p.barRight - bar.length;
            if (bar.length > width) {
                p.barLeft = client.left;
                p.leftTick = false;
            }
        } else {
            p.barLeft = client.left + kMargin;
            p.barRight = p.barLeft + bar.length;
            if (bar.length > width) {
                p.barRight = client.right;
                p.rightTick = false;
            }
        }
        const int centre = (p.barLeft + p.barRight) / 2;
        p.labelRect.left = centre - text.cx / 2;
        p.labelRect.right = p.labelRect.left + text.cx;
        if (bottom) {
            // cursor is the label's bottom; the first bar lies 10 px above the window's bottom.
            p.labelRect.bottom = cursor;
            p.labelRect.top = cursor - text.cy;
            p.barY = i == 0 ? client.bottom - 10 : previousTop - 4;
            previousTop = p.labelRect.top;
            cursor = previousTop - ClampToInt(5 * in.displayScale + 4);
        } else {
            p.labelRect.top = cursor;
            p.labelRect.bottom = cursor + text.cy;
            p.barY = p.labelRect.bottom + kTick;
            cursor = p.barY + 2 + 4;
        }
        out.bars.push_back(p);
    }
    if (!out.magnification.empty()) {
        const SIZE text = measure(out.magnification);
        RECT r{};
        const ScaleBarPlacement* anchor = nullptr;
        if (!out.bars.empty())
            anchor = bottom ? &out.bars.back() : &out.bars.front();
        const int top = anchor ? anchor->labelRect.top : (bottom ? client.bottom - 15 - text.cy : cursor);
        r.top = top;
        r.bottom = top + text.cy;
        if (right) {
            r.right = anchor ? anchor->barLeft - kMargin : client.right - kMargin;
            r.left = r.right - text.cx;
        } else {
            r.left = anchor ? anchor->barRight + kMargin : client.left + kMargin;
            r.right = r.left + text.cx;
        }
        out.magnificationRect = r;
    }
    return out;
}

} // namespace live_scale
