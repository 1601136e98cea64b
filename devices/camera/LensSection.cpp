#include "devices/camera/LensSection.h"

#include <cstdio>

std::string CalibrationSectionName(const std::string& lensName) {
    std::string section = "CALIBRATION_";
    section.reserve(section.size() + lensName.size());
    for (char c : lensName) {
        if (c == ']' || c == '\r' || c == '\n') {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
            section += escaped;
        } else {
            section += c;
        }
    }
    return section;
}
