// Geometry and results of the two graph panes, without any window: the y-up plot mapping, the
// layout of the profile graph and of the area and perimeter graph, the curves as device
// points, the four cursors (hit tests and drags) and the height, width, area and angle results
// the profile graph measures between them.
#pragma once

#include "platform/WinTypes.h"
#include "viewer3d/core/data/LineKind.h"

#include <functional>
#include <vector>

namespace v3d::graph {

// Cursor bits of a drag (A, B, C, D); 0xFFFF: pressed without a hit.
constexpr unsigned kCursorA = 0x0001, kCursorB = 0x0010, kCursorC = 0x0100, kCursorD = 0x1000;
constexpr unsigned kPressedNoHit = 0xFFFF;

// The arc cosine in radians (0..pi) of a value clamped to -1..1.
double ArcCos(double c);
// The angle in degrees (0..180) between the segment P0->P1 and the segment P3->P2; see the
// source for the sign rule.
double MeasureSegmentAngle(double x0, double y0, double x1, double y1, double x2, double y2, double x3,
                           double y3);

// Logical units across (x to the right) and up (y upwards) in a plot rectangle of device
// pixels, with the origin at its lower-left corner. Invalid when the rectangle is empty or a
// logical size is 0: nothing may be mapped then.
struct PlotMapping {
    RECT plot{};
    double logicalWidth = 0.0;
    double logicalHeight = 0.0;
    bool Valid() const;
    double ToDeviceX(double x) const;
    double ToDeviceY(double y) const;
    double ToLogicalX(double deviceX) const;
    double ToLogicalY(double deviceY) const;
};
PlotMapping SetPlotMapping(const RECT& plot, double logicalWidth, double logicalHeight);

// The profile graph's layout in an area (the client rectangle, or a report cell on paper).
struct ProfileLayout {
    RECT frame{}; // the grid: left, top, left + 9 steps + 1, top + 9 steps + 1
    int stepX = 0, stepY = 0;
    int total = 0; // N: samples across the whole plot (the larger image side)
    int count = 0; // n: samples of the current line
    int first = 0; // visible sample range first..last of the N
    int last = -1;
    RECT plot{}; // the frame narrowed to the visible range
    double samplesPerPixel = 0.0;
    double verticalRange = 0.0; // height units over the plot height
    bool drawable = false;      // false when the plot has no width: background only
    // Samples across the frame and the vertical range up.
    PlotMapping Mapping() const;
};
// insetX and insetY are the plot's insets as fractions of the area's width and height. The
// line has count samples; N is the larger of the image's sides.
ProfileLayout LayoutProfileGraph(const RECT& area, double insetX, double insetY, int imageWidth,
                                 int imageHeight, int count, double graphScale);
// Samples of the current line: the image width (horizontal line), height (vertical line) or the
// longer side of the free line's end points plus 1.
int LineSampleCount(LineKind lineKind, int imageWidth, int imageHeight, const RECT& freeLine);

// The four cursors: A and B in samples from the first visible sample, C and D as levels in
// height units above the profile's minimum. The levels are kept in height units, not as parts
// of the plot, so that a measured height does not follow the size of the pane.
struct Cursors {
    double a = 0.0, b = 0.0, c = 0.0, d = 0.0;
};
// The cursors from the stored values (negative positions and levels count as 0; a C level of
// -1 takes the profile's height range, a D level of -1 gives 0). The levels to store back come
// through *storeC and *storeD (true when one was -1).
Cursors CursorDefaults(double storedA, double storedB, double storedC, double storedD, int profileMax,
                       int profileMin, double zScale, bool* storeC, bool* storeD);

// A curve's height at index i ((value - minimum) times the scale), held in 0..range; 0 when
// flat (graph scale 0).
double ClampedHeight(double value, double range, bool flat);
// Samples a curve walks: those the line has and the data holds alike.
inline int WalkCount(int lineCount, int dataCount) {
    return lineCount < dataCount ? (lineCount > 0 ? lineCount : 0) : (dataCount > 0 ? dataCount : 0);
}
// Device points of a curve of count values drawn from the first visible sample on.
std::vector<POINT> CurvePoints(const ProfileLayout& layout, int count,
                               const std::function<double(int)>& height, bool flat);

// Automatic line mode: C the higher and D the lower of the profile's heights at A and B.
void AutomaticLevels(const int* samples, int count, int minimum, double zScale, Cursors* c);
// The sum of (sample - minimum) * zScale over the samples A..B inclusive (within the profile).
double SumHeights(const int* samples, int count, int minimum, double zScale, double a, double b);

struct ProfileResults {
    double height = 0.0; // C - D
    double width = 0.0;  // B - A in samples
    double area = 0.0;   // x pitch times the sum of heights from A to B
    double angle = 0.0;  // of the line from (A, C) to (B, D), degrees
};
ProfileResults ComputeResults(const Cursors& c, double heightSum, double xPitch);

// The cursor bits of a press in device pixels within 1 pixel (inclusive) of A's or B's line,
// and of C's or D's in manual mode; 0 for none.
unsigned HitCursors(const ProfileLayout& layout, const Cursors& c, int x, int y, bool manual);
// Device position of a cursor line (x for A and B, y for C and D; a level above the plot's
// range is drawn on its top edge).
int CursorPixel(const ProfileLayout& layout, const Cursors& c, unsigned which);
// Moves the held cursors to a point given in logical units (x in samples from the first
// visible sample, y in height units); a point outside the visible range or 0..range moves
// nothing. Returns true when it moved.
bool DragCursors(unsigned state, double x, double y, int count, double range, bool manual, Cursors* c);

// The area and perimeter graph: the grid (10 steps across, 9 down) and its two halves.
struct AreaLayout {
    RECT frame{};
    int stepX = 0, stepY = 0;
    RECT left{}, right{};
    bool drawable = false;
};
AreaLayout LayoutAreaGraph(const RECT& area, int charWidth, int charHeight);
// Height levels per pixel row of a sub-graph; 0 when it has no height.
double LevelsPerRow(const RECT& sub, int minLevel, int maxLevel);
// The area curve: for each row from the bottom, the histogram entry at its level scaled so that
// the histogram sum fills the width; a vertex only where x changes.
std::vector<POINT> AreaCurvePoints(const RECT& sub, const std::vector<double>& histogram, double sum,
                                   int minLevel, int maxLevel);
// The perimeter curve: row y takes value y * 64 / (height + 1), scaled so the maximum fills the
// width.
std::vector<POINT> PerimeterCurvePoints(const RECT& sub, const double* curve, int points, double maximum);
// The slice-level indicator: from the height axis across to the curve at the slice's row, then
// down to the bottom (three points); empty when the row lies outside the sub-graph.
std::vector<POINT> SliceIndicator(const RECT& sub, double levelsAboveMinimum, double levelsPerRow,
                                  int curveX);

} // namespace v3d::graph
