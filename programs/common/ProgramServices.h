// One call per program fills every seam that the libraries below leave to the program, on the UI
// thread after wx is initialised and before the first window:
//  - SIGXFSZ ignored, so that a save past the file-size limit fails with a message instead of
//    ending the program;
//  - the user's locale from the environment (the toolkit's own labels follow it), numbers in the
//    C notation, and the toolkit's message catalogue for the user's language;
//  - the window layer's part (ui::InstallProgramServices): window messages and the handle tokens
//    through which workers and camera modules reach windows, the message sink, the resources;
//  - the imaging core's one-message pump, button icons and screen depth (InstallImagingGuiServices);
//  - Vantorel only: the serial drivers' abort keys, Esc and the right button (InstallSerialGuiServices).
// The camera module of Vantorel is given the main frame's token by the frame itself
// (CCamDll::SetHostTokens), since it names a window that exists only later.
// False when the program's resources did not load (error holds the reason); the rest is set up.
#pragma once

#include <string>

// wxMessageBoxes false keeps the message sink in place (tests answer with their own).
bool InstallVantorelServices(bool wxMessageBoxes = true, std::string* error = nullptr);
bool InstallBrelvoxaServices(bool wxMessageBoxes = true, std::string* error = nullptr);
