#include "ui/CanvasView.h"

namespace ui {

CanvasView::CanvasView(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style)
    : wxScrolledCanvas(parent, id, pos, size, style), View(this) {}

void CanvasView::OnDraw(wxDC&) {}

} // namespace ui
