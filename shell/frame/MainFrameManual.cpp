// CMainFrame members of the manual capture mode: its panel bar and what the frame's commands
// read of the panel's capture run, and when the camera may be changed.
#include "shell/frame/MainFrame.h"

#include "devices/serial/gui/ZCalibrationDialog.h"
#include "shell/capture/ManualDialog.h"
#include "shell/capture/MultiView.h"
#include "ui/StageControlBar.h"
#include "shell/vossa/VossaDialog.h"
#include "shell/core/settings/StartMode.h"
#include "ids/VantorelIds.h"

void CMainFrame::MakeManualBar() {
    if (m_pManual || !m_bars)
        return;
    m_pManual = new CManualDialog(this);
    (new CStageControlBar)->Create(*m_bars, this, m_pManual, "ManiualZDlg", ui::DockSide::Left, false);
}

bool CMainFrame::IsManualCaptureRunning() const {
    return m_pManual && m_pManual->m_bInRun;
}

bool CMainFrame::IsManualCaptureButtonOn() const {
    if (StartMode() != kModeManual || !m_pManual)
        return false;
    wxWindow* button = m_pManual->GetDlgItem(vtid::ManualPanel::TakePicture);
    return button && button->IsEnabled();
}

bool CMainFrame::WaitManualPanelIdle() {
    return !m_pManual || m_pManual->WaitIdle();
}

void CMainFrame::RegisterManualCommands() {
    // The camera module is not changed while the Z calibration dialog holds the stage, a manual
    // capture run takes pictures or the continuous composition takes frames.
    for (int id : {vtid::cmd::SelectInputDevice, vtid::cmd::InputMode})
        OnUpdateUI(id, [this](ui::CmdUI& c) { c.Enable(!CameraInUse()); });
}

bool CMainFrame::CameraInUse() const {
    const CZCalibrationDialog* zCalibration = m_pMultiView ? m_pMultiView->ZCalibrationDialog() : nullptr;
    return (zCalibration && zCalibration->IsShown()) || IsManualCaptureRunning() ||
           (m_pVossaDlg && m_pVossaDlg->IsRunning());
}
