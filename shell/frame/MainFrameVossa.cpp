// The main frame's side of the continuous composition mode: its panel bar, made on the first
// entry and then only shown and hidden, and what entering and leaving the mode does to the
// composition.
#include "shell/frame/MainFrame.h"
#include "ui/StageControlBar.h"
#include "shell/vossa/VossaDialog.h"
#include "shell/vossa/VossaImageView.h"
#include "shell/vossa/VossaLiveView.h"

CProcParameter* CMainFrame::VossaViewJoined() {
    m_bCameraFailed = 0;
    m_pStageBusyOwner = nullptr;
    return &m_params;
}

CProcParameter* CMainFrame::JoinVossaView(CVossaLiveView* view) {
    m_pVossaLiveView = view;
    return VossaViewJoined();
}

CProcParameter* CMainFrame::JoinVossaView(CVossaImageView* view) {
    m_pVossaImageView = view;
    return VossaViewJoined();
}

void CMainFrame::EnterVossaMode() {
    if (!m_pVossaDlg && m_bars) {
        m_pVossaDlg = new CVossaDialog(this);
        (new CStageControlBar)->Create(*m_bars, this, m_pVossaDlg, "VossaZDlg", ui::DockSide::Left, false);
    }
    // A mode entered again may tell once more that no camera module is loaded.
    if (m_pVossaLiveView)
        m_pVossaLiveView->AllowNoCameraMessage();
}

void CMainFrame::LeaveVossaMode() {
    // The composer and its composite end with the mode; the panel starts afresh next time.
    if (m_pVossaLiveView)
        m_pVossaLiveView->ForgetComposition();
    if (m_pVossaImageView) {
        m_pVossaImageView->FreeComposition();
        m_pVossaImageView->HidePicture();
    }
    if (m_pVossaDlg)
        m_pVossaDlg->Reset();
}
