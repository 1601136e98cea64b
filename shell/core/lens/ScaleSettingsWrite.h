// What happens when the scale settings dialog of a capture view ends with OK: the values go to
// the document's current lens and to the record it came from (a calibration slot, or the lens of
// the lens table by name), and into the settings file: the program-wide colour and corner, the
// slot's keys in [CALIBRATION] or the lens's own section, and, when the dialog asked for it, the
// length or the dot count of every slot and every lens of the table.
#pragma once

#include "platform/WinTypes.h"
#include "shell/core/settings/DocumentSettings.h"
#include "shell/core/lens/LensLibrary.h"

struct ScaleDialogValues {
    double length = 0.0;  // micrometre bar length
    int dots = 0;         // dot bar length in pixels
    double ceiling = 1.0; // graduation step
    int position = 0;     // corner 0..3
    COLORREF colour = 0;
    int allLenses1 = 0; // the length applies to every lens
    int allLenses2 = 0; // the dot count applies to every lens
};

// The slot the document's current lens came from: 0..4, anything else a lens of the table.
inline bool IsCalibrationSlot(int slotIndex) {
    return slotIndex >= 0 && slotIndex < DocumentSettings::kSlotCount;
}

// The lens record behind the document's current lens: its slot, or the table lens of the same
// name; null when the table holds no lens of that name.
CMLens* CurrentLensRecord(DocumentSettings& doc, LensLibrary& lenses);

// Takes the values into the document and the records and writes them. A table lens that is no
// longer in the table gets nothing of its own (neither a record nor its section); the document,
// the program-wide colour and corner and the all-lenses values are still taken.
void ApplyScaleSettings(DocumentSettings& doc, LensLibrary& lenses, const ScaleDialogValues& values);
