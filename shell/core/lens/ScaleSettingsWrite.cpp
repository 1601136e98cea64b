#include "shell/core/lens/ScaleSettingsWrite.h"

#include "platform/Settings.h"

#include <string>

namespace {
void SetScale(CMLens& lens, const ScaleDialogValues& v) {
    lens.m_scaleLength = v.length;
    lens.m_scaleDots = v.dots;
    lens.m_scaleCeiling = v.ceiling;
    lens.m_scalePos = v.position;
    lens.m_scaleColor = v.colour;
}

void WriteLensKeys(const std::string& section, int number, const ScaleDialogValues& v) {
    const std::string n = std::to_string(number);
    WriteIniDouble(section.c_str(), ("SCALELEN" + n).c_str(), v.length);
    WriteIniInt(section.c_str(), ("SCALEDOT" + n).c_str(), v.dots);
    WriteIniDouble(section.c_str(), ("SCALECEIL" + n).c_str(), v.ceiling);
    WriteIniInt(section.c_str(), ("SCALEPOS" + n).c_str(), v.position);
    WriteIniDouble(section.c_str(), ("SCALECOLOR" + n).c_str(), static_cast<double>(v.colour));
}
} // namespace

CMLens* CurrentLensRecord(DocumentSettings& doc, LensLibrary& lenses) {
    if (IsCalibrationSlot(doc.m_slotIndex))
        return GetLensAt(doc.m_slots, doc.m_slotIndex);
    return lenses.FindLensByName(doc.m_currentLens.GetName());
}

void ApplyScaleSettings(DocumentSettings& doc, LensLibrary& lenses, const ScaleDialogValues& v) {
    SetScale(doc.m_currentLens, v);
    CMLens* record = CurrentLensRecord(doc, lenses);
    if (record)
        SetScale(*record, v);

    WriteIniDouble("CALIBRATION", "SCALECOLOR1", static_cast<double>(v.colour));
    WriteIniInt("CALIBRATION", "SCALEPOS1", v.position);
    lenses.m_scaleColor = static_cast<int>(v.colour);
    lenses.m_scalePos = v.position;

    if (IsCalibrationSlot(doc.m_slotIndex))
        WriteLensKeys("CALIBRATION", doc.m_slotIndex + 1, v);
    else if (record)
        WriteLensKeys(CalibrationSectionName(record->GetName()), 1, v);

    if (v.allLenses1) {
        for (int n = 1; n <= DocumentSettings::kSlotCount; ++n)
            WriteIniDouble("CALIBRATION", ("SCALELEN" + std::to_string(n)).c_str(), v.length);
        for (auto& slot : doc.m_slots)
            slot->m_scaleLength = v.length;
        for (auto& lens : lenses.Lenses()) {
            lens->m_scaleLength = v.length;
            WriteIniDouble(CalibrationSectionName(lens->GetName()).c_str(), "SCALELEN1", v.length);
        }
    }
    if (v.allLenses2) {
        for (int n = 1; n <= DocumentSettings::kSlotCount; ++n)
            WriteIniInt("CALIBRATION", ("SCALEDOT" + std::to_string(n)).c_str(), v.dots);
        for (auto& slot : doc.m_slots)
            slot->m_scaleDots = v.dots;
        for (auto& lens : lenses.Lenses()) {
            lens->m_scaleDots = v.dots;
            WriteIniInt(CalibrationSectionName(lens->GetName()).c_str(), "SCALEDOT1", v.dots);
        }
    }
}
