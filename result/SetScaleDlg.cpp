#include "result/SetScaleDlg.h"

#include "devices/camera/CalibrationSettings.h"
#include "platform/Settings.h"
#include "ui/DataExchange.h"
#include "result/ScaleButton.h"
#include "result/ScaleColorDialog.h"

#include <wx/textctrl.h>

#include <cstdlib>

namespace ids = vtid::ScaleSettingsDialog;

CSetScaleDlg::CSetScaleDlg(wxWindow* parent) : TemplateDialog(parent, vtid::dlg::ScaleSettingsDialog) {
    for (int i = 0; i < 4; ++i) {
        ReplaceControl(kPositionIds[i], [](wxWindow* p, const ui::ControlTemplate& c, const wxRect& r) {
            return static_cast<wxWindow*>(new CScaleButton(p, c.id, r.GetPosition(), r.GetSize()));
        });
        OnCommand(kPositionIds[i], [this, i] { SelectPosition(i); });
    }
    OnCommand(ids::Colour, &CSetScaleDlg::OnColour);
    // Leaving the length or the pixel count labels the buttons with the length.
    for (int id : {ids::Length, ids::Pixels})
        OnControl(ui::EN_KILLFOCUS, id, &CSetScaleDlg::LabelPositions);
}

CScaleButton* CSetScaleDlg::PositionButton(int index) const {
    return index >= 0 && index < 4 ? Item<CScaleButton>(kPositionIds[index]) : nullptr;
}

void CSetScaleDlg::DoDataExchange(ui::DataExchange& dx) {
    dx.Check(ids::LengthForAllLenses, m_allLenses1);
    dx.Check(ids::PixelsForAllLenses, m_allLenses2);
    if (!dx.m_bSaveAndValidate)
        return;
    auto number = [&](int id) { return std::atof(GetDlgItemText(id).ToStdString().c_str()); };
    const double length = number(ids::Length), pixels = number(ids::Pixels), step = number(ids::Step);
    dx.MinMax(ids::Length, length, 0.0, kMaxValue);
    // The pixel count is cut to a whole number; a text beyond the range is refused before that.
    const int wholePixels = pixels >= 0.0 && pixels <= kMaxValue ? static_cast<int>(pixels) : -1;
    dx.MinMax(ids::Pixels, wholePixels, 0, static_cast<int>(kMaxValue));
    dx.MinMax(ids::Step, step, 0.0, kMaxValue);
    if (dx.Failed())
        return;
    m_length = length;
    m_pixels = wholePixels;
    m_step = step;
}

bool CSetScaleDlg::OnInitDialog() {
    const ScaleApplyToAll boxes = ReadScaleApplyToAll();
    m_allLenses1 = boxes.length;
    m_allLenses2 = boxes.dots;
    TemplateDialog::OnInitDialog();
    SetDlgItemText(ids::Length, wxString::FromUTF8(FormatDoubleText(m_length)));
    SetDlgItemText(ids::Pixels, wxString::Format("%d", m_pixels));
    SetDlgItemText(ids::Step, wxString::FromUTF8(FormatDoubleText(m_step)));
    SetDlgItemText(ids::LensName, wxString::FromUTF8(m_lensName));
    SelectPosition(m_position >= 0 && m_position <= 3 ? m_position : -1);
    LabelPositions();
    return true;
}

void CSetScaleDlg::SelectPosition(int index) {
    if (index >= 0)
        m_position = index;
    for (int i = 0; i < 4; ++i)
        if (CScaleButton* b = PositionButton(i))
            b->SetPushed(i == index ? 1 : 0);
    Refresh(false);
}

void CSetScaleDlg::LabelPositions() {
    const wxString text = GetDlgItemText(ids::Length) + "um";
    for (int i = 0; i < 4; ++i)
        if (CScaleButton* b = PositionButton(i)) {
            b->SetLabel(text);
            b->Refresh(false);
        }
}

void CSetScaleDlg::OnColour() {
    CScaleColorDialog dlg(m_colour, this);
    if (dlg.DoModal() == IDOK)
        m_colour = dlg.GetColor();
}

void CSetScaleDlg::OnOK() {
    // A refused value keeps the dialog open and writes nothing.
    if (!UpdateData(true))
        return;
    for (int i = 0; i < 4; ++i)
        if (CScaleButton* b = PositionButton(i); b && b->IsPushed())
            m_position = i;
    WriteScaleApplyToAll(ScaleApplyToAll{m_allLenses1, m_allLenses2});
    EndDialog(IDOK);
}
