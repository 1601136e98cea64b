// What the composition and microscope settings dialogs decide without a window: which of their
// controls are enabled, the presets of the manual values, the default places of the matching
// areas and how a dragged area moves in its frame, and the heights the height dialog gives a
// series.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

// ---- composition settings ----

// Composition types of the radio group: 0 fine, 1 normal, 2 smooth, 3 manual.
constexpr int kFocusTypeManual = 3;

struct FocusTypeEnabling {
    bool manualSettings = false; // button "設定" of the manual type
    bool autoPosCheck = false;   // check box "自動位置合わせ"
    bool autoPosSettings = false;
};
// The manual settings only for the manual type; the alignment settings only while automatic
// alignment is checked; a stereo or confocal microscope (type non-zero) has no alignment at all.
FocusTypeEnabling FocusTypeEnablingFor(int compositionType, int autoPos, int microscopeType);

struct ManualValues {
    int size = 0;      // unevenness size, 0..20
    int smoothing = 0; // smoothing strength, 0..10
};
// The preset of the combo box entry: 0 fine (1, 8), 1 normal (8, 6), 2 smooth (15, 6); none for
// another index.
std::optional<ManualValues> ManualPreset(int index);

// ---- alignment areas ----

// A matching point in percent of the frame's width and height; (-1, -1) is an area not in use.
struct MatchPoint {
    int x = -1, y = -1;
    bool InUse() const { return x != -1 && y != -1; }
    bool operator==(const MatchPoint&) const = default;
};
using MatchPoints = std::array<MatchPoint, 4>;

// The half size in pixels of the square drawn around a matching point.
constexpr int kMatchSquareHalf = 13;
// The pointer's place is shifted by this much in both directions before it is compared.
constexpr int kMatchPointerShift = 5;

// Default places for 2, 3 or 4 areas (count index 0, 1, 2); every point unused for another index.
MatchPoints DefaultMatchPoints(int countIndex);

struct PixelPoint {
    int x = 0, y = 0;
    bool operator==(const PixelPoint&) const = default;
};
// The pixel offset of a point from the frame's top-left corner.
PixelPoint MatchPointPixels(const MatchPoint& p, int frameWidth, int frameHeight);

// One mouse move over the alignment frame. Pointer is in the dialog's client coordinates, the
// frame's top-left corner at (frameLeft, frameTop).
struct MatchDragResult {
    bool overPoint = false; // the drag cursor is shown
    int point = -1;         // index of the nearest point in use within the square's half size
    bool moved = false;     // points changed
};
MatchDragResult MoveOverMatchFrame(MatchPoints& points, int pointerX, int pointerY, int frameLeft,
                                   int frameTop, int frameWidth, int frameHeight, bool dragging);
// Whether the (shifted) pointer lies within the frame, edges included.
bool PointerInMatchFrame(int pointerX, int pointerY, int frameLeft, int frameTop, int frameWidth,
                         int frameHeight);

// ---- heights of a series ----

constexpr double kDepthLimit = 999999.0;

bool DepthInRange(double value);
// The number a height text stands for (atof: text that does not parse counts as 0).
double ParseDepthText(const std::string& text);
// start + i * interval for i = 0 .. count-1; none when start or interval lies outside the range.
std::optional<std::vector<double>> DepthSequence(double start, double interval, size_t count);
// The index of the first height outside the range, or -1 when all lie within it.
int FirstDepthOutOfRange(const std::vector<double>& heights);
