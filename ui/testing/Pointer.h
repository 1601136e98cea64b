// The real pointer of the X server in window tests: presses, drags and releases go through the
// server (wxUIActionSimulator, XTest under Xvfb), so they meet the pointer grabs GTK and the
// windows take, as the user's hand would. The pointer is one per server: the tests that use it
// are named *PointerGuiTest.cpp, and vt_tests runs them one at a time, each on a server of its
// own (see UiTestMain.cpp).
//
// Each step waits until the server has done it and this program has handled what it caused;
// a step that cannot be done in time fails with what stood in the way.
#pragma once

#include <wx/window.h>

#include <gtest/gtest.h>

#include <functional>

namespace ui::testing {

// Moves the pointer to a client point of the window. Fails when another window covers the
// point (the window's top-level is raised first) or the pointer did not get there.
::testing::AssertionResult PointerTo(wxWindow* window, wxPoint at);
// The left button down or up where the pointer is.
::testing::AssertionResult PointerPress();
::testing::AssertionResult PointerRelease();

// Presses at `from` in the window, moves in steps to `to` with the button held, runs whileHeld
// (when given) and releases there.
::testing::AssertionResult Drag(wxWindow* window, wxPoint from, wxPoint to,
                                const std::function<void()>& whileHeld = {});
// A click of the left button at a point of the screen over the window (its top-level raised
// first when another window covers it).
::testing::AssertionResult ClickOnScreen(wxWindow* window, wxPoint at);
// A click on a spin button's plus (direction > 0) or minus. GTK draws the button's (hidden) entry,
// its minus and its plus side by side. Press and release go to the server together, so that no
// pause between them lets the button repeat its step.
::testing::AssertionResult ClickSpinButton(wxWindow* spin, int direction);
// Clicks a small window of its own beside `near`'s top-level window and checks that this
// window received the click: no window holds the pointer any more.
::testing::AssertionResult ClickElsewhereIsReceived(wxWindow* near);
// Another window of the program takes the pointer as a menu or another program does (a grab of
// the X server's pointer behind the back of the window layer), and gives it up again: a window
// that holds the capture loses it.
::testing::AssertionResult GrabPointerElsewhere(wxWindow* other);
void UngrabPointer();
// Drag, then ClickElsewhereIsReceived: what each capturing window's test does in one line.
::testing::AssertionResult DragThenClickElsewhere(wxWindow* window, wxPoint from, wxPoint to,
                                                  const std::function<void()>& whileHeld = {});

} // namespace ui::testing
