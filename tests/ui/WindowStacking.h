// The stacking of the program's top-level windows as the X server has it, with or without a
// window manager: a window's place is that of its frame (its ancestor just below the root)
// among the root's children, bottom first.
#pragma once

#include "ui/testing/GuiTest.h"

#include <wx/display.h>
#include <wx/gdicmn.h>
#include <wx/window.h>

// Before Xlib, whose macros (None, Bool, ...) it must not meet.
#include <gtest/gtest.h>

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace stacking {

inline Display* XDisplay() {
    return GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
}

inline Window XidOf(GtkWidget* w) {
    GdkWindow* gdk = w ? gtk_widget_get_window(w) : nullptr;
    return gdk ? GDK_WINDOW_XID(gdk) : 0;
}

inline Window XidOf(wxWindow* w) {
    return XidOf(w ? w->GetHandle() : nullptr);
}

// The window's frame: itself without a window manager.
inline Window FrameOf(Window w) {
    Display* d = XDisplay();
    for (;;) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!w || !XQueryTree(d, w, &root, &parent, &children, &count))
            return 0;
        if (children)
            XFree(children);
        if (parent == root)
            return w;
        w = parent;
    }
}

// The place of the window's frame among the root's children, -1 when it has none.
inline int StackIndex(Window w) {
    Display* d = XDisplay();
    const Window frame = FrameOf(w);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!frame || !XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count))
        return -1;
    int index = -1;
    for (unsigned i = 0; i < count; ++i)
        if (children[i] == frame)
            index = static_cast<int>(i);
    if (children)
        XFree(children);
    return index;
}

inline bool IsAbove(Window upper, Window lower) {
    const int u = StackIndex(upper), l = StackIndex(lower);
    return u >= 0 && l >= 0 && u > l;
}

inline bool IsAbove(wxWindow* upper, wxWindow* lower) {
    return IsAbove(XidOf(upper), XidOf(lower));
}

// The window the server notes `w` as transient for, 0 for none.
inline Window TransientFor(wxWindow* w) {
    Window owner = 0;
    if (!XGetTransientForHint(XDisplay(), XidOf(w), &owner))
        return 0;
    return owner;
}

// Raises the window as another client would: a request to the server (to the window manager
// when there is one), done by the server when this returns.
inline void RaiseThroughServer(wxWindow* w) {
    XRaiseWindow(XDisplay(), XidOf(w));
    XSync(XDisplay(), False);
}

// The window's rectangle on the screen with the frame the window manager puts around it.
inline wxRect FrameRect(Window w) {
    Display* d = XDisplay();
    const Window frame = FrameOf(w);
    XWindowAttributes a{};
    if (!frame || !XGetWindowAttributes(d, frame, &a))
        return wxRect();
    return wxRect(a.x, a.y, a.width + 2 * a.border_width, a.height + 2 * a.border_width);
}

inline wxRect FrameRect(wxWindow* w) {
    return FrameRect(XidOf(w));
}

// Says, as a window manager with a panel does, that windows keep inside `area` of the screen
// (the EWMH work area, with the check window that tells a manager supports it); Withdraw takes
// it back. The toolkit looks for such a manager at most every 15 seconds. Under a real window
// manager nothing is announced: its own work area holds (Area tells which one is in force).
class AnnouncedWorkArea {
public:
    explicit AnnouncedWorkArea(const wxRect& area) : area_(area) {
        Display* d = XDisplay();
        const Window root = DefaultRootWindow(d);
        const Atom checkAtom = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False);
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d, root, checkAtom, 0, 1, False, XA_WINDOW, &type, &format, &items, &after,
                               &data) == Success &&
            data) {
            XFree(data);
            if (items > 0) {
                area_ = wxRect();
                return;
            }
        }
        check_ = XCreateSimpleWindow(d, root, -10, -10, 1, 1, 0, 0, 0);
        XChangeProperty(d, check_, checkAtom, XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&check_), 1);
        XChangeProperty(d, root, checkAtom, XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&check_), 1);
        const Atom workArea = XInternAtom(d, "_NET_WORKAREA", False);
        XChangeProperty(d, root, XInternAtom(d, "_NET_SUPPORTED", False), XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&workArea), 1);
        const long value[4] = {area.x, area.y, area.width, area.height};
        XChangeProperty(d, root, workArea, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(value), 4);
        XSync(d, False);
    }
    ~AnnouncedWorkArea() {
        if (!check_)
            return;
        Display* d = XDisplay();
        const Window root = DefaultRootWindow(d);
        for (const char* name : {"_NET_SUPPORTING_WM_CHECK", "_NET_SUPPORTED", "_NET_WORKAREA"})
            XDeleteProperty(d, root, XInternAtom(d, name, False));
        XDestroyWindow(d, check_);
        XSync(d, False);
    }
    AnnouncedWorkArea(const AnnouncedWorkArea&) = delete;
    AnnouncedWorkArea& operator=(const AnnouncedWorkArea&) = delete;
    // The work area of the first monitor once the toolkit has taken it; empty when it did not
    // in 30 seconds.
    wxRect Area() const {
        if (area_.IsEmpty())
            return wxDisplay(0u).GetClientArea();
        const bool taken =
            ui::testing::PumpUntil([&] { return wxDisplay(0u).GetClientArea() == area_; }, 30000);
        return taken ? area_ : wxRect();
    }

private:
    wxRect area_;
    Window check_ = 0;
};

// The first monitor without a panel of `panelHeight` pixels along its bottom edge.
inline wxRect ScreenAbovePanel(int panelHeight) {
    const wxRect screen = wxDisplay(0u).GetGeometry();
    return wxRect(screen.x, screen.y, screen.width, screen.height - panelHeight);
}

// Gives the top-level window `size` at x, just above the bottom of `area`; true once the server
// shows its frame inside there.
inline bool PutAtBottomOf(wxWindow* w, const wxRect& area, int x, const wxSize& size) {
    w->SetSize(wxRect(wxPoint(x, area.GetBottom() - size.y), size));
    return ui::testing::PumpUntil([&] { return FrameRect(w).GetBottom() <= area.GetBottom(); });
}

} // namespace stacking
