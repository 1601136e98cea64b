#include "devices/camera/gui/XYCalibDialog.h"

#include "devices/camera/XYCalibValues.h"
#include "devices/camera/gui/LensCalibRegDlg.h"
#include "devices/camera/gui/LensCalibTxtDlg.h"
#include "devices/serial/ControllerSettings.h"
#include "ids/VantorelIds.h"
#include "platform/WindowMessages.h"
#include "ui/DataExchange.h"
#include "ui/ResourceWidgets.h"

#include <wx/notebook.h>

#include <algorithm>
#include <cstdio>

namespace {
namespace ids = vtid::LensSelectDialog;
// The dialog's own slot rows, which stand where the page "任意" stands without the lens file.
constexpr int kOwnRadio[] = {ids::Select1, ids::Select2, ids::Select3, ids::Select4, ids::Select5};
constexpr int kOwnName[] = {ids::Name1, ids::Name2, ids::Name3, ids::Name4, ids::Name5};
constexpr int kOwnCalib[] = {ids::Calib1, ids::Calib2, ids::Calib3, ids::Calib4, ids::Calib5};
constexpr int kOwnGap[] = {ids::Gap1, ids::Gap2, ids::Gap3, ids::Gap4, ids::Gap5};
constexpr int kOwnRegister[] = {ids::Register1, ids::Register2, ids::Register3, ids::Register4,
                                ids::Register5};
// The page "任意" passes its "登録" commands up here, where one handler serves them and the own
// buttons: both carry the same ids.
static_assert(std::ranges::equal(kOwnRegister, CLensCalibRegDlg::kRegister));
// The dialog's own slot rows and their labels, hidden when the pages take over.
constexpr int kOwnControls[] = {
    ids::NameHeading, ids::CalibHeading, ids::GapHeading, ids::Select1,    ids::Select2,   ids::Select3,
    ids::Select4,     ids::Select5,      ids::Name1,      ids::Name2,      ids::Name3,     ids::Name4,
    ids::Name5,       ids::Calib1,       ids::Calib2,     ids::Calib3,     ids::Calib4,    ids::Calib5,
    ids::Gap1,        ids::Gap2,         ids::Gap3,       ids::Gap4,       ids::Gap5,      ids::CalibUnit1,
    ids::CalibUnit2,  ids::CalibUnit3,   ids::CalibUnit4, ids::CalibUnit5, ids::GapUnit1,  ids::GapUnit2,
    ids::GapUnit3,    ids::GapUnit4,     ids::GapUnit5,   ids::Register1,  ids::Register2, ids::Register3,
    ids::Register4,   ids::Register5};
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
    for (UINT id = vtid::str::Lens1Name; id <= vtid::str::Lens5Name; ++id)
        m_strNames[id - vtid::str::Lens1Name] = ui::ToUtf8(ui::LoadResString(id));
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
    dx.Radio(kOwnRadio[0], m_nSelSlot);
    if (!dx.m_bSaveAndValidate)
        m_radios.Select(m_nSelSlot);
    for (int i = 0; i < kSlots; ++i) {
        dx.Text(kOwnName[i], m_strNames[i]);
        if (dx.m_bSaveAndValidate)
            m_strNames[i] = CutToChars(m_strNames[i], kRegNameChars);
    }
}

void CXYCalibDialog::ShowValues() {
    for (int i = 0; i < kSlots; ++i) {
        SetDlgItemText(kOwnCalib[i], Fixed6(m_dCalib[i]));
        SetDlgItemText(kOwnGap[i], Fixed6(m_dGap[i]));
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
    m_radios.Attach(this, kOwnRadio);
    ui::TemplateDialog::OnInitDialog();
    ShowValues();
    if (ReadControllerSettings().controller == kControllerNoCancel) {
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
    m_pNotebook->AddPage(m_pTxtPage, ui::LoadResString(vtid::str::StandardPage));
    m_pNotebook->AddPage(m_pRegPage, ui::LoadResString(vtid::str::UserPage));
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
