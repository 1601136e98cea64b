// The Z travel diagram of the automatic capture panel (control 910): a vertical bar with a red
// triangle at each capture position, a green triangle at the current position and a line at
// Z = 0; larger Z values are drawn higher.
#pragma once

#include <wx/window.h>

class CAutoDialog;
class wxDC;

class CTakePicStatic : public wxWindow {
public:
    CTakePicStatic(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size);

    void SetPanel(CAutoDialog* panel) { m_pPanel = panel; }
    // Draws into dc (a client-area context when null).
    void Draw(wxDC* dc = nullptr);
    // Paints so far, for the tests that wait for a redraw.
    int Paints() const { return m_nPaints; }

private:
    CAutoDialog* m_pPanel = nullptr;
    int m_nPaints = 0;
};
