#include "shell/core/capture/ZPositionRule.h"

#include <cmath>
#include <limits>

namespace {
bool NegatesDiagram(int controllerType) {
    return controllerType == 3 || controllerType == 4 || controllerType == 5 || controllerType == 8;
}
} // namespace

int ZDisplaySign(bool reversedZ, int side) {
    return reversedZ || side != 0 ? -1 : 1;
}

double DisplayedZ(int pulses, int origin, double umPerPulse, int sign) {
    // + 0.0: at the origin a negative sign gives zero, not -0 (which showed as "-0.000").
    return sign * RawZ(pulses, origin, umPerPulse) + 0.0;
}

double RawZ(int pulses, int origin, double umPerPulse) {
    // In 64 bits: two pulse positions far apart do not overflow their difference.
    return static_cast<double>(static_cast<long long>(pulses) - origin) * umPerPulse;
}

std::optional<int> ZMoveTarget(double displayedZ, double umPerPulse, int origin, int sign) {
    if (!(umPerPulse > 0.0) || !std::isfinite(umPerPulse) || !std::isfinite(displayedZ))
        return std::nullopt;
    const double t = std::trunc(sign * displayedZ / umPerPulse + origin);
    if (!(t >= std::numeric_limits<int>::min() && t <= std::numeric_limits<int>::max()))
        return std::nullopt;
    return static_cast<int>(t);
}

double DiagramCurrentZ(int controllerType, double rawZ) {
    return NegatesDiagram(controllerType) ? -rawZ : rawZ;
}

double DiagramPositionZ(int controllerType, bool reversedZ, int side, double position) {
    if (NegatesDiagram(controllerType))
        return position;
    return reversedZ || side != 0 ? -position : position;
}
