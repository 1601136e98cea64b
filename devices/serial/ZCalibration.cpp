#include "devices/serial/ZCalibration.h"

#include "platform/Settings.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
constexpr const char* kSection = "ZCALIBRATION";
constexpr size_t kDistanceChars = 50;
constexpr size_t kPointChars = 20;
} // namespace

double ParseZDistance(std::string_view text) {
    text = text.substr(0, kDistanceChars);
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r' ||
                               text[i] == '\v' || text[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        return 0.0; // one sign only, as atof reads it
    double value = 0.0;
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec != std::errc() || end == first || !std::isfinite(value))
        return 0.0;
    return negative ? -value : value;
}

int ParseZPoint(std::string_view text) {
    return ParseLeadingInt(text.substr(0, kPointChars));
}

double ZCalibrationResult(int mode, double distance, int point1, int point2) {
    if (mode != kZCalibTwoPoint)
        return distance;
    if (point1 == point2)
        return 0.0;
    const std::int64_t span =
        std::llabs(static_cast<std::int64_t>(point1) - static_cast<std::int64_t>(point2));
    return distance / static_cast<double>(span);
}

std::string FormatPulseLabel(double umPerPulse) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4f%s", umPerPulse, "  um/pulse");
    return text;
}

bool WriteZCalibrationSettings(const ZCalibrationValues& v) {
    bool ok = WriteIniInt(kSection, "MODE", v.mode) != 0;
    ok = WriteIniDouble(kSection, "MOVEMENT", v.distance) != 0 && ok;
    ok = WriteIniInt(kSection, "POINT1", v.point1) != 0 && ok;
    ok = WriteIniInt(kSection, "POINT2", v.point2) != 0 && ok;
    ok = WriteIniDouble(kSection, "1PULSE", v.umPerPulse) != 0 && ok;
    return ok;
}

ZCalibrationValues ReadZCalibrationSettings() {
    ZCalibrationValues v;
    v.mode = ReadIniInt(kSection, "MODE", 0);
    v.distance = ReadIniDouble(kSection, "MOVEMENT", 1.0);
    v.umPerPulse = ReadIniDouble(kSection, "1PULSE", 1.0);
    v.point1 = ReadIniInt(kSection, "POINT1", 0);
    v.point2 = ReadIniInt(kSection, "POINT2", 1);
    return v;
}

void WriteZPulseSetting(double umPerPulse) {
    WriteIniDouble(kSection, "1PULSE", umPerPulse);
}

void WriteZOriginSetting(int origin) {
    WriteIniInt(kSection, "ORIGIN", origin);
}
