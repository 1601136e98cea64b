// Geometry of the 2D image panes: the image fitted into a pane, points and lines kept inside
// the image, the rubber band of a region selection, the rule for keeping an overlay picture
// when the pane is resized, and the cells of a printed report page.
#pragma once

#include "platform/WinTypes.h"
#include "viewer3d/core/data/ScreenMode.h"

namespace v3d::image {

// The largest rectangle of the image's aspect inside a W x H area, centred on the free axis.
// false (and an empty rectangle) when the image or the area has no size: only the background
// is drawn then.
bool CalcFitRect(int imageWidth, int imageHeight, int areaWidth, int areaHeight, RECT* out);

// An affine mapping between image pixels and client coordinates of a fitted rectangle, used
// alike for drawing and for hit tests.
struct ImageMapping {
    RECT dest{};
    int imageWidth = 0;
    int imageHeight = 0;
    bool Valid() const;
    POINT ToClient(double x, double y) const;
    POINT ToImage(int x, int y) const;
};
// The mapping of an image into a rectangle; invalid when the rectangle is empty or a size is 0.
ImageMapping SetImageMapping(const RECT& dest, int imageWidth, int imageHeight);

POINT ClampPointToRect(POINT p, const RECT& r);
// The first and the last consecutive points of the line inside the image (0 <= x < w,
// 0 <= y < h), walked in Bresenham steps; both (-1, -1) when none is inside.
void ClipLineToImage(POINT* first, POINT* second, int width, int height);
void SnapToAxis(POINT fixed, POINT* moving);
// The moving point on the 45-degree diagonal through the fixed point, shortened in proportion
// to stay within 1..width - 1 and 1..height - 1.
void SnapToDiagonal(POINT fixed, POINT* moving, int width, int height);
// Intersects with (0, 0, width - 2, height - 2); true when not empty.
bool DeflateIntersect(RECT* r, int width, int height);

// The rubber band while dragging: both points into the image, at least 1 pixel, ordered,
// clipped to the image less 2 pixels, right and bottom exclusive.
RECT RubberRect(POINT start, POINT end, int width, int height);
// The region on release: nothing (false) when the drag spans 3 pixels or less in x or y, or
// when it lies outside the image; else the ordered rectangle within the image.
bool ReleaseRoi(POINT start, POINT end, int width, int height, RECT* roi);

// Whether an overlay picture (contour or slice) must be built again for the fitted rectangle:
// none yet, or the same rectangle with the rebuild flag set, or a size change of more than a
// tenth of the new width or height.
bool OverlayNeedsRebuild(bool exists, bool flagged, const RECT& stored, const RECT& fitted);

// A printed page: size and margins in device pixels from the printer's resolution, the page
// font sized once for 9 points on paper.
struct PrintPageMetrics {
    int pageWidth = 0, pageHeight = 0;
    int sideMargin = 0, topMargin = 0;
    int textLeft = 0, textTop = 0;
    int charWidth = 0, charHeight = 0;
    int fontPixels = 0; // em height of the page font in device pixels
};
// charWidth and charHeight: the size of "0" in the page font, which the caller measures with a
// font of fontPixels (PageFontPixels).
int PageFontPixels(int dpiY);
PrintPageMetrics MakePageMetrics(int pageWidth, int pageHeight, int dpiX, int dpiY, int charWidth,
                                 int charHeight);

// Cells of a report page. 3D screen: image, contour, slice, 3D, graph. Measurement screen:
// measurement image, profile image, profile graph, results.
struct ReportCells {
    int count = 0;
    RECT cell[5]{};
};
ReportCells ReportLayout(const PrintPageMetrics& m, ScreenMode screenMode);

} // namespace v3d::image
