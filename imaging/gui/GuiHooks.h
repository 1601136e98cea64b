// The window layer's implementations of the core's seams: the one-message pump, icons on
// buttons (platform/ProgramHelpers.h) and the depth of the screen (imaging/files/SECImage.h). A program
// calls this once on the UI thread at start-up, after ui::InstallProgramServices; the programs'
// InstallVantorelServices and InstallBrelvoxaServices do.
#pragma once

void InstallImagingGuiServices();
