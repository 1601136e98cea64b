#include "shell/core/capture/CapturePositions.h"

#include "platform/Settings.h"
#include "ids/VantorelIds.h"

#include <charconv>
#include <cmath>

namespace {

// Steps that differ from a whole number by less than this many steps count as whole: the inputs
// carry at most three decimals, so the error of a quotient lies far below it.
constexpr double kStepTolerance = 1e-6;

// Cuts toward zero to three decimals; a value within rounding of a whole number of thousandths
// (0.3 × 3 = 0.8999999999999999) is that number, not the thousandth below it.
double CutToThousandths(double v) {
    const double scaled = v * 1000.0;
    const double nearest = std::round(scaled);
    if (std::fabs(scaled - nearest) < 1e-6)
        return nearest / 1000.0;
    return std::trunc(scaled) / 1000.0;
}

} // namespace

bool IsCaptureCoordinate(double value) {
    return std::isfinite(value) && value >= -kCaptureCoordinateLimit && value <= kCaptureCoordinateLimit;
}

EqualIntervalRange ComputeEqualIntervalRange(double start, double end, double interval) {
    EqualIntervalRange r;
    if (!IsCaptureCoordinate(start) || !IsCaptureCoordinate(end) || !IsCaptureCoordinate(interval))
        return r;
    if (interval == 0.0) {
        r.count = -1;
        return r;
    }
    const double span = std::fabs(start - end);
    const double step = std::fabs(interval);
    const double steps = span / step;
    // The largest count an int shows; such a range lists nothing and no series takes it.
    if (steps >= 2147483645.0) {
        r.count = 2147483647;
        return r;
    }
    const double whole = std::floor(steps + kStepTolerance);
    r.count = static_cast<int>(whole) + 1;
    if (steps - whole > kStepTolerance)
        ++r.count; // the last step is shortened to end
    if (r.count > kMaxRangePositions)
        return r;
    const double direction = end >= start ? 1.0 : -1.0;
    r.positions.reserve(static_cast<size_t>(r.count));
    for (int i = 0; i < r.count; ++i) {
        const double travelled = i * step;
        const double v = travelled >= span - kStepTolerance * step ? end : start + direction * travelled;
        r.positions.push_back(CutToThousandths(v));
    }
    return r;
}

std::string RangeCountText(int count) {
    return count == -1 ? std::string("-") : std::to_string(count);
}

UINT CheckSeriesStart(bool listMode, int count, size_t listedPositions) {
    if (!listMode)
        return count <= 0 || count > kMaxSeriesPictures ? vtid::str::RangeCountNotSet : 0;
    if (listedPositions == 0)
        return vtid::str::NoPictures;
    if (listedPositions > static_cast<size_t>(kMaxSeriesPictures))
        return vtid::str::TooManyPictures;
    return 0;
}

double ParseCellNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    // Digits and one point only: from_chars alone would also take "inf", "nan" and hex forms.
    size_t j = i;
    bool point = false, digits = false;
    while (j < text.size()) {
        const char c = text[j];
        if (c >= '0' && c <= '9')
            digits = true;
        else if (c == '.' && !point)
            point = true;
        else
            break;
        ++j;
    }
    if (!digits)
        return 0.0;
    double value = 0.0;
    const auto res = std::from_chars(text.data() + i, text.data() + j, value, std::chars_format::fixed);
    if (res.ec != std::errc())
        return 0.0;
    return negative ? -value : value;
}

std::string FormatPositionList(const std::vector<double>& positions) {
    std::string s;
    for (double v : positions)
        s += FormatDoubleText(v) + "|";
    return s + "~";
}
