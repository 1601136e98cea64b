// The page "任意" of the lens selection (template 289): the five user slots with their names,
// calibration values and capture intervals, one radio each and a "登録" button each. The buttons'
// commands (1188, 1189, 1190, 1195, 1210) travel on to the lens-selection dialog.
#pragma once

#include "devices/camera/gui/RadioRows.h"
#include "ids/VantorelIds.h"
#include "ui/TemplateWindow.h"

#include <array>
#include <string>

class CLensCalibRegDlg : public ui::TemplatePanel {
public:
    static constexpr int kTemplateId = vtid::dlg::LensSlots;
    static constexpr int kSlots = 5;
    // Longest slot name taken back from the page, in characters.
    static constexpr size_t kNameChars = 10;
    static constexpr int kRadio[kSlots] = {vtid::LensSlots::Select1, vtid::LensSlots::Select2,
                                           vtid::LensSlots::Select3, vtid::LensSlots::Select4,
                                           vtid::LensSlots::Select5};
    static constexpr int kName[kSlots] = {vtid::LensSlots::Name1, vtid::LensSlots::Name2,
                                          vtid::LensSlots::Name3, vtid::LensSlots::Name4,
                                          vtid::LensSlots::Name5};
    static constexpr int kCalib[kSlots] = {vtid::LensSlots::Calib1, vtid::LensSlots::Calib2,
                                           vtid::LensSlots::Calib3, vtid::LensSlots::Calib4,
                                           vtid::LensSlots::Calib5};
    static constexpr int kGap[kSlots] = {vtid::LensSlots::Gap1, vtid::LensSlots::Gap2, vtid::LensSlots::Gap3,
                                         vtid::LensSlots::Gap4, vtid::LensSlots::Gap5};
    static constexpr int kRegister[kSlots] = {vtid::LensSlots::Register1, vtid::LensSlots::Register2,
                                              vtid::LensSlots::Register3, vtid::LensSlots::Register4,
                                              vtid::LensSlots::Register5};

    CLensCalibRegDlg();
    bool OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& dx) override;

    std::array<std::string, kSlots> m_strNames; // "レンズ1" .. "レンズ5" at construction
    int m_nSelSlot = 0;                         // -1: none

private:
    CRadioRows m_radios;
};
