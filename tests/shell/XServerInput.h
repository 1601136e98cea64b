// Pointer and key presses through the X server in the program's own windows: the presses are
// made once the pointer is over the target; an attempt whose presses went elsewhere is made
// again. OnTopOver tells whether another window covers a part of the screen.
#pragma once

#include "tests/ui/WindowStacking.h"
#include "ui/testing/GuiTest.h"
#include "ui/testing/Pointer.h"

#include <wx/toplevel.h>
#include <wx/uiaction.h>

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <X11/Xlib.h>

#include <functional>

namespace xinput {

// No mapped top-level window of the display above the target's meets the screen rectangle. The
// target's place among the root's children is that of its frame: under a window manager the
// window is a child of the frame the manager put around it.
inline bool OnTopOver(wxWindow* target, const wxRect& screen) {
    wxWindow* top = wxGetTopLevelParent(target);
    GdkWindow* gdk = top && top->GetHandle() ? gtk_widget_get_window(top->GetHandle()) : nullptr;
    if (!gdk)
        return false;
    Display* display = GDK_WINDOW_XDISPLAY(gdk);
    const Window own = stacking::FrameOf(GDK_WINDOW_XID(gdk));
    // The other windows of a shared display come and go while they are asked about: an error
    // for a window that has gone must not end the test.
    GdkDisplay* gdkDisplay = gdk_window_get_display(gdk);
    gdk_x11_display_error_trap_push(gdkDisplay);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        gdk_x11_display_error_trap_pop_ignored(gdkDisplay);
        return false;
    }
    bool seen = false, covered = false;
    for (unsigned i = 0; i < count && !covered; ++i) { // bottom to top
        if (children[i] == own) {
            seen = true;
            continue;
        }
        XWindowAttributes a;
        if (!seen || !XGetWindowAttributes(display, children[i], &a) || a.map_state != IsViewable)
            continue;
        covered = wxRect(a.x, a.y, a.width, a.height).Intersects(screen);
    }
    if (children)
        XFree(children);
    gdk_x11_display_error_trap_pop_ignored(gdkDisplay);
    return seen && !covered;
}

// Moves the pointer to the screen point over the target (raised when covered), runs the
// presses and waits for their effect; up to five attempts.
inline bool PressUntil(wxWindow* target, const wxPoint& screen,
                       const std::function<void(wxUIActionSimulator&)>& presses,
                       const std::function<bool()>& done) {
    wxUIActionSimulator sim;
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (!ui::testing::PointerTo(target, target->ScreenToClient(screen)))
            continue;
        presses(sim);
        if (ui::testing::PumpUntil(done, 3000))
            return true;
    }
    return false;
}

inline wxPoint Centre(wxWindow* w) {
    const wxRect r = w->GetScreenRect();
    return wxPoint(r.x + r.width / 2, r.y + r.height / 2);
}

} // namespace xinput
