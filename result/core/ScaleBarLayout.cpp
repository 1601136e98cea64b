#include "result/core/ScaleBarLayout.h"

#include "platform/Settings.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

std::string MagnificationText(const std::string& lensName) {
    const size_t dash = lensName.find('-');
    if (dash == std::string::npos)
        return {};
    std::string before, after;
    for (size_t i = 0; i < dash; ++i)
        if (std::isdigit(static_cast<unsigned char>(lensName[i])))
            before += lensName[i];
    for (size_t i = dash + 1; i < lensName.size(); ++i)
        if (std::isdigit(static_cast<unsigned char>(lensName[i])) || lensName[i] == '.')
            after += lensName[i];
    const int m = std::atoi(before.c_str());
    const double z = after.empty() ? 0.0 : std::atof(after.c_str());
    char text[40];
    std::snprintf(text, sizeof text, "(x%d)", static_cast<int>(m * z));
    return text;
}

double DotBarLengthUm(int dots, double umPerPixel, double ceilingUnit) {
    double len = dots * umPerPixel;
    if (ceilingUnit > 0.0 && std::isfinite(len))
        len = std::floor(len / ceilingUnit) * ceilingUnit;
    if (!(len > 0.0))
        len = ceilingUnit;
    return len;
}

namespace {

// A font taller than the top margins would put the lens label (or the first length label) above
// the picture, where it is cut off: the whole stack moves down by what is missing.
void KeepBelowTop(ScaleBarLayout& out, int top) {
    int highest = top;
    for (const ScaleBar& bar : out.bars)
        highest = std::min(highest, int(bar.labelRect.top));
    if (!out.lensLabel.empty())
        highest = std::min(highest, int(out.lensRect.top));
    const int dy = top - highest;
    if (dy <= 0)
        return;
    for (ScaleBar& bar : out.bars) {
        bar.labelRect.top += dy;
        bar.labelRect.bottom += dy;
        bar.y += dy;
        bar.tickTop += dy;
    }
    out.lensRect.top += dy;
    out.lensRect.bottom += dy;
}

} // namespace

ScaleBarLayout LayoutScaleBars(const ScaleBarInput& in, const TextExtent& extent) {
    ScaleBarLayout out;
    const int P = in.position;
    if ((!in.umBarOn && !in.dotBarOn) || P < 0 || P > 3)
        return out;
    const std::string mag = MagnificationText(in.lensName);
    const bool top = P == 0 || P == 2;
    const bool left = P == 0 || P == 1;

    struct Planned {
        bool dot;
        double lengthUm;
    };
    std::vector<Planned> plan;
    auto addDot = [&] {
        if (in.dotBarOn)
            plan.push_back({true, DotBarLengthUm(in.scaleDots, in.umPerPixel, in.ceilingUnit)});
    };
    auto addUm = [&] {
        if (in.umBarOn)
            plan.push_back({false, in.scaleLengthUm});
    };
    if (top) {
        addUm();
        addDot();
    } else {
        addDot();
        addUm();
    }

    double side = 10, nearM = 10, farM = 15;
    if (top) {
        nearM = mag.empty() ? 10 : 30;
        farM = 25;
    }
    const double k = in.imageWidth / 640.0;
    double g = 1.0;
    switch (in.target) {
    case ScaleBarTarget::Print:
        g = in.scale;
        break;
    case ScaleBarTarget::BurnIn:
        g = 1.0;
        break;
    case ScaleBarTarget::Screen:
        g = in.zoom;
        break;
    }
    int fontHeight = 0;
    switch (in.target) {
    case ScaleBarTarget::Print:
        fontHeight = int(k * in.scale * 16);
        break;
    case ScaleBarTarget::BurnIn:
        fontHeight = int(k * 16);
        break;
    case ScaleBarTarget::Screen:
        fontHeight = int(in.scale * 9 * std::min(in.zoom, 1.0));
        break;
    }
    fontHeight = std::max(fontHeight, 12);
    int pen = 2;
    switch (in.target) {
    case ScaleBarTarget::Print:
        pen = int(k * in.scale * 2);
        break;
    case ScaleBarTarget::BurnIn:
        pen = int(in.scale * k);
        break;
    case ScaleBarTarget::Screen:
        pen = 2;
        break;
    }
    pen = std::max(pen, 2);
    const RECT& R = in.image;
    const int imageSpan = R.right - R.left;

    for (size_t n = 0; n < plan.size(); ++n) {
        ScaleBar bar;
        bar.dotBar = plan[n].dot;
        bar.label = FormatDoubleText(plan[n].lengthUm) + "um";
        bar.fontHeight = fontHeight;
        bar.penWidth = pen;
        // The pixel length only when a pitch exists: the validity test comes before the division.
        double pixels = 0.0;
        const bool pitchOk = in.umPerPixel > 0.0 && std::isfinite(in.umPerPixel);
        if (pitchOk) {
            pixels = double(int(plan[n].lengthUm / in.umPerPixel));
            if (in.wideController)
                pixels *= in.imageWidth / 1600.0;
        }
        const double length = std::isfinite(pixels * g) ? pixels * g : 0.0;
        const int len = length > 2e9 ? 2000000000 : int(length);
        double sidePx = side * g, nearPx = nearM * g, farPx = farM * g;
        if (n == 0 && top) {
            nearPx = nearM;
            farPx = nearPx + 5;
        }
        const SIZE te = extent(bar.label, fontHeight);
        int lx, ly;
        if (left)
            lx = R.left + int(sidePx) + std::max(0, (len - te.cx) / 2);
        else
            lx = R.right - int(sidePx) - std::max(int(te.cx), (len - te.cx) / 2 + te.cx);
        if (top)
            ly = R.top + int(nearPx);
        else
            ly = R.bottom - te.cy - int(farPx);
        bar.labelRect = {lx, ly, lx + te.cx, ly + te.cy};
        const int gap = int(std::fabs(farPx - nearPx));
        if (left) {
            bar.x0 = R.left + int(sidePx);
            bar.x1 = bar.x0 + len;
        } else {
            bar.x0 = R.right - len - int(sidePx);
            bar.x1 = R.right - int(sidePx);
        }
        bar.y = top ? bar.labelRect.bottom + gap : R.bottom - int(nearPx);
        if (bar.x1 > R.right) {
            bar.x0 -= int(sidePx);
            bar.x1 -= int(sidePx);
        } else if (bar.x0 < R.left) {
            bar.x0 += int(sidePx);
            bar.x1 += int(sidePx);
        }
        bar.tickTop = bar.labelRect.bottom - pen;
        bar.valid = pitchOk && len >= 6 && imageSpan >= len;
        out.bars.push_back(bar);
        if (!bar.valid) {
            out.failure = len <= 5 ? kMsgScaleTooShort : kMsgScaleTooLong;
            out.failedDotBar = bar.dotBar;
            break;
        }
        if (top)
            nearM = (bar.y - R.top + 5 * g + 2 * pen) / g - 5;
        else
            nearM = (R.bottom - bar.labelRect.top + 5 * g + 2 * pen) / g - 5;
        farM = nearM + 5;
    }
    if (!mag.empty() && !out.bars.empty()) {
        const ScaleBar& anchor = top ? out.bars.front() : out.bars.back();
        out.lensLabel = in.registeredName + mag;
        out.lensFontHeight = fontHeight;
        const SIZE te = extent(out.lensLabel, fontHeight);
        const int y = anchor.labelRect.top - te.cy;
        if (left) {
            out.lensRect = {anchor.x0, y, anchor.x0 + te.cx, y + te.cy};
        } else {
            out.lensRect = {anchor.x1 - te.cx, y, anchor.x1, y + te.cy};
            out.lensRightAligned = true;
        }
    }
    if (top)
        KeepBelowTop(out, R.top);
    return out;
}
