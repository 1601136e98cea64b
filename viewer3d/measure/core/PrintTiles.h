// A screenshot printed on a page: where it lands and the tiles it is copied in, so that no
// scaled piece is larger than a printer driver takes at once.
#pragma once

#include "platform/WinTypes.h"
#include "viewer3d/measure/core/ImageGeometry.h"

#include <vector>

namespace v3d::image {

// The page rectangle of a bitmap fitted (aspect kept) into the page less twice the text left
// edge across and twice the text top down, the area's corner at (text left, text top). Empty
// when the bitmap or the area has no size.
RECT ScreenshotPlacement(const PrintPageMetrics& m, int bitmapWidth, int bitmapHeight);

// One piece: the page rectangle and the part of the bitmap stretched into it.
struct PrintTile {
    RECT dest{};
    RECT source{};
};

// Tiles of at most maxTile x maxTile page pixels covering dest exactly (rows in bands, columns
// in pieces, each band and piece as large as allowed); the source parts are proportional, cover
// the bitmap without gaps, and are at least one pixel each way.
std::vector<PrintTile> ScreenshotTiles(const RECT& dest, int bitmapWidth, int bitmapHeight,
                                       int maxTile = 1024);

} // namespace v3d::image
