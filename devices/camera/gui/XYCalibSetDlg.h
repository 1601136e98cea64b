// The calibration settings dialog (template 260 "キャリブレーション設定"): the user draws a measuring
// line over a known distance on a picture, types its real length, and the dialog computes
// micrometres per pixel; with the registered name and the capture interval the owner stores it
// for one lens. Modeless (mode 0: the window is made at once and reports to its owner) or modal.
#pragma once

#include "ids/VantorelIds.h"
#include "platform/WinTypes.h"
#include "ui/TemplateWindow.h"

#include <functional>
#include <string>

// To the owner: the lens selection asks for one lens to be calibrated (wParam 0 a slot of the
// document, 1 an entry of the lens table; lParam the index).
constexpr UINT WM_XYCALIB_EDIT = 0x542;
// To the owner: the modeless calibration dialog (wParam, its handle) has values to store.
constexpr UINT WM_XYCALIB_APPLY = 0x528;
// The lens-selection command of both owners.
constexpr int ID_LENS_SELECT = vtid::cmd::SelectLens;

class CXYCalibSetDlg : public ui::TemplateDialog {
public:
    static constexpr int kTemplateId = vtid::dlg::CalibrationSettingsDialog;
    static constexpr int kNameEdit = vtid::CalibrationSettingsDialog::Name,
                         kLineEdit = vtid::CalibrationSettingsDialog::LineLength,
                         kCalibEdit = vtid::CalibrationSettingsDialog::Calib,
                         kGapEdit = vtid::CalibrationSettingsDialog::Gap;

    // mode 0: modeless, the window is made (and shown) at once; other: modal (DoModal).
    CXYCalibSetDlg(wxWindow* owner, int mode);

    // Moves to the stored position ([CALIBRATION] SCALELENPOSX/Y), line length := view width ×
    // calibration value, fills the edits.
    bool OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& dx) override;
    // Both first store the window's position. OK takes the values (a refused value keeps the
    // dialog open and nothing is sent), then ends a modal dialog or sends the owner
    // WM_XYCALIB_APPLY. Cancel ends a modal dialog, or hides the window and posts the owner
    // the lens-selection command.
    void OnOK() override;
    void OnCancel() override;

    // Puts the keyboard focus into the line-length edit (the measuring line has been drawn).
    void FocusLineLength();
    // Modeless: shows the window again after it was closed, as when it was first made.
    void Reopen();
    bool IsModeless() const { return m_nMode == 0; }

    int m_nViewWidth = 1; // frame width in pixels of the owner's shown picture
    int m_nLensIndex = 0; // index in the lens table or slot number
    int m_nSource = 0;    // 1 the lens table, 0 the document's slots
    std::string m_strLensName;
    std::string m_strRegName;   // at most 20 characters
    double m_dLineLength = 0.0; // micrometres
    double m_dCalib = 0.0;      // micrometres per pixel
    double m_dGap = 0.0;        // capture interval, micrometres
    double m_dScaleLength = 0.0;
    int m_nScaleDots = 0;
    // The owner's measuring line in picture pixels (read when the line-length edit is left).
    std::function<double()> m_lineLength;

private:
    void OnLineLengthDone();
    void SavePosition();

    wxWindow* m_owner;
    int m_nMode;
    bool m_inLineLength = false;
};
