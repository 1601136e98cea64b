// The main frame's side of the automatic capture panel: its docking bar, the Z the series reads
// back for each picture, and the close that waits for a running series.
#include "shell/capture/AutoDialog.h"
#include "shell/frame/MainFrame.h"
#include "shell/app/OrsandelDoc.h"
#include "ui/StageControlBar.h"
#include "shell/core/settings/StartMode.h"

void CMainFrame::MakeAutoBar() {
    if (m_pAutoDlg || !m_bars)
        return;
    m_pAutoDlg = new CAutoDialog(this);
    m_pAutoPanelLink = m_pAutoDlg; // the capture view's Z calibration reaches the panel
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
