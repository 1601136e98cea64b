// A loop on the user-interface thread that takes its time (a capture series) lets the toolkit
// draw what changed: the native controls and the lists are drawn in the toolkit's frame cycle,
// which a single round of the event loop seldom reaches.
#pragma once

class wxWindow;

// Runs the event loop until the window's top-level window has been drawn once, at most
// timeoutMs; nothing when it is not on the screen or when called off the UI thread.
void PumpUntilPainted(wxWindow* window, int timeoutMs = 100);
