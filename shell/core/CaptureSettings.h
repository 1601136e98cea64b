// The camera and stage settings the capture side keeps in the settings file: [CAMPARAM] into
// and out of the camera parameter record, [STAGEINPUT] INPDEVICE, and the [SPEED] presets in
// the order the capture view writes them.
#pragma once

#include "devices/camera/CamParamRecord.h"

#include <string>

// Fills the record's settings-backed fields from [CAMPARAM] (defaults where absent) and clears
// the main-window, frame-window and instance slots.
void LoadCameraSettings(CamParamRecord& record);
// Writes every [CAMPARAM] key of the record in record order.
void SaveCameraSettings(const CamParamRecord& record);
// REFPARAM: nine ints, each "%9d|", run together.
std::string FormatRefParam(const CamParamRecord& record);
// Splits the text (at most 98 bytes are looked at) at '|' like strtok: empty pieces are
// skipped, the first nine pieces are atoi'd, missing pieces give 0.
void ParseRefParam(const std::string& text, CamParamRecord& record);

std::string ReadInputDevice();
void WriteInputDevice(const std::string& device);

// Speed presets of the capture view (keys of [SPEED]).
struct SpeedSettings {
    int mode = 1;                     // MODE: 0 high, 1 medium, 2 low
    int low[3] = {1000, 1000, 1000};  // HLOW MLOW LLOW
    int high[3] = {8000, 5000, 3000}; // HHIGH MHIGH LHIGH
    int rate[3] = {100, 100, 100};    // HRATE MRATE LRATE
};
SpeedSettings ReadSpeedSettings();
// MODE, HLOW, MLOW, LLOW, HHIGH, MHIGH, LHIGH, HRATE, MRATE, LRATE in that order.
void WriteSpeedSettings(const SpeedSettings& s);
