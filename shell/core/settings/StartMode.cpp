#include "shell/core/settings/StartMode.h"

#include "shell/core/settings/InitialSettings.h"

#include <strings.h>

bool IsVossaRefusedDevice(const std::string& name) {
    for (const char* refused : {"VPort", "CS6931", "VH-8000", "KH3000"})
        if (strcasecmp(name.c_str(), refused) == 0)
            return true;
    return false;
}

bool StoredStartMode(bool forceDialog, int* mode) {
    if (forceDialog || ReadNoStartDialog() != 1)
        return false;
    *mode = ReadStartingMode();
    return true;
}
