#include "shell/core/settings/SettingsDialogRules.h"

#include <cmath>
#include <cstdlib>

FocusTypeEnabling FocusTypeEnablingFor(int compositionType, int autoPos, int microscopeType) {
    FocusTypeEnabling e;
    e.manualSettings = compositionType == kFocusTypeManual;
    e.autoPosCheck = microscopeType == 0;
    e.autoPosSettings = microscopeType == 0 && autoPos != 0;
    return e;
}

std::optional<ManualValues> ManualPreset(int index) {
    switch (index) {
    case 0:
        return ManualValues{1, 8};
    case 1:
        return ManualValues{8, 6};
    case 2:
        return ManualValues{15, 6};
    default:
        return std::nullopt;
    }
}

MatchPoints DefaultMatchPoints(int countIndex) {
    MatchPoints p{};
    switch (countIndex) {
    case 0:
        p[0] = {25, 50};
        p[1] = {75, 50};
        break;
    case 1:
        p[0] = {50, 25};
        p[1] = {75, 75};
        p[2] = {25, 75};
        break;
    case 2:
        p[0] = {50, 25};
        p[1] = {75, 50};
        p[2] = {50, 75};
        p[3] = {25, 50};
        break;
    default:
        break;
    }
    return p;
}

PixelPoint MatchPointPixels(const MatchPoint& p, int frameWidth, int frameHeight) {
    return {static_cast<int>(frameWidth / 100.0 * p.x), static_cast<int>(frameHeight / 100.0 * p.y)};
}

bool PointerInMatchFrame(int pointerX, int pointerY, int frameLeft, int frameTop, int frameWidth,
                         int frameHeight) {
    const int x = pointerX + kMatchPointerShift, y = pointerY + kMatchPointerShift;
    return x >= frameLeft && x <= frameLeft + frameWidth && y >= frameTop && y <= frameTop + frameHeight;
}

MatchDragResult MoveOverMatchFrame(MatchPoints& points, int pointerX, int pointerY, int frameLeft,
                                   int frameTop, int frameWidth, int frameHeight, bool dragging) {
    MatchDragResult r;
    if (frameWidth <= 0 || frameHeight <= 0 ||
        !PointerInMatchFrame(pointerX, pointerY, frameLeft, frameTop, frameWidth, frameHeight))
        return r;
    const int dx = pointerX + kMatchPointerShift - frameLeft;
    const int dy = pointerY + kMatchPointerShift - frameTop;
    double nearest = 10000.0;
    int index = -1;
    for (int i = 0; i < 4; ++i) {
        if (!points[i].InUse())
            continue;
        const PixelPoint c = MatchPointPixels(points[i], frameWidth, frameHeight);
        const double d = std::hypot(double(dx - c.x), double(dy - c.y));
        if (d < nearest) {
            nearest = d;
            index = i;
        }
    }
    if (index < 0 || nearest > kMatchSquareHalf)
        return r;
    r.overPoint = true;
    r.point = index;
    // The square must stay wholly inside the frame; a move that would touch the edge is left out.
    const bool inside = dx - kMatchSquareHalf > 0 && dx + kMatchSquareHalf < frameWidth &&
                        dy - kMatchSquareHalf > 0 && dy + kMatchSquareHalf < frameHeight;
    if (dragging && inside) {
        const MatchPoint moved{static_cast<int>(double(dx) / frameWidth * 100.0),
                               static_cast<int>(double(dy) / frameHeight * 100.0)};
        if (!(moved == points[index])) {
            points[index] = moved;
            r.moved = true;
        }
    }
    return r;
}

bool DepthInRange(double value) {
    return value >= -kDepthLimit && value <= kDepthLimit;
}

double ParseDepthText(const std::string& text) {
    return std::atof(text.c_str());
}

std::optional<std::vector<double>> DepthSequence(double start, double interval, size_t count) {
    if (!DepthInRange(start) || !DepthInRange(interval))
        return std::nullopt;
    std::vector<double> heights(count);
    for (size_t i = 0; i < count; ++i)
        heights[i] = start + static_cast<double>(i) * interval;
    return heights;
}

int FirstDepthOutOfRange(const std::vector<double>& heights) {
    for (size_t i = 0; i < heights.size(); ++i)
        if (!DepthInRange(heights[i]))
            return static_cast<int>(i);
    return -1;
}
