#include "result/ViewerMenuDialog.h"

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
    // Tick marks show only on a slider with the auto-ticks style, which the template's zoom
    // slider does not have: its 19 tick intervals stay unseen. (GTK's marks would also hold the
    // thumb within a dozen pixels of each one, so that it no longer follows the pointer.)
    if (slider->HasFlag(wxSL_AUTOTICKS))
        slider->SetTickFreq((400 - 10) / 19);
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
    Apply(percent, ApplyTo::FieldAndSlider);
    return true;
}

void CViewerMenuDialog::Apply(int percent, ApplyTo to) {
    m_zoom = percent;
    m_updating = true;
    if (to != ApplyTo::Slider)
        Item<wxTextCtrl>(ids::ZoomPercent)->ChangeValue(std::to_string(percent));
    // While the thumb is dragged it stays under the pointer.
    if (to != ApplyTo::Field && !m_dragging)
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
        Apply(v, ApplyTo::Slider);
}

LRESULT CViewerMenuDialog::OnHScroll(WPARAM wParam, LPARAM) {
    if (m_updating)
        return 0;
    auto* slider = Item<wxSlider>(ids::ZoomSlider);
    const int code = LOWORD(wParam);
    if (code == ui::SB_THUMBTRACK) {
        // The thumb stays where the pointer drags it: a value written into the slider now would
        // move the thumb away from the pointer, and the next position would be measured from
        // there. The field takes the snapped value; the thumb gets it when the drag ends. The
        // direction of the move is judged from the thumb's last position, not from the snapped
        // value, which lies ahead of it: a slow drag would turn back at every notification.
        const int position = static_cast<int>(HIWORD(wParam));
        if (!m_dragging)
            m_lastPosition = m_zoom; // the thumb was laid out at the value when the drag began
        m_dragging = true;
        const int snapped = SnapZoomSlider(position, m_lastPosition, m_zoom);
        m_lastPosition = position;
        if (snapped != m_zoom)
            Apply(snapped, ApplyTo::Field);
    } else if (code == ui::SB_THUMBPOSITION || code == ui::SB_ENDSCROLL) {
        m_dragging = false;
        m_updating = true;
        slider->SetValue(m_zoom);
        m_updating = false;
    } else {
        Apply(SnapZoomSlider(slider->GetValue(), m_zoom, m_zoom), ApplyTo::FieldAndSlider);
    }
    return 0;
}

int SnapZoomSlider(int position, int lastPosition, int current) {
    constexpr int kStep = 10, kMin = 10, kMax = 400;
    int v = position;
    // Off the step the value goes on to the next step in the direction of the move.
    if ((position + kMin) % kStep != 0) {
        if (position > lastPosition)
            v = position / kStep * kStep + kStep;
        else if (position < lastPosition)
            v = position / kStep * kStep;
        else
            v = current;
    }
    return std::clamp(v, kMin, kMax);
}

void CViewerMenuDialog::SetLensName(const std::string& text) {
    SetDlgItemText(ids::LensName, wxString::FromUTF8(text));
}
