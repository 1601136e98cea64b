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
    static constexpr int kTemplateId = vtid::dlg::LensTablePage;
    static constexpr int kRows = LensListPager::kRows;
    static constexpr int kRadio[kRows] = {vtid::LensTablePage::Select1, vtid::LensTablePage::Select2,
                                          vtid::LensTablePage::Select3, vtid::LensTablePage::Select4,
                                          vtid::LensTablePage::Select5};
    static constexpr int kLensName[kRows] = {vtid::LensTablePage::LensName1, vtid::LensTablePage::LensName2,
                                             vtid::LensTablePage::LensName3, vtid::LensTablePage::LensName4,
                                             vtid::LensTablePage::LensName5};
    static constexpr int kRegName[kRows] = {vtid::LensTablePage::Name1, vtid::LensTablePage::Name2,
                                            vtid::LensTablePage::Name3, vtid::LensTablePage::Name4,
                                            vtid::LensTablePage::Name5};
    static constexpr int kCalib[kRows] = {vtid::LensTablePage::Calib1, vtid::LensTablePage::Calib2,
                                          vtid::LensTablePage::Calib3, vtid::LensTablePage::Calib4,
                                          vtid::LensTablePage::Calib5};
    static constexpr int kCalibUnit[kRows] = {
        vtid::LensTablePage::CalibUnit1, vtid::LensTablePage::CalibUnit2, vtid::LensTablePage::CalibUnit3,
        vtid::LensTablePage::CalibUnit4, vtid::LensTablePage::CalibUnit5};
    static constexpr int kGap[kRows] = {vtid::LensTablePage::Gap1, vtid::LensTablePage::Gap2,
                                        vtid::LensTablePage::Gap3, vtid::LensTablePage::Gap4,
                                        vtid::LensTablePage::Gap5};
    static constexpr int kGapUnit[kRows] = {vtid::LensTablePage::GapUnit1, vtid::LensTablePage::GapUnit2,
                                            vtid::LensTablePage::GapUnit3, vtid::LensTablePage::GapUnit4,
                                            vtid::LensTablePage::GapUnit5};
    static constexpr int kScrollBar = vtid::LensTablePage::ScrollBar,
                         kRegister = vtid::LensTablePage::Register, kDefault = vtid::LensTablePage::Default;
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
