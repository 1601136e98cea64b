// How mouse drags, the spin timer and panel turns move the 3D scene of a document, without a
// window: the 3D view feeds its events in and carries out what comes back (rebuild the lists,
// redraw, start or stop the spin timer).
//
// Turns are pending: a drag adds to the document's rotation angles and the next frame takes
// them (TakeFrameTurn), so repaints that come without a move (expose, resize) do not turn the
// scene again and paints that arrive together lose no move. A spin adds its increment once per
// timer tick.
#pragma once

#include "viewer3d/core/data/View3dData.h"

namespace v3d::scene {

struct TurnEffects {
    bool rebuild = false;   // rebuild the lists (full density when the flag says so)
    bool redraw = false;    // invalidate the whole client area, no erase
    bool startSpin = false; // start the 10 ms spin timer
    bool stopSpin = false;  // kill the spin timer
    bool handled = false;   // the event is taken (no default processing)
};

struct FrameTurn {
    float x = 0, y = 0, z = 0;
};

class TurnControl {
public:
    // Sets the shared last mouse position to "none" (-1, -1).
    TurnControl();

    TurnEffects LeftDown(View3dData& doc, int x, int y);
    TurnEffects LeftUp(View3dData& doc, int x, int y);
    TurnEffects RightDown(View3dData& doc, int x, int y);
    // ctrl: CTRL held at the release (from the event).
    TurnEffects RightUp(View3dData& doc, int x, int y, bool ctrl, int width, int height);
    // Buttons held during the move; width and height of the client area (0: the event is
    // ignored).
    TurnEffects MouseMove(View3dData& doc, int x, int y, bool left, bool right, int width, int height);
    // One spin timer tick: adds the spin increment to the pending turn.
    TurnEffects Tick(View3dData& doc);
    // Ends a running spin (its increment is dropped; the density flag is left alone).
    TurnEffects StopSpin();
    // The turn of the next frame, taken from the document's pending angles (cleared).
    static FrameTurn TakeFrameTurn(View3dData& doc);

    bool Spinning() const { return spinning_; }
    FrameTurn SpinIncrement() const { return spin_; }

private:
    static inline int lastX_ = -1, lastY_ = -1; // shared by every 3D view
    int pressX_ = 0, pressY_ = 0;
    bool spinning_ = false;
    bool spinStopped_ = false;
    FrameTurn spin_;
};

} // namespace v3d::scene
