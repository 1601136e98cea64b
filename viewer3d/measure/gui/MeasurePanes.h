// What the graph, image and analysis panes share: the document frame and main window a pane
// belongs to, the pane font, colours, the pane's context menu owned by its document frame, a
// pane copied to the clipboard, frames drawn with the crawling 8 x 8 patterns, and the room of
// the spin buttons of the panel and dialogs.
#pragma once

#include "platform/WinTypes.h"
#include "viewer3d/app/PaneRole.h"

#include <wx/colour.h>
#include <wx/event.h>
#include <wx/font.h>

class wxDC;
class wxMenu;
class wxSpinButton;
class wxWindow;

namespace brx {

class CMainFrame;
class CView3dDoc;
class CView3dFrm;

// The document frame holding the pane (null when none), and the main window.
CView3dFrm* FrameOfPane(const wxWindow* pane);
CMainFrame* MainOfPane(const wxWindow* pane);

inline wxColour ToColour(COLORREF c) {
    return wxColour(GetRValue(c), GetGValue(c), GetBValue(c));
}

// The size of the measurement image (the region cut of the measurement screen, else the
// texture); false without one.
bool MeasureImageSize(const CView3dDoc& doc, int* width, int* height);

// The pane font at 9 points on screen, or of pixelHeight device pixels on paper (sized once
// for the printer's resolution); bold at 10 points for titles.
wxFont PaneFont(int pixelHeight = 0, bool bold = false);

// The width of a graph's lines on paper (fontPixels > 0, the pane font's height there): as many
// printer pixels as a screen pixel covers (the text is 9 points either way, 12 pixels on a screen
// of 96 dots per inch), so that the lines stay whole lines also where a preview shows the page
// scaled down; one pixel on the screen (fontPixels 0).
int PaperLinePixels(int fontPixels);

// Lines and shapes drawn without antialiasing, pixel for pixel in their colours, as graphs and
// measuring lines must be.
void CrispLines(wxDC& dc);

// Binds the left button and the motion of a pane to its OnLButtonDown(x, y),
// OnMouseMove(x, y, leftDown, shift) and OnLButtonUp(x, y, shift).
template <class Pane> void BindPaneMouse(Pane* pane) {
    auto handler = [pane](wxMouseEvent& ev) {
        if (ev.LeftDown())
            pane->OnLButtonDown(ev.GetX(), ev.GetY());
        else if (ev.LeftUp())
            pane->OnLButtonUp(ev.GetX(), ev.GetY(), ev.ShiftDown());
        else if (ev.Dragging() || ev.Moving())
            pane->OnMouseMove(ev.GetX(), ev.GetY(), ev.LeftIsDown(), ev.ShiftDown());
        ev.Skip();
    };
    pane->Bind(wxEVT_LEFT_DOWN, handler);
    pane->Bind(wxEVT_LEFT_UP, handler);
    pane->Bind(wxEVT_MOTION, handler);
}

// Shows the first popup of a menu resource at a client point of the pane, with the pane made the
// active view of its frame so that the frame routes the menu's commands through it.
void ShowPaneMenu(wxWindow* pane, int menuId, int x, int y);
// The same for a menu the pane built (taken over; nothing is shown for none).
void ShowPaneMenu(wxWindow* pane, wxMenu* menu, int x, int y);

// Puts the picture of a pane role of the pane's frame on the clipboard; false when nothing was
// put there.
bool CopyPaneToClipboard(const wxWindow* pane, PaneRole role);

// Gives a spin button the room to show a number of that many characters whole beside both its
// halves: GTK draws the spin's own entry before "−" and "+", and the toolkit's best size leaves
// that entry less than one digit.
void GiveSpinItsRoom(wxSpinButton* spin, int characters);

// A rectangle's outline (right and bottom exclusive) painted with pattern phase: clear bits in
// the text colour, set bits in the background colour, anchored to the device origin.
void DrawPatternFrame(wxDC& dc, const RECT& r, int phase, COLORREF text, COLORREF back);

} // namespace brx
