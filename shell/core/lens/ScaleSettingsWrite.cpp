#include "shell/core/lens/ScaleSettingsWrite.h"

#include "devices/camera/CalibrationSettings.h"

namespace {
void SetScale(CMLens& lens, const ScaleDialogValues& v) {
    lens.m_scaleLength = v.length;
    lens.m_scaleDots = v.dots;
    lens.m_scaleCeiling = v.ceiling;
    lens.m_scalePos = v.position;
    lens.m_scaleColor = v.colour;
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

    WriteProgramScale(v.colour, v.position);
    lenses.m_scaleColor = static_cast<int>(v.colour);
    lenses.m_scalePos = v.position;

    const LensScale scale{v.length, v.dots, v.ceiling, v.position, static_cast<double>(v.colour)};
    if (IsCalibrationSlot(doc.m_slotIndex))
        WriteLensScale(LensKeys::Slot(doc.m_slotIndex), scale);
    else if (record)
        WriteLensScale(LensKeys::Own(record->GetName()), scale);

    if (v.allLenses1) {
        for (int slot = 0; slot < DocumentSettings::kSlotCount; ++slot)
            WriteScaleLength(LensKeys::Slot(slot), v.length);
        for (auto& slot : doc.m_slots)
            slot->m_scaleLength = v.length;
        for (auto& lens : lenses.Lenses()) {
            lens->m_scaleLength = v.length;
            WriteScaleLength(LensKeys::Own(lens->GetName()), v.length);
        }
    }
    if (v.allLenses2) {
        for (int slot = 0; slot < DocumentSettings::kSlotCount; ++slot)
            WriteScaleDots(LensKeys::Slot(slot), v.dots);
        for (auto& slot : doc.m_slots)
            slot->m_scaleDots = v.dots;
        for (auto& lens : lenses.Lenses()) {
            lens->m_scaleDots = v.dots;
            WriteScaleDots(LensKeys::Own(lens->GetName()), v.dots);
        }
    }
}
