#include "shell/core/settings/DocumentSettings.h"

#include "devices/camera/CalibrationSettings.h"
#include "platform/Settings.h"
#include "shell/core/settings/InitialSettings.h"
#include "ui/resources/ResourceRegistry.h"
#include "ids/VantorelIds.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace {
const char* const kCompPosKeys[8] = {"INICOMPOS1X", "INICOMPOS1Y", "INICOMPOS2X", "INICOMPOS2Y",
                                     "INICOMPOS3X", "INICOMPOS3Y", "INICOMPOS4X", "INICOMPOS4Y"};
} // namespace

DocumentSettings::DocumentSettings() = default;

int DocumentSettings::NormaliseThumbSize(int size) {
    return (size == 64 || size == 128 || size == 192) ? size : 128;
}

void DocumentSettings::ReadSettings() {
    const ThumbnailSettings thumbnails = ReadThumbnailSettings();
    m_sort = thumbnails.sort;
    m_sortParam = vtid::cmd::SortFocusBoxByHeight;
    m_thumbSize = NormaliseThumbSize(thumbnails.thumbSize);
    m_selThumbSize = NormaliseThumbSize(thumbnails.selThumbSize);
    m_focusType = ReadIniInt("PARAMETER", "COMTYPE", 1);
    m_compSize = ReadIniInt("PARAMETER", "COMPSIZE", 8);
    m_compSmoothing = ReadIniInt("PARAMETER", "COMSMOOTHING", 6);
    m_autoPos = ReadIniInt("PARAMETER", "COMAUTOPOS", 0);
    m_compSpeed = ReadIniInt("PARAMETER", "COMPSPEED", 1);
    m_areaNo = ReadIniInt("PARAMETER", "AREANO", 2);
    const std::array<int, 8> defaults{50, 25, 75, 50, 50, 75, 25, 50};
    for (size_t i = 0; i < 8; ++i)
        m_iniCompPos[i] = ReadIniInt("PARAMETER", kCompPosKeys[i], defaults[i]);
    m_tan = ReadIniInt("PARAMETER", "TAN", 0);
    m_sai = ReadIniInt("PARAMETER", "SAI", 0);
    m_scopeType = ReadIniInt("SCOPE", "SCOPETYPE", 0);
    m_subsType = ReadIniInt("SCOPE", "SUBSTYPE", 0);
    m_subsPos = ReadIniInt("SCOPE", "SUBSPOS", 1);
}

void DocumentSettings::SaveCompositionSettings() const {
    WriteIniInt("PARAMETER", "COMTYPE", m_focusType);
    WriteIniInt("PARAMETER", "COMPSIZE", m_compSize);
    WriteIniInt("PARAMETER", "COMSMOOTHING", m_compSmoothing);
    WriteIniInt("PARAMETER", "COMAUTOPOS", m_autoPos);
    WriteIniInt("PARAMETER", "COMPSPEED", m_compSpeed);
    WriteIniInt("PARAMETER", "AREANO", m_areaNo);
    for (size_t i = 0; i < 8; ++i)
        WriteIniInt("PARAMETER", kCompPosKeys[i], m_iniCompPos[i]);
    WriteIniInt("PARAMETER", "SAI", m_sai);
    WriteIniInt("PARAMETER", "TAN", m_tan);
}

void DocumentSettings::WriteExitSettings() const {
    WriteThumbnailSizes(m_thumbSize, m_selThumbSize);
    WriteIniInt("SCOPE", "SCOPETYPE", m_scopeType);
    WriteIniInt("SCOPE", "SUBSTYPE", m_subsType);
    WriteIniInt("SCOPE", "SUBSPOS", m_subsPos);
}

void DocumentSettings::LoadLensSlots(LensLibrary& library) {
    library.LoadLensFile(false);

    std::vector<std::string> slotNames;
    for (UINT id = vtid::str::Lens1Name; id <= vtid::str::Lens5Name; ++id)
        slotNames.push_back(ui::Resources().LoadString(id));
    m_slots.clear();
    for (int n = 1; n <= kSlotCount; ++n) {
        auto lens = std::make_unique<CMLens>();
        lens->m_index = n;
        const LensKeys slot = LensKeys::Slot(n - 1);
        const LensCalibration calibration =
            ReadLensCalibration(slot, LensCalibration{slotNames[static_cast<size_t>(n - 1)], 1.0, 0.0});
        lens->SetCalib(calibration.umPerPixel);
        lens->SetGap(calibration.interval);
        lens->SetRegName(calibration.registeredName);
        const LensScale scale = ReadLensScale(slot);
        lens->m_scaleColor = ScaleColourOf(scale.colour);
        lens->m_scaleLength = scale.length;
        lens->m_scaleDots = scale.dots;
        lens->m_scaleCeiling = scale.ceiling;
        lens->m_scalePos = scale.position;
        m_slots.push_back(std::move(lens));
    }

    const ScaleSwitches switches = ReadScaleSwitches();
    m_scale1 = switches.um;
    m_scale2 = switches.dots;
    m_slotIndex = ReadCurrentSlot();
    const ProgramScale programScale = ReadProgramScale();
    library.m_scaleColor = programScale.colour;
    library.m_scalePos = programScale.position;

    const CMLens* chosen = nullptr;
    if (m_slotIndex >= 0 && m_slotIndex <= 4) {
        chosen = GetLensAt(m_slots, m_slotIndex);
    } else {
        const std::string previous = m_lensName;
        library.GetCurrentLensName(m_slotIndex, m_lensName, previous);
        chosen = (m_slotIndex >= 0 && m_slotIndex <= 4) ? GetLensAt(m_slots, m_slotIndex)
                                                        : library.FindLensByName(m_lensName);
    }
    if (chosen)
        m_currentLens.Copy(*chosen);
}

std::string DocumentSettings::LensStateName(int lensNumber, double zoom) {
    char name[64];
    const double whole = std::trunc(zoom);
    if (zoom * 10.0 == whole * 10.0)
        std::snprintf(name, sizeof name, "ML%d-%1.0f", lensNumber, zoom);
    else
        std::snprintf(name, sizeof name, "ML%d-%1.1f", lensNumber, zoom);
    return name;
}

bool DocumentSettings::SelectLensByNumber(int lensNumber, double zoom, LensLibrary& library) {
    m_lensNumber = lensNumber;
    m_zoom = zoom;
    const CMLens* lens = library.FindLensByName(LensStateName(lensNumber, zoom));
    if (!lens)
        return false;
    if (lens->GetName() != m_currentLens.GetName()) {
        WriteCurrentLensName(lens->GetName());
        WriteCurrentSlot(-1);
    }
    m_currentLens.Copy(*lens);
    m_slotIndex = -1;
    return true;
}
