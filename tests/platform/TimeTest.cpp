#include "platform/Time.h"

#include <gtest/gtest.h>

#include <chrono>

TEST(Time, RealTickCountAdvancesWithSleep) {
    DWORD start = GetTickCount();
    auto t0 = std::chrono::steady_clock::now();
    Sleep(30);
    auto realMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0);
    EXPECT_GE(realMs.count(), 30);
    DWORD elapsed = TicksSince(start);
    EXPECT_GE(elapsed, 29u); // tick granularity may cut one millisecond
    EXPECT_LT(elapsed, 5000u);
    EXPECT_TRUE(IsTimeOver(start, 29));
    EXPECT_FALSE(IsTimeOver(GetTickCount(), 60000));
}

TEST(Time, TimeOverIsWrapSafe) {
    ScopedManualClock clock(0xFFFFFFF0u);
    DWORD start = GetTickCount();
    EXPECT_FALSE(IsTimeOver(start, 100));
    clock.Advance(0x20); // the counter wraps to 0x10
    EXPECT_EQ(GetTickCount(), 0x10u);
    EXPECT_EQ(TicksSince(start), 0x20u);
    EXPECT_FALSE(IsTimeOver(start, 0x21));
    EXPECT_TRUE(IsTimeOver(start, 0x20));
    EXPECT_TRUE(IsTimeOver(start, 0));
}

TEST(Time, ManualClockAdvancesOnSleepAndRestoresTheRealClock) {
    {
        ScopedManualClock clock(1000);
        EXPECT_EQ(GetTickCount(), 1000u);
        Sleep(250);
        Sleep(50);
        EXPECT_EQ(GetTickCount(), 1300u);
        EXPECT_EQ(clock.SleepCalls(), 2u);
        EXPECT_EQ(clock.SleptMs(), 300u);
        {
            ScopedManualClock inner(5);
            EXPECT_EQ(GetTickCount(), 5u);
        }
        EXPECT_EQ(GetTickCount(), 1300u);
    }
    // Back on the real clock: a real sleep takes real time.
    auto t0 = std::chrono::steady_clock::now();
    Sleep(20);
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(20));
}

TEST(Time, InstalledHooksWithAnEmptyMemberKeepTheRealOne) {
    unsigned sleeps = 0;
    ClockHooks previous = InstallClock(ClockHooks{nullptr, [&](DWORD) { ++sleeps; }});
    DWORD a = GetTickCount();
    Sleep(100000); // goes to the hook, returns at once
    EXPECT_EQ(sleeps, 1u);
    EXPECT_LT(TicksSince(a), 1000u);
    InstallClock(previous);
}
