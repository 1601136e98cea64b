#include "ui/testing/WindowManager.h"

#include "ui/testing/GuiTest.h"

#include <wx/display.h>

#include <gdk/gdkx.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ui::testing {

WindowManager::WindowManager() {
    pid_ = ::fork();
    if (pid_ == 0) {
        ::execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    if (pid_ < 0)
        return;
    Display* d = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
    const Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False);
    const bool managing = PumpUntil([&] {
        if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return true; // gone: not started
        }
        Atom type = 0;
        int format = 0;
        unsigned long n = 0, left = 0;
        unsigned char* data = nullptr;
        const bool found = XGetWindowProperty(d, DefaultRootWindow(d), check, 0, 1, False, XA_WINDOW, &type,
                                              &format, &n, &left, &data) == Success &&
                           n == 1;
        if (data)
            XFree(data);
        return found;
    });
    if (!managing && pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
}

wxRect WindowManager::PanelAlongTheBottom(int height) {
    const wxRect screen = wxDisplay(0u).GetGeometry();
    const wxRect area(screen.x, screen.y, screen.width, screen.height - height);
    Display* d = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
    const Window root = DefaultRootWindow(d);
    const int screenHeight = DisplayHeight(d, DefaultScreen(d));
    panel_ = XCreateSimpleWindow(d, root, screen.x, screen.GetBottom() + 1 - height, screen.width, height, 0, 0,
                                 0x808080);
    const Atom dock = XInternAtom(d, "_NET_WM_WINDOW_TYPE_DOCK", False);
    XChangeProperty(d, panel_, XInternAtom(d, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&dock), 1);
    // left, right, top, bottom, then the start and end of each edge's stretch
    const long strut[12] = {0, 0, 0, screenHeight - (screen.GetBottom() + 1 - height), 0, 0, 0, 0, 0, 0,
                            screen.x, screen.GetRight()};
    XChangeProperty(d, panel_, XInternAtom(d, "_NET_WM_STRUT_PARTIAL", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(strut), 12);
    XChangeProperty(d, panel_, XInternAtom(d, "_NET_WM_STRUT", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(strut), 4);
    // A window manager that is still starting passes over a panel mapped then: it is mapped again
    // until the manager's work area leaves it out.
    const Atom workArea = XInternAtom(d, "_NET_WORKAREA", False);
    auto announced = [&] {
        Atom type = 0;
        int format = 0;
        unsigned long n = 0, left = 0;
        unsigned char* data = nullptr;
        const bool found = XGetWindowProperty(d, root, workArea, 0, 4, False, XA_CARDINAL, &type, &format, &n,
                                              &left, &data) == Success &&
                           n == 4 && reinterpret_cast<const long*>(data)[3] == area.height;
        if (data)
            XFree(data);
        return found;
    };
    bool taken = false;
    for (int attempt = 0; attempt < 10 && !taken; ++attempt) {
        XUnmapWindow(d, panel_);
        XMapWindow(d, panel_);
        XSync(d, False);
        taken = PumpUntil(announced, 1000);
    }
    return taken && PumpUntil([&] { return wxDisplay(0u).GetClientArea() == area; }, 30000) ? area : wxRect();
}

WindowManager::~WindowManager() {
    if (panel_) {
        Display* d = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
        XDestroyWindow(d, panel_);
        XSync(d, False);
    }
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
}

} // namespace ui::testing
