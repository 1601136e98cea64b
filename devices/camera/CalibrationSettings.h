// The lens calibration keys of the settings file, read and written here for every window.
//
// [CALIBRATION] holds the five calibration slots (each slot key ends in the slot's number, 1 to
// 5), the current lens (CALIBNO, LENSNAME), the two scale bar switches and the places of two
// dialogs. Slot 1's SCALECOLOR1 and SCALEPOS1 are also the program-wide scale colour and corner.
// Each lens of the lens file may have a section of its own (CalibrationSectionName) that holds
// the slot keys with the number 1. Every read and write goes to the file when it is called, and
// each write function writes exactly the keys it names, in the order it names them.
#pragma once

#include "devices/camera/MLens.h"
#include "platform/WinTypes.h"

#include <string>

// The colour of a scale bar that has none of its own: COLORREF 0x800080 held as a real.
constexpr double kDefaultScaleColour = 8388736.0;
// The buffer (with its closing zero) the capture side reads a registered name or a lens name
// into: at most 79 bytes of the text are taken.
constexpr DWORD kLensNameBuffer = 80;
// The buffer the result window reads them into: up to 4095 bytes are taken.
constexpr DWORD kWholeNameBuffer = 4096;

// Where one lens's keys are: a slot of [CALIBRATION], or a lens's own section.
struct LensKeys {
    std::string section;
    int number = 1; // the digit that ends each key

    // Slot 0..4: [CALIBRATION], keys ending in slot + 1.
    static LensKeys Slot(int slot);
    // The lens's own section, keys ending in 1.
    static LensKeys Own(const std::string& lensName);
    // The key of this lens: "CALIB" of slot 2 is "CALIB3".
    std::string Key(const char* name) const;
};

// A lens's registered name (CLBNAME, text), micrometres per pixel (CALIB, real) and capture
// interval (GAP, real).
struct LensCalibration {
    std::string registeredName;
    double umPerPixel = 1.0;
    double interval = 0.0;
};

// A lens's scale bars: length (SCALELEN, real), dot count (SCALEDOT, int), graduation step
// (SCALECEIL, real), corner (SCALEPOS, int 0..3) and colour (SCALECOLOR, a COLORREF as a real).
struct LensScale {
    double length = 0.0;
    int dots = 0;
    double ceiling = 1.0;
    int position = 0;
    double colour = kDefaultScaleColour;
};

// CLBNAME (into a buffer of nameBuffer bytes), CALIB and GAP; `defaults` for absent keys.
LensCalibration ReadLensCalibration(const LensKeys& at, const LensCalibration& defaults,
                                    DWORD nameBuffer = kLensNameBuffer);
std::string ReadRegisteredName(const LensKeys& at, const std::string& def, DWORD nameBuffer);
double ReadUmPerPixel(const LensKeys& at, double def);
double ReadInterval(const LensKeys& at, double def);
// The five scale keys; `defaults` for absent keys.
LensScale ReadLensScale(const LensKeys& at, const LensScale& defaults = {});
// The COLORREF of a colour read as a real; 0 for a value outside the range of COLORREF.
COLORREF ScaleColourOf(double colour);

// CALIB, GAP, CLBNAME of a slot, in that order.
void WriteSlotCalibration(int slot, const LensCalibration& c);
// CLBNAME1 = registered name, CALIB1 = micrometres per pixel, GAP1 = interval, in that order,
// in the lens's own section. False when the settings file could not be written.
bool WriteLensCalibrationSection(const CMLens& lens);
// SCALELEN, SCALEDOT, SCALECEIL, SCALEPOS, SCALECOLOR, in that order.
void WriteLensScale(const LensKeys& at, const LensScale& s);
void WriteScaleLength(const LensKeys& at, double length);
void WriteScaleDots(const LensKeys& at, int dots);

// CALIBNO (int, 0): 0..4 a slot is the current lens, anything else the lens named by LENSNAME.
int ReadCurrentSlot();
void WriteCurrentSlot(int slot);
// LENSNAME (text, empty): the current lens of the lens file.
std::string ReadCurrentLensName(DWORD nameBuffer = kLensNameBuffer);
void WriteCurrentLensName(const std::string& name);

// The micrometre bar's switch (SCALEONOFF1) and the dot bar's (SCALEDOTONOFF), ints, 0 each.
struct ScaleSwitches {
    int um = 0;
    int dots = 0;
};
ScaleSwitches ReadScaleSwitches();
void WriteUmScaleSwitch(int on);
void WriteDotScaleSwitch(int on);

// The program-wide scale colour and corner as the capture side reads them: SCALECOLOR1 and
// SCALEPOS1 both as integers, 0 when absent.
struct ProgramScale {
    int colour = 0;
    int position = 0;
};
ProgramScale ReadProgramScale();
// SCALECOLOR1 (as a real), then SCALEPOS1.
void WriteProgramScale(COLORREF colour, int position);

// The scale settings dialog's boxes that apply the length (SCALEALLCHK1, default 1) and the dot
// count (SCALEALLCHK2, default the first box's value) to every lens.
struct ScaleApplyToAll {
    int length = 1;
    int dots = 1;
};
ScaleApplyToAll ReadScaleApplyToAll();
// SCALEALLCHK1, then SCALEALLCHK2.
void WriteScaleApplyToAll(const ScaleApplyToAll& boxes);

// Where the calibration settings dialog was last closed: SCALELENPOSX and SCALELENPOSY, 0 each.
struct DialogPlace {
    int x = 0;
    int y = 0;
};
DialogPlace ReadCalibrationDialogPlace();
// SCALELENPOSX, then SCALELENPOSY.
void WriteCalibrationDialogPlace(const DialogPlace& place);
