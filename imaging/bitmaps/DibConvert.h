// Display and depth conversions of bitmaps: the display conversion of 16- and 48-bit images,
// rectangle copies, single-plane versions, resampling to another size and the height colour
// scale. Every operation leaves its source unchanged and returns a new bitmap (or fills the
// caller's one); null means no memory or nothing to convert. Nothing is reported.
#pragma once

#include "imaging/bitmaps/Dib.h"
#include "platform/WinTypes.h"

// Converts a 16- or 48-bit bitmap (and, on a palette screen, a 24-bit one) into a bitmap that
// the screen can show. Samples below `low` give 0, samples from `high` up 255, samples in
// between (v - low) / s with s = |high - low + 1| / 256; `type` is the ImageTypeCode of the
// samples; `greyMode` chooses how a 24-bit pixel becomes one byte on a palette screen (-1 the
// colour cube). When no conversion applies the destination (if any) is freed and the result
// is null: the caller shows the source. A destination of another size or depth than the
// conversion needs is replaced by a new bitmap.
HDIB DibConvertForDisplay(HDIB source, HDIB destination, int low, int high, int type, int greyMode);
// The same for a screen of the given bits per pixel (the display conversion asks the screen).
HDIB DibConvertForDisplayOnScreen(HDIB source, HDIB destination, int low, int high, int type, int greyMode,
                                  int screenBits);

HDIB DibMakeDisplayCopyOnScreen(HDIB bitmap, int screenBits);

// Copies the source's pixels inside the rectangle (right and bottom exclusive, from the top)
// into the destination at (0, 0). Source pixels outside the source give 0. The destination
// must have 1- or 2-byte samples like the source; with a null destination one of the
// rectangle's size and the source's depth is created. Returns the destination.
HDIB DibCopyRect(HDIB source, HDIB destination, const RECT& rect);

// 24 -> 8 bits and 48 -> 16 bits, per pixel (max + min) / 2 of its samples; 8- and 16-bit
// bitmaps are copied.
HDIB DibToLightness(HDIB bitmap);
// A bitmap of the same depth holding only the red plane of a 24- or 48-bit bitmap; 8- and
// 16-bit bitmaps are copied.
HDIB DibKeepRedPlane(HDIB bitmap);
// Box averaging to width x height (the mean of the samples each destination pixel covers);
// a copy when the size is unchanged.
HDIB DibShrink(HDIB bitmap, int width, int height);
// The calling thread's selected plane of the source resampled by nearest neighbour into the
// destination (created with the source's depth when null). Returns the destination.
HDIB DibResizeNearestPlane(HDIB source, HDIB destination, int width, int height);

// The colour scale of height maps: 0..127 blue to green, 128..254 green to red, 255 black.
int FillHeightColorTable(RGBQUAD* entries);
