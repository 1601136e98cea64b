// The Z calibration: how many micrometres of focus travel one controller pulse is, measured
// between two positions read from the controller or typed for one pulse, and its settings
// ([ZCALIBRATION], read and written here for every window).
#pragma once

#include <string>
#include <string_view>

constexpr int kZCalibTwoPoint = 0; // distance between two positions
constexpr int kZCalibOnePulse = 1; // the distance of one pulse typed directly

// What a confirmed calibration hands to the capture view and stores.
struct ZCalibrationValues {
    int mode = kZCalibTwoPoint;
    double distance = 0.0; // micrometres
    int point1 = 0;        // controller pulses
    int point2 = 0;
    double umPerPulse = 0.0; // cut to four decimals (TruncatePulseValue)
};

// The distance edit's text (its first 50 characters) read as a decimal fraction the way atof
// reads it (leading blanks, a sign, digits, a point, an exponent); independent of the C locale.
// No number, or a value that is not finite, reads as 0.
double ParseZDistance(std::string_view text);

// A point edit's text (its first 20 characters) read as an integer the way atoi reads it, but
// saturating to the range of int: the positions are stored as int, and a long number must not
// overflow.
int ParseZPoint(std::string_view text);

// Micrometres per pulse: the distance itself in one-pulse mode; in two-point mode the distance
// over the distance between the points (taken in 64 bits, so that points at both ends of the
// int range do not overflow), 0 when the points are equal.
double ZCalibrationResult(int mode, double distance, int point1, int point2);

// The text of the result as the dialog and the automatic panel show it: "%.4f  um/pulse".
std::string FormatPulseLabel(double umPerPulse);

// Writes MODE, MOVEMENT, POINT1, POINT2 and 1PULSE of [ZCALIBRATION] in that order (1PULSE as
// given: the caller has cut it). False when a write failed.
bool WriteZCalibrationSettings(const ZCalibrationValues& values);
// The stored calibration as the capture view takes it: MODE (int, 0), MOVEMENT (real, 1.0),
// POINT1 (int, 0), POINT2 (int, 1) and 1PULSE (real, 1.0).
ZCalibrationValues ReadZCalibrationSettings();
// 1PULSE alone, as given (the automatic panel's refresh of a drive that reports its step).
void WriteZPulseSetting(double umPerPulse);
// ORIGIN (int): the capture view's Z origin, written when the view goes.
void WriteZOriginSetting(int origin);
