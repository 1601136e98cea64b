#include "shell/settings/SetFocusType.h"

#include "shell/settings/SetAutoPos.h"
#include "shell/settings/SetManual.h"
#include "ui/DataExchange.h"
#include "ids/VantorelIds.h"

namespace ids = vtid::CompositionSettingsDialog;

CSetFocusType::CSetFocusType(wxWindow* parent)
    : TemplateDialog(parent, vtid::dlg::CompositionSettingsDialog) {
    for (int type = 0; type < 4; ++type)
        OnCommand(ids::Fine + type, [this, type] { OnType(type); });
    OnCommand(ids::AutoAlign, &CSetFocusType::OnAutoPosChanged);
    OnCommand(ids::ManualSettings, &CSetFocusType::OnManualSettings);
    OnCommand(ids::AlignSettings, &CSetFocusType::OnAutoPosSettings);
}

void CSetFocusType::DoDataExchange(ui::DataExchange& dx) {
    dx.Radio(ids::Fine, m_type);
    dx.Check(ids::AutoAlign, m_autoPos);
}

bool CSetFocusType::OnInitDialog() {
    TemplateDialog::OnInitDialog();
    UpdateEnabling();
    return true;
}

void CSetFocusType::UpdateEnabling() {
    const FocusTypeEnabling e = FocusTypeEnablingFor(m_type, m_autoPos, m_scopeType);
    EnableItem(ids::ManualSettings, e.manualSettings);
    EnableItem(ids::AutoAlign, e.autoPosCheck);
    EnableItem(ids::AlignSettings, e.autoPosSettings);
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
