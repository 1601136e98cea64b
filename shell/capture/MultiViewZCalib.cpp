// CMultiView: the Z calibration command (32805) and the automatic panel's part in the view's
// stage operations.
#include "shell/capture/MultiView.h"

#include "devices/serial/gui/ZCalibrationDialog.h"
#include "platform/Settings.h"
#include "shell/capture/AutoPanelLink.h"
#include "shell/capture/CaptureHost.h"
#include "ids/VantorelIds.h"

namespace {
CAutoPanelLink* AutoPanel(const CaptureHost* host) {
    return host ? host->AutoPanelLink() : nullptr;
}
} // namespace

void CMultiView::OnZCalibration() {
    CaptureHost* host = Host();
    if (host && host->StageBusyOwner() && host->StageBusyOwner() != m_pZCalibDlg)
        return; // another stage operation runs
    if (!m_pZCalibDlg) {
        ZCalibrationOwner owner;
        owner.stage = &m_xy;
        owner.accepted = [this](const ZCalibrationValues& v) { ApplyZCalibration(v); };
        owner.ended = [this](bool confirmed) {
            EndStageOperation();
            if (confirmed)
                if (CAutoPanelLink* panel = AutoPanel(Host()))
                    panel->OnZCalibrationApplied();
        };
        auto* dlg = new CZCalibrationDialog(this, std::move(owner));
        if (!dlg->Create(false)) {
            dlg->Destroy();
            return;
        }
        m_pZCalibDlg = dlg;
    }
    // Filled from the stored calibration when it opens, not when it is asked for again while
    // it is open.
    const bool opening = host ? host->StageBusyOwner() != m_pZCalibDlg : !m_pZCalibDlg->IsShown();
    if (opening) {
        if (host)
            host->SetStageBusyOwner(m_pZCalibDlg);
        m_pZCalibDlg->SetDlgItemText(vtid::ZCalibrationDialog::Point1, wxString::Format("%d", m_nPoint1));
        m_pZCalibDlg->SetDlgItemText(vtid::ZCalibrationDialog::Point2, wxString::Format("%d", m_nPoint2));
        m_pZCalibDlg->SetDlgItemText(vtid::ZCalibrationDialog::Distance,
                                     wxString::FromUTF8(FormatDoubleText(m_dMovement)));
        m_pZCalibDlg->SetCalibMode(m_bTwoPoint);
    }
    EnableAutoPanel(false);
    m_pZCalibDlg->Show();
    m_pZCalibDlg->Raise();
}

void CMultiView::ApplyZCalibration(const ZCalibrationValues& v) {
    m_bTwoPoint = v.mode;
    m_dMovement = v.distance;
    m_nPoint1 = v.point1;
    m_nPoint2 = v.point2;
    m_d1Pulse = v.umPerPulse;
    if (CAutoPanelLink* panel = AutoPanel(Host()))
        panel->ShowPulseValue(m_d1Pulse);
}

void CMultiView::EnableAutoPanel(bool enable) {
    if (CAutoPanelLink* panel = AutoPanel(Host()))
        panel->EnablePanel(enable);
}

void CMultiView::DeleteZCalibration() {
    // Deleted at once: its owner callbacks name this view.
    delete m_pZCalibDlg;
    m_pZCalibDlg = nullptr;
}
