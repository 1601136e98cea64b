// CZCalibrationDialog: the modeless Z calibration dialog (template 161). The user measures a
// known distance between two positions read from the focus controller, or types the distance of
// one pulse; the result in micrometres per pulse is shown on every change and, once confirmed,
// handed to the owner and written to [ZCALIBRATION].
#pragma once

#include "devices/serial/ZCalibration.h"
#include "ui/TemplateWindow.h"

#include <functional>

class CXyTblCtrl;

// What the dialog needs from the window that opens it (the capture view).
struct ZCalibrationOwner {
    // The controller facade the two position buttons read; null reads as a failed read.
    CXyTblCtrl* stage = nullptr;
    // A confirmed calibration (1PULSE already cut to four decimals), before it is written.
    std::function<void(const ZCalibrationValues&)> accepted;
    // The stage operation ends: after a confirmation (true) or a cancel (false), before the
    // dialog hides.
    std::function<void(bool confirmed)> ended;
};

class CZCalibrationDialog : public ui::TemplateDialog {
public:
    CZCalibrationDialog(wxWindow* parent, ZCalibrationOwner owner);

    // Zeroes the four values and keeps the minus sign out of the distance edit.
    bool OnInitDialog() override;
    // Checks radio 1067 (mode 0, two points) or 1069 (mode 1, one pulse), shows or hides the
    // point rows, recomputes and keeps the result.
    void SetCalibMode(int mode);
    int GetCalibMode() const;
    // Confirm: a zero result is refused with message 886 and the dialog stays; otherwise the
    // owner gets the values, the settings are written and the dialog hides.
    void OnOK() override;
    void OnCancel() override;

    // The values as the edits give them, and the result (micrometres per pulse) shown in 921.
    double m_dDistance = 0.0;
    double m_dResult = 0.0;
    int m_nPoint1 = 0;
    int m_nPoint2 = 0;
    // The result at the last mode switch.
    double m_dSavedResult = 0.0;

private:
    void Recompute();
    // Reads the controller's focus position into a point edit ("%d"); 0 and message 878 when the
    // read fails.
    void ReadPosition(int editId);
    void OnCharInEdit(wxKeyEvent& ev);
    void OnPaint(wxPaintEvent& ev);

    ZCalibrationOwner m_owner;
};
