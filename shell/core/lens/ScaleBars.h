// Geometry of the scale bars drawn over the live picture: which bars, their labels and lengths,
// and where labels, bars and the magnification text lie in the overlay's client rectangle.
#pragma once

#include "platform/WinTypes.h"

#include <functional>
#include <string>
#include <vector>

// The result window has scale-bar types of the same names; this namespace keeps the two apart in
// the one program that links both (the vector code of each is its own).
inline namespace live_scale {

struct ScaleBarInput {
    int micrometreOn = 0;      // switch 1: the micrometre bar
    int dotOn = 0;             // switch 2: the dot-count bar
    double umPerPixel = 0.0;   // micrometres per frame pixel of the current lens
    double barLength = 0.0;    // micrometre bar length
    int dotLength = 0;         // dot bar length in frame pixels
    double ceiling = 0.0;      // rounding step of the dot bar, micrometres
    int corner = 0;            // 0 top left, 1 bottom left, 2 top right, 3 bottom right
    double factor = 1.0;       // multiplies every length
    double displayScale = 0.0; // shown width / frame width; 0 draws nothing
    std::string regName;       // registered name of the current lens
    int lensNumber = -1;       // lens state; -1 unknown
    double zoom = -1.0;
};

struct ScaleBar {
    std::string label;
    int length = 0; // in overlay pixels
};

struct ScaleBarPlacement {
    std::string label;
    RECT labelRect{};
    int barY = 0;         // top row of the 2-pixel bar
    int barLeft = 0;      // first pixel of the bar
    int barRight = 0;     // one past its last pixel
    bool leftTick = true; // a bar cut at the window's edge keeps only its corner's tick
    bool rightTick = true;
};

struct ScaleOverlayLayout {
    std::vector<ScaleBarPlacement> bars;
    std::string magnification; // empty when the lens state is unknown
    RECT magnificationRect{};
};

// The bars in drawing order with their lengths in overlay pixels. No bar without a positive
// micrometres per pixel; no dot bar without a positive ceiling.
std::vector<ScaleBar> ComputeScaleBars(const ScaleBarInput& in);
// "Obj(x180)" for the registered name Obj, lens 90 and zoom 2.0; empty while either is unknown.
std::string MagnificationText(const ScaleBarInput& in);
// Font height of the labels: x × 9 × min(display scale, 1), at least 12.
int ScaleLabelFontHeight(double textFactor, double displayScale);
// Places labels and bars in the client rectangle; measure gives a text's size in the label font.
ScaleOverlayLayout LayoutScaleOverlay(const ScaleBarInput& in, const RECT& client,
                                      const std::function<SIZE(const std::string&)>& measure);

} // namespace live_scale
