// The scale bar settings (template 285): the micrometre length, the pixel count and the step of
// the scale bars, whether the first two apply to every lens, their corner and their colour.
// Used by the capture views and the result window; the opener fills the fields and reads them
// back after OK.
#pragma once

#include "ids/VantorelIds.h"
#include "platform/WinTypes.h"
#include "ui/TemplateWindow.h"

#include <string>

class CScaleButton;

class CSetScaleDlg : public ui::TemplateDialog {
public:
    // Largest length, pixel count and step the dialog takes.
    static constexpr double kMaxValue = 99999999.0;

    explicit CSetScaleDlg(wxWindow* parent);
    bool OnInitDialog() override;
    void OnOK() override;
    void DoDataExchange(ui::DataExchange& dx) override;

    std::string m_lensName;
    COLORREF m_colour = 0x800080;
    double m_length = 0.0;
    int m_pixels = 0;
    double m_step = 1.0;
    int m_position = 0;
    // Read from [CALIBRATION] SCALEALLCHK1 and SCALEALLCHK2 (whose default is the first) when
    // the dialog opens, written there when it ends with OK.
    int m_allLenses1 = 1, m_allLenses2 = 1;

    CScaleButton* PositionButton(int index) const;

private:
    void SelectPosition(int index);
    void LabelPositions();
    void OnColour();

    static constexpr int kPositionIds[4] = {
        vtid::ScaleSettingsDialog::TopLeft, vtid::ScaleSettingsDialog::BottomLeft,
        vtid::ScaleSettingsDialog::TopRight, vtid::ScaleSettingsDialog::BottomRight};
};
