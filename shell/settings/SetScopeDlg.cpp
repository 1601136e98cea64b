#include "shell/settings/SetScopeDlg.h"

#include "shell/settings/SetSubsDlg.h"
#include "ui/DataExchange.h"
#include "ids/VantorelIds.h"

namespace ids = vtid::ScopeSettingsDialog;

namespace {
constexpr int kStereo = 1;
} // namespace

CSetScopeDlg::CSetScopeDlg(wxWindow* parent) : TemplateDialog(parent, vtid::dlg::ScopeSettingsDialog) {
    for (int type = 0; type < 3; ++type)
        OnCommand(ids::Normal + type, [this, type] { OnType(type); });
    OnCommand(ids::Details, &CSetScopeDlg::OnDetails);
}

void CSetScopeDlg::DoDataExchange(ui::DataExchange& dx) {
    dx.Radio(ids::Normal, m_type);
}

bool CSetScopeDlg::OnInitDialog() {
    TemplateDialog::OnInitDialog();
    EnableItem(ids::Details, m_type == kStereo);
    return true;
}

void CSetScopeDlg::OnType(int type) {
    m_type = type;
    EnableItem(ids::Details, m_type == kStereo);
}

void CSetScopeDlg::OnDetails() {
    CSetSubsDlg dlg(this);
    dlg.SetValues(m_method, m_area);
    if (dlg.DoModal() == IDOK) {
        m_method = dlg.m_method;
        m_area = dlg.m_area;
    }
}
