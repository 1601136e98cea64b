// Raster operations of the 2D panes composed in software on an RGB buffer (the screen layer
// has no raster operations): the XOR rubber band, the red slice picture and frames painted
// with the crawling 8 x 8 patterns.
#pragma once

#include "platform/WinTypes.h"

#include <cstdint>
#include <vector>

namespace v3d::image {

struct RgbBuffer {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb; // rows from the top, 3 bytes a pixel (red, green, blue)
    RgbBuffer() = default;
    RgbBuffer(int w, int h, COLORREF fill = 0);
    COLORREF At(int x, int y) const;
    void Set(int x, int y, COLORREF c);
};

// Row r of pattern k (0..7) as 8 bits, bit 7 = column 0: set (white) at the columns
// (c - r - k) mod 8 for c = 0, 1, 2; pattern k is pattern 0 moved up by k rows.
uint8_t PatternRow(int k, int r);
// The next phase of the crawl.
inline int NextAntsPhase(int phase) {
    return (phase + 1) & 7;
}

// XORs white onto the outline of the rectangle (right and bottom exclusive), each pixel once:
// drawn a second time it is gone.
void XorFrame(RgbBuffer& buffer, const RECT& r);
// Paints the outline, thickness pixels wide, with pattern phase: clear bits in the text
// colour, set bits in the background colour. The pattern is anchored to the buffer's origin.
void PatternFrame(RgbBuffer& buffer, const RECT& r, int thickness, int phase, COLORREF text, COLORREF back);
// Stretches the picture into the rectangle (nearest sample) ANDed with red: the slice shows
// red where the picture is white.
void MergeCopyRed(RgbBuffer& buffer, const RECT& r, const RgbBuffer& picture);

} // namespace v3d::image
