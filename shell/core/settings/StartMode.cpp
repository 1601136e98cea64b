#include "shell/core/settings/StartMode.h"

#include "platform/Settings.h"

#include <strings.h>

bool IsVossaRefusedDevice(const std::string& name) {
    for (const char* refused : {"VPort", "CS6931", "VH-8000", "KH3000"})
        if (strcasecmp(name.c_str(), refused) == 0)
            return true;
    return false;
}

bool StoredStartMode(bool forceDialog, int* mode) {
    if (forceDialog || ReadIniInt("InitialSettings", "NOSTARTDISP", 0) != 1)
        return false;
    *mode = ReadIniInt("InitialSettings", "STARTINGMODE", kModeThumbnails);
    return true;
}
