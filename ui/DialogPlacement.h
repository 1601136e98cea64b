// Which window a message box or dialog belongs to, and where it opens. A box belongs to the
// window the user acted in (pressed a mouse button or a key in) last, not to whichever window
// the program brought forward since; it opens inside the work area of the monitor that window
// is on, its frame included; and while it is modal it stays above that window, with or
// without a window manager: raising or clicking the window it blocks brings the box up again.
#pragma once

class wxWindow;

namespace ui {

// Starts noting the window of every mouse press and key press (the window layer does it at
// start-up; more calls change nothing).
void WatchUserInput();

// The top-level window the user acted in last while it is still shown (a hidden dialog gives
// its parent's window); else the active top-level window, else the application's top window.
// Null when there is none.
wxWindow* ActingWindow();

// Places the top-level window `dialog` inside the work area of the monitor `owner` is on (the
// monitor under the pointer when owner is null or on none) each time the toolkit shows it, with
// the frame the window manager puts around it, moved as little as can be; a resizable window
// (wxRESIZE_BORDER) that is larger than the area with its frame is made as much smaller. Where
// the user then moves it is his. A frame passes itself as the owner: the monitor it is on.
void KeepInWorkArea(wxWindow* dialog, wxWindow* owner);

// While it lives, the shown modal `dialog` comes up above `owner` when the owner is raised or
// clicked.
class KeepAboveOwner {
public:
    KeepAboveOwner(wxWindow* dialog, wxWindow* owner);
    ~KeepAboveOwner();
    KeepAboveOwner(const KeepAboveOwner&) = delete;
    KeepAboveOwner& operator=(const KeepAboveOwner&) = delete;
    struct State;

private:
    State* state_;
};

} // namespace ui
