// The live picture's pane (CSampleStatic: a bitmap stretched into the pane with an optional
// marker) and its scale overlay (CScaleStatic: the micrometre and dot bars, the lens
// magnification and the calibration line, drawn over the pane's picture).
#pragma once

#include "platform/GlobalMemory.h"
#include "shell/core/lens/ScaleBars.h"

#include <wx/window.h>

#include <functional>

class COrsandelDoc;
class wxDC;

class CSampleStatic : public wxWindow {
public:
    CSampleStatic(wxWindow* parent, int id, const wxRect& rect, const wxString& caption);
    ~CSampleStatic() override;

    // Keeps a copy of the bitmap (null clears the pane); left -1 means no marker, else the marker
    // rectangle in picture pixels.
    void SetImage(HDIB bitmap, int left, int top, int width, int height);
    bool HasImage() const { return m_hCopy != nullptr; }
    // The white text shown centred while the pane holds no picture ("LIVE", "FOCUSING PREVIEW").
    void SetEmptyText(const wxString& text) { m_emptyText = text; }
    int PictureWidth() const { return m_width; }
    int PictureHeight() const { return m_height; }
    // Drawn after the picture on every paint (the scale overlay).
    void SetOverlay(std::function<void(wxDC&, const wxSize&)> overlay) { m_overlay = std::move(overlay); }

private:
    void OnPaint();
    HDIB m_hCopy = nullptr;
    int m_width = 0, m_height = 0;
    wxRect m_marker;
    bool m_haveMarker = false;
    std::function<void(wxDC&, const wxSize&)> m_overlay;
    wxString m_emptyText;
};

class CScaleStatic : public wxWindow {
public:
    CScaleStatic(wxWindow* parent, int id);

    void SetDocument(COrsandelDoc* doc) { m_pDoc = doc; }
    // Shown width ÷ frame width; 0 draws nothing.
    void SetDisplayScale(double scale) { m_dDisplayScale = scale; }
    double DisplayScale() const { return m_dDisplayScale; }
    // The finished calibration line in frame coordinates.
    void SetLine(POINT end, POINT start, bool valid, double scale);
    void ResetLine() { SetLine(POINT{0, 0}, POINT{0, 0}, false, 0.0); }
    // Redraws the live pane with the bars at the given length factor.
    void Redraw(double factor);
    // Draws the bars and the line into the pane's device context.
    void Draw(wxDC& dc, const wxSize& size);
    ScaleBarInput Input() const;

private:
    COrsandelDoc* m_pDoc = nullptr;
    double m_dDisplayScale = 0.0;
    double m_dFactor = 1.0;
    POINT m_end{0, 0}, m_start{0, 0};
    bool m_lineValid = false;
    double m_lineScale = 0.0;
};
