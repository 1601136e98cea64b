// The arithmetic of the calibration window: the length of a line drawn on the zoomed image in
// image pixels, the zoom steps, the check of the values before they are taken, and the result
// block handed to the document frame (f64 length per pixel, then the unit text in CP932 with
// its zero, 30 bytes).
#pragma once

#include "platform/GlobalMemory.h"

#include <cstddef>
#include <string>

namespace v3d {

constexpr size_t kCalibBlockBytes = 30;
constexpr int kCalibZoomMin = 20, kCalibZoomMax = 400, kCalibZoomStep = 10;

// Pixels of the image a line of extents dx, dy on the zoomed image covers: its length x
// (m + 1) / m with m the larger extent (both end pixels count), 1 for a point; then divided by
// zoom / 100.
double CalibMeasuredPixels(int dx, int dy, int zoomPercent);
// Zoom in and out by 10; a step that would leave 20..400 keeps the zoom.
int CalibZoomIn(int zoom);
int CalibZoomOut(int zoom);
// Length per pixel: the known length itself for a one-pixel value, else known / measured.
double CalibLengthPerPixel(double known, double measured, bool onePixel);
// Both values must lie in 1e-6 .. 1e6 (bounds included) to be taken.
bool CalibValuesAcceptable(double known, double lengthPerPixel);
// A fixed zero-filled block of 30 bytes (owned by the receiver), null when memory is refused.
HGLOBAL MakeCalibResultBlock(double lengthPerPixel, const std::string& unitUtf8);

} // namespace v3d
