// The scrolling base of the result view: a zoom ratio (numerator over a fixed denominator of
// 64), the zoomed total size that the scroll bars cover and the scrolling to a position.
#pragma once

#include "platform/WinTypes.h"
#include "ui/CanvasView.h"

class CZoomView : public ui::CanvasView {
public:
    explicit CZoomView(wxWindow* parent);

    static constexpr int kZoomDenominator = 64;

    void ScrollToDevicePosition(int x, int y);

protected:
    int m_zoomNum = 64;
    wxSize m_totalLogical{0, 0};
    wxSize m_totalDevice{0, 0};
};
