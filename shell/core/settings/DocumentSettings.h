// What the application document keeps of the settings file: the composition and microscope
// settings, the thumbnail sizes and sort order, the five lens calibration slots with the current
// lens, and the lens state last reported by the lens port. The window-side document derives
// from it; everything here runs without a window.
#pragma once

#include "shell/core/lens/LensLibrary.h"
#include "ids/VantorelIds.h"

#include <array>
#include <string>

class DocumentSettings {
public:
    static constexpr int kSlotCount = 5;
    static constexpr int kSortByName = vtid::cmd::SortByName;

    DocumentSettings();
    virtual ~DocumentSettings() = default;

    // [InitialSettings] SORT, THUMBSIZE, SELTHUMBSIZE and every [PARAMETER] and [SCOPE] key.
    void ReadSettings();
    // The composition settings to [PARAMETER]: COMTYPE, COMPSIZE, COMSMOOTHING, COMAUTOPOS,
    // COMPSPEED, AREANO, INICOMPOS1X .. INICOMPOS4Y, SAI, TAN, in that order.
    void SaveCompositionSettings() const;
    // THUMBSIZE, SELTHUMBSIZE, SCOPETYPE, SUBSTYPE, SUBSPOS: written when the program ends.
    void WriteExitSettings() const;

    // Reloads the lens table with its settings overrides, rebuilds the five slots from
    // [CALIBRATION], reads the scale switches and CALIBNO, hands SCALECOLOR1 and SCALEPOS1 to
    // the library and picks the current lens: a slot for CALIBNO 0..4, else the table lens
    // named by LENSNAME, else slot 0.
    void LoadLensSlots(LensLibrary& library);
    // Takes a lens state: the table lens "ML<lens>-<zoom>" (zoom with one decimal unless it is
    // whole) becomes current, LENSNAME and CALIBNO -1 are written when the name changed.
    // Returns false (current lens unchanged) when the table has no such lens.
    bool SelectLensByNumber(int lensNumber, double zoom, LensLibrary& library);

    // 64, 128 and 192 stand; anything else is 128.
    static int NormaliseThumbSize(int size);
    // The lens-table name of a lens state: lens 90 and zoom 2.5 give "ML90-2.5", zoom 1.0 "ML90-1".
    static std::string LensStateName(int lensNumber, double zoom);

    // [PARAMETER]
    int m_focusType = 1;     // COMTYPE: 0 fine, 1 normal, 2 smooth, 3 manual
    int m_compSize = 8;      // COMPSIZE
    int m_compSmoothing = 6; // COMSMOOTHING
    int m_autoPos = 0;       // COMAUTOPOS
    int m_compSpeed = 1;     // COMPSPEED: selection of the composition-speed combo box
    int m_areaNo = 2;        // AREANO
    std::array<int, 8> m_iniCompPos{50, 25, 75, 50, 50, 75, 25, 50}; // INICOMPOS1X .. 4Y
    int m_tan = 0;                                                   // TAN
    int m_sai = 0;                                                   // SAI
    // [SCOPE]
    int m_scopeType = 0; // SCOPETYPE
    int m_subsType = 0;  // SUBSTYPE
    int m_subsPos = 1;   // SUBSPOS
    // [CALIBRATION]
    int m_scale1 = 0; // SCALEONOFF1: micrometre bar shown
    int m_scale2 = 0; // SCALEDOTONOFF: dot bar shown
    std::string m_lensName;
    CMLens m_currentLens;
    int m_slotIndex = 0; // CALIBNO: 0..4 a slot, otherwise a table lens
    CMLensArray m_slots;
    int m_lensNumber = -1; // lens state: -1 until one arrives
    double m_zoom = -1.0;
    // [InitialSettings]
    int m_thumbSize = 128;
    int m_selThumbSize = 128;
    int m_sort = kSortByName;
    int m_sortParam = vtid::cmd::SortFocusBoxByHeight; // the focus box's order command
};
