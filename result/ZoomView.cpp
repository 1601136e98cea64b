#include "result/ZoomView.h"

CZoomView::CZoomView(wxWindow* parent) : ui::CanvasView(parent) {
    SetScrollRate(1, 1);
    SetBackgroundStyle(wxBG_STYLE_PAINT);
}

void CZoomView::ScrollToDevicePosition(int x, int y) {
    Scroll(std::max(0, x), std::max(0, y));
}
