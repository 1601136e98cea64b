// Millisecond clock and sleep of the system. The tick count is a 32-bit millisecond counter that
// wraps after about 49.7 days; elapsed times are always computed by unsigned subtraction so that
// a wrap between start and now does not matter.
//
// The clock can be replaced (tests install a manual clock whose sleep advances its own time, so
// that waits of many seconds run at once). The real clock is the monotonic system clock.
#pragma once

#include "platform/WinTypes.h"

#include <atomic>
#include <functional>

constexpr DWORD INFINITE = 0xFFFFFFFFu;

// Milliseconds of the installed clock, as 32 bits.
DWORD GetTickCount();
// Pauses the calling thread for about ms milliseconds through the installed clock.
void Sleep(DWORD ms);
// True when at least timeout milliseconds have passed since start (a value of GetTickCount),
// also across a wrap of the counter.
bool IsTimeOver(DWORD start, DWORD timeout);
// Milliseconds from start to now in wrap-safe 32-bit arithmetic.
inline DWORD TicksSince(DWORD start) {
    return static_cast<DWORD>(GetTickCount() - start);
}

// The tick source and the sleep function in use.
struct ClockHooks {
    std::function<DWORD()> tick;
    std::function<void(DWORD)> sleep;
};

// The monotonic system clock and a real sleep.
ClockHooks RealClock();
// Installs hooks (an empty member falls back to the real one) and returns those that were in use.
ClockHooks InstallClock(ClockHooks hooks);

// A clock for tests: its time moves only when Sleep is called or Advance is used. It installs
// itself on construction and puts back the previous clock on destruction.
class ScopedManualClock {
public:
    explicit ScopedManualClock(DWORD start = 0);
    ~ScopedManualClock();
    ScopedManualClock(const ScopedManualClock&) = delete;
    ScopedManualClock& operator=(const ScopedManualClock&) = delete;

    DWORD Now() const { return now_.load(); }
    void Advance(DWORD ms) { now_.fetch_add(ms); }
    void Set(DWORD t) { now_.store(t); }
    // Number of Sleep calls and the milliseconds they asked for in total.
    unsigned SleepCalls() const { return sleepCalls_.load(); }
    unsigned long long SleptMs() const { return sleptMs_.load(); }

private:
    std::atomic<DWORD> now_;
    std::atomic<unsigned> sleepCalls_{0};
    std::atomic<unsigned long long> sleptMs_{0};
    ClockHooks previous_;
};
