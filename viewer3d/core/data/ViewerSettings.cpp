#include "viewer3d/core/data/ViewerSettings.h"

#include "platform/Settings.h"

namespace v3d {

namespace {
constexpr const char* kSection = "Settings";

std::string PaneKey(const char* name, size_t i) {
    return name + std::to_string(i + 1);
}
} // namespace

std::string ReadViewerLanguageLibrary() {
    return ReadIniString(kSection, "Resource", "");
}

void WriteViewerLanguageLibrary(const std::string& name) {
    WriteIniString(kSection, "Resource", name.c_str());
}

std::string ReadWindowPlacement() {
    return ReadIniString(kSection, "WindowPos", "");
}

void WriteWindowPlacement(const std::string& text) {
    WriteIniString(kSection, "WindowPos", text.c_str());
}

int ReadMeasureSwitch() {
    return ReadIniInt(kSection, "Measure", 1);
}

void WriteMeasureSwitch(int on) {
    WriteIniInt(kSection, "Measure", on);
}

PaneSizes ReadPaneSizes() {
    PaneSizes s;
    for (size_t i = 0; i < s.widths.size(); ++i)
        s.widths[i] = ReadIniInt(kSection, PaneKey("PainWidth", i).c_str(), -1);
    for (size_t i = 0; i < s.heights.size(); ++i)
        s.heights[i] = ReadIniInt(kSection, PaneKey("PainHeight", i).c_str(), -1);
    return s;
}

void WritePaneSizes(const PaneSizes& sizes) {
    for (size_t i = 0; i < sizes.widths.size(); ++i)
        WriteIniInt(kSection, PaneKey("PainWidth", i).c_str(), sizes.widths[i]);
    for (size_t i = 0; i < sizes.heights.size(); ++i)
        WriteIniInt(kSection, PaneKey("PainHeight", i).c_str(), sizes.heights[i]);
}

} // namespace v3d
