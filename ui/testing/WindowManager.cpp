#include "ui/testing/WindowManager.h"

#include "ui/testing/GuiTest.h"

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

WindowManager::~WindowManager() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
}

} // namespace ui::testing
