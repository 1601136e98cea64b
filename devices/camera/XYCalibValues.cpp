#include "devices/camera/XYCalibValues.h"

double CalibrationFromLine(double lengthUm, double pixels) {
    return pixels != 0.0 ? lengthUm / pixels : 0.0;
}

bool CalibValueInRange(double value) {
    return value >= 0.0 && value <= kCalibValueMax;
}

namespace {
// Bytes of the UTF-8 character starting at s[i]; 1 for a byte that does not start a whole one.
size_t CharBytes(const std::string& s, size_t i) {
    const auto lead = static_cast<unsigned char>(s[i]);
    size_t n = lead < 0x80           ? 1
               : (lead >> 5) == 0x6  ? 2
               : (lead >> 4) == 0xE  ? 3
               : (lead >> 3) == 0x1E ? 4
                                     : 1;
    if (i + n > s.size())
        return 1;
    for (size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
            return 1;
    return n;
}
} // namespace

std::string CutToChars(const std::string& utf8, size_t chars) {
    size_t i = 0;
    for (size_t n = 0; n < chars && i < utf8.size(); ++n)
        i += CharBytes(utf8, i);
    return utf8.substr(0, i);
}
