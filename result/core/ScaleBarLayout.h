// Where the scale bars of a result go: up to two bars (the micrometre bar and the pixel-count
// bar) with their length labels and the lens label, in one of the four corners of the picture.
// The same layout serves the screen (at the view's zoom), the printed page and a picture saved
// with the bars burnt in; the caller measures texts and draws.
#pragma once

#include "ids/VantorelIds.h"
#include "platform/WinTypes.h"

#include <functional>
#include <string>
#include <vector>

constexpr UINT kMsgScaleTooLong = vtid::str::ScaleTooLong;
constexpr UINT kMsgScaleTooShort = vtid::str::ScaleTooShort;

enum class ScaleBarTarget { Screen, Print, BurnIn };

struct ScaleBarInput {
    int position = 0; // 0 top left, 1 bottom left, 2 top right, 3 bottom right
    bool umBarOn = false;
    bool dotBarOn = false;
    std::string lensName;       // digits, '-', a number: gives the magnification text
    std::string registeredName; // start of the lens label
    double umPerPixel = 0.0;
    double scaleLengthUm = 0.0;
    int scaleDots = 0;
    double ceilingUnit = 0.0;
    bool wideController = false; // bar lengths scale by image width / 1600
    RECT image{};                // where the picture lies in the target
    int imageWidth = 0;          // picture width in its own pixels
    double scale = 1.0;
    double zoom = 1.0; // the view's zoom factor (screen)
    ScaleBarTarget target = ScaleBarTarget::Screen;
};

struct ScaleBar {
    bool dotBar = false;
    std::string label;
    int fontHeight = 0;
    RECT labelRect{};
    int penWidth = 2;
    int x0 = 0, x1 = 0, y = 0; // the bar line runs from x0 + 1 to x1 - 1
    int tickTop = 0;           // ticks at x0 + 1 and x1 - 1 from tickTop down to y
    bool valid = true;
};

struct ScaleBarLayout {
    std::vector<ScaleBar> bars;
    std::string lensLabel; // empty when the lens name gives no magnification
    RECT lensRect{};
    bool lensRightAligned = false;
    int lensFontHeight = 0;
    // A bar that cannot be shown: its message (1043 or 1044) and whether it is the pixel-count bar.
    UINT failure = 0;
    bool failedDotBar = false;
};

// "(x%d)" with the product of the number before the first '-' and the number after it; empty for a
// name without '-'.
std::string MagnificationText(const std::string& lensName);

// The dot bar's length in micrometres: dots x um per pixel, cut to a whole multiple of the ceiling
// unit; the ceiling unit itself when that is not above 0 (and the uncut length for a unit of 0).
double DotBarLengthUm(int dots, double umPerPixel, double ceilingUnit);

using TextExtent = std::function<SIZE(const std::string& text, int fontHeight)>;
ScaleBarLayout LayoutScaleBars(const ScaleBarInput& in, const TextExtent& extent);
