#include "viewer/ZoomView.h"

CZoomView::CZoomView(wxWindow* parent) : ui::CanvasView(parent) {
    SetScrollRate(1, 1);
    SetBackgroundStyle(wxBG_STYLE_PAINT);
}

void CZoomView::SetTotalSize(int width, int height) {
    m_totalLogical = wxSize(width, height);
    SetZoomValue(m_zoomNum);
}

void CZoomView::SetZoomValue(double x) {
    m_totalDevice =
        wxSize(int(m_totalLogical.x * x / kZoomDenominator), int(m_totalLogical.y * x / kZoomDenominator));
    m_zoomNum = int(x);
    SetVirtualSize(m_totalDevice);
    Refresh(false);
}

POINT CZoomView::GetDeviceScrollPosition() const {
    int x = 0, y = 0;
    GetViewStart(&x, &y);
    const wxSize client = GetClientSize();
    if (m_centre && client.x > m_totalDevice.x)
        x = -(client.x - m_totalDevice.x) / 2;
    if (m_centre && client.y > m_totalDevice.y)
        y = -(client.y - m_totalDevice.y) / 2;
    return POINT{x, y};
}

POINT CZoomView::DocToClient(POINT p) const {
    const POINT s = GetDeviceScrollPosition();
    return POINT{LONG(p.x * m_zoomNum / kZoomDenominator - s.x),
                 LONG(p.y * m_zoomNum / kZoomDenominator - s.y)};
}

POINT CZoomView::ClientToDoc(POINT p) const {
    const POINT s = GetDeviceScrollPosition();
    if (m_zoomNum == 0)
        return POINT{0, 0};
    return POINT{LONG((p.x + s.x) * kZoomDenominator / m_zoomNum),
                 LONG((p.y + s.y) * kZoomDenominator / m_zoomNum)};
}

void CZoomView::ScrollToDevicePosition(int x, int y) {
    Scroll(std::max(0, x), std::max(0, y));
}
