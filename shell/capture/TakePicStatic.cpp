#include "shell/capture/TakePicStatic.h"

#include "shell/capture/AutoDialog.h"
#include "shell/core/capture/ZTravelDiagram.h"

#include <wx/dcclient.h>
#include <wx/settings.h>

CTakePicStatic::CTakePicStatic(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size)
    : wxWindow(parent, id, pos, size, wxFULL_REPAINT_ON_RESIZE) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
        wxPaintDC dc(this);
        Draw(&dc);
        ++m_nPaints;
    });
}

void CTakePicStatic::Draw(wxDC* given) {
    std::unique_ptr<wxClientDC> own;
    if (!given) {
        own = std::make_unique<wxClientDC>(this);
        given = own.get();
    }
    wxDC& dc = *given;
    const wxSize s = GetClientSize();
    const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    dc.SetPen(wxPen(face));
    dc.SetBrush(wxBrush(face));
    dc.DrawRectangle(0, 0, s.x, s.y);
    if (!m_pPanel)
        return;
    const ZTravelDiagramGeometry g = ComputeZTravelDiagram(
        DiagramRect{0, 0, s.x, s.y}, m_pPanel->DiagramCurrent(), m_pPanel->DiagramPositions());
    auto rect = [&dc](int l, int t, int r, int b) { dc.DrawRectangle(l, t, r - l, b - t); };
    dc.SetPen(*wxBLACK_PEN);
    dc.SetBrush(*wxWHITE_BRUSH);
    rect(g.bar.left, g.bar.top, g.bar.right, g.bar.bottom);
    dc.SetBrush(*wxBLACK_BRUSH);
    dc.SetPen(*wxTRANSPARENT_PEN);
    rect(g.topTick.left, g.topTick.top, g.topTick.right, g.topTick.bottom);
    rect(g.bottomTick.left, g.bottomTick.top, g.bottomTick.right, g.bottomTick.bottom);
    if (g.zeroLine)
        rect(g.zeroLine->left, g.zeroLine->top, g.zeroLine->right, g.zeroLine->bottom);
    auto triangle = [&dc](const DiagramTriangle& t, const wxColour& fill) {
        const wxPoint pts[3] = {wxPoint(t.tip.x, t.tip.y), wxPoint(t.first.x, t.first.y),
                                wxPoint(t.second.x, t.second.y)};
        dc.SetBrush(wxBrush(fill));
        dc.SetPen(*wxBLACK_PEN);
        dc.DrawPolygon(3, pts);
    };
    for (const DiagramTriangle& t : g.captures)
        triangle(t, wxColour(255, 0, 0));
    triangle(g.current, wxColour(0, 255, 0));
    dc.SetPen(*wxBLACK_PEN);
    dc.SetBrush(*wxWHITE_BRUSH);
}
