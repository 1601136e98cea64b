#include "browser/ScreenWindows.h"

#include <wx/bookctrl.h>
#include <wx/toplevel.h>
#include <wx/utils.h>
#include <wx/window.h>

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <X11/Xlib.h>

#include <map>

namespace {

// The child of the root that holds the window: the window manager's frame around a top-level,
// or the top-level itself without a window manager. 0 when the window is gone.
Window RootChildOf(Display* display, Window window, Window root) {
    while (window) {
        Window r = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, window, &r, &parent, &children, &count))
            return 0;
        if (children)
            XFree(children);
        if (parent == root)
            return window;
        window = parent;
    }
    return 0;
}

// The deepest shown child of a top-level under the point; child top-levels (dialogs) are
// windows of their own on the screen and are not looked into. A book shows its current page
// only, whatever its other pages say of themselves.
wxWindow* DeepestChildAt(wxWindow* window, const wxPoint& screen) {
    auto* book = dynamic_cast<wxBookCtrlBase*>(window);
    wxWindow* page = book ? book->GetCurrentPage() : nullptr;
    const wxWindowList& children = window->GetChildren();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        wxWindow* child = *it;
        if ((book && child != page) || child->IsTopLevel() || !child->IsShown())
            continue;
        if (child->GetScreenRect().Contains(screen))
            return DeepestChildAt(child, screen);
    }
    return window;
}

} // namespace

wxWindow* WindowShownAt(const wxPoint& screen) {
    GdkDisplay* gdk = gdk_display_get_default();
    if (!gdk || !GDK_IS_X11_DISPLAY(gdk))
        return wxFindWindowAtPoint(screen);
    Display* display = GDK_DISPLAY_XDISPLAY(gdk);
    const Window root = DefaultRootWindow(display);
    // A window that goes away between the questions must not end the program.
    gdk_x11_display_error_trap_push(gdk);
    std::map<Window, wxWindow*> ours; // by the root child that holds each shown top-level
    for (wxWindow* top : wxTopLevelWindows) {
        GtkWidget* widget = top->IsShown() ? top->GetHandle() : nullptr;
        GdkWindow* window = widget ? gtk_widget_get_window(widget) : nullptr;
        if (window && GDK_IS_X11_WINDOW(window))
            if (const Window holder = RootChildOf(display, GDK_WINDOW_XID(window), root))
                ours[holder] = top;
    }
    wxWindow* found = nullptr;
    Window r = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, root, &r, &parent, &children, &count)) {
        // The root's children from the top of the stack down: the first one drawn at the point is
        // what the screen shows there.
        for (unsigned i = count; i-- > 0;) {
            XWindowAttributes a{};
            if (!XGetWindowAttributes(display, children[i], &a) || a.map_state != IsViewable ||
                a.c_class != InputOutput)
                continue;
            const wxRect area(a.x, a.y, a.width + 2 * a.border_width, a.height + 2 * a.border_width);
            if (!area.Contains(screen))
                continue;
            const auto it = ours.find(children[i]);
            if (it != ours.end())
                found = DeepestChildAt(it->second, screen);
            break;
        }
        if (children)
            XFree(children);
    }
    gdk_x11_display_error_trap_pop_ignored(gdk);
    return found;
}
