// The measurement state of a 3D document: pitches the measurement uses, the graph's Z scale,
// the measuring lines and the measured values. Document files hold it as a 100-byte block of
// fixed little-endian offsets.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace v3d {

struct MeasureState {
    static constexpr size_t kBytes = 100;

    double xPitch = 1.0;                        // +0, copy of the xy pitch
    double yPitch = 1.0;                        // +8
    double graphScalePreset = 1.0;              // +16, >= 0
    int32_t graphScaleFreeOn = 0;               // +24
    double graphScaleFree = 1.0;                // +28, >= 0
    std::array<int32_t, 3> linePositionFixed{}; // +36, per line kind
    std::array<int32_t, 3> linePosition{};      // +48: row, column, free line
    std::array<double, 4> measured{};           // +60: height, width (pixels), area, angle
    int32_t lineMode = 1;                       // +92: 0 automatic, 1 manual
    int32_t lineCount = 1;                      // +96, odd

    void Encode(uint8_t* out) const;
    std::array<uint8_t, kBytes> Encode() const;
    static MeasureState Decode(const uint8_t* in);
    // Decodes only the first `bytes` bytes over the current values (older files store 92).
    void DecodePrefix(const uint8_t* in, size_t bytes);

    // Non-finite or negative pitches and scales become their defaults, an even line count or
    // one below 1 becomes 1, a line mode other than 0/1 becomes 1. Returns the fields changed.
    int Sanitize();

    bool operator==(const MeasureState&) const = default;
};

} // namespace v3d
