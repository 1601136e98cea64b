#include "viewer3d/core/data/MeasureState.h"

#include "platform/WinTypes.h"

#include <cmath>
#include <cstring>

namespace v3d {

void MeasureState::Encode(uint8_t* out) const {
    std::memset(out, 0, kBytes);
    le::putDouble(out + 0, xPitch);
    le::putDouble(out + 8, yPitch);
    le::putDouble(out + 16, graphScalePreset);
    le::put32(out + 24, static_cast<uint32_t>(graphScaleFreeOn));
    le::putDouble(out + 28, graphScaleFree);
    for (int i = 0; i < 3; ++i) {
        le::put32(out + 36 + 4 * i, static_cast<uint32_t>(linePositionFixed[i]));
        le::put32(out + 48 + 4 * i, static_cast<uint32_t>(linePosition[i]));
    }
    for (int i = 0; i < 4; ++i)
        le::putDouble(out + 60 + 8 * i, measured[i]);
    le::put32(out + 92, static_cast<uint32_t>(lineMode));
    le::put32(out + 96, static_cast<uint32_t>(lineCount));
}

std::array<uint8_t, MeasureState::kBytes> MeasureState::Encode() const {
    std::array<uint8_t, kBytes> out{};
    Encode(out.data());
    return out;
}

MeasureState MeasureState::Decode(const uint8_t* in) {
    MeasureState s;
    s.DecodePrefix(in, kBytes);
    return s;
}

void MeasureState::DecodePrefix(const uint8_t* in, size_t bytes) {
    // Every field lies wholly inside or wholly outside the prefixes files store (92 or 100).
    std::array<uint8_t, kBytes> all = Encode();
    std::memcpy(all.data(), in, bytes < kBytes ? bytes : kBytes);
    const uint8_t* p = all.data();
    xPitch = le::getDouble(p + 0);
    yPitch = le::getDouble(p + 8);
    graphScalePreset = le::getDouble(p + 16);
    graphScaleFreeOn = le::getS32(p + 24);
    graphScaleFree = le::getDouble(p + 28);
    for (int i = 0; i < 3; ++i) {
        linePositionFixed[i] = le::getS32(p + 36 + 4 * i);
        linePosition[i] = le::getS32(p + 48 + 4 * i);
    }
    for (int i = 0; i < 4; ++i)
        measured[i] = le::getDouble(p + 60 + 8 * i);
    lineMode = le::getS32(p + 92);
    lineCount = le::getS32(p + 96);
}

int MeasureState::Sanitize() {
    const MeasureState d;
    int n = 0;
    auto positive = [&](double& v, double fallback) {
        if (!(std::isfinite(v) && v > 0.0)) {
            v = fallback;
            ++n;
        }
    };
    auto nonNegative = [&](double& v, double fallback) {
        if (!(std::isfinite(v) && v >= 0.0)) {
            v = fallback;
            ++n;
        }
    };
    positive(xPitch, d.xPitch);
    positive(yPitch, d.yPitch);
    nonNegative(graphScalePreset, d.graphScalePreset);
    nonNegative(graphScaleFree, d.graphScaleFree);
    for (double& v : measured)
        if (!std::isfinite(v)) {
            v = 0.0;
            ++n;
        }
    if (lineMode != 0 && lineMode != 1) {
        lineMode = d.lineMode;
        ++n;
    }
    if (lineCount < 1 || lineCount % 2 == 0) {
        lineCount = 1;
        ++n;
    }
    return n;
}

} // namespace v3d
