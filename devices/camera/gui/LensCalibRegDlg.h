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
    static constexpr int kTemplateId = vtid::dlg::LensSlotsPage;
    static constexpr int kSlots = 5;
    // Longest slot name taken back from the page, in characters.
    static constexpr size_t kNameChars = 10;
    static constexpr int kRadio[kSlots] = {vtid::LensSlotsPage::Select1, vtid::LensSlotsPage::Select2,
                                           vtid::LensSlotsPage::Select3, vtid::LensSlotsPage::Select4,
                                           vtid::LensSlotsPage::Select5};
    static constexpr int kName[kSlots] = {vtid::LensSlotsPage::Name1, vtid::LensSlotsPage::Name2,
                                          vtid::LensSlotsPage::Name3, vtid::LensSlotsPage::Name4,
                                          vtid::LensSlotsPage::Name5};
    static constexpr int kCalib[kSlots] = {vtid::LensSlotsPage::Calib1, vtid::LensSlotsPage::Calib2,
                                           vtid::LensSlotsPage::Calib3, vtid::LensSlotsPage::Calib4,
                                           vtid::LensSlotsPage::Calib5};
    static constexpr int kGap[kSlots] = {vtid::LensSlotsPage::Gap1, vtid::LensSlotsPage::Gap2,
                                         vtid::LensSlotsPage::Gap3, vtid::LensSlotsPage::Gap4,
                                         vtid::LensSlotsPage::Gap5};
    static constexpr int kRegister[kSlots] = {vtid::LensSlotsPage::Register1, vtid::LensSlotsPage::Register2,
                                              vtid::LensSlotsPage::Register3, vtid::LensSlotsPage::Register4,
                                              vtid::LensSlotsPage::Register5};

    CLensCalibRegDlg();
    bool OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& dx) override;

    std::array<std::string, kSlots> m_strNames; // "レンズ1" .. "レンズ5" at construction
    int m_nSelSlot = 0;                         // -1: none

private:
    CRadioRows m_radios;
};
