// The colour dialog that picks the colour of the scale bars: it opens on the colour it is given
// and keeps the one chosen.
#pragma once

#include "platform/MessageSink.h"
#include "platform/WinTypes.h"

class wxWindow;

class CScaleColorDialog {
public:
    CScaleColorDialog(COLORREF initial, wxWindow* parent);
    void SetInitColor(COLORREF colour) { m_colour = colour; }
    // IDOK with the chosen colour kept, IDCANCEL when the user left it.
    int DoModal();
    COLORREF GetColor() const { return m_colour; }

private:
    COLORREF m_colour;
    wxWindow* m_parent;
};
