#include "devices/camera/gui/XYCalibDialog.h"

#include "devices/camera/XYCalibValues.h"
#include "devices/camera/gui/LensCalibRegDlg.h"
#include "devices/camera/gui/LensCalibTxtDlg.h"
#include "platform/Settings.h"
#include "platform/WindowMessages.h"
#include "ui/DataExchange.h"
#include "ui/ResourceWidgets.h"

#include <wx/notebook.h>

#include <cstdio>

namespace {
// The dialog's own slot rows and their labels, hidden when the pages take over.
constexpr int kOwnControls[] = {1279, 1280, 1371, 1191, 1192, 1193, 1194, 1387, 1196, 1197, 1198, 1199, 1207,
                                1200, 1201, 1202, 1203, 1208, 1341, 1342, 1343, 1344, 1345, 1281, 1282, 1283,
                                1284, 1285, 1373, 1374, 1375, 1376, 1377, 1188, 1189, 1190, 1195, 1210};
constexpr int kControllerNoCancel = 9;
constexpr int kMargin = 5;

wxString Fixed6(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", v);
    return text;
}
} // namespace

CXYCalibDialog::CXYCalibDialog(wxWindow* owner, LensTable* table, int* rememberedTab)
    : ui::TemplateDialog(owner, kTemplateId), m_owner(owner), m_table(table),
      m_pTab(rememberedTab ? rememberedTab : &m_ownTab) {
    // "レンズ1" .. "レンズ5"
    for (UINT id = 842; id <= 846; ++id)
        m_strNames[id - 842] = ui::ToUtf8(ui::LoadResString(id));
    ReplaceControl(kTabControl, [this](wxWindow* parent, const ui::ControlTemplate& c, const wxRect& r) {
        m_pNotebook = new wxNotebook(parent, c.id, r.GetPosition(), r.GetSize());
        return static_cast<wxWindow*>(m_pNotebook);
    });
    for (int slot = 0; slot < kSlots; ++slot)
        OnCommand(CLensCalibRegDlg::kRegister[slot], [this, slot] { OnRegisterSlot(slot); });
    // The tab shown is the owner's tab the next time.
    OnNotify(ui::TCN_SELCHANGE, kTabControl, [this](ui::Notification& n) {
        if (n.item < 0 || !m_pTxtPage || !m_pRegPage)
            return;
        *m_pTab = static_cast<int>(n.item);
        ShowTab(*m_pTab);
    });
}

void CXYCalibDialog::DoDataExchange(ui::DataExchange& dx) {
    dx.Radio(CLensCalibRegDlg::kRadio[0], m_nSelSlot);
    if (!dx.m_bSaveAndValidate)
        m_radios.Select(m_nSelSlot);
    for (int i = 0; i < kSlots; ++i) {
        dx.Text(CLensCalibRegDlg::kName[i], m_strNames[i]);
        if (dx.m_bSaveAndValidate)
            m_strNames[i] = CutToChars(m_strNames[i], kRegNameChars);
    }
}

void CXYCalibDialog::ShowValues() {
    for (int i = 0; i < kSlots; ++i) {
        SetDlgItemText(CLensCalibRegDlg::kCalib[i], Fixed6(m_dCalib[i]));
        SetDlgItemText(CLensCalibRegDlg::kGap[i], Fixed6(m_dGap[i]));
    }
    if (m_pRegPage) {
        m_pRegPage->m_nSelSlot = (m_nSelSlot >= 0 && m_nSelSlot < kSlots) ? m_nSelSlot : -1;
        m_pRegPage->m_strNames = m_strNames;
        m_pRegPage->UpdateData(false);
        for (int i = 0; i < kSlots; ++i) {
            m_pRegPage->SetDlgItemText(CLensCalibRegDlg::kCalib[i], Fixed6(m_dCalib[i]));
            m_pRegPage->SetDlgItemText(CLensCalibRegDlg::kGap[i], Fixed6(m_dGap[i]));
        }
    }
}

bool CXYCalibDialog::OnInitDialog() {
    m_radios.Attach(this, CLensCalibRegDlg::kRadio);
    ui::TemplateDialog::OnInitDialog();
    ShowValues();
    if (ReadIniInt("COMM", "CONTROLLER", 0) == kControllerNoCancel) {
        // With the lens reported by the lens port the selection cannot be left without a choice.
        ShowItem(IDCANCEL, false);
        if (wxWindow* ok = GetDlgItem(IDOK))
            ok->Move(GetDlgItem(IDCANCEL)->GetPosition());
    }
    if (!m_table || !m_table->LensFileExists() || !m_pNotebook)
        return true;
    m_pTxtPage = new CLensCalibTxtDlg(m_table);
    m_pTxtPage->m_strCurrentLens = m_strCurrentLens;
    m_pTxtPage->Create(m_pNotebook);
    m_pRegPage = new CLensCalibRegDlg();
    m_pRegPage->Create(m_pNotebook);
    ShowValues();
    m_pNotebook->AddPage(m_pTxtPage, ui::LoadResString(861));
    m_pNotebook->AddPage(m_pRegPage, ui::LoadResString(862));
    m_pNotebook->Show();
    ShowTab(*m_pTab == kTabSlots ? kTabSlots : kTabTable);
    return true;
}

void CXYCalibDialog::ShowTab(int tab) {
    if (m_pNotebook->GetSelection() != tab)
        m_pNotebook->ChangeSelection(static_cast<size_t>(tab));
    for (int id : kOwnControls)
        ShowItem(id, false);
    // The notebook holds the larger page with a margin; the buttons stand below it at the right.
    wxSize page = m_pTxtPage->GetSize();
    page.IncTo(m_pRegPage->GetSize());
    const wxSize book = m_pNotebook->CalcSizeFromPage(page);
    m_pNotebook->SetSize(kMargin, kMargin, book.x, book.y);
    wxWindow* ok = GetDlgItem(IDOK);
    wxWindow* cancel = GetDlgItem(IDCANCEL);
    const wxSize button = ok->GetSize();
    const int y = kMargin + book.y + kMargin;
    const int right = kMargin + book.x;
    cancel->Move(right - button.x, y);
    ok->Move(cancel->IsShown() ? right - 2 * button.x - kMargin : right - button.x, y);
    SetClientSize(right + kMargin, y + button.y + kMargin);
}

std::string CXYCalibDialog::SelectedLensName() const {
    const char* name = m_pTxtPage ? m_pTxtPage->GetSelLensName() : nullptr;
    return name ? name : "";
}

void CXYCalibDialog::OnOK() {
    if (!m_pRegPage || !m_pTxtPage) {
        if (UpdateData(true))
            EndDialog(IDOK);
        return;
    }
    if (*m_pTab != kTabTable || !m_pTxtPage->GetSelLens()) {
        if (!m_pRegPage->UpdateData(true))
            return;
        m_strNames = m_pRegPage->m_strNames;
        m_nSelSlot = m_pRegPage->m_nSelSlot;
    } else {
        m_nSelSlot = -1;
    }
    ShowValues();
    EndDialog(IDOK);
}

bool CXYCalibDialog::OnCmdMsg(ui::Notification& n) {
    if (n.code == ui::BN_CLICKED && n.id == CLensCalibTxtDlg::kRegister && m_pTxtPage) {
        OnRegisterLens();
        return true;
    }
    return ui::TemplateDialog::OnCmdMsg(n);
}

void CXYCalibDialog::OnRegisterSlot(int slot) {
    EndDialog(IDCANCEL);
    PostMessage(ui::WindowHandle(m_owner), WM_XYCALIB_EDIT, 0, slot);
}

void CXYCalibDialog::OnRegisterLens() {
    if (!m_pTxtPage || m_pTxtPage->Pager().SelectedLens() < 0)
        return;
    EndDialog(IDCANCEL);
    PostMessage(ui::WindowHandle(m_owner), WM_XYCALIB_EDIT, 1, m_pTxtPage->Pager().SelectedLens());
}
