#include "shell/core/capture/CaptureSettings.h"

#include "platform/Settings.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {
constexpr const char* kSection = "CAMPARAM";
} // namespace

std::string FormatRefParam(const CamParamRecord& record) {
    std::string text;
    for (int i = 0; i < CamParamRecord::kRefParamCount; ++i) {
        char piece[16];
        std::snprintf(piece, sizeof piece, "%9d|", record.RefParam(i));
        text += piece;
    }
    return text;
}

void ParseRefParam(const std::string& text, CamParamRecord& record) {
    const std::string cut = text.substr(0, std::min<size_t>(text.size(), 98));
    int n = 0;
    size_t pos = 0;
    while (n < CamParamRecord::kRefParamCount && pos < cut.size()) {
        const size_t bar = cut.find('|', pos);
        const size_t end = bar == std::string::npos ? cut.size() : bar;
        if (end > pos)
            record.SetRefParam(n++, std::atoi(cut.substr(pos, end - pos).c_str()));
        pos = end + 1;
    }
    for (; n < CamParamRecord::kRefParamCount; ++n)
        record.SetRefParam(n, 0);
}

void LoadCameraSettings(CamParamRecord& record) {
    for (const CamParamField& f : CamParamRecord::Fields()) {
        const std::string key(f.key);
        if (key == "REFPARAM") {
            char text[99];
            ReadIniString(kSection, "REFPARAM", "", text, sizeof text);
            ParseRefParam(text, record);
            continue;
        }
        switch (f.type) {
        case CamParamType::Int32:
            record.SetInt(f.offset, ReadIniInt(kSection, key.c_str(), static_cast<int>(f.defaultValue)));
            break;
        case CamParamType::Float32:
            record.SetFloat(f.offset,
                            static_cast<float>(ReadIniDouble(kSection, key.c_str(), f.defaultValue)));
            break;
        case CamParamType::Float64:
            record.SetDouble(f.offset, ReadIniDouble(kSection, key.c_str(), f.defaultValue));
            break;
        }
    }
    record.SetMainWindow(0);
    record.SetFrameWindow(0);
    record.SetInstance(0);
}

void SaveCameraSettings(const CamParamRecord& record) {
    for (const CamParamField& f : CamParamRecord::Fields()) {
        const std::string key(f.key);
        if (key == "REFPARAM") {
            WriteIniString(kSection, "REFPARAM", FormatRefParam(record).c_str());
            continue;
        }
        switch (f.type) {
        case CamParamType::Int32:
            WriteIniInt(kSection, key.c_str(), record.GetInt(f.offset));
            break;
        case CamParamType::Float32:
            WriteIniDouble(kSection, key.c_str(), static_cast<double>(record.GetFloat(f.offset)));
            break;
        case CamParamType::Float64:
            WriteIniDouble(kSection, key.c_str(), record.GetDouble(f.offset));
            break;
        }
    }
}

std::string ReadInputDevice() {
    char text[256];
    ReadIniString("STAGEINPUT", "INPDEVICE", "", text, sizeof text);
    return text;
}

void WriteInputDevice(const std::string& device) {
    WriteIniString("STAGEINPUT", "INPDEVICE", device.c_str());
}
