// The page "標準" of the lens selection (template 290): the lenses of the lens file in five rows
// (radio, lens name, registered name, calibration value, capture interval) with a scroll bar,
// "登録" (asks the dialog to calibrate the selected lens) and "ﾃﾞﾌｫﾙﾄ" (the lens file's values
// replace every registration).
#pragma once

#include "devices/camera/LensListPager.h"
#include "devices/camera/LensTable.h"
#include "devices/camera/gui/RadioRows.h"
#include "ids/VantorelIds.h"
#include "ui/TemplateWindow.h"

#include <string>

class CLensCalibTxtDlg : public ui::TemplatePanel {
public:
    static constexpr int kTemplateId = vtid::dlg::LensTable;
    static constexpr int kRows = LensListPager::kRows;
    static constexpr int kRadio[kRows] = {vtid::LensTable::Select1, vtid::LensTable::Select2,
                                          vtid::LensTable::Select3, vtid::LensTable::Select4,
                                          vtid::LensTable::Select5};
    static constexpr int kLensName[kRows] = {vtid::LensTable::LensName1, vtid::LensTable::LensName2,
                                             vtid::LensTable::LensName3, vtid::LensTable::LensName4,
                                             vtid::LensTable::LensName5};
    static constexpr int kRegName[kRows] = {vtid::LensTable::Name1, vtid::LensTable::Name2,
                                            vtid::LensTable::Name3, vtid::LensTable::Name4,
                                            vtid::LensTable::Name5};
    static constexpr int kCalib[kRows] = {vtid::LensTable::Calib1, vtid::LensTable::Calib2,
                                          vtid::LensTable::Calib3, vtid::LensTable::Calib4,
                                          vtid::LensTable::Calib5};
    static constexpr int kCalibUnit[kRows] = {vtid::LensTable::CalibUnit1, vtid::LensTable::CalibUnit2,
                                              vtid::LensTable::CalibUnit3, vtid::LensTable::CalibUnit4,
                                              vtid::LensTable::CalibUnit5};
    static constexpr int kGap[kRows] = {vtid::LensTable::Gap1, vtid::LensTable::Gap2, vtid::LensTable::Gap3,
                                        vtid::LensTable::Gap4, vtid::LensTable::Gap5};
    static constexpr int kGapUnit[kRows] = {vtid::LensTable::GapUnit1, vtid::LensTable::GapUnit2,
                                            vtid::LensTable::GapUnit3, vtid::LensTable::GapUnit4,
                                            vtid::LensTable::GapUnit5};
    static constexpr int kScrollBar = vtid::LensTable::ScrollBar, kRegister = vtid::LensTable::Register,
                         kDefault = vtid::LensTable::Default;
    static constexpr UINT kMsgDefault = vtid::str::AskResetLenses;

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
