#include "platform/Time.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

namespace {
DWORD realTick() {
    using namespace std::chrono;
    auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<DWORD>(static_cast<unsigned long long>(ms));
}

void realSleep(DWORD ms) {
    if (ms == INFINITE) {
        // A sleep without end: the thread only ever wakes to sleep again.
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(24));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::mutex& hooksMutex() {
    static std::mutex m;
    return m;
}

// Replaced as a whole, so a caller that copied the pointer keeps a consistent pair.
std::shared_ptr<const ClockHooks>& current() {
    static std::shared_ptr<const ClockHooks> hooks = std::make_shared<const ClockHooks>(RealClock());
    return hooks;
}

std::shared_ptr<const ClockHooks> snapshot() {
    std::lock_guard<std::mutex> g(hooksMutex());
    return current();
}
} // namespace

ClockHooks RealClock() {
    return ClockHooks{realTick, realSleep};
}

ClockHooks InstallClock(ClockHooks hooks) {
    if (!hooks.tick)
        hooks.tick = realTick;
    if (!hooks.sleep)
        hooks.sleep = realSleep;
    std::lock_guard<std::mutex> g(hooksMutex());
    ClockHooks previous = *current();
    current() = std::make_shared<const ClockHooks>(std::move(hooks));
    return previous;
}

DWORD GetTickCount() {
    return snapshot()->tick();
}

void Sleep(DWORD ms) {
    snapshot()->sleep(ms);
}

bool IsTimeOver(DWORD start, DWORD timeout) {
    return static_cast<DWORD>(GetTickCount() - start) >= timeout;
}

ScopedManualClock::ScopedManualClock(DWORD start) : now_(start) {
    previous_ = InstallClock(ClockHooks{[this] { return now_.load(); },
                                        [this](DWORD ms) {
                                            sleepCalls_.fetch_add(1);
                                            sleptMs_.fetch_add(ms);
                                            now_.fetch_add(ms);
                                        }});
}

ScopedManualClock::~ScopedManualClock() {
    InstallClock(std::move(previous_));
}
