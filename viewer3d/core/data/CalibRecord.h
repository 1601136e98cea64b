// Calibration of a 3D document: the unit of its pixel pitch, its height scale and the unit of
// heights. The unit texts are UTF-8 here; in files they are CP932 of at most 20 bytes.
#pragma once

#include <cstddef>
#include <string>

namespace v3d {

// Bytes a unit text may take in CP932 (the file fields hold 20 characters and a zero).
constexpr size_t kCalibUnitBytes = 20;

struct CalibRecord {
    std::string xyUnit;  // unit of the xy pixel pitch
    double zScale = 1.0; // height units per height level
    std::string zUnit;   // unit of heights
};

// A unit text read from a file (CP932) as it is kept: cut to 20 bytes on a character boundary,
// then converted to UTF-8.
std::string UnitTextFromCp932(const std::string& cp932);

} // namespace v3d
