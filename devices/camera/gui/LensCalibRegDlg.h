// The page "任意" of the lens selection (template 289): the five user slots with their names,
// calibration values and capture intervals, one radio each and a "登録" button each. The buttons'
// commands (1188, 1189, 1190, 1195, 1210) travel on to the lens-selection dialog.
#pragma once

#include "devices/camera/gui/RadioRows.h"
#include "ui/TemplateWindow.h"

#include <array>
#include <string>

class CLensCalibRegDlg : public ui::TemplatePanel {
public:
    static constexpr int kTemplateId = 289;
    static constexpr int kSlots = 5;
    // Longest slot name taken back from the page, in characters.
    static constexpr size_t kNameChars = 10;
    static constexpr int kRadio[kSlots] = {1191, 1192, 1193, 1194, 1387};
    static constexpr int kName[kSlots] = {1196, 1197, 1198, 1199, 1207};
    static constexpr int kCalib[kSlots] = {1200, 1201, 1202, 1203, 1208};
    static constexpr int kGap[kSlots] = {1341, 1342, 1343, 1344, 1345};
    static constexpr int kRegister[kSlots] = {1188, 1189, 1190, 1195, 1210};

    CLensCalibRegDlg();
    bool OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& dx) override;

    std::array<std::string, kSlots> m_strNames; // "レンズ1" .. "レンズ5" at construction
    int m_nSelSlot = 0;                         // -1: none

private:
    CRadioRows m_radios;
};
