#include "viewer/ViewerMenuDialog.h"

#include "platform/WindowMessages.h"

#include <wx/button.h>
#include <wx/tglbtn.h>

#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cstdlib>

CViewerMenuDialog::CViewerMenuDialog() : TemplatePanel(IDD_VIEWER_MENU) {
    OnMessage(ui::WM_HSCROLL, &CViewerMenuDialog::OnHScroll);
    OnControl(ui::EN_CHANGE, 87, &CViewerMenuDialog::OnZoomEdit);
}

bool CViewerMenuDialog::OnInitDialog() {
    TemplatePanel::OnInitDialog();
    auto* slider = Item<wxSlider>(85);
    slider->SetRange(10, 400);
    slider->SetTickFreq(19);
    slider->SetPageSize(10);
    m_updating = true;
    slider->SetValue(m_zoom);
    Item<wxTextCtrl>(87)->ChangeValue(std::to_string(m_zoom));
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
        Item<wxTextCtrl>(87)->ChangeValue(std::to_string(percent));
    Item<wxSlider>(85)->SetValue(percent);
    m_updating = false;
    if (onZoom)
        onZoom((percent - 100) / 10);
}

void CViewerMenuDialog::OnZoomEdit() {
    if (m_updating)
        return;
    const std::string text = Item<wxTextCtrl>(87)->GetValue().ToStdString();
    const int v = std::atoi(text.c_str());
    if (v >= 10 && v <= 400)
        Apply(v, true);
}

LRESULT CViewerMenuDialog::OnHScroll(WPARAM, LPARAM) {
    if (m_updating)
        return 0;
    // The slider snaps to steps of 10.
    const int v = (Item<wxSlider>(85)->GetValue() + 5) / 10 * 10;
    Apply(v, false);
    return 0;
}

void CViewerMenuDialog::SetLensName(const std::string& text) {
    SetDlgItemText(93, wxString::FromUTF8(text));
}
