// A view drawn by its OnDraw on a scrollable canvas (image, graph and measurement views). Give it
// a virtual size and a scroll rate to scroll; the canvas prepares the device context of the paint
// for the scroll position before it calls OnDraw.
#pragma once

#include "ui/View.h"

#include <wx/scrolwin.h>

namespace ui {

class CanvasView : public wxScrolledCanvas, public View {
public:
    explicit CanvasView(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                        const wxSize& size = wxDefaultSize, long style = wxHSCROLL | wxVSCROLL);
    // The canvas's paint and View::OnDraw are one function.
    void OnDraw(wxDC& dc) override;
};

} // namespace ui
