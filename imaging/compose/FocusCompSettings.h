// What a focus series is composed with: the record CFocusComp::StartSeries and the composition
// worker's start take.
#pragma once

#include "platform/WinTypes.h"

#include <array>

// Microscope types.
constexpr int FOCUS_SCOPE_ORDINARY = 0; // optional alignment
constexpr int FOCUS_SCOPE_STEREO = 1;   // horizontal drift correction, output cut to common columns
constexpr int FOCUS_SCOPE_CONFOCAL = 2; // focus measure from the brightness of the red plane

enum class FocusScope : int {
    Ordinary = FOCUS_SCOPE_ORDINARY,
    Stereo = FOCUS_SCOPE_STEREO,
    Confocal = FOCUS_SCOPE_CONFOCAL,
};

// What a series is composed with, given to CFocusComp::StartSeries.
struct FocusCompSettings {
    int width = 0, height = 0; // of every image of the series
    int sizeParam = 8;         // scales the smoothing of the focus measure (0: none)
    // Another value than the three (a setting read from a file) is kept as it is and composes
    // as the ordinary microscope.
    FocusScope scope = FocusScope::Ordinary;
    // Stereo microscope: the band of rows whose drift is measured, chosen by the engine
    // (automatic) or at a quarter, half or three quarters of the height (manual position 0, 1
    // or 2; another position is automatic).
    struct Band {
        bool manual = false;
        int position = 1;
    } band{};
    // Ordinary microscope: each new image is mapped onto the previous one by patterns matched
    // around the first 2 + matchCount points (matchCount held to 0..2), which are given in
    // percent of the inner 80 % of the image.
    struct Alignment {
        bool on = false;
        int matchCount = 2;
        std::array<POINT, 4> points{};
    } alignment{};
    // The focus maps on a grid `width` cells wide (the height in proportion) instead of one
    // cell per pixel; a grid no smaller than the image, or one that rounds to no row, is none.
    struct CoarseGrid {
        bool on = false;
        int width = 0;
    } coarse{};
};
