// The scrolling base of the result view: a zoom ratio (numerator over a fixed denominator of
// 64), the zoomed total size that the scroll bars cover, centring of a picture smaller than the
// window and the conversions between document and client coordinates.
#pragma once

#include "platform/WinTypes.h"
#include "ui/CanvasView.h"

class CZoomView : public ui::CanvasView {
public:
    explicit CZoomView(wxWindow* parent);

    static constexpr int kZoomDenominator = 64;

    // Device units per 64 logical units; the stored numerator is truncated (10 % gives 6).
    void SetZoomValue(double x);
    int ZoomNumerator() const { return m_zoomNum; }
    // The document size in logical units; the scrolled size follows the zoom.
    void SetTotalSize(int width, int height);
    wxSize TotalDeviceSize() const { return m_totalDevice; }

    // Scroll position in device pixels; negative (half the spare room) on an axis the picture does
    // not fill when centring.
    POINT GetDeviceScrollPosition() const;
    POINT DocToClient(POINT p) const;
    POINT ClientToDoc(POINT p) const;
    void ScrollToDevicePosition(int x, int y);

protected:
    int m_zoomNum = 64;
    wxSize m_totalLogical{0, 0};
    wxSize m_totalDevice{0, 0};
    bool m_centre = true;
};
