// Pieces shared by the files of the camera-module loader.
#pragma once

#include <strings.h>

#include <string>

// Message boxes of the loader (OK button, through the program's message sink).
void CamShowMessage(int id);

// Modules whose display name begins with "PFW" (any case) get a pause between grab tries.
inline bool CamNameBeginsWithPfw(const std::string& name) {
    return name.size() >= 3 && strncasecmp(name.c_str(), "PFW", 3) == 0;
}
