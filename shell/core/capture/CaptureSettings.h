// The camera settings the capture side keeps in the settings file: [CAMPARAM] into and out of
// the camera parameter record, and [STAGEINPUT] INPDEVICE.
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
