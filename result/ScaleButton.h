// The position buttons of the scale settings: an owner-drawn button that shows its caption above
// a small scale-bar glyph and stays pushed while its corner is the chosen one.
#pragma once

#include <wx/control.h>

class CScaleButton : public wxControl {
public:
    CScaleButton(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size);

    void SetPushed(int state);
    int IsPushed() const { return m_pushed; }

    // Draws the button into a device context of its size (the paint handler's drawing).
    void DrawButton(wxDC& dc, const wxSize& size) const;

private:
    void OnPaint();

    int m_pushed = 0;
    bool m_pressing = false;
};
