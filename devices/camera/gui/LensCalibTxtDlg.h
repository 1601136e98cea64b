// The page "標準" of the lens selection (template 290): the lenses of the lens file in five rows
// (radio, lens name, registered name, calibration value, capture interval) with a scroll bar,
// "登録" (asks the dialog to calibrate the selected lens) and "ﾃﾞﾌｫﾙﾄ" (the lens file's values
// replace every registration).
#pragma once

#include "devices/camera/LensListPager.h"
#include "devices/camera/LensTable.h"
#include "devices/camera/gui/RadioRows.h"
#include "ui/TemplateWindow.h"

#include <string>

class CLensCalibTxtDlg : public ui::TemplatePanel {
public:
    static constexpr int kTemplateId = 290;
    static constexpr int kRows = LensListPager::kRows;
    static constexpr int kRadio[kRows] = {1191, 1192, 1193, 1194, 1387};
    static constexpr int kLensName[kRows] = {1331, 1332, 1333, 1334, 1335};
    static constexpr int kRegName[kRows] = {1196, 1197, 1198, 1199, 1207};
    static constexpr int kCalib[kRows] = {1200, 1201, 1202, 1203, 1208};
    static constexpr int kCalibUnit[kRows] = {1281, 1282, 1283, 1284, 1285};
    static constexpr int kGap[kRows] = {1341, 1342, 1343, 1344, 1345};
    static constexpr int kGapUnit[kRows] = {1382, 1383, 1384, 1385, 1386};
    static constexpr int kScrollBar = 1378, kRegister = 1380, kDefault = 52;
    static constexpr UINT kMsgDefault = 1048;

    // table: the program's lens table (not owned).
    explicit CLensCalibTxtDlg(LensTable* table);

    // The current lens is selected and shown first; the list is filled.
    bool OnInitDialog() override;

    // Name of the selected lens, null when none is selected or it lies beyond the table.
    const char* GetSelLensName() const;
    // The selected lens record, null in the same cases.
    CMLens* GetSelLens() const;
    // Writes the lens's own calibration section (registered name, calibration, interval).
    bool WriteLensCalibration(const CMLens& lens);

    const LensListPager& Pager() const { return m_pager; }

    std::string m_strCurrentLens; // set by the owner before the page is made

private:
    void Fill();
    LRESULT OnVScroll(WPARAM wParam, LPARAM lParam);
    void OnRowRadio(int row);
    void OnRegister();
    void OnDefault();

    LensTable* m_table;
    LensListPager m_pager;
    CRadioRows m_radios;
};
