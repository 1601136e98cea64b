#include "shell/SetScopeDlg.h"

#include "shell/SetSubsDlg.h"
#include "ui/DataExchange.h"

namespace {
constexpr int kStereo = 1;
} // namespace

CSetScopeDlg::CSetScopeDlg(wxWindow* parent) : TemplateDialog(parent, 263) {
    for (int type = 0; type < 3; ++type)
        OnCommand(1228 + type, [this, type] { OnType(type); });
    OnCommand(1231, &CSetScopeDlg::OnDetails);
}

void CSetScopeDlg::DoDataExchange(ui::DataExchange& dx) {
    dx.Radio(1228, m_type);
}

bool CSetScopeDlg::OnInitDialog() {
    TemplateDialog::OnInitDialog();
    EnableItem(1231, m_type == kStereo);
    return true;
}

void CSetScopeDlg::OnType(int type) {
    m_type = type;
    EnableItem(1231, m_type == kStereo);
}

void CSetScopeDlg::OnDetails() {
    CSetSubsDlg dlg(this);
    dlg.SetValues(m_method, m_area);
    if (dlg.DoModal() == IDOK) {
        m_method = dlg.m_method;
        m_area = dlg.m_area;
    }
}
