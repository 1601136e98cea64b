// The settings section that holds one lens's own calibration: "CALIBRATION_" and the lens name.
// Every reader and writer of that section makes its name here, so that a name the settings file
// cannot hold maps to the same safe section for writing and reading.
#pragma once

#include <string>

// "CALIBRATION_<name>". Characters a section name cannot hold (']' and line breaks) are written as
// %XX (their byte in hexadecimal); every other name is kept byte for byte.
std::string CalibrationSectionName(const std::string& lensName);
