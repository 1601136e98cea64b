#include "viewer/ViewerMenuDialog.h"

#include "ids/VantorelIds.h"
#include "platform/WindowMessages.h"

#include <wx/button.h>
#include <wx/tglbtn.h>

#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cstdlib>

namespace ids = vtid::ViewerBar;

CViewerMenuDialog::CViewerMenuDialog() : TemplatePanel(vtid::dlg::ViewerBar) {
    OnMessage(ui::WM_HSCROLL, &CViewerMenuDialog::OnHScroll);
    OnControl(ui::EN_CHANGE, ids::ZoomPercent, &CViewerMenuDialog::OnZoomEdit);
}

bool CViewerMenuDialog::OnInitDialog() {
    TemplatePanel::OnInitDialog();
    auto* slider = Item<wxSlider>(ids::ZoomSlider);
    slider->SetRange(10, 400);
    slider->SetTickFreq(19);
    slider->SetPageSize(10);
    m_updating = true;
    slider->SetValue(m_zoom);
    Item<wxTextCtrl>(ids::ZoomPercent)->ChangeValue(std::to_string(m_zoom));
    m_updating = false;
    return true;
}

bool CViewerMenuDialog::SetZoomValue(int percent) {
    if (percent < 10 || percent > 400)
        return false;
    Apply(percent, false);
    return true;
}

void CViewerMenuDialog::Apply(int percent, bool fromEdit) {
    m_zoom = percent;
    m_updating = true;
    if (!fromEdit)
        Item<wxTextCtrl>(ids::ZoomPercent)->ChangeValue(std::to_string(percent));
    Item<wxSlider>(ids::ZoomSlider)->SetValue(percent);
    m_updating = false;
    if (onZoom)
        onZoom((percent - 100) / 10);
}

void CViewerMenuDialog::OnZoomEdit() {
    if (m_updating)
        return;
    const std::string text = Item<wxTextCtrl>(ids::ZoomPercent)->GetValue().ToStdString();
    const int v = std::atoi(text.c_str());
    if (v >= 10 && v <= 400)
        Apply(v, true);
}

LRESULT CViewerMenuDialog::OnHScroll(WPARAM, LPARAM) {
    if (m_updating)
        return 0;
    Apply(SnapZoomSlider(Item<wxSlider>(ids::ZoomSlider)->GetValue(), m_zoom), false);
    return 0;
}

int SnapZoomSlider(int position, int previous) {
    constexpr int kStep = 10, kMin = 10, kMax = 400;
    int v = position;
    // Off the step the value goes on to the next step in the direction of the move.
    if ((position + kMin) % kStep != 0) {
        if (position > previous)
            v = position / kStep * kStep + kStep;
        else if (position < previous)
            v = position / kStep * kStep;
    }
    return std::clamp(v, kMin, kMax);
}

void CViewerMenuDialog::SetLensName(const std::string& text) {
    SetDlgItemText(ids::LensName, wxString::FromUTF8(text));
}
