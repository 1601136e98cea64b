// Window timers by id, the live-frame ticker and the wait cursor.
#pragma once

#include "platform/WinTypes.h"

#include <wx/timer.h>
#include <wx/utils.h>

#include <functional>
#include <map>
#include <memory>

class wxEventLoopBase;

namespace ui {

class MessageTarget;

// The timers of one window. A timer that fires delivers WM_TIMER (wParam = its id) to the
// window's message table, or calls the function it was set with. Setting an id again restarts
// it with the new period; the timers end with the object.
class WindowTimers {
public:
    explicit WindowTimers(MessageTarget* owner = nullptr);
    ~WindowTimers();
    WindowTimers(const WindowTimers&) = delete;
    WindowTimers& operator=(const WindowTimers&) = delete;

    // Returns the id, 0 when ms is 0.
    UINT SetTimer(UINT id, UINT ms, std::function<void(UINT)> fn = {});
    BOOL KillTimer(UINT id);
    bool IsRunning(UINT id) const;

private:
    class Timer;
    MessageTarget* owner_;
    std::map<UINT, std::unique_ptr<Timer>> timers_;
};

// Calls a function every interval while the event loop it was started in is the one running:
// ticks are skipped inside nested loops (modal dialogs, message boxes) and yields, and a tick never starts
// while the previous one still runs.
class LiveTicker : public wxTimer {
public:
    explicit LiveTicker(std::function<void()> tick) : tick_(std::move(tick)) {}
    bool StartTicking(int intervalMs);
    void StopTicking() { Stop(); }
    void Notify() override;
    long Ticks() const { return ticks_; }
    long Skipped() const { return skipped_; }

private:
    std::function<void()> tick_;
    wxEventLoopBase* home_ = nullptr;
    bool inTick_ = false;
    long ticks_ = 0;
    long skipped_ = 0;
};

// The wait cursor for the life of the object (nests).
using WaitCursor = wxBusyCursor;

} // namespace ui
