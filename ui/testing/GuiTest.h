// Helpers of the gui tests (linked through vt_tests(... GUI_MAIN ui_testing)). The main of
// ui_testing starts wx on an X display (xvfb-run), initialises the window layer with the
// Vantorel resources, makes every wx assertion a test failure and ends a test that runs longer
// than its time-out (VT_GUI_TEST_TIMEOUT seconds, default 60) with a failure report.
#pragma once

#include <wx/dialog.h>
#include <wx/window.h>

#include <chrono>
#include <functional>
#include <string>

namespace ui::testing {

// Runs pending events, posted events and idle handlers (update-UI) for about ms milliseconds.
void Pump(int ms = 50);
// Pumps until pred is true or timeoutMs passed; the result is pred's last value.
bool PumpUntil(const std::function<bool()>& pred, int timeoutMs = 5000);

// The control with this id below root (root itself included), null when none.
wxWindow* FindById(wxWindow* root, int id);
template <class T> T* FindById(wxWindow* root, int id) {
    return dynamic_cast<T*>(FindById(root, id));
}

// Acts like the user: a click on a button, check box, toggle or radio button sends the event
// the control sends (and changes its state); typing replaces the text of an edit or combo box
// and sends the text event.
void Click(wxWindow* control);
void Type(wxWindow* control, const wxString& text);

// Runs action on the next modal dialog that opens (from the dialog's own loop). Call before
// the code that opens it; the action usually ends the dialog.
void WhenModal(std::function<void(wxDialog*)> action);

// Saves the window's client area as it is drawn on the screen to a PNG file; false when it
// could not.
bool Screenshot(wxWindow* window, const std::string& path);
// Saves the whole X screen with ImageMagick's import (as xvfb-run shows it).
bool ScreenshotRoot(const std::string& path);

// The folder for files a test writes (under the build tree), created on demand.
std::string OutputFolder();

} // namespace ui::testing
