// Shared pieces of the driver tests: a clock that can jump ahead, abort keys that the test
// presses, and an emulator served on the pseudo terminal that COM1 names.
#pragma once

#include "devices/serial/AbortKeys.h"
#include "platform/Time.h"
#include "tools/emulators/Emulators.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// The real clock plus an offset. Pauses of 100 ms and more only move the offset, so the 150 ms
// and 10 s pauses of the drivers cost nothing; Jump and JumpAfter make a 30 s limit pass at once.
class TestClock {
public:
    TestClock();
    ~TestClock();
    void Jump(DWORD ms) { offset_ += ms; }
    // Jumps `ms` ahead after `realMs` real milliseconds (from a helper thread).
    void JumpAfter(int realMs, DWORD ms);
    // Jumps `ms` ahead as soon as the emulator has received `count` commands in total.
    void JumpWhenCommands(const ControllerEmulator& emulator, size_t count, DWORD ms);
    // While on, the clock runs a hundred times faster than real time: every reply limit passes
    // within tens of milliseconds, while a reply that comes at once still comes in time.
    void RunFast(bool on);
    // From now on the clock runs `factor` times faster than real time, and every pause lasts a
    // `factor`th of its time: the program's limits shrink in proportion to the real time of the
    // emulators, whatever the load on the machine. Call it once, before the rest of the test.
    void RunScaled(unsigned factor);

private:
    ClockHooks real_;
    std::atomic<unsigned> scale_{1};
    std::atomic<DWORD> scaledSince_{0};
    std::atomic<DWORD> offset_{0};
    std::atomic<bool> fast_{false};
    std::atomic<bool> alive_{true};
    ClockHooks previous_;
    std::vector<std::thread> threads_;
};

// Esc and the right button as latches: a press is reported once, by the next sample.
class TestAbortKeys {
public:
    TestAbortKeys();
    ~TestAbortKeys();
    void Press(int vk);
    void PressAfter(int realMs, int vk);
    int Samples() const { return samples_; }

private:
    std::atomic<bool> esc_{false};
    std::atomic<bool> right_{false};
    std::atomic<int> samples_{0};
    AbortKeySource previous_;
    std::vector<std::thread> threads_;
};

// Options for emulators in tests: fast axes, no position file unless asked.
EmulatorOptions FastOptions(double speedScale = 4.0);

// Starts an emulator and points COM1 (port index 0) at it.
template <class E>
std::unique_ptr<E> StartOnCom1(std::unique_ptr<E> emulator) {
    EXPECT_TRUE(emulator->Start());
    setenv("VANTOREL_COM1", emulator->SlavePath().c_str(), 1);
    return emulator;
}

// Waits for `expected` command lines, lets any extra bytes arrive, and returns every byte
// received.
std::string Wire(const ControllerEmulator& emulator, size_t expected);
// The concatenation of lines.
std::string Lines(const std::vector<std::string>& lines);
// True when `line` is among the commands received (waits up to a second for it).
bool Heard(const ControllerEmulator& emulator, const std::string& line);
// The last command line received, once no more arrive (waits up to a second for `expected`).
std::string LastCommand(const ControllerEmulator& emulator, const std::string& expected);
// Waits until no byte has arrived for 20 ms.
void Settle(const ControllerEmulator& emulator);
// The number of times `line` was received.
size_t CountOf(const ControllerEmulator& emulator, const std::string& line);
