#include "result/NoiseCutDialog.h"

#include "ids/VantorelIds.h"
#include "imaging/compose/WorkerMessages.h"
#include "result/FocusProgDialog.h"
#include "ui/DataExchange.h"
#include "ui/PrivateMessages.h"
#include "result/ImageDoc.h"
#include "result/ImageView.h"

#include <wx/scrolbar.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cstdlib>

namespace {

namespace ids = vtid::NoiseCutDialog;
constexpr int kAmountMax = 99, kSmoothingMax = 10;

// The position a scroll code gives a bar of 0..max whose value is now current.
int ScrolledPosition(int code, int thumb, int current, int page, int max) {
    switch (code) {
    case ui::SB_LINEUP:
        return current - 1;
    case ui::SB_LINEDOWN:
        return current + 1;
    case ui::SB_PAGEUP:
        return current - page;
    case ui::SB_PAGEDOWN:
        return current + page;
    case ui::SB_THUMBPOSITION:
    case ui::SB_THUMBTRACK:
        return thumb;
    case ui::SB_TOP:
        return 0;
    case ui::SB_BOTTOM:
        return max;
    default:
        return current;
    }
}

void SetBar(wxScrollBar* bar, int position, int max, int page) {
    if (bar)
        bar->SetScrollbar(std::clamp(position, 0, max), 1, max + 1, page);
}

} // namespace

CNoiseCutDialog::CNoiseCutDialog(wxWindow* parent, CImageDoc* doc, CImageView* view)
    : TemplateDialog(parent, vtid::dlg::NoiseCutDialog), m_doc(doc), m_view(view) {
    // The two bars are scroll bars: their arrows step by one, their troughs by a page.
    for (int id : {ids::AmountBar, ids::SmoothingBar})
        ReplaceControl(id, [](wxWindow* parent, const ui::ControlTemplate& c, const wxRect& r) {
            return static_cast<wxWindow*>(
                new wxScrollBar(parent, c.id, r.GetPosition(), r.GetSize(), wxSB_HORIZONTAL));
        });
    m_amount = doc->m_cutAmount;
    m_method = doc->m_cutType;
    m_preview = doc->m_previewSwitch;
    m_smoothing = doc->m_filterSize;
    OnMessage(ui::WM_HSCROLL, &CNoiseCutDialog::OnHScroll);
    OnControl(ui::EN_CHANGE, ids::Amount, &CNoiseCutDialog::OnAmountChange);
    OnControl(ui::EN_CHANGE, ids::Smoothing, &CNoiseCutDialog::OnSmoothingChange);
    OnCommand(ids::ShowNoise, &CNoiseCutDialog::OnPreviewCheck);
    OnCommand(ids::Preview, &CNoiseCutDialog::OnPreview);
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
    dx.Text(ids::Amount, m_amount);
    dx.MinMax(ids::Amount, m_amount, 0, 99);
    dx.Check(ids::ShowNoise, m_preview);
    dx.Radio(ids::FillAround, m_method);
    dx.Text(ids::Smoothing, m_smoothing);
    dx.MinMax(ids::Smoothing, m_smoothing, 0, 50);
}

bool CNoiseCutDialog::OnInitDialog() {
    TemplateDialog::OnInitDialog();
    SetBar(Item<wxScrollBar>(ids::AmountBar), m_amount, kAmountMax, 10);
    SetBar(Item<wxScrollBar>(ids::SmoothingBar), m_smoothing, kSmoothingMax, 1);
    if (m_preview)
        m_doc->ShowNoisePreview(m_amount);
    return true;
}

void CNoiseCutDialog::Repaint() {
    if (m_view)
        m_view->Refresh(false);
}

LRESULT CNoiseCutDialog::OnHScroll(WPARAM wParam, LPARAM lParam) {
    if (m_syncing)
        return 0;
    UpdateData(true);
    const int code = LOWORD(wParam), thumb = HIWORD(wParam);
    wxWindow* from = ui::WindowFromHandle(HWND(lParam));
    m_syncing = true;
    if (from == GetDlgItem(ids::AmountBar)) {
        m_amount = std::clamp(ScrolledPosition(code, thumb, m_amount, 10, kAmountMax), 0, kAmountMax);
        SetBar(Item<wxScrollBar>(ids::AmountBar), m_amount, kAmountMax, 10);
        Item<wxTextCtrl>(ids::Amount)->ChangeValue(std::to_string(m_amount));
        if (m_preview)
            m_doc->ShowNoisePreview(m_amount);
    } else if (from == GetDlgItem(ids::SmoothingBar)) {
        m_smoothing =
            std::clamp(ScrolledPosition(code, thumb, std::min(m_smoothing, kSmoothingMax), 1, kSmoothingMax),
                       0, kSmoothingMax);
        SetBar(Item<wxScrollBar>(ids::SmoothingBar), m_smoothing, kSmoothingMax, 1);
        Item<wxTextCtrl>(ids::Smoothing)->ChangeValue(std::to_string(m_smoothing));
    }
    m_syncing = false;
    Repaint();
    return 0;
}

void CNoiseCutDialog::OnAmountChange() {
    if (m_syncing)
        return;
    const int v = std::atoi(Item<wxTextCtrl>(ids::Amount)->GetValue().ToStdString().c_str());
    SetBar(Item<wxScrollBar>(ids::AmountBar), v, kAmountMax, 10);
}

void CNoiseCutDialog::OnSmoothingChange() {
    if (m_syncing)
        return;
    const int v = std::atoi(Item<wxTextCtrl>(ids::Smoothing)->GetValue().ToStdString().c_str());
    SetBar(Item<wxScrollBar>(ids::SmoothingBar), v, kSmoothingMax, 1); // above 10 the bar stays at its end
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
    for (int id : {ids::AmountBar, ids::ShowNoise, ids::Amount, ids::FillAround, ids::FillLowest,
                   ids::FillHighest, ids::SmoothingBar, ids::Smoothing, ids::Preview, IDOK, IDCANCEL})
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
