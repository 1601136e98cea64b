#include "devices/camera/CalibrationSettings.h"

#include "devices/camera/LensSection.h"
#include "platform/Settings.h"

#include <cstdint>
#include <vector>

namespace {
constexpr const char* kSection = "CALIBRATION";
} // namespace

LensKeys LensKeys::Slot(int slot) {
    return LensKeys{kSection, slot + 1};
}

LensKeys LensKeys::Own(const std::string& lensName) {
    return LensKeys{CalibrationSectionName(lensName), 1};
}

std::string LensKeys::Key(const char* name) const {
    return name + std::to_string(number);
}

LensCalibration ReadLensCalibration(const LensKeys& at, const LensCalibration& defaults, DWORD nameBuffer) {
    LensCalibration c;
    c.umPerPixel = ReadUmPerPixel(at, defaults.umPerPixel);
    c.interval = ReadInterval(at, defaults.interval);
    c.registeredName = ReadRegisteredName(at, defaults.registeredName, nameBuffer);
    return c;
}

std::string ReadRegisteredName(const LensKeys& at, const std::string& def, DWORD nameBuffer) {
    std::vector<char> name(nameBuffer);
    const DWORD n =
        ReadIniString(at.section.c_str(), at.Key("CLBNAME").c_str(), def.c_str(), name.data(), nameBuffer);
    return std::string(name.data(), n);
}

double ReadUmPerPixel(const LensKeys& at, double def) {
    return ReadIniDouble(at.section.c_str(), at.Key("CALIB").c_str(), def);
}

double ReadInterval(const LensKeys& at, double def) {
    return ReadIniDouble(at.section.c_str(), at.Key("GAP").c_str(), def);
}

LensScale ReadLensScale(const LensKeys& at, const LensScale& defaults) {
    const char* section = at.section.c_str();
    LensScale s;
    s.length = ReadIniDouble(section, at.Key("SCALELEN").c_str(), defaults.length);
    s.dots = ReadIniInt(section, at.Key("SCALEDOT").c_str(), defaults.dots);
    s.ceiling = ReadIniDouble(section, at.Key("SCALECEIL").c_str(), defaults.ceiling);
    s.position = ReadIniInt(section, at.Key("SCALEPOS").c_str(), defaults.position);
    s.colour = ReadIniDouble(section, at.Key("SCALECOLOR").c_str(), defaults.colour);
    return s;
}

COLORREF ScaleColourOf(double colour) {
    // Out-of-range texts must not overflow the cast.
    return (colour >= 0.0 && colour <= 4294967295.0) ? static_cast<COLORREF>(static_cast<int64_t>(colour))
                                                     : 0;
}

void WriteSlotCalibration(int slot, const LensCalibration& c) {
    const LensKeys at = LensKeys::Slot(slot);
    WriteIniDouble(kSection, at.Key("CALIB").c_str(), c.umPerPixel);
    WriteIniDouble(kSection, at.Key("GAP").c_str(), c.interval);
    WriteIniString(kSection, at.Key("CLBNAME").c_str(), c.registeredName.c_str());
}

bool WriteLensCalibrationSection(const CMLens& lens) {
    const std::string section = CalibrationSectionName(lens.GetName());
    bool ok = WriteIniString(section.c_str(), "CLBNAME1", lens.GetRegName().c_str()) != 0;
    ok = WriteIniDouble(section.c_str(), "CALIB1", lens.m_calib) != 0 && ok;
    ok = WriteIniDouble(section.c_str(), "GAP1", lens.m_gap) != 0 && ok;
    return ok;
}

void WriteLensScale(const LensKeys& at, const LensScale& s) {
    const char* section = at.section.c_str();
    WriteScaleLength(at, s.length);
    WriteScaleDots(at, s.dots);
    WriteIniDouble(section, at.Key("SCALECEIL").c_str(), s.ceiling);
    WriteIniInt(section, at.Key("SCALEPOS").c_str(), s.position);
    WriteIniDouble(section, at.Key("SCALECOLOR").c_str(), s.colour);
}

void WriteScaleLength(const LensKeys& at, double length) {
    WriteIniDouble(at.section.c_str(), at.Key("SCALELEN").c_str(), length);
}

void WriteScaleDots(const LensKeys& at, int dots) {
    WriteIniInt(at.section.c_str(), at.Key("SCALEDOT").c_str(), dots);
}

int ReadCurrentSlot() {
    return ReadIniInt(kSection, "CALIBNO", 0);
}

void WriteCurrentSlot(int slot) {
    WriteIniInt(kSection, "CALIBNO", slot);
}

std::string ReadCurrentLensName(DWORD nameBuffer) {
    std::vector<char> name(nameBuffer);
    const DWORD n = ReadIniString(kSection, "LENSNAME", "", name.data(), nameBuffer);
    return std::string(name.data(), n);
}

void WriteCurrentLensName(const std::string& name) {
    WriteIniString(kSection, "LENSNAME", name.c_str());
}

ScaleSwitches ReadScaleSwitches() {
    return ScaleSwitches{ReadIniInt(kSection, "SCALEONOFF1", 0), ReadIniInt(kSection, "SCALEDOTONOFF", 0)};
}

void WriteUmScaleSwitch(int on) {
    WriteIniInt(kSection, "SCALEONOFF1", on);
}

void WriteDotScaleSwitch(int on) {
    WriteIniInt(kSection, "SCALEDOTONOFF", on);
}

ProgramScale ReadProgramScale() {
    return ProgramScale{ReadIniInt(kSection, "SCALECOLOR1", 0), ReadIniInt(kSection, "SCALEPOS1", 0)};
}

void WriteProgramScale(COLORREF colour, int position) {
    WriteIniDouble(kSection, "SCALECOLOR1", static_cast<double>(colour));
    WriteIniInt(kSection, "SCALEPOS1", position);
}

ScaleApplyToAll ReadScaleApplyToAll() {
    ScaleApplyToAll boxes;
    boxes.length = ReadIniInt(kSection, "SCALEALLCHK1", 1);
    boxes.dots = ReadIniInt(kSection, "SCALEALLCHK2", boxes.length);
    return boxes;
}

void WriteScaleApplyToAll(const ScaleApplyToAll& boxes) {
    WriteIniInt(kSection, "SCALEALLCHK1", boxes.length);
    WriteIniInt(kSection, "SCALEALLCHK2", boxes.dots);
}

DialogPlace ReadCalibrationDialogPlace() {
    return DialogPlace{ReadIniInt(kSection, "SCALELENPOSX", 0), ReadIniInt(kSection, "SCALELENPOSY", 0)};
}

void WriteCalibrationDialogPlace(const DialogPlace& place) {
    WriteIniInt(kSection, "SCALELENPOSX", place.x);
    WriteIniInt(kSection, "SCALELENPOSY", place.y);
}
