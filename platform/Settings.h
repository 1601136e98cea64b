// Typed access to the program's settings file and the number format of reals in it. Each call
// reads or writes the file through the private-profile engine (platform/Profile.h).
#pragma once

#include "platform/WinTypes.h"

#include <string>
#include <string_view>

// The settings file every Ini helper reads and writes: "Vantorel.ini" in the current directory
// until the application object sets its path.
void SetSettingsFilePath(const std::string& path);
std::string GetSettingsFilePath();

BOOL WriteIniInt(LPCSTR section, LPCSTR key, int value);
BOOL WriteIniDouble(LPCSTR section, LPCSTR key, double value);
BOOL WriteIniString(LPCSTR section, LPCSTR key, LPCSTR text);
// The value (or `def` when the key is absent) into the buffer, cut to size-1 bytes; returns the
// number of bytes copied.
DWORD ReadIniString(LPCSTR section, LPCSTR key, LPCSTR def, LPSTR buffer, DWORD size);
// The same as a string (values up to 4095 bytes).
std::string ReadIniString(LPCSTR section, LPCSTR key, LPCSTR def);
// The value as an integer: `def` when absent, 0 when empty, otherwise the leading decimal number
// of the text (clamped to the range of int).
int ReadIniInt(LPCSTR section, LPCSTR key, int def);
// The value as a real: `def` (through its FormatDoubleText text) when absent, 0.0 when empty,
// otherwise the leading number of the text.
double ReadIniDouble(LPCSTR section, LPCSTR key, double def);

// The text of a real in the settings file: fixed-point with 14 characters for the integer part
// and the decimals together, trailing zeros and point removed (0.1 → "0.1", 2.0 → "2",
// -0.25 → "-0.25"). Values of 1e15 and more in size use 14 significant digits with an exponent;
// non-finite values give "nan", "inf" or "-inf". Independent of the C locale.
std::string FormatDoubleText(double value);

// The leading decimal integer of `text` after blanks and one sign, as atoi reads it, but clamped
// to the range of int instead of overflowing; 0 when there are no digits.
int ParseLeadingInt(std::string_view text);
