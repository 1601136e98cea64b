// CAutoPanelLink: what the capture view asks of the automatic capture panel. The panel answers
// it and the view's host hands out the panel's link (CaptureHost::AutoPanelLink) from the panel's
// creation on; while it is null there is no panel and the view asks nothing.
#pragma once

class CAutoPanelLink {
public:
    virtual ~CAutoPanelLink() = default;
    // Enables or disables the panel's controls: a stage operation of the view (the Z
    // calibration) begins (false) or has ended (true).
    virtual void EnablePanel(bool enable) = 0;
    // A confirmed Z calibration: the panel's calibration label shows the new micrometres per
    // pulse (FormatPulseLabel, devices/serial/ZCalibration.h).
    virtual void ShowPulseValue(double umPerPulse) = 0;
    // After a confirmed Z calibration has ended the stage operation: the panel reads the Z
    // position again with the new factor.
    virtual void OnZCalibrationApplied() = 0;
};
