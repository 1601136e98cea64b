// The result window's lens selection (32813) and its side of the XY calibration: the calibration
// settings dialog opened for one lens (WM_XYCALIB_EDIT), its result stored (WM_XYCALIB_APPLY), and
// the result view's measuring line while that dialog is open.
#include "devices/camera/CalibrationSettings.h"
#include "devices/camera/LensTable.h"
#include "devices/camera/XYCalibValues.h"
#include "devices/camera/gui/LensCalibTxtDlg.h"
#include "devices/camera/gui/XYCalibDialog.h"
#include "devices/camera/gui/XYCalibSetDlg.h"
#include "result/ImageDoc.h"
#include "result/ImageFrame.h"
#include "result/ImageView.h"
#include "result/ViewerMenuDialog.h"

#include <string>

namespace {

void WriteSlots(const CImageDoc& doc) {
    for (int i = 0; i < 5; ++i) {
        const CalibSlot& s = doc.m_slots[i];
        WriteSlotCalibration(i, LensCalibration{s.name, s.calib, s.gap});
    }
}

} // namespace

void CImageFrame::RegisterLensCommands() {
    OnCommand(ID_LENS_SELECT, &CImageFrame::OnLensSelect);
    OnUpdateUI(ID_LENS_SELECT, [this](ui::CmdUI& c) { c.Enable(NotBusy()); });
    OnMessage(WM_XYCALIB_EDIT, &CImageFrame::OnXYCalibEdit);
    OnMessage(WM_XYCALIB_APPLY, &CImageFrame::OnXYCalibApply);
    m_view->onLineEnded = [this] {
        if (m_pCalibSetDlg)
            m_pCalibSetDlg->FocusLineLength();
    };
}

bool CImageFrame::IsCalibSetOpen() const {
    return m_pCalibSetDlg && m_pCalibSetDlg->IsShown();
}

void CImageFrame::OnLensSelect() {
    if (!NotBusy())
        return;
    m_view->SetCalibrationActive(IsCalibSetOpen());
    m_view->EraseCalibrationLine(false);
    if (m_pLensTable && m_pLensTable->LensFileExists())
        m_bSlotMode = (m_doc->m_slot >= 0 && m_doc->m_slot <= 4) ? 1 : 0;

    CXYCalibDialog dlg(this, m_pLensTable, &m_nLensTab);
    dlg.m_nViewWidth = m_doc->m_width;
    dlg.m_nSelSlot = m_doc->m_slot;
    for (int i = 0; i < 5; ++i) {
        dlg.m_dCalib[i] = m_doc->m_slots[i].calib;
        dlg.m_dGap[i] = m_doc->m_slots[i].gap;
        dlg.m_strNames[i] = m_doc->m_slots[i].name;
    }
    dlg.m_strCurrentLens = m_doc->m_lens.name;
    if (dlg.DoModal() != IDOK)
        return;

    for (int i = 0; i < 5; ++i) {
        m_doc->m_slots[i].calib = dlg.m_dCalib[i];
        m_doc->m_slots[i].gap = dlg.m_dGap[i];
        m_doc->m_slots[i].name = dlg.m_strNames[i];
    }
    m_doc->m_slot = dlg.m_nSelSlot;
    const std::string lensName = dlg.SelectedLensName();
    WriteCurrentLensName(lensName);
    WriteSlots(*m_doc);
    // The dialog's answer decides, as in the main window's lens selection: slot -1 is the lens
    // picked on the lens-file page, also when a slot was in use before the dialog (slot mode),
    // else the slot, and the first slot when neither was picked.
    const CMLens* tableLens =
        m_doc->m_slot == -1 && dlg.TablePage() ? dlg.TablePage()->GetSelLens() : nullptr;
    if (tableLens) {
        m_doc->m_lens = ResultLens::FromTable(*tableLens);
    } else {
        if (m_doc->m_slot < 0 || m_doc->m_slot > 4)
            m_doc->m_slot = 0;
        m_doc->m_lens = ResultLens::FromSlot(m_doc->m_slots[m_doc->m_slot]);
    }
    WriteCurrentSlot(m_doc->m_slot);
    m_toolBar->SetLensName(m_doc->m_lens.registeredName);
    m_view->Refresh(false);
}

LRESULT CImageFrame::OnXYCalibEdit(WPARAM source, LPARAM index) {
    const int n = static_cast<int>(index);
    const CMLens* tableLens = source == 1 && m_pLensTable ? m_pLensTable->At(n) : nullptr;
    if (source == 1 ? !tableLens : (n < 0 || n > 4))
        return 0; // no such lens: nothing to calibrate
    if (!m_pCalibSetDlg) {
        m_pCalibSetDlg = new CXYCalibSetDlg(this, 0);
        m_pCalibSetDlg->Bind(wxEVT_SHOW, [this](wxShowEvent& ev) {
            ev.Skip();
            m_view->SetCalibrationActive(IsCalibSetOpen());
        });
        m_pCalibSetDlg->Bind(wxEVT_DESTROY, [this](wxWindowDestroyEvent& ev) {
            ev.Skip();
            if (ev.GetEventObject() == m_pCalibSetDlg)
                m_pCalibSetDlg = nullptr;
        });
    } else {
        m_pCalibSetDlg->Reopen();
    }
    CXYCalibSetDlg& dlg = *m_pCalibSetDlg;
    dlg.m_nSource = source == 1 ? 1 : 0;
    dlg.m_nLensIndex = n;
    if (tableLens) {
        dlg.m_dScaleLength = tableLens->m_scaleLength;
        dlg.m_dCalib = tableLens->m_calib;
        dlg.m_dGap = tableLens->m_gap;
        dlg.m_strRegName = CutToChars(tableLens->GetRegName(), kRegNameChars);
        dlg.m_strLensName = tableLens->GetName();
    } else {
        const CalibSlot& s = m_doc->m_slots[n];
        dlg.m_dScaleLength = s.length;
        dlg.m_dCalib = s.calib;
        dlg.m_dGap = s.gap;
        dlg.m_strRegName = CutToChars(s.name, kRegNameChars);
        dlg.m_strLensName.clear(); // a slot has no lens name
    }
    dlg.m_nViewWidth = m_doc->m_width;
    dlg.m_lineLength = [this] { return m_doc->m_calibLineLength; };
    dlg.UpdateData(false);
    m_view->SetCalibrationActive(true);
    dlg.Raise();
    return 0;
}

LRESULT CImageFrame::OnXYCalibApply(WPARAM dialog, LPARAM) {
    if (!m_pCalibSetDlg || dialog != reinterpret_cast<WPARAM>(m_pCalibSetDlg->GetSafeHwnd()))
        return 0;
    CXYCalibSetDlg& dlg = *m_pCalibSetDlg;
    ResultLens& lens = m_doc->m_lens;
    if (dlg.m_nSource == 1) {
        CMLens* entry = m_pLensTable ? m_pLensTable->At(dlg.m_nLensIndex) : nullptr;
        if (!entry)
            return 0;
        entry->SetCalib(dlg.m_dCalib);
        entry->SetGap(dlg.m_dGap);
        entry->SetRegName(dlg.m_strRegName);
        entry->SetName(dlg.m_strLensName);
        lens.index = entry->m_index;
        m_doc->m_slot = -1;
        WriteLensCalibrationSection(*entry);
        // The table lens is the current one from now on, also for the next start.
        WriteCurrentLensName(entry->GetName());
    } else {
        if (dlg.m_nLensIndex < 0 || dlg.m_nLensIndex > 4)
            return 0;
        CalibSlot& s = m_doc->m_slots[dlg.m_nLensIndex];
        s.calib = dlg.m_dCalib;
        s.gap = dlg.m_dGap;
        s.name = dlg.m_strRegName;
        lens.index = -1;
        m_doc->m_slot = dlg.m_nLensIndex;
        WriteSlots(*m_doc);
    }
    lens.name = dlg.m_strLensName;
    lens.registeredName = dlg.m_strRegName;
    lens.umPerPixel = dlg.m_dCalib;
    lens.interval = dlg.m_dGap;
    WriteCurrentSlot(m_doc->m_slot);
    m_toolBar->SetLensName(lens.registeredName);
    dlg.Hide();
    m_view->SetCalibrationActive(false);
    if (m_doc->m_scaleOn) {
        Refresh(false);
        m_view->EraseCalibrationLine(true);
    } else {
        m_view->EraseCalibrationLine(false);
    }
    return 0;
}
