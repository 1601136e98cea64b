// CMainFrame: the settings commands of the main window: the microscope, the heights of the series
// and the composition settings.
#include "shell/frame/MainFrame.h"

#include "browser/SelListCtrl.h"
#include "shell/app/OrsandelDoc.h"
#include "shell/settings/SetDepth.h"
#include "shell/settings/SetFocusType.h"
#include "shell/settings/SetScopeDlg.h"
#include "ids/VantorelIds.h"

void CMainFrame::RegisterSettingsCommands() {
    OnCommand(vtid::cmd::ScopeSettings, [this] { OnScopeSettings(); });
    OnUpdateUI(vtid::cmd::ScopeSettings, [](ui::CmdUI&) {}); // the item stays enabled
    OnCommand(vtid::cmd::HeightSettings, [this] { OnHeightSettings(); });
    OnCommand(vtid::cmd::CompositionSettings, [this] { OnCompositionSettings(); });
    auto settingsAllowed = [this](ui::CmdUI& c) {
        wxWindow* start =
            m_pCompBar ? m_pCompBar->GetDlgItem(vtid::CompositionBar::StartComposition) : nullptr;
        c.Enable(!IsComposing() && start && start->IsEnabled());
    };
    OnUpdateUI(vtid::cmd::HeightSettings, settingsAllowed);
    OnUpdateUI(vtid::cmd::CompositionSettings, settingsAllowed);
}

void CMainFrame::OnScopeSettings() {
    COrsandelDoc* doc = m_pDoc;
    if (!doc)
        return;
    CSetScopeDlg dlg(this);
    dlg.SetValues(doc->m_scopeType, doc->m_subsType, doc->m_subsPos);
    if (dlg.DoModal() == IDOK) {
        doc->m_scopeType = dlg.m_type;
        doc->m_subsType = dlg.m_method;
        doc->m_subsPos = dlg.m_area;
    }
}

void CMainFrame::OnHeightSettings() {
    CSetDepth dlg(this, m_pDoc, FocusBoxList());
    dlg.DoModal();
}

void CMainFrame::OnCompositionSettings() {
    COrsandelDoc* doc = m_pDoc;
    if (!doc || IsComposing())
        return;
    CSetFocusType dlg(this);
    dlg.m_type = doc->m_focusType;
    dlg.m_autoPos = doc->m_autoPos;
    dlg.m_countIndex = doc->m_areaNo;
    for (size_t i = 0; i < 4; ++i)
        dlg.m_points[i] = MatchPoint{doc->m_iniCompPos[2 * i], doc->m_iniCompPos[2 * i + 1]};
    dlg.m_size = doc->m_compSize;
    dlg.m_smoothing = doc->m_compSmoothing;
    dlg.m_scopeType = doc->m_scopeType;
    if (dlg.DoModal() != IDOK)
        return;
    doc->m_focusType = dlg.m_type;
    doc->m_compSize = dlg.m_size;
    doc->m_compSmoothing = dlg.m_smoothing;
    doc->m_autoPos = dlg.m_autoPos;
    doc->m_areaNo = dlg.m_countIndex;
    for (size_t i = 0; i < 4; ++i) {
        doc->m_iniCompPos[2 * i] = dlg.m_points[i].x;
        doc->m_iniCompPos[2 * i + 1] = dlg.m_points[i].y;
    }
    doc->SaveCompositionSettings();
}
