// The 3D viewer's one set of processing parameters: the invalid-height option applied when
// .vv3 files are read, the last display values of the 3D panel (starting values of documents
// opened later) and the roughness filter settings. Its file image is the 114-byte
// 3DPROC.PAR beside the program (little-endian, no padding):
//   0 reserved u32 (written 0, not read)      4 f32 invalid-height threshold (um)
//   8 i32 option on                           12 i16 contour count
//   14..89 the ViewState fields at +10..+85   90..101 the ViewState fields at +102..+113
//   102 i32 end-effect choice                 106 f64 cut-off wavelength (um)
#pragma once

#include "viewer3d/core/data/ViewState.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace v3d {

struct ProcParams {
    static constexpr size_t kBytes = 114;

    float invalidThreshold = 1000.0f; // +4
    int32_t invalidOption = 0;        // +8
    int16_t contourCount = 8;         // +12
    double zAxisLength = 1.0;         // +14
    int32_t zAxisFixed = 0;           // +22
    int32_t scaleLinesShown = 1;      // +26
    int32_t zScaleFixed = 0;          // +30
    double zScalePreset = 1.0;        // +34
    int32_t zScaleFreeOn = 0;         // +42
    double zScaleFree = 1.0;          // +46
    int32_t rotationFixed = 0;        // +54
    double rotationX = 0.0;           // +58
    double rotationY = 0.0;           // +66
    double rotationZ = 0.0;           // +74
    double zoom = 1.0;                // +82
    int32_t smoothingOn = 0;          // +90
    int32_t smoothingMethod = 0;      // +94
    int32_t smoothingWidth = 0;       // +98, index 0..3
    int32_t endEffect = 1;            // +102: 0 with end effect, 1 without
    double cutoff = 80.0;             // +106, > 0

    void Encode(uint8_t* out) const; // the reserved word is written 0
    std::array<uint8_t, kBytes> Encode() const;
    static ProcParams Decode(const uint8_t* in);
    // Holds every value to its range (threshold 0..100000, contour count 1..256, smoothing index
    // 0..3, end effect 0/1, cut-off > 0, numbers finite and scales >= 0); out-of-range values
    // take their defaults. Returns the number of values changed.
    int Sanitize();

    // The document's values after a document file was read: ViewState +10..+85 and
    // +102..+113 (the contour count, slice level, area and perimeter stay out).
    void TakeFromFile(const ViewState& view);

    // Reads the first 114 bytes of the file (a longer file is accepted); 1 when applied, 0 when
    // the file is missing or shorter (the values stay as they are).
    int Load(const std::string& path);
    // Writes the 114 bytes through a temporary file renamed over the target. 1 on success;
    // 0 with *failure = 1 when the file cannot be created, 2 when writing failed.
    int Save(const std::string& path, int* failure = nullptr) const;

    bool operator==(const ProcParams&) const = default;
};

// The program's one parameter set.
ProcParams& GlobalProcParams();

// The parameter file's path: folder, a '/' unless it ends in one, then "3DPROC.PAR".
std::string ProcParamsPath(const std::string& folder);

} // namespace v3d
