// The area results of a 3D document's height display image: the cumulative height histogram,
// the level range, the perimeter per level and the perimeter-by-level curve. The document keeps
// one; the plane processing sizes and clears it and the measurement fills it.
#pragma once

#include <vector>

namespace v3d {

constexpr int kCurvePoints = 64; // points of the perimeter-by-level curve

struct AreaData {
    int flag = 0;                  // 1 once the histogram and curve were built with the measure flag set
    std::vector<double> histogram; // entry i: pixels whose level is i or more; empty when none
    double histogramSum = 0.0;     // pixels counted
    int levelMax = 0;              // the height level range of the image
    int levelMin = 0;
    std::vector<double> perimeter;   // per level, at full size; 0 = not measured yet
    double curve[kCurvePoints] = {}; // perimeter at 64 levels from the minimum, at quarter size
    double curveMax = 0.0;
};

} // namespace v3d
