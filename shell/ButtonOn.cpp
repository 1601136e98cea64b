#include "shell/ButtonOn.h"

#include "devices/serial/XyTblCtrl.h"

CButtonOn::CButtonOn(wxWindow* parent, int id, const wxString& label, const wxPoint& pos, const wxSize& size)
    : wxButton(parent, id, label, pos, size) {
    Bind(wxEVT_LEFT_DOWN, &CButtonOn::OnLeftDown, this);
    Bind(wxEVT_LEFT_UP, &CButtonOn::OnLeftUp, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { StopJog(); });
    Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& ev) {
        ev.Skip();
        StopJog();
    });
}

CButtonOn::~CButtonOn() {
    // The destroy path: the axis must not go on moving with no button left to stop it.
    m_afterStop = nullptr;
    StopJog();
}

void CButtonOn::SetController(CXyTblCtrl* xy, int direction) {
    m_pXy = xy;
    m_nDirection = direction;
}

void CButtonOn::OnLeftDown(wxMouseEvent& ev) {
    ev.Skip(); // the button shows itself pressed
    if (!IsEnabled() || m_bJogging)
        return;
    // Held, so that the button-up (or the loss of the capture) reaches this button wherever the
    // mouse is let go.
    if (!HasCapture())
        CaptureMouse();
    StartJog();
}

void CButtonOn::OnLeftUp(wxMouseEvent& ev) {
    ev.Skip();
    if (HasCapture())
        ReleaseMouse();
    StopJog();
}

void CButtonOn::StartJog() {
    if (!m_pXy)
        return;
    if (m_pXy->GetType() == CTRL_MII) {
        const CommArgs c = m_pXy->GetCommArgs();
        m_pXy->Open(c.port, c.baud, c.data, c.parity, c.stop, c.flow);
    }
    m_bJogging = true;
    if (m_nDirection == 0)
        m_pXy->JogReverse();
    else
        m_pXy->JogForward();
}

void CButtonOn::StopJog() {
    if (!m_bJogging)
        return;
    m_bJogging = false;
    if (HasCapture())
        ReleaseMouse();
    if (!m_pXy)
        return;
    m_pXy->Stop();
    m_pXy->WaitStop();
    if (m_afterStop)
        m_afterStop();
    if (m_pXy->GetType() == CTRL_MII)
        m_pXy->Close();
}
