// Image filters on bitmaps: edge filter, penalised least-squares smoothing and high pass,
// absolute difference, moving maximum and the highlight darkening.
//
// The whole-bitmap filters run their plane filter on planes 0, 1 and 2 of 24- and 48-bit
// bitmaps (selecting each) and once on 8- and 16-bit bitmaps, and leave plane 0 selected.
// The plane filters (`...Plane`, `DibAbsDifference`) work on the calling thread's selected plane,
// read once per call. The depth maximum M is 255 for 8-
// and 24-bit bitmaps and 65535 for 16- and 48-bit bitmaps. Filters return null when a bitmap
// cannot be created.
#pragma once

#include "imaging/bitmaps/Dib.h"

// A copy filtered by the 3 x 3 edge measure |Gx| + |Gy| (M - 1 where it reaches M).
HDIB DibEdgeFilter(HDIB bitmap);
// Edge measure of the selected plane of source into target (same size and depth, not the same
// bitmap). Bitmaps narrower or shorter than 3 pixels are copied through.
void DibEdgeFilterPlane(HDIB source, HDIB target);

// A copy smoothed per plane with periods 2 px (along rows) and 2 py (along columns).
HDIB DibSmooth(HDIB bitmap, int px, int py, double scale);
// Per plane |bitmap - smoothed bitmap| (periods 2 px and 2 py).
HDIB DibHighPass(HDIB bitmap, int px, int py, double scale);
// min(|a - b|, M) of the selected plane into out; returns out. All three of one size and depth.
HDIB DibAbsDifference(HDIB a, HDIB b, HDIB out);
// Rows source -> target when xPeriod is not 0, then columns target -> target when yPeriod is
// not 0, on the selected plane.
HDIB DibSmoothPlane(HDIB source, HDIB target, int xPeriod, int yPeriod, double scale);

// A copy filtered by the moving maximum over a width x height window (unfiltered when either
// size is 1 or less). Pixels closer to the border than half the window keep their values.
HDIB DibMaxFilter(HDIB bitmap, int width, int height);
void DibMaxFilterPlane(HDIB source, HDIB target, int width, int height);

// In place, for 8- and 24-bit bitmaps: every sample v above 50 becomes
// trunc(v * (1 - (v - 50) / 205)), at most 255. The second bitmap is not read. Returns 0 for
// other depths (nothing changed), else 1.
BOOL DibDarkenHighlights(HDIB bitmap, HDIB unused);
