// A window manager (openbox) on the test's own X server while the object lives, as a user's
// desktop has one: it frames the windows, places them and reports their frames in
// _NET_FRAME_EXTENTS.
#pragma once

#include <wx/gdicmn.h>

#include <sys/types.h>

namespace ui::testing {

class WindowManager {
public:
    // Starts openbox and waits until it manages the screen.
    WindowManager();
    ~WindowManager();
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;
    // Whether it runs and manages the screen.
    bool Started() const { return pid_ > 0; }
    // Puts a panel along the bottom edge of the first monitor, `height` pixels high, that the
    // window manager keeps windows clear of, as a desktop's task bar; it stays while the object
    // lives. Gives the work area once the toolkit reports it, an empty one when it did not.
    wxRect PanelAlongTheBottom(int height);

private:
    pid_t pid_ = -1;
    unsigned long panel_ = 0;
};

} // namespace ui::testing
