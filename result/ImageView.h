// The result view: the document's picture (image or height picture) at the zoom of the 40-step
// scale from 10 % to 400 %, centred when smaller than the window, with the scale bars and the
// lens label on top.
#pragma once

#include "platform/GlobalMemory.h"
#include "result/core/ScaleBarLayout.h"
#include "result/ZoomView.h"

#include "ui/Timers.h"

#include <wx/image.h>

#include <functional>

class CImageDoc;
class wxDC;

class CImageView : public CZoomView {
public:
    explicit CImageView(wxWindow* parent);

    CImageDoc* GetImageDoc() const;
    void OnInitialUpdate() override;
    void OnUpdate(ui::View* sender, LPARAM hint, CObject* hintObject) override;
    void OnDraw(wxDC& dc) override;

    // Step -9 .. 30: factor 1 + step / 10; keeps the relative scroll position of each axis.
    void ZoomToStep(int step);
    int ZoomStep() const { return m_zoomStep; }
    double ZoomFactor() const { return 1.0 + m_zoomStep / 10.0; }
    // The fit percentage for the client size: a multiple of 10 in 10 .. 400.
    int FitPercent() const;
    RECT ImageRect() const { return m_imageRect; }

    // Draws the bars for a picture lying at rect; returns the layout (failure included).
    static ScaleBarLayout DrawScaleBars(wxDC& dc, const CImageDoc& doc, const RECT& rect, int imageWidth,
                                        double scale, double zoom, ScaleBarTarget target);

    // Called after a paint in which a bar could not be shown (tests watch it).
    int m_scaleFailures = 0;

    // The calibration line: while active, a drag draws a line over the picture (Shift keeps it
    // horizontal or vertical) whose length in image pixels goes to the document; the mouse is
    // captured and kept on the picture, and the view scrolls while the mouse is beyond an edge.
    void SetCalibrationActive(bool active);
    bool IsCalibrationActive() const { return m_calibActive; }
    void EraseCalibrationLine(bool keepScreen);
    std::function<void()> onLineEnded;
    POINT LineStart() const { return m_lineStart; }
    POINT LineEnd() const { return m_lineEnd; }

private:
    void RefreshPicture();
    void onMouse(wxMouseEvent& ev);
    void onCaptureLost(wxMouseCaptureLostEvent& ev);
    LRESULT OnTimer(WPARAM id, LPARAM);
    void EndLine();
    POINT ToImage(const wxPoint& client) const;
    void ReportScaleFailure(bool tooShort, bool dotBar);

    wxSize m_imageSize{0, 0};
    int m_zoomStep = 0;
    RECT m_imageRect{};
    wxImage m_picture;
    const void* m_pictureKey = nullptr;
    int m_pictureGeneration = -1;
    bool m_failurePending = false;
    bool m_calibActive = false;
    bool m_drawingLine = false;
    POINT m_lineStart{0, 0}, m_lineEnd{0, 0};
    double m_startZoom = 1.0;
    ui::WindowTimers m_timers{this};
};

// Fit rule on its own: client (cw, ch), image (w, h).
int FitZoomPercent(int cw, int ch, int w, int h);

// A 24-bit copy of the picture with the document's scale bars burnt in (for saving); null on failure.
HDIB RenderScaleBars(const CImageDoc& doc, HDIB picture);
