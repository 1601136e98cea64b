// Start-up of the window layer: what it serves the whole program through the seams of the
// lower libraries, and the compact control style that dialog-unit layouts need.
#pragma once

#include <string>

namespace ui {

struct ProgramServices {
    std::string program = "vantorel"; // the resources of resources/<program>
    bool wxMessageBoxes = true;       // false: the message sink in place stays (tests have their own)
};

// The window layer's part of a program's start-up. Call once on the UI thread after wx is
// initialised and before the first window. It installs:
//  - image handlers and the compact control style;
//  - the platform's window messages (PostMessage, SendMessage, thread messages) on the layer's
//    private messages, with the 32-bit handle tokens through which worker threads and camera
//    modules reach windows (a module is given the main frame's token, GetSafeHwnd, through
//    CCamDll::SetHostTokens, and its messages arrive by that token);
//  - the message sink: wx message boxes by string id (unless wxMessageBoxes is false);
//  - the program's own resources (the language bundle is loaded afterwards from the settings).
// The seams of the other libraries are filled by their gui parts (InstallImagingGuiServices,
// InstallSerialGuiServices); a program calls the one function that fills all of its seams,
// InstallVantorelServices or InstallBrelvoxaServices (programs/common/ProgramServices.h).
// False when the resources did not load (error holds the reason); the rest is set up anyway.
bool InstallProgramServices(const ProgramServices& services, std::string* error = nullptr);

// The compact style alone (padding of buttons, edits and combo boxes reduced so that controls
// keep to the heights the templates give them).
void ApplyCompactControlStyle();

} // namespace ui
