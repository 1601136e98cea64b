// Helpers of the gui tests (linked through vt_tests(... GUI_MAIN ui_testing)). The main of
// ui_testing starts wx on an X display (xvfb-run), initialises the window layer with the
// Vantorel resources, makes every wx assertion a test failure and ends a test that runs longer
// than its time-out (VT_GUI_TEST_TIMEOUT seconds, default 60) with a failure report.
//
// A window test waits for what it checks, never for a time: a window shown and painted
// (WaitForPaint), a window gone (DestroyAndWait), a message delivered or a timer fired
// (PumpUntil with the condition). Nothing here sleeps, and no wait blocks past its deadline.
// Dialogs on the stack end with their scope; only windows made with new are Destroy()ed.
#pragma once

#include <wx/dialog.h>
#include <wx/menu.h>
#include <wx/toolbar.h>
#include <wx/window.h>

#include <functional>
#include <string>

namespace ui::testing {

// How long a wait lasts at most before it gives up (and the test fails on its result).
constexpr int kWaitMs = 10000;

// Runs what is pending now: ready native events, posted events, idle handlers (update-UI,
// windows waiting to be deleted) and queued private messages. Never blocks.
void ProcessPending();
// Processes events until pred is true or timeoutMs passed; the result is pred's last value.
// Between rounds it waits for the next event, at most until the deadline.
bool PumpUntil(const std::function<bool()>& pred, int timeoutMs = kWaitMs);

// Waits until the window is shown on the screen and its top-level window has been painted
// completely at least once after this call (layout done, every control drawn). False when that
// did not happen in time or the window is not shown.
bool WaitForPaint(wxWindow* window, int timeoutMs = kWaitMs);
// Destroys a window made with new and waits until it has been deleted (a top-level window is
// deleted in the idle time after Destroy). False when it is still there at the deadline.
bool DestroyAndWait(wxWindow* window, int timeoutMs = kWaitMs);

// The control with this id below root (root itself included), null when none.
wxWindow* FindById(wxWindow* root, int id);
template <class T> T* FindById(wxWindow* root, int id) {
    return dynamic_cast<T*>(FindById(root, id));
}

// Acts like the user: a click on a button, check box, toggle or radio button sends the event
// the control sends (and changes its state); typing replaces the text of an edit or combo box
// and sends the text event.
void Click(wxWindow* control);
// Sends a mouse event to the window as the pointer would: at a client point, with the left
// button's state and the Shift key as given.
void SendMouse(wxWindow* window, wxEventType type, wxPoint at, bool leftDown, bool shift = false);
void Type(wxWindow* control, const wxString& text);

// Runs action on the next modal dialog that opens, from the dialog's own loop, once the dialog
// is on the screen and painted. Call before the code that opens it; the action usually ends the
// dialog.
void WhenModal(std::function<void(wxDialog*)> action);

// The control that has the keyboard focus inside a top-level window, whether or not that window
// is the active one on the display (other tests' windows on the shared display may be); null
// when none of its controls has it.
wxWindow* FocusWithin(wxWindow* topLevel);

// Runs action on the next pop-up menu the window shows (while the menu is open), then closes the
// menu as Esc would. Call before the code that shows it.
void WhenPopupMenu(wxWindow* window, std::function<void(wxMenu*)> action);

// A button of a tool bar on the screen (its allocation on the display), empty when the bar does
// not show it. Clicks at its middle go to that button.
wxRect ToolScreenRect(wxToolBar* bar, int id);

// Saves the window (a top-level with its menu and bars) as the toolkit draws it to a PNG file,
// after waiting for its paint, whatever covers it on the screen; an OpenGL canvas inside stays
// empty. False (and a test failure) when it could not or the picture is blank.
bool Screenshot(wxWindow* window, const std::string& path);
// Saves the whole X screen with ImageMagick's import (as xvfb-run shows it), after every shown
// top-level window has been painted. False (and a test failure) when the picture is blank.
bool ScreenshotRoot(const std::string& path);

// The folder for files a test writes (under the build tree), created on demand.
std::string OutputFolder();

} // namespace ui::testing
