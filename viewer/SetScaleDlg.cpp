#include "viewer/SetScaleDlg.h"

#include "platform/Settings.h"
#include "ui/DataExchange.h"
#include "ui/Services.h"

#include <wx/checkbox.h>
#include <wx/textctrl.h>
#include <wx/tglbtn.h>

#include <cstdlib>

CSetScaleDlg::CSetScaleDlg(wxWindow* parent) : TemplateDialog(parent, IDD_SET_SCALE) {
    for (int i = 0; i < 4; ++i)
        OnCommand(kPositionIds[i], [this, i] { SelectPosition(i); });
    OnCommand(1255, &CSetScaleDlg::OnColour);
    OnControl(ui::EN_KILLFOCUS, 1260, &CSetScaleDlg::LabelPositions);
}

void CSetScaleDlg::DoDataExchange(ui::DataExchange& dx) {
    dx.Check(1394, m_allLenses1);
    dx.Check(1395, m_allLenses2);
}

bool CSetScaleDlg::OnInitDialog() {
    m_allLenses1 = m_allLenses2 = ReadIniInt("CALIBRATION", "SCALEALLCHK1", 1);
    TemplateDialog::OnInitDialog();
    SetDlgItemText(1260, wxString::FromUTF8(FormatDoubleText(m_length)));
    SetDlgItemText(1261, std::to_string(m_pixels));
    SetDlgItemText(1262, wxString::FromUTF8(FormatDoubleText(m_step)));
    SetDlgItemText(1258, wxString::FromUTF8(m_lensName));
    SelectPosition(m_position >= 0 && m_position <= 3 ? m_position : 0);
    LabelPositions();
    return true;
}

void CSetScaleDlg::SelectPosition(int index) {
    m_position = index;
    for (int i = 0; i < 4; ++i)
        if (auto* b = Item<wxToggleButton>(kPositionIds[i]))
            b->SetValue(i == index);
}

void CSetScaleDlg::LabelPositions() {
    const wxString text = Item<wxTextCtrl>(1260)->GetValue() + "um";
    for (int id : kPositionIds)
        GetDlgItem(id)->SetLabel(text);
}

void CSetScaleDlg::OnColour() {
    if (auto chosen = ui::ChooseColour(this, m_colour))
        m_colour = *chosen;
}

void CSetScaleDlg::OnOK() {
    auto number = [&](int id) { return std::atof(Item<wxTextCtrl>(id)->GetValue().ToStdString().c_str()); };
    const double length = number(1260), pixels = number(1261), step = number(1262);
    if (!UpdateData(true))
        return;
    // Both boxes share the one key; the second box's value is written last.
    WriteIniInt("CALIBRATION", "SCALEALLCHK1", m_allLenses1);
    WriteIniInt("CALIBRATION", "SCALEALLCHK1", m_allLenses2);
    for (double v : {length, pixels, step})
        if (!(v >= 0 && v <= 99999999))
            return; // out of range: the dialog stays open
    m_length = length;
    m_pixels = int(pixels);
    m_step = step;
    EndDialog(IDOK);
}
