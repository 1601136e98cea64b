// The two pictures the 2D panes lay over the height map: the slice picture (everything at or
// above a height level) and the contour picture (the outlines of the regions above a number of
// evenly spaced levels, each level in its colour of the pseudo-colour ramp). Both are made from
// a height image (8 or 16 bits, the document's height display image or its copy fitted to a
// pane) and are new bitmaps owned by the caller.
#pragma once

#include "platform/GlobalMemory.h"
#include "platform/WinTypes.h"

namespace v3d {

// The size of the largest rectangle of the image's aspect inside a W x H area (the panes' fitting
// rule, real arithmetic truncated); false when a size is not positive.
bool FitSize(int imageWidth, int imageHeight, int areaWidth, int areaHeight, int* width, int* height);

// Entry index (0..255) of the pseudo-colour ramp as red, green, blue in 0..1: blue through
// green to red; entry 0 is (0, 0, 1), 128 is (0, 1, 0), 255 is (1, 0, 0).
void PseudoColour(int index, double* red, double* green, double* blue);

// The ramp index of contour level k (1..count) over the level range minLevel..maxLevel: the
// level's height above the minimum, k x range / (count + 1), scaled so that range + 1 levels
// span the 256 entries; in 0..255.
int ContourColourIndex(int k, int count, int minLevel, int maxLevel);
// The colour level k is drawn in: its ramp entry x 255 (truncated), each channel inverted.
COLORREF ContourColour(int k, int count, int minLevel, int maxLevel);

// An 8-bit grey picture of the height image's size: 255 where the sample is at or above level,
// 0 elsewhere. Null for a missing image, another depth than 8 or 16 bits, or refused memory.
HDIB MakeSlicePicture(HDIB height, double level);

// A 24-bit picture of the height image's size, black but for the contour lines: for each level
// k = 1..count at minLevel + k x (maxLevel - minLevel) / (count + 1), the outline of the region at
// or above it in ContourColour(k): the region's pixels with one of their eight neighbours outside
// it, the outermost rows and columns counting as outside (so regions that reach the border are
// closed along it). Where outlines of several levels meet, their colours are ORed. Null for a missing image, another depth than 8 or 16 bits, a count
// below 1 or refused memory.
HDIB MakeContourPicture(HDIB height, int count, int minLevel, int maxLevel);

} // namespace v3d
