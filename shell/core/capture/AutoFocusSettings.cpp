#include "shell/core/capture/AutoFocusSettings.h"

#include "platform/Settings.h"
#include "shell/core/capture/CapturePositions.h"

namespace {
constexpr const char* kSection = "AUTOFOCUS";
} // namespace

AutoPanelSettings ReadAutoPanelSettings() {
    AutoPanelSettings s;
    s.jogStep = ReadIniDouble(kSection, "UPDOWN", 1.0);
    s.autoCompose = ReadIniInt(kSection, "AUTOCOMP", 0);
    return s;
}

void WriteAutoPanelSettings(const AutoPanelSettings& s) {
    WriteIniDouble(kSection, "UPDOWN", s.jogStep);
    WriteIniInt(kSection, "AUTOCOMP", s.autoCompose);
}

void WriteRangeSettings(double start, double end, double interval, int count) {
    WriteIniDouble(kSection, "START", start);
    WriteIniDouble(kSection, "END", end);
    WriteIniDouble(kSection, "GAP", interval);
    WriteIniInt(kSection, "SHEET", count);
}

void WritePositionListSetting(const std::vector<double>& positions) {
    WriteIniString(kSection, "LIST", FormatPositionList(positions).c_str());
}
