// The hold-to-jog button of the automatic capture panel: while the left button is held down the
// focus axis moves continuously, and it stops when the button comes up. A jog also stops when
// the button-up can no longer arrive: the pointer grab is broken or lost, the button loses the
// focus, the left button is found up (let go where the release never reached this button) or
// the window goes.
#pragma once

#include <wx/button.h>
#include <wx/timer.h>

#include <functional>

class CXyTblCtrl;

class CButtonOn : public wxButton {
public:
    CButtonOn(wxWindow* parent, int id, const wxString& label, const wxPoint& pos, const wxSize& size);
    ~CButtonOn() override;

    // The facade that moves and the direction: 1 plus (JogForward), 0 minus (JogReverse).
    void SetController(CXyTblCtrl* xy, int direction);
    // Called after each jog has stopped (the panel reads the position).
    void SetAfterStop(std::function<void()> afterStop) { m_afterStop = std::move(afterStop); }
    // Called, from the event loop after the press or release has been handled, when the
    // controller refused the jog or did not report its stop (the drive may still move).
    void SetOnFailure(std::function<void()> onFailure) { m_onFailure = std::move(onFailure); }
    bool IsJogging() const { return m_bJogging; }

private:
    void OnLeftDown(wxMouseEvent& ev);
    void OnLeftUp(wxMouseEvent& ev);
    void StartJog();
    // Stops a running jog once, whatever ended it.
    void StopJog();
    void ReportFailure();

    CXyTblCtrl* m_pXy = nullptr;
    int m_nDirection = 1;
    bool m_bJogging = false;
    std::function<void()> m_afterStop;
    std::function<void()> m_onFailure;
    // While a jog runs: looks whether the left button is still down and the focus here.
    wxTimer m_heldCheck;
};
