#include "viewer/NoiseCutDialog.h"

#include "imaging/WorkerMessages.h"
#include "imaging/gui/FocusProgDialog.h"
#include "ui/DataExchange.h"
#include "ui/PrivateMessages.h"
#include "viewer/ImageDoc.h"
#include "viewer/ImageView.h"

#include <wx/slider.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cstdlib>

CNoiseCutDialog::CNoiseCutDialog(wxWindow* parent, CImageDoc* doc, CImageView* view)
    : TemplateDialog(parent, IDD_NOISE_CUT), m_doc(doc), m_view(view) {
    m_amount = doc->m_cutAmount;
    m_method = doc->m_cutType;
    m_preview = doc->m_previewSwitch;
    m_smoothing = doc->m_filterSize;
    OnMessage(ui::WM_HSCROLL, &CNoiseCutDialog::OnHScroll);
    OnControl(ui::EN_CHANGE, 1240, &CNoiseCutDialog::OnAmountChange);
    OnControl(ui::EN_CHANGE, 1246, &CNoiseCutDialog::OnSmoothingChange);
    OnCommand(1244, &CNoiseCutDialog::OnPreviewCheck);
    OnCommand(1250, &CNoiseCutDialog::OnPreview);
    OnMessage(WM_WORK_DONE, &CNoiseCutDialog::OnWorkDone);
    OnMessage(WM_WORK_PROGRESS, &CNoiseCutDialog::OnWorkProgress);
    OnMessage(WM_WORK_CANCEL, &CNoiseCutDialog::OnWorkCancel);
}

CNoiseCutDialog::~CNoiseCutDialog() {
    // A preview worker still running is stopped before the dialog goes.
    if (m_running)
        m_doc->StopWorker();
    if (m_progress)
        m_progress->Destroy();
}

void CNoiseCutDialog::DoDataExchange(ui::DataExchange& dx) {
    dx.Text(1240, m_amount);
    dx.MinMax(1240, m_amount, 0, 99);
    dx.Check(1244, m_preview);
    dx.Radio(1241, m_method);
    dx.Text(1246, m_smoothing);
    dx.MinMax(1246, m_smoothing, 0, 50);
}

bool CNoiseCutDialog::OnInitDialog() {
    TemplateDialog::OnInitDialog();
    m_syncing = true;
    Item<wxSlider>(1239)->SetRange(0, 99);
    Item<wxSlider>(1239)->SetValue(m_amount);
    Item<wxSlider>(1245)->SetRange(0, 10);
    Item<wxSlider>(1245)->SetValue(std::min(m_smoothing, 10));
    m_syncing = false;
    if (m_preview)
        m_doc->ShowNoisePreview(m_amount);
    return true;
}

void CNoiseCutDialog::Repaint() {
    if (m_view)
        m_view->Refresh(false);
}

LRESULT CNoiseCutDialog::OnHScroll(WPARAM, LPARAM lParam) {
    if (m_syncing)
        return 0;
    UpdateData(true);
    wxWindow* from = ui::WindowFromHandle(HWND(lParam));
    m_syncing = true;
    if (!from || from == GetDlgItem(1239)) {
        m_amount = std::clamp(Item<wxSlider>(1239)->GetValue(), 0, 99);
        Item<wxTextCtrl>(1240)->ChangeValue(std::to_string(m_amount));
        if (m_preview)
            m_doc->ShowNoisePreview(m_amount);
    } else {
        m_smoothing = std::clamp(Item<wxSlider>(1245)->GetValue(), 0, 10);
        Item<wxTextCtrl>(1246)->ChangeValue(std::to_string(m_smoothing));
    }
    m_syncing = false;
    Repaint();
    return 0;
}

void CNoiseCutDialog::OnAmountChange() {
    if (m_syncing)
        return;
    const int v = std::atoi(Item<wxTextCtrl>(1240)->GetValue().ToStdString().c_str());
    m_syncing = true;
    Item<wxSlider>(1239)->SetValue(std::clamp(v, 0, 99));
    m_syncing = false;
}

void CNoiseCutDialog::OnSmoothingChange() {
    if (m_syncing)
        return;
    const int v = std::atoi(Item<wxTextCtrl>(1246)->GetValue().ToStdString().c_str());
    m_syncing = true;
    Item<wxSlider>(1245)->SetValue(std::clamp(v, 0, 10)); // above 10 the bar stays at its end
    m_syncing = false;
}

void CNoiseCutDialog::OnPreviewCheck() {
    if (!UpdateData(true))
        return;
    if (m_preview) {
        m_doc->ShowNoisePreview(m_amount);
        Repaint();
    }
}

void CNoiseCutDialog::EnableControls(bool enable) {
    for (int id : {1239, 1244, 1240, 1241, 1242, 1243, 1245, 1246, 1250, 1, 2})
        EnableItem(id, enable);
}

void CNoiseCutDialog::OnPreview() {
    if (m_running || !UpdateData(true))
        return;
    if (m_method != 0) {
        m_doc->PreviewCut(m_amount, m_method, m_smoothing, nullptr);
        Repaint();
        return;
    }
    EnableControls(false);
    m_progress = new CFocusProgDialog(this);
    m_progress->SetCancelable(TRUE);
    m_progress->Create();
    m_progress->SetTitle(wxString::FromUTF8("ノイズ領域補間中"));
    m_progress->SetRange(100);
    m_progress->SetCancelMessage(WM_WORK_CANCEL);
    m_progress->Show();
    m_running = true;
    m_doc->PreviewCut(m_amount, 0, m_smoothing, GetSafeHwnd());
}

LRESULT CNoiseCutDialog::OnWorkProgress(WPARAM w, LPARAM) {
    if (m_progress)
        m_progress->SetPos(int(w));
    return 0;
}

LRESULT CNoiseCutDialog::OnWorkCancel(WPARAM, LPARAM) {
    // Only the worker's end enables the controls again.
    m_doc->CancelNoiseCut();
    return 0;
}

LRESULT CNoiseCutDialog::OnWorkDone(WPARAM run, LPARAM) {
    if (!m_running || !m_doc->OnPreviewDone(run))
        return 0;
    m_running = false;
    if (m_progress) {
        m_progress->Destroy();
        m_progress = nullptr;
    }
    EnableControls(true);
    Repaint();
    return 0;
}

void CNoiseCutDialog::OnCancel() {
    if (m_running)
        return; // the controls are disabled while the preview runs
    TemplateDialog::OnCancel();
}
