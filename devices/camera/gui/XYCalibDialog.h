// The lens selection (template 259 "レンズ選択"): the user picks the lens in use, one of five user
// slots or, when the lens file exists, a lens of the program's lens table, and may ask for a lens
// to be calibrated. Without the lens file the dialog's own five slot rows serve; with it the tab
// control 1278 is a notebook with the pages "標準" (the lens table, CLensCalibTxtDlg) and "任意"
// (the slots, CLensCalibRegDlg), laid out by the notebook.
#pragma once

#include "devices/camera/LensTable.h"
#include "devices/camera/gui/RadioRows.h"
#include "devices/camera/gui/XYCalibSetDlg.h"
#include "ids/VantorelIds.h"
#include "ui/TemplateWindow.h"

#include <array>
#include <string>

class CLensCalibRegDlg;
class CLensCalibTxtDlg;
class wxNotebook;

class CXYCalibDialog : public ui::TemplateDialog {
public:
    static constexpr int kTemplateId = vtid::dlg::LensSelectDialog;
    static constexpr int kSlots = 5;
    static constexpr int kTabControl = vtid::LensSelectDialog::Pages;
    static constexpr int kTabTable = 0, kTabSlots = 1;

    // owner: the window that receives WM_XYCALIB_EDIT; table: the program's lens table (may be
    // null: no lens file); rememberedTab: the owner's own tab index (read and written here).
    CXYCalibDialog(wxWindow* owner, LensTable* table, int* rememberedTab);

    bool OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& dx) override;
    // Takes the slot page (or, on the lens-table tab with a lens selected, slot -1) and ends.
    void OnOK() override;
    // The lens-table page's "登録" (1380) arrives as a command of the page, not of a control here.
    bool OnCmdMsg(ui::Notification& n) override;

    CLensCalibRegDlg* SlotPage() const { return m_pRegPage; }
    CLensCalibTxtDlg* TablePage() const { return m_pTxtPage; }
    wxNotebook* Notebook() const { return m_pNotebook; }
    // The name of the lens selected on the lens-table page, empty when none.
    std::string SelectedLensName() const;

    std::array<std::string, kSlots> m_strNames; // "レンズ1" .. "レンズ5" at construction
    int m_nSelSlot = 0;                         // 0..4 a slot, -1 a lens of the table
    std::array<double, kSlots> m_dCalib{1.0, 1.0, 1.0, 1.0, 1.0};
    std::array<double, kSlots> m_dGap{};
    int m_nViewWidth = 1; // kept for the owner; the dialog does not use it
    std::string m_strCurrentLens;

private:
    void ShowValues();
    void ShowTab(int tab);
    void OnRegisterSlot(int slot);
    void OnRegisterLens();

    wxWindow* m_owner;
    LensTable* m_table;
    int* m_pTab;
    CRadioRows m_radios;
    int m_ownTab = 0;
    wxNotebook* m_pNotebook = nullptr;
    CLensCalibRegDlg* m_pRegPage = nullptr;
    CLensCalibTxtDlg* m_pTxtPage = nullptr;
};
