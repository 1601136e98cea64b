// The window layer's key state as the serial drivers' abort-key source (devices/serial/
// AbortKeys.h). A program calls this once at start-up, after ui::InstallProgramServices;
// InstallVantorelServices does.
#pragma once

void InstallSerialGuiServices();
