// The main frame's lens selection (32813) and its side of the XY calibration: the calibration
// settings dialog opened for one lens (WM_XYCALIB_EDIT) and its result stored (WM_XYCALIB_APPLY).
#include "devices/camera/CalibrationSettings.h"
#include "devices/camera/XYCalibValues.h"
#include "devices/camera/gui/LensCalibTxtDlg.h"
#include "devices/camera/gui/XYCalibDialog.h"
#include "devices/camera/gui/XYCalibSetDlg.h"
#include "shell/capture/CalibLine.h"
#include "shell/frame/MainFrame.h"
#include "shell/app/OrsandelApp.h"
#include "shell/app/OrsandelDoc.h"
#include "shell/frame/TopMenuDialog.h"
#include "shell/core/lens/LibraryLensTable.h"

#include <string>

namespace {

void WriteSlot(const CMLens& lens, int slot) {
    WriteSlotCalibration(slot, LensCalibration{lens.GetRegName(), lens.m_calib, lens.m_gap});
}

} // namespace

void CMainFrame::RegisterLensCommands() {
    OnCommand(ID_LENS_SELECT, [this] { OnLensSelect(); });
    OnMessage(WM_XYCALIB_EDIT, &CMainFrame::OnXYCalibEdit);
    OnMessage(WM_XYCALIB_APPLY, &CMainFrame::OnXYCalibApply);
}

bool CMainFrame::IsCalibSetOpen() const {
    return m_pCalibSetDlg && m_pCalibSetDlg->IsShown();
}

namespace {
CalibLineView* ActiveCalibView(const CSDIFrameWnd* frame) {
    return dynamic_cast<CalibLineView*>(frame->ActiveViewWindow());
}
} // namespace

void CMainFrame::OnLensSelect() {
    COrsandelApp* app = COrsandelApp::GetApp();
    if (!m_pDoc || m_pLensDlg)
        return;
    CalibLineView* view = ActiveCalibView(this);
    if (view)
        view->ResetCalibLine();
    LibraryLensTable table(app);
    if (table.LensFileExists())
        m_bLensSlotValid = (m_pDoc->m_slotIndex >= 0 && m_pDoc->m_slotIndex <= 4) ? 1 : 0;

    CXYCalibDialog dlg(this, &table, &m_nLensTab);
    dlg.m_nViewWidth = view ? view->CalibPictureWidth() : 1;
    dlg.m_nSelSlot = m_pDoc->m_slotIndex;
    for (int i = 0; i < CXYCalibDialog::kSlots; ++i)
        if (const CMLens* slot = GetLensAt(m_pDoc->m_slots, i)) {
            dlg.m_dCalib[i] = slot->m_calib;
            dlg.m_dGap[i] = slot->m_gap;
            dlg.m_strNames[i] = slot->GetRegName();
        }
    dlg.m_strCurrentLens = m_pDoc->m_lensName;
    m_pLensDlg = &dlg;
    const int result = dlg.DoModal();
    m_pLensDlg = nullptr;
    if (result != IDOK)
        return;

    for (int i = 0; i < CXYCalibDialog::kSlots; ++i)
        if (CMLens* slot = GetLensAt(m_pDoc->m_slots, i)) {
            slot->SetCalib(dlg.m_dCalib[i]);
            slot->SetGap(dlg.m_dGap[i]);
            slot->SetRegName(dlg.m_strNames[i]);
            WriteSlot(*slot, i);
        }
    const CMLens* tableLens =
        dlg.m_nSelSlot == -1 && dlg.TablePage() ? dlg.TablePage()->GetSelLens() : nullptr;
    const CMLens* chosen = tableLens ? tableLens : GetLensAt(m_pDoc->m_slots, dlg.m_nSelSlot);
    if (!chosen)
        return; // no such lens: nothing changes
    m_pDoc->m_slotIndex = dlg.m_nSelSlot;
    m_pDoc->m_lensName = dlg.SelectedLensName();
    WriteCurrentSlot(m_pDoc->m_slotIndex);
    WriteCurrentLensName(m_pDoc->m_lensName);
    m_pDoc->m_currentLens.Copy(*chosen);
    m_pDoc->m_lensNumber = -1;
    m_pDoc->m_zoom = -1.0;
    ApplyLensIntervalToAutoPanel(false); // the automatic mode takes the lens's capture interval
    if (m_pTopMenu)
        m_pTopMenu->SetLensName(wxString::FromUTF8(m_pDoc->m_currentLens.GetRegName()));
    if (wxWindow* active = ActiveViewWindow())
        active->Refresh(false);
}

LRESULT CMainFrame::OnXYCalibEdit(WPARAM source, LPARAM index) {
    COrsandelApp* app = COrsandelApp::GetApp();
    if (!m_pDoc)
        return 0;
    const int n = static_cast<int>(index);
    const CMLens* lens =
        source == 1 ? (app ? GetLensAt(app->Lenses(), n) : nullptr) : GetLensAt(m_pDoc->m_slots, n);
    if (!lens)
        return 0; // an index beyond the table: nothing to calibrate
    if (!m_pCalibSetDlg) {
        m_pCalibSetDlg = new CXYCalibSetDlg(this, 0);
        // Destroyed with the frame: the views' line hooks must not reach it afterwards.
        m_pCalibSetDlg->Bind(wxEVT_DESTROY, [this](wxWindowDestroyEvent& ev) {
            ev.Skip();
            if (ev.GetEventObject() == m_pCalibSetDlg)
                m_pCalibSetDlg = nullptr;
        });
    } else
        m_pCalibSetDlg->Reopen();
    CXYCalibSetDlg& dlg = *m_pCalibSetDlg;
    dlg.m_nSource = source == 1 ? 1 : 0;
    dlg.m_nLensIndex = n;
    dlg.m_dScaleLength = lens->m_scaleLength;
    dlg.m_nScaleDots = lens->m_scaleDots;
    dlg.m_dCalib = lens->m_calib;
    dlg.m_dGap = lens->m_gap;
    dlg.m_strRegName = CutToChars(lens->GetRegName(), kRegNameChars);
    dlg.m_strLensName = lens->GetName();
    CalibLineView* view = ActiveCalibView(this);
    dlg.m_nViewWidth = view ? view->CalibPictureWidth() : 1;
    dlg.m_lineLength = [this] { return m_pDoc ? m_pDoc->m_dCalibLineLength : 0.0; };
    dlg.UpdateData(false);
    dlg.Raise();
    return 0;
}

LRESULT CMainFrame::OnXYCalibApply(WPARAM dialog, LPARAM) {
    COrsandelApp* app = COrsandelApp::GetApp();
    if (!m_pCalibSetDlg || dialog != reinterpret_cast<WPARAM>(m_pCalibSetDlg->GetSafeHwnd()) || !m_pDoc)
        return 0;
    CXYCalibSetDlg& dlg = *m_pCalibSetDlg;
    CMLens* lens = dlg.m_nSource == 1 ? (app ? GetLensAt(app->Lenses(), dlg.m_nLensIndex) : nullptr)
                                      : GetLensAt(m_pDoc->m_slots, dlg.m_nLensIndex);
    if (!lens)
        return 0;
    lens->SetCalib(dlg.m_dCalib);
    lens->SetGap(dlg.m_dGap);
    lens->SetRegName(dlg.m_strRegName);
    lens->SetName(dlg.m_strLensName);
    CMLens& current = m_pDoc->m_currentLens;
    current.m_index = dlg.m_nLensIndex;
    current.SetName(dlg.m_strLensName);
    current.SetRegName(dlg.m_strRegName);
    current.SetCalib(dlg.m_dCalib);
    current.SetGap(dlg.m_dGap);
    if (dlg.m_nSource == 1) {
        m_pDoc->m_slotIndex = -1;
        WriteLensCalibrationSection(*lens);
        // The table lens is the current one from now on, also for the next start.
        m_pDoc->m_lensName = lens->GetName();
        WriteCurrentLensName(m_pDoc->m_lensName);
    } else {
        m_pDoc->m_slotIndex = dlg.m_nLensIndex;
        for (int i = 0; i < CXYCalibDialog::kSlots; ++i)
            if (const CMLens* slot = GetLensAt(m_pDoc->m_slots, i))
                WriteSlot(*slot, i);
    }
    WriteCurrentSlot(m_pDoc->m_slotIndex);
    if (m_pTopMenu)
        m_pTopMenu->SetLensName(wxString::FromUTF8(current.GetRegName()));
    ApplyLensIntervalToAutoPanel(false);
    dlg.Hide();
    if (ReadScaleSwitches().um != 0)
        Refresh(false);
    if (CalibLineView* view = ActiveCalibView(this))
        view->ResetCalibLine();
    return 0;
}
