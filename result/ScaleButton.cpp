#include "result/ScaleButton.h"

#include <wx/dcbuffer.h>

CScaleButton::CScaleButton(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size)
    : wxControl(parent, id, pos, size, wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, [this](wxPaintEvent&) { OnPaint(); });
    Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& ev) {
        ev.Skip();
        m_pressing = true;
        CaptureMouse();
    });
    Bind(wxEVT_LEFT_UP, [this](wxMouseEvent& ev) {
        ev.Skip();
        if (!m_pressing)
            return;
        m_pressing = false;
        if (HasCapture())
            ReleaseMouse();
        if (wxRect(GetClientSize()).Contains(ev.GetPosition())) {
            wxCommandEvent click(wxEVT_BUTTON, GetId());
            click.SetEventObject(this);
            ProcessWindowEvent(click);
        }
    });
    Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { m_pressing = false; });
}

void CScaleButton::SetPushed(int state) {
    if (m_pushed == state)
        return;
    m_pushed = state;
    Refresh(false);
}

void CScaleButton::OnPaint() {
    wxAutoBufferedPaintDC dc(this);
    DrawButton(dc, GetClientSize());
}

void CScaleButton::DrawButton(wxDC& dc, const wxSize& size) const {
    // The classic grey face and edges: the theme's face is nearly white, on which the white
    // caption of a released button would vanish.
    const wxColour face(192, 192, 192);
    const wxColour light(255, 255, 255);
    const wxColour shadow(128, 128, 128);
    dc.SetBrush(wxBrush(face));
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.DrawRectangle(0, 0, size.x, size.y);

    // A sunken edge while pushed, a raised one otherwise: light and dark sides swap.
    const int r = size.x - 1, b = size.y - 1;
    const wxColour topLeft = m_pushed ? shadow : light;
    const wxColour bottomRight = m_pushed ? light : shadow;
    dc.SetPen(wxPen(topLeft));
    dc.DrawLine(0, 0, r, 0);
    dc.DrawLine(0, 0, 0, b);
    dc.SetPen(wxPen(m_pushed ? *wxBLACK : wxColour(64, 64, 64)));
    dc.DrawLine(0, b, r + 1, b);
    dc.DrawLine(r, 0, r, b);
    dc.SetPen(wxPen(bottomRight));
    dc.DrawLine(1, b - 1, r, b - 1);
    dc.DrawLine(r - 1, 1, r - 1, b);

    const wxColour text = m_pushed ? *wxBLACK : *wxWHITE;
    wxFont font(wxFontInfo(wxSize(0, 10)).Light());
    dc.SetFont(font);
    dc.SetTextForeground(text);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    const wxString caption = GetLabel();
    const wxSize t = dc.GetTextExtent(caption);
    // The caption is centred in the item rectangle moved 5 pixels down.
    dc.DrawText(caption, (size.x - t.x) / 2, (size.y - t.y) / 2 + 5);

    // The scale-bar glyph under it: down, across and up again.
    dc.SetPen(wxPen(text, 1));
    const wxPoint glyph[4] = {{5, b - 12}, {5, b - 7}, {r - 5, b - 7}, {r - 5, b - 12}};
    dc.DrawLines(4, glyph);
}
