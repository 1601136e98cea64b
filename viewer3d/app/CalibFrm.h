// The calibration window: the document image at a zoom, a line the user draws along a feature
// of known length, and a bar (CalibrationBar) for the known length, its unit, the zoom and Set. On
// closing it posts the result (a 30-byte block, null unless Set was pressed) to the document
// frame that opened it.
#pragma once

#include "platform/GlobalMemory.h"
#include "platform/Palette.h"
#include "ui/CanvasView.h"
#include "ui/Document.h"
#include "ui/RoutedFrame.h"

#include <string>

namespace ui {
class TemplatePanel;
}

namespace brx {

class CMainFrame;

// The values of one calibration; it keeps its own copy of the image it shows.
class CCalibDoc : public ui::Document {
public:
    ~CCalibDoc() override;
    void SetImage(HDIB image); // copied
    HDIB Image() const { return image_; }
    HWND target = 0;
    double knownLength = 0.0;
    std::string unit;
    double lengthPerPixel = 0.0;
    double measuredPixels = 1.0;

private:
    HDIB image_ = nullptr;
};

class CCalibVw : public ui::CanvasView {
public:
    explicit CCalibVw(wxWindow* parent);
    void OnDraw(wxDC& dc) override;
    CCalibDoc* Doc() const;
    int Zoom() const { return zoom_; }
    void SetZoom(int zoom);
    void ZoomIn();
    void ZoomOut();
    void Fit();
    // A finished line from start to end in zoomed-image coordinates (as a drag ends).
    void FinishLine(wxPoint start, wxPoint end);
    wxSize ZoomedSize() const;

private:
    void onMouse(wxMouseEvent& ev);
    wxPoint toImage(wxPoint client) const;
    wxPoint clip(wxPoint p, bool shift) const;
    int zoom_ = 100;
    wxPoint start_, end_;
    wxPoint offset_;
    bool first_ = true;
};

class CCalibFrm : public ui::RoutedMdiChildFrame {
public:
    CCalibFrm(CMainFrame* main, HDIB image, double pitch, const std::string& unit, HWND target);
    ~CCalibFrm() override;
    CCalibDoc* Doc() const;
    CCalibVw* View() const { return view_; }
    ui::TemplatePanel* Bar() const { return bar_; }
    void Recompute();
    void ResultText();
    void ZoomText();
    void InitialFill();
    void OnSet();
    bool ownerGone = false;

protected:
    // Active: the main window's title names this document.
    void OnMDIActivate(bool activate) override;

private:
    void onClose(wxCloseEvent& ev);
    CMainFrame* main_;
    ui::TemplatePanel* bar_ = nullptr;
    CCalibVw* view_ = nullptr;
    bool updating_ = false, accepted_ = false, posted_ = false;
};

} // namespace brx
