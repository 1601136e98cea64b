// The measuring line of the XY calibration on a picture pane: while the calibration settings
// dialog is open, a left-button drag over the pane draws a 2-pixel white line (Shift keeps it
// horizontal or vertical), reports its length in picture pixels at every move, and hands the
// finished line on when the button is released. The capture view and the Vossa live view each
// keep one on their live pane.
//
//   m_calibLine.Attach(livePane, {
//       .isActive = [this] { return frame->IsCalibSetOpen(); },
//       .pictureWidth = [this] { return m_nFrameWidth; },
//       .lengthChanged = [this](double px) { doc->m_dCalibLineLength = px; },
//       .finished = [this](const CalibLineGeometry& g) { overlay->SetLine(...); dlg->FocusLineLength(); },
//   });
//   pane overlay: m_calibLine.Draw(dc);   // the line while it is being drawn
#pragma once

#include "shell/core/lens/CalibLineGeometry.h"

#include <functional>

class wxDC;
class wxMouseEvent;
class wxWindow;

class CCalibLine {
public:
    struct Hooks {
        std::function<bool()> isActive;                         // the calibration dialog is open
        std::function<int()> pictureWidth;                      // width of the shown picture, pixels
        std::function<void(double)> lengthChanged;              // new length in picture pixels
        std::function<void(const CalibLineGeometry&)> finished; // the button was released
    };

    CCalibLine() = default;
    ~CCalibLine();
    CCalibLine(const CCalibLine&) = delete;
    CCalibLine& operator=(const CCalibLine&) = delete;

    // Takes the left-button, motion and capture-lost events of the pane (coordinates are the
    // pane's client pixels, which show the picture stretched over the whole pane).
    void Attach(wxWindow* pane, Hooks hooks);
    // Draws the line being drawn (nothing when none or when it has no length).
    void Draw(wxDC& dc) const;
    // Forgets the line (and ends a drag).
    void Reset();
    const CalibLineGeometry& Geometry() const { return m_geometry; }

private:
    void OnLeftDown(wxMouseEvent& ev);
    void OnMotion(wxMouseEvent& ev);
    void OnLeftUp(wxMouseEvent& ev);
    void Release();

    wxWindow* m_pane = nullptr;
    Hooks m_hooks;
    CalibLineGeometry m_geometry;
};

// A view that keeps a measuring line: the main frame forgets the line after a lens selection or a
// calibration result, and hands the width of the view's picture to the calibration dialogs.
class CalibLineView {
public:
    virtual ~CalibLineView() = default;
    virtual void ResetCalibLine() = 0;
    // Width in pixels of the picture the view shows (1 while none).
    virtual int CalibPictureWidth() const = 0;
};
