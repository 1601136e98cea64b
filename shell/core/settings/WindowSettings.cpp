#include "shell/core/settings/WindowSettings.h"

#include "platform/Settings.h"

namespace {
constexpr const char* kSection = "WindowsSettings";
} // namespace

WindowRect ReadWindowRect(const WindowRect& fallback) {
    WindowRect r;
    r.left = ReadIniInt(kSection, "LEFT", fallback.left);
    r.top = ReadIniInt(kSection, "TOP", fallback.top);
    r.width = ReadIniInt(kSection, "WIDTH", fallback.width);
    r.height = ReadIniInt(kSection, "HEIGHT", fallback.height);
    return r;
}

void WriteWindowRect(const WindowRect& r) {
    WriteIniInt(kSection, "LEFT", r.left);
    WriteIniInt(kSection, "TOP", r.top);
    WriteIniInt(kSection, "WIDTH", r.width);
    WriteIniInt(kSection, "HEIGHT", r.height);
}

int ReadZoomed() {
    return ReadIniInt(kSection, "ZOOMED", 0);
}

void WriteZoomed(int zoomed) {
    WriteIniInt(kSection, "ZOOMED", zoomed);
}

std::string ReadSplitterText() {
    return ReadIniString(kSection, "SPLITTER", "");
}
