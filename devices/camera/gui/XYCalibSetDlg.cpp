#include "devices/camera/gui/XYCalibSetDlg.h"

#include "devices/camera/CalibrationSettings.h"
#include "devices/camera/XYCalibValues.h"
#include "platform/WindowMessages.h"
#include "ui/DataExchange.h"

#include <wx/textctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

CXYCalibSetDlg::CXYCalibSetDlg(wxWindow* owner, int mode)
    : ui::TemplateDialog(owner, kTemplateId), m_owner(owner), m_nMode(mode) {
    OnControl(ui::EN_KILLFOCUS, kLineEdit, &CXYCalibSetDlg::OnLineLengthDone);
    if (m_nMode == 0)
        Create(true);
}

bool CXYCalibSetDlg::OnInitDialog() {
    if (auto* name = Item<wxTextCtrl>(kNameEdit))
        name->SetMaxLength(kRegNameChars);
    const DialogPlace place = ReadCalibrationDialogPlace();
    Move(place.x, place.y);
    m_dLineLength = m_nViewWidth * m_dCalib;
    return ui::TemplateDialog::OnInitDialog();
}

void CXYCalibSetDlg::Reopen() {
    if (m_nMode != 0 || IsShown())
        return;
    OnInitDialog();
    Show();
}

void CXYCalibSetDlg::DoDataExchange(ui::DataExchange& dx) {
    dx.Text(kNameEdit, m_strRegName);
    dx.MaxChars(kNameEdit, m_strRegName, kRegNameChars);
    dx.Text(kLineEdit, m_dLineLength);
    // Six decimals, as the lens selection shows the value, not every digit of a quotient; the
    // value itself is taken back only when the user changed the text.
    char shown[64];
    std::snprintf(shown, sizeof shown, "%.6f", m_dCalib);
    std::string text = shown;
    dx.Text(kCalibEdit, text);
    if (dx.m_bSaveAndValidate && text != shown)
        dx.Text(kCalibEdit, m_dCalib);
    dx.MinMax(kCalibEdit, m_dCalib, 0.0, kCalibValueMax);
    dx.Text(kGapEdit, m_dGap);
    dx.MinMax(kGapEdit, m_dGap, 0.0, kCalibValueMax);
}

void CXYCalibSetDlg::OnLineLengthDone() {
    // A refusal's message takes the focus from the edit again: do not compute twice.
    if (m_inLineLength || !IsShown())
        return;
    m_inLineLength = true;
    if (UpdateData(true)) {
        const double pixels = m_lineLength ? m_lineLength() : 0.0;
        m_dCalib = CalibrationFromLine(m_dLineLength, pixels);
        UpdateData(false);
    }
    m_inLineLength = false;
}

void CXYCalibSetDlg::FocusLineLength() {
    if (wxWindow* edit = GetDlgItem(kLineEdit))
        edit->SetFocus();
}

void CXYCalibSetDlg::SavePosition() {
    const wxPoint p = GetPosition();
    WriteCalibrationDialogPlace(DialogPlace{std::abs(p.x), std::abs(p.y)});
}

void CXYCalibSetDlg::OnOK() {
    SavePosition();
    if (!UpdateData(true))
        return; // the refused value is shown; the dialog stays open until the values pass
    if (m_nMode != 0) {
        EndDialog(IDOK);
        return;
    }
    SendMessage(ui::WindowHandle(m_owner), WM_XYCALIB_APPLY, reinterpret_cast<WPARAM>(GetSafeHwnd()), 0);
}

void CXYCalibSetDlg::OnCancel() {
    SavePosition();
    if (m_nMode != 0) {
        EndDialog(IDCANCEL);
        return;
    }
    Hide();
    // Posted: the lens selection runs its modal loop after this click has been handled.
    PostMessage(ui::WindowHandle(m_owner), WM_COMMAND, ID_LENS_SELECT, 0);
}
