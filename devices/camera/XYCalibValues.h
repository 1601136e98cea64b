// The arithmetic of the XY calibration without a window: micrometres per pixel from a measuring
// line, the accepted range of the values and names limited by characters.
#pragma once

#include "devices/camera/MLens.h"

#include <cstddef>
#include <string>

// Calibration values and capture intervals are accepted from 0 to this, micrometres.
constexpr double kCalibValueMax = 99999999.0;
// Longest registered name, in characters.
constexpr size_t kRegNameChars = 20;

// Micrometres per pixel of a line of `pixels` picture pixels spanning lengthUm micrometres; 0 for
// a line without length.
double CalibrationFromLine(double lengthUm, double pixels);
// True when a calibration value or an interval lies in the accepted range.
bool CalibValueInRange(double value);
// The first `chars` characters of a UTF-8 text (a character is never cut; bytes that are not
// UTF-8 count one each).
std::string CutToChars(const std::string& utf8, size_t chars);
