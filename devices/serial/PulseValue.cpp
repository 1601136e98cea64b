#include "devices/serial/PulseValue.h"

#include <cmath>
#include <limits>

double TruncatePulseValue(double value) {
    if (!std::isfinite(value))
        return value;
    const double scaled = value * 10000.0;
    const double nearest = std::nearbyint(scaled);
    // Four ulps of the product: the error of one decimal literal and one multiplication.
    const double tolerance = 4.0 * std::numeric_limits<double>::epsilon() * std::fabs(scaled);
    const double whole = std::fabs(scaled - nearest) <= tolerance ? nearest : std::trunc(scaled);
    return whole / 10000.0;
}
