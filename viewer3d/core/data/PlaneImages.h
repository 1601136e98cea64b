// Image steps of the 3D document's plane processing that need no document: the height plane
// derived from a deeper texture, the smoothed height display, the 8-bit levelled image of the
// 3D mesh, the RGB image of the OpenGL texture, cuts and resampling. Each returns a new bitmap
// (owned by the caller) or null when memory is refused or the input is not usable.
#pragma once

#include "platform/GlobalMemory.h"
#include "platform/WinTypes.h"

namespace v3d {

// A 16-bit source copied; a 24-bit source as 8-bit grey (3 red + 6 green + blue) / 10 with the
// grey table; a 48-bit source as 16 bits with the same weights; an 8-bit source copied.
HDIB DeriveHeightPlane(HDIB source);

// The source rectangle (from the top, right and bottom exclusive) as a new bitmap of the same
// depth and table; null for an empty or outside rectangle.
HDIB CutDib(HDIB source, const RECT& rect);

// The bitmap resampled to width x height (nearest sample), same depth and table.
HDIB ResampleDib(HDIB source, int width, int height);

// Cross-shaped smoothing of an 8- or 16-bit image in place, from an unsmoothed copy of it:
// half-width 2, 4, 8, 12 by index 0..3; method 0 the plain mean of the cross, else the
// quadratic smoothing weights. Pixels closer than the half-width to the border keep their
// values. False for another depth or index.
bool SmoothHeightImage(HDIB image, int method, int widthIndex);

// The 8-bit levelled image of a height display image: 16-bit levels stretched from their
// minimum..maximum to 0..255 through one table, 8-bit levels stretched from the minimum and
// maximum of the interior pixels; resampled so its longer side is 512 when both sides are
// below 512. The level range found goes to *minLevel, *maxLevel.
HDIB BuildLevelledImage(HDIB display, int* minLevel, int* maxLevel);

// The 24-bit OpenGL texture image (red first in memory) of the texture source: sides of 512 or
// more go to the next power of two, smaller sources are resampled so their longer side is 512
// into a 512 x 512 image. 16- and 48-bit samples map the display window [start, end] to 0..255.
// *tooLarge is set for a side above 32768 (null result).
HDIB BuildGlTexture(HDIB source, int windowStart, int windowEnd, bool* tooLarge);

} // namespace v3d
