// Geometry of the measuring overlay of the analysis pane, without any window: the hit regions
// around the cursor cross lines of a free line (a polygon 1 pixel to each side, tested by our
// own point-in-polygon), the pick-up rule of a drag that starts on empty space, the ranges the
// dragged line and cursors keep to, and the strip drawn around a free line.
#pragma once

#include "platform/WinTypes.h"

#include <array>
#include <vector>

namespace v3d::overlay {

// Drag bits of the analysis pane: cursor A, cursor B, the measuring line, a new free line.
constexpr unsigned kDragA = 0x0001, kDragB = 0x0010, kDragLine = 0x0100, kDragNewFree = 0x1000;
constexpr unsigned kPressedNoHit = 0xFFFF;

struct PointF {
    double x = 0.0, y = 0.0;
};

// True when (x, y) lies inside the polygon or on its boundary (crossing count for the inside,
// distance below a thousandth of a pixel for the edges).
bool PointInPolygon(const std::vector<PointF>& polygon, double x, double y);
// The region around the segment a-b (client pixels) reaching 1 pixel to each side of it and
// beyond its ends; a segment of no length gives the 3 x 3 square around its point.
std::vector<PointF> CrossLineRegion(POINT a, POINT b);

// Whether a line at across-coordinate `line` is picked up by the pointer at `pointer`: within 1
// pixel of it, or crossed since the last position (when there is one).
bool PicksUp(int pointer, int line, int last, bool haveLast);

// The row (column) of a band of lines position - half .. position + half kept to half ..
// extent - half of an image extent (the middle when the band is wider than the image). At the far
// bound the band's last line lies on the row past the image, which the profile reads as the last
// row.
int ClampLinePosition(int position, int half, int extent);
// Cursor A within 0 .. B, cursor B within A .. end: the extent of the line along its axis (the
// image width or height, the free line's length on its dominant axis).
int ClampCursorA(int value, int b);
int ClampCursorB(int value, int a, int end);

// The dominant axis of a free line: true for x (|x2 - x1| > |y2 - y1|).
bool FreeLineAlongX(const RECT& line);
// The last sample index along the free line's dominant axis.
int FreeLineLast(const RECT& line);
// A projected point's distance from the line's end with the smaller coordinate on the dominant
// axis, truncated.
int FreeCursorPosition(const RECT& line, POINT projected);
// The closed strip around a free line: the line moved by -half and +half in x when
// |y2 - y1| >= |x2 - x1|, else in y (image pixels, four corners in drawing order).
std::array<PointF, 4> FreeBand(const RECT& line, int half);

} // namespace v3d::overlay
