// Installs the window layer's one-message pump and button icons into the program-wide helpers
// (imaging/ProgramHelpers.h). The program calls this once on the UI thread at start-up.
#pragma once

void InstallImagingGuiHooks();
