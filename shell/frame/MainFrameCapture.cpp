// The main frame's side of the capture panels: the automatic panel's docking bar, the Z the
// series reads back for each picture, the composition bar and the composition a series starts,
// and the close that waits for a running series or picture.
#include "shell/capture/AutoDialog.h"
#include "shell/frame/MainFrame.h"
#include "shell/app/OrsandelDoc.h"
#include "ui/StageControlBar.h"
#include "shell/core/settings/StartMode.h"
#include "ids/VantorelIds.h"

void CMainFrame::MakeAutoBar() {
    if (m_pAutoDlg || !m_bars)
        return;
    m_pAutoDlg = new CAutoDialog(this);
    m_pAutoPanelLink = m_pAutoDlg; // the capture view's Z calibration reaches the panel
    m_pAutoDlg->Bind(wxEVT_DESTROY, [this](wxWindowDestroyEvent& ev) {
        ev.Skip();
        if (ev.GetEventObject() == m_pAutoDlg && m_pAutoPanelLink == m_pAutoDlg)
            m_pAutoPanelLink = nullptr; // the view asks the panel nothing more
    });
    (new CStageControlBar)->Create(*m_bars, this, m_pAutoDlg, "AutoZDlg", ui::DockSide::Left, false);
}

double CMainFrame::ReadStageZ() {
    Update();
    return m_pAutoDlg ? m_pAutoDlg->ReadZPosition() : 0.0;
}

void CMainFrame::ApplyLensIntervalToAutoPanel(bool compare) {
    if (StartMode() == kModeAutomatic && m_pAutoDlg && m_pDoc)
        m_pAutoDlg->ApplyLensInterval(m_pDoc->m_currentLens.m_gap, compare);
}

bool CMainFrame::CaptureSeriesRunning() const {
    return m_pAutoDlg && m_pAutoDlg->IsCapturing();
}

bool CMainFrame::CanCloseCapture() {
    return !m_pAutoDlg || m_pAutoDlg->RequestClose();
}

void CMainFrame::EnableCompositionBar(bool enable) {
    if (m_pCompBar)
        for (int id : {vtid::CompositionBar::InitialMenu, vtid::CompositionBar::HeightSettings,
                       vtid::CompositionBar::StartComposition, vtid::CompositionBar::CompositionSettings,
                       vtid::CompositionBar::Speed})
            m_pCompBar->EnableItem(id, enable);
}

void CMainFrame::StartComposition() {
    RouteCommandId(vtid::cmd::StartComposition);
}

void CMainFrame::RetryClose() {
    CallAfter([this] { Close(); });
}
