#include "viewer3d/measure/core/CalibMeasure.h"

#include "platform/Encoding.h"
#include "platform/WinTypes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace v3d {

double CalibMeasuredPixels(int dx, int dy, int zoomPercent) {
    const int m = std::max(std::abs(dx), std::abs(dy));
    const double length = m == 0 ? 1.0 : std::hypot(double(dx), double(dy)) * (m + 1) / m;
    return length / (std::max(zoomPercent, 1) * 0.01);
}

int CalibZoomIn(int zoom) {
    return zoom + kCalibZoomStep <= kCalibZoomMax ? zoom + kCalibZoomStep : zoom;
}

int CalibZoomOut(int zoom) {
    return zoom - kCalibZoomStep >= kCalibZoomMin ? zoom - kCalibZoomStep : zoom;
}

double CalibLengthPerPixel(double known, double measured, bool onePixel) {
    if (onePixel)
        return known;
    return measured > 0 ? known / measured : 0.0;
}

bool CalibValuesAcceptable(double known, double lengthPerPixel) {
    auto in = [](double v) { return std::isfinite(v) && v >= 1e-6 && v <= 1e6; };
    return in(known) && in(lengthPerPixel);
}

HGLOBAL MakeCalibResultBlock(double lengthPerPixel, const std::string& unitUtf8) {
    HGLOBAL block = GlobalAlloc(GPTR, kCalibBlockBytes);
    if (!block)
        return nullptr;
    GlobalLockGuard lock(block);
    le::putDouble(lock.get(), lengthPerPixel);
    const std::string cp = Utf8ToCp932Cut(unitUtf8, kCalibBlockBytes - 8 - 1);
    std::memcpy(lock.get() + 8, cp.data(), cp.size());
    return block;
}

} // namespace v3d
