#include "shell/SetFocusType.h"

#include "shell/SetAutoPos.h"
#include "shell/SetManual.h"
#include "ui/DataExchange.h"

CSetFocusType::CSetFocusType(wxWindow* parent) : TemplateDialog(parent, 314) {
    for (int type = 0; type < 4; ++type)
        OnCommand(1301 + type, [this, type] { OnType(type); });
    OnCommand(1310, &CSetFocusType::OnAutoPosChanged);
    OnCommand(1306, &CSetFocusType::OnManualSettings);
    OnCommand(1311, &CSetFocusType::OnAutoPosSettings);
}

void CSetFocusType::DoDataExchange(ui::DataExchange& dx) {
    dx.Radio(1301, m_type);
    dx.Check(1310, m_autoPos);
}

bool CSetFocusType::OnInitDialog() {
    TemplateDialog::OnInitDialog();
    UpdateEnabling();
    return true;
}

void CSetFocusType::UpdateEnabling() {
    const FocusTypeEnabling e = FocusTypeEnablingFor(m_type, m_autoPos, m_scopeType);
    EnableItem(1306, e.manualSettings);
    EnableItem(1310, e.autoPosCheck);
    EnableItem(1311, e.autoPosSettings);
}

void CSetFocusType::OnType(int type) {
    m_type = type;
    UpdateEnabling();
}

void CSetFocusType::OnAutoPosChanged() {
    UpdateData(true);
    UpdateEnabling();
}

void CSetFocusType::OnManualSettings() {
    CSetManual dlg(this);
    dlg.m_size = m_size;
    dlg.m_smoothing = m_smoothing;
    if (dlg.DoModal() == IDOK) {
        m_size = dlg.m_size;
        m_smoothing = dlg.m_smoothing;
    }
}

void CSetFocusType::OnAutoPosSettings() {
    CSetAutoPos dlg(this);
    dlg.m_countIndex = m_countIndex;
    dlg.m_points = m_points;
    if (dlg.DoModal() == IDOK) {
        m_countIndex = dlg.m_countIndex;
        m_points = dlg.m_points;
    }
}
