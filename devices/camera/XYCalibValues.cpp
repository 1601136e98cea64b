#include "devices/camera/XYCalibValues.h"

#include "devices/camera/LensSection.h"
#include "platform/Settings.h"

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

bool WriteLensCalibrationSection(const CMLens& lens) {
    const std::string section = CalibrationSectionName(lens.GetName());
    bool ok = WriteIniString(section.c_str(), "CLBNAME1", lens.GetRegName().c_str()) != 0;
    ok = WriteIniDouble(section.c_str(), "CALIB1", lens.m_calib) != 0 && ok;
    ok = WriteIniDouble(section.c_str(), "GAP1", lens.m_gap) != 0 && ok;
    return ok;
}
