#include "shell/controls/ButtonOn.h"

#include "devices/serial/XyTblCtrl.h"

#include <gtk/gtk.h>

namespace {

// How often a running jog looks at the left button and the focus, in milliseconds.
constexpr int kHeldCheckMs = 40;

gboolean onGrabBroken(GtkWidget*, GdkEvent*, gpointer button) {
    // Another window (a menu, a dialog, another program) took the pointer: the release will go
    // there. Ended from the event loop, after GTK has finished with the event.
    auto* self = static_cast<CButtonOn*>(button);
    self->CallAfter([self] {
        wxMouseCaptureLostEvent lost(self->GetId());
        lost.SetEventObject(self);
        self->GetEventHandler()->ProcessEvent(lost);
    });
    return FALSE;
}

} // namespace

CButtonOn::CButtonOn(wxWindow* parent, int id, const wxString& label, const wxPoint& pos, const wxSize& size)
    : wxButton(parent, id, label, pos, size), m_heldCheck(this) {
    Bind(wxEVT_LEFT_DOWN, &CButtonOn::OnLeftDown, this);
    Bind(wxEVT_LEFT_UP, &CButtonOn::OnLeftUp, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { StopJog(); });
    Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& ev) {
        ev.Skip();
        StopJog();
    });
    // What the events may not say in time: the button let go where the release never reached
    // this button, or the focus gone to another window (GTK tells the focus-out of a pressed
    // button only after the release).
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
        wxWindow* focus = FindFocus();
        if (!wxGetMouseState().LeftIsDown() || (focus && focus != this))
            StopJog();
    });
    g_signal_connect(GetHandle(), "grab-broken-event", G_CALLBACK(onGrabBroken), this);
}

CButtonOn::~CButtonOn() {
    g_signal_handlers_disconnect_by_data(GetHandle(), this);
    // The destroy path: the axis must not go on moving with no button left to stop it.
    m_afterStop = nullptr;
    m_onFailure = nullptr;
    StopJog();
}

void CButtonOn::SetController(CXyTblCtrl* xy, int direction) {
    m_pXy = xy;
    m_nDirection = direction;
}

void CButtonOn::OnLeftDown(wxMouseEvent& ev) {
    // The button takes no capture of its own: GTK's button already holds the pointer from the
    // press to the release, so the button-up reaches it wherever the mouse is let go. A capture
    // taken here moves the pointer grab to the parent's window, the release then goes there,
    // and the jog and the grab outlive the button-up.
    ev.Skip(); // the button shows itself pressed
    if (!IsEnabled() || m_bJogging)
        return;
    StartJog();
}

void CButtonOn::OnLeftUp(wxMouseEvent& ev) {
    ev.Skip();
    StopJog();
}

void CButtonOn::StartJog() {
    if (!m_pXy)
        return;
    if (m_pXy->GetType() == CTRL_MII) {
        const CommArgs c = m_pXy->GetCommArgs();
        m_pXy->Open(c.port, c.baud, c.data, c.parity, c.stop, c.flow);
    }
    const BOOL started = m_nDirection == 0 ? m_pXy->JogReverse() : m_pXy->JogForward();
    if (!started) {
        // Whatever of the jog reached the controller is stopped at once; there is no jog to hold.
        m_pXy->Stop();
        if (m_pXy->GetType() == CTRL_MII)
            m_pXy->Close();
        ReportFailure();
        return;
    }
    m_bJogging = true;
    m_heldCheck.Start(kHeldCheckMs);
}

void CButtonOn::StopJog() {
    if (!m_bJogging)
        return;
    m_bJogging = false;
    m_heldCheck.Stop();
    if (!m_pXy)
        return;
    // The wait is asked also when the stop command failed: it stops the drive once more on its
    // own failure.
    const bool stopSent = m_pXy->Stop();
    const bool stopped = m_pXy->WaitStop() && stopSent;
    if (!stopped)
        ReportFailure();
    if (m_afterStop)
        m_afterStop();
    if (m_pXy->GetType() == CTRL_MII)
        m_pXy->Close();
}

void CButtonOn::ReportFailure() {
    if (m_onFailure)
        CallAfter([this] {
            if (m_onFailure)
                m_onFailure();
        });
}
