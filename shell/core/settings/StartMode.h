// The four start modes of the main program and the input devices that cannot feed the
// continuous composition mode. Each mode is the id of its button in the start dialog.
#pragma once

#include "ids/VantorelIds.h"

#include <string>

enum StartMode : int {
    kModeThumbnails = vtid::StartDialog::SelectByThumbnail, // select image files by thumbnail
    kModeManual = vtid::StartDialog::ManualCapture,         // manual capture
    kModeAutomatic = vtid::StartDialog::AutoCapture,        // automatic capture with a Z stage
    kModeVossa = vtid::StartDialog::VossaComposition,       // continuous composition from the live picture
};

inline bool IsStartMode(int value) {
    return value == kModeThumbnails || value == kModeManual || value == kModeAutomatic || value == kModeVossa;
}

// "VPort", "CS6931", "VH-8000" and "KH3000", compared without case.
bool IsVossaRefusedDevice(const std::string& name);
// The same four devices never get a live grab from the capture view.
inline bool HasNoLiveGrab(const std::string& name) {
    return IsVossaRefusedDevice(name);
}

// The stored start mode when the start dialog is not to be shown ([InitialSettings]
// NOSTARTDISP 1 and not forced): STARTINGMODE (default 1007) as it stands, unchecked.
// Otherwise nothing: the dialog decides.
bool StoredStartMode(bool forceDialog, int* mode);
// The value a dialog answer gives ChooseStartMode: a mode, or -1 for anything else.
inline int StartModeFromAnswer(int answer) {
    return IsStartMode(answer) ? answer : -1;
}
