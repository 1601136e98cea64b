// The controller's settings in the settings file (sections COMM and SPEED, read and written
// here for every window), the communication defaults of each controller type, the speed presets,
// and the sequence that opens and checks the chosen controller with them.
#pragma once

#include "devices/serial/XyTblCtrl.h"

#include <functional>

struct ControllerCommSettings {
    int controller = 0; // CONTROLLER
    int port = 0;       // PORT
    int lensPort = 1;   // LENSPORT
    int baud = 6;       // BAUD
    int data = 1;       // DATA
    int parity = 0;     // PARITY
    int stop = 0;       // STOP
    int xflow = 0;      // XFLOW
    int side = 1;       // SIDE: 0 lens side, 1 stage side
};

// Presets 0 high, 1 medium, 2 low.
struct SpeedPresets {
    int mode = 1;
    int low[3] = {1000, 1000, 1000};
    int high[3] = {8000, 5000, 3000};
    int rate[3] = {100, 100, 100};
};

ControllerCommSettings ReadControllerSettings();
// SIDE is written as 0 for the MⅡ controller, whose coupler sits on the lens side.
void WriteControllerSettings(const ControllerCommSettings& s);
SpeedPresets ReadSpeedPresets();
// MODE, HLOW, MLOW, LLOW, HHIGH, MHIGH, LHIGH, HRATE, MRATE, LRATE, in that order.
void WriteSpeedPresets(const SpeedPresets& p);

// Baud, data, parity, stop and flow codes that a controller type expects.
void CommDefaultsForType(int type, int* baud, int* data, int* parity, int* stop, int* flow);
// Types with presets of their own when chosen: 5 (high 100, 50, 10, rates 100) and 8 (low 20000,
// high 120000, 75000, 30000, rates 200). Other types leave the presets as they are.
void PresetsForChosenController(int type, SpeedPresets& p);
// Type 4 selects its speed variant by the preset; every other type gets the preset's speeds.
BOOL ApplySpeedPreset(CXyTblCtrl& xy, const SpeedPresets& p);

enum class ControllerCheck {
    None,            // type 0: nothing to open
    Opened,          // opened and answered
    PortFailed,      // the port did not open (message 877); the type is now 0
    WrongController, // no answer to the position read (message 878); the type is now 0
};

// Sets the type, opens and closes the controller once, and reads its position (a second time
// after 200 ms when the first read fails) while `showBox`..`closeBox` bracket the check.
ControllerCheck OpenControllerWithSettings(CXyTblCtrl& xy, const ControllerCommSettings& s, const SpeedPresets& p,
                                           const std::function<void()>& showBox = {},
                                           const std::function<void()>& closeBox = {});
