#include "shell/capture/CalibLine.h"

#include <wx/dc.h>
#include <wx/event.h>
#include <wx/pen.h>
#include <wx/window.h>

CCalibLine::~CCalibLine() {
    if (m_pane) {
        Release();
        m_pane->Unbind(wxEVT_LEFT_DOWN, &CCalibLine::OnLeftDown, this);
        m_pane->Unbind(wxEVT_MOTION, &CCalibLine::OnMotion, this);
        m_pane->Unbind(wxEVT_LEFT_UP, &CCalibLine::OnLeftUp, this);
    }
}

void CCalibLine::Attach(wxWindow* pane, Hooks hooks) {
    m_pane = pane;
    m_hooks = std::move(hooks);
    pane->Bind(wxEVT_LEFT_DOWN, &CCalibLine::OnLeftDown, this);
    pane->Bind(wxEVT_MOTION, &CCalibLine::OnMotion, this);
    pane->Bind(wxEVT_LEFT_UP, &CCalibLine::OnLeftUp, this);
    // A capture taken from the pane (another window grabbed the pointer) ends the drag.
    pane->Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { m_geometry.End(); });
}

void CCalibLine::OnLeftDown(wxMouseEvent& ev) {
    ev.Skip();
    if (!m_hooks.isActive || !m_hooks.isActive())
        return;
    const wxSize size = m_pane->GetClientSize();
    const int width = m_hooks.pictureWidth ? m_hooks.pictureWidth() : 0;
    if (!m_geometry.Begin(POINT{ev.GetX(), ev.GetY()}, size.x, size.y, width))
        return;
    if (!m_pane->HasCapture())
        m_pane->CaptureMouse();
    m_pane->Refresh(false);
}

void CCalibLine::OnMotion(wxMouseEvent& ev) {
    ev.Skip();
    if (!ev.LeftIsDown() || !m_geometry.IsDrawing())
        return;
    m_geometry.Move(POINT{ev.GetX(), ev.GetY()}, ev.ShiftDown());
    if (m_hooks.lengthChanged)
        m_hooks.lengthChanged(m_geometry.Length());
    m_pane->Refresh(false);
}

void CCalibLine::OnLeftUp(wxMouseEvent& ev) {
    ev.Skip();
    Release();
    if (!m_geometry.End())
        return;
    if (m_hooks.finished)
        m_hooks.finished(m_geometry);
    m_pane->Refresh(false);
}

void CCalibLine::Release() {
    if (m_pane && m_pane->HasCapture())
        m_pane->ReleaseMouse();
}

void CCalibLine::Draw(wxDC& dc) const {
    if (!m_geometry.IsDrawing() || !m_geometry.HasLength())
        return;
    dc.SetPen(wxPen(*wxWHITE, 2));
    const POINT a = m_geometry.Start(), b = m_geometry.EndPoint();
    dc.DrawLine(a.x, a.y, b.x, b.y);
}

void CCalibLine::Reset() {
    Release();
    m_geometry.Reset();
    if (m_pane)
        m_pane->Refresh(false);
}
