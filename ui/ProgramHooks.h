// What the window layer gives the program-wide helpers of the imaging core: the one-message
// pump and icons on buttons. imaging_gui installs them into the helpers' seams.
#pragma once

#include "platform/WinTypes.h"

namespace ui {

// Dispatches the window events that are ready (one round of the main loop) and then runs the
// posted events and messages; never waits for an event, returns at once when nothing waits, and
// does nothing off the UI thread. The handle is not used for filtering: GTK delivers the events
// of all windows of the thread together.
void PumpOneMessageImpl(HWND window);

// Shows icon iconId of the resources on the button; returns the image the button showed before
// (valid until the next call for that button or the button's end), null when it showed none or
// the icon does not load (the button is then left as it was).
void* SetButtonIconImpl(HWND button, UINT iconId);

} // namespace ui
