// A window manager (openbox) on the test's own X server while the object lives, as a user's
// desktop has one: it frames the windows, places them and reports their frames in
// _NET_FRAME_EXTENTS.
#pragma once

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

private:
    pid_t pid_ = -1;
};

} // namespace ui::testing
