// What a 2D pane of a 3D document shows: its content kind. The document fits the contour and
// slice pictures to the pane that shows them; the pane draws its picture by the kind, and
// the image panes take a region only on the colour image.
#pragma once

#include <cstdint>

namespace v3d {

enum PaneContent : int16_t {
    kContentImage = 0,        // the colour image
    kContentContour = 1,      // the contour picture of the height map
    kContentSlice = 2,        // the slice picture of the height map, in red
    kContentMeasureImage = 3, // the measurement image (its region cut, else the colour image)
    kContentBackground = 4,   // nothing but the background (the graph panes draw their own)
};

} // namespace v3d
