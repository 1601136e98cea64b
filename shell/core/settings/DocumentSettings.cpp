#include "shell/core/settings/DocumentSettings.h"

#include "platform/Settings.h"
#include "ui/resources/ResourceRegistry.h"
#include "ids/VantorelIds.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace {
const char* const kCompPosKeys[8] = {"INICOMPOS1X", "INICOMPOS1Y", "INICOMPOS2X", "INICOMPOS2Y",
                                     "INICOMPOS3X", "INICOMPOS3Y", "INICOMPOS4X", "INICOMPOS4Y"};

std::string SlotKey(const char* key, int slot) {
    return key + std::to_string(slot);
}
} // namespace

DocumentSettings::DocumentSettings() = default;

int DocumentSettings::NormaliseThumbSize(int size) {
    return (size == 64 || size == 128 || size == 192) ? size : 128;
}

void DocumentSettings::ReadSettings() {
    m_sort = ReadIniInt("InitialSettings", "SORT", kSortByName);
    m_sortParam = vtid::cmd::SortFocusBoxByHeight;
    m_thumbSize = NormaliseThumbSize(ReadIniInt("InitialSettings", "THUMBSIZE", 0));
    m_selThumbSize = NormaliseThumbSize(ReadIniInt("InitialSettings", "SELTHUMBSIZE", 0));
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
    WriteIniInt("InitialSettings", "THUMBSIZE", m_thumbSize);
    WriteIniInt("InitialSettings", "SELTHUMBSIZE", m_selThumbSize);
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
        lens->SetCalib(ReadIniDouble("CALIBRATION", SlotKey("CALIB", n).c_str(), 1.0));
        lens->SetGap(ReadIniDouble("CALIBRATION", SlotKey("GAP", n).c_str(), 0.0));
        const double color =
            ReadIniDouble("CALIBRATION", SlotKey("SCALECOLOR", n).c_str(), LensLibrary::kDefaultScaleColor);
        lens->m_scaleColor =
            (color >= 0.0 && color <= 4294967295.0) ? static_cast<COLORREF>(static_cast<int64_t>(color)) : 0;
        lens->m_scaleLength = ReadIniDouble("CALIBRATION", SlotKey("SCALELEN", n).c_str(), 0.0);
        lens->m_scaleDots = ReadIniInt("CALIBRATION", SlotKey("SCALEDOT", n).c_str(), 0);
        lens->m_scaleCeiling = ReadIniDouble("CALIBRATION", SlotKey("SCALECEIL", n).c_str(), 1.0);
        lens->m_scalePos = ReadIniInt("CALIBRATION", SlotKey("SCALEPOS", n).c_str(), 0);
        const std::string& fallback = slotNames[static_cast<size_t>(n - 1)];
        char name[80];
        ReadIniString("CALIBRATION", SlotKey("CLBNAME", n).c_str(), fallback.c_str(), name, sizeof name);
        lens->SetRegName(name);
        m_slots.push_back(std::move(lens));
    }

    m_scale1 = ReadIniInt("CALIBRATION", "SCALEONOFF1", 0);
    m_scale2 = ReadIniInt("CALIBRATION", "SCALEDOTONOFF", 0);
    m_slotIndex = ReadIniInt("CALIBRATION", "CALIBNO", 0);
    library.m_scaleColor = ReadIniInt("CALIBRATION", "SCALECOLOR1", 0);
    library.m_scalePos = ReadIniInt("CALIBRATION", "SCALEPOS1", 0);

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
        WriteIniString("CALIBRATION", "LENSNAME", lens->GetName().c_str());
        WriteIniInt("CALIBRATION", "CALIBNO", -1);
    }
    m_currentLens.Copy(*lens);
    m_slotIndex = -1;
    return true;
}
