#include "platform/Sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

using namespace std::chrono;

TEST(Sync, CriticalSectionIsRecursiveAndExcludesOtherThreads) {
    CCriticalSection cs;
    ASSERT_TRUE(cs.Lock());
    ASSERT_TRUE(cs.Lock()); // same thread again
    EXPECT_TRUE(cs.IsHeldByCurrentThread());

    std::atomic<int> gotIt{-1};
    auto tryOther = [&] {
        std::thread t([&] {
            gotIt = cs.Lock(20) ? 1 : 0;
            if (gotIt)
                cs.Unlock();
        });
        t.join();
    };
    tryOther();
    EXPECT_EQ(gotIt, 0);
    cs.Unlock(); // still held once
    tryOther();
    EXPECT_EQ(gotIt, 0);
    cs.Unlock();
    EXPECT_FALSE(cs.IsHeldByCurrentThread());
    tryOther();
    EXPECT_EQ(gotIt, 1);
    EXPECT_FALSE(cs.Unlock()); // not held: refused, not undefined
}

TEST(Sync, SingleLockSerialisesCounterUpdates) {
    CCriticalSection cs;
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                CSingleLock lock(&cs, TRUE);
                CSingleLock again(&cs, TRUE); // nested scope on the same section
                ++counter;
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(counter, 80000);

    CSingleLock lock(&cs);
    EXPECT_FALSE(lock.IsLocked());
    EXPECT_TRUE(lock.Lock());
    EXPECT_TRUE(lock.IsLocked());
    EXPECT_TRUE(lock.Unlock());
    EXPECT_FALSE(lock.Unlock());
    EXPECT_FALSE(cs.IsHeldByCurrentThread());
}

TEST(Sync, AutoResetEventReleasesOneWaitAndTimesOut) {
    CEvent e; // auto-reset, not signalled
    EXPECT_EQ(e.Wait(0), WAIT_TIMEOUT);
    auto t0 = steady_clock::now();
    EXPECT_EQ(e.Wait(40), WAIT_TIMEOUT);
    EXPECT_GE(steady_clock::now() - t0, milliseconds(40));

    e.SetEvent();
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
    EXPECT_EQ(e.Wait(0), WAIT_TIMEOUT); // the wait took the signal

    CEvent initially(TRUE);
    EXPECT_EQ(initially.Wait(0), WAIT_OBJECT_0);
    EXPECT_EQ(initially.Wait(0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(static_cast<CEvent*>(nullptr), 0), WAIT_FAILED);
}

TEST(Sync, ManualResetEventStaysSignalledUntilReset) {
    CEvent e(FALSE, TRUE);
    EXPECT_TRUE(e.IsManualReset());
    e.SetEvent();
    EXPECT_EQ(e.Wait(0), WAIT_OBJECT_0);
    EXPECT_EQ(e.Wait(10), WAIT_OBJECT_0);
    e.ResetEvent();
    EXPECT_EQ(e.Wait(0), WAIT_TIMEOUT);
}

TEST(Sync, SetEventWakesWaitersOnOtherThreads) {
    CEvent manual(FALSE, TRUE);
    std::atomic<int> woken{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i)
        waiters.emplace_back([&] {
            if (manual.Wait(INFINITE) == WAIT_OBJECT_0)
                ++woken;
        });
    std::this_thread::sleep_for(milliseconds(20));
    manual.SetEvent();
    for (auto& t : waiters)
        t.join();
    EXPECT_EQ(woken, 3);

    // An auto-reset event set twice releases two of three waiters; the third times out.
    CEvent autoEv;
    std::atomic<int> released{0}, timedOut{0};
    waiters.clear();
    for (int i = 0; i < 3; ++i)
        waiters.emplace_back([&] { (autoEv.Wait(1000) == WAIT_OBJECT_0 ? released : timedOut)++; });
    std::this_thread::sleep_for(milliseconds(30));
    autoEv.SetEvent();
    // Set again only once the first signal was taken, so that the two cannot merge into one.
    for (int i = 0; i < 200 && released == 0; ++i)
        std::this_thread::sleep_for(milliseconds(1));
    autoEv.SetEvent();
    for (auto& t : waiters)
        t.join();
    EXPECT_EQ(released, 2);
    EXPECT_EQ(timedOut, 1);
}

TEST(Sync, SingleLockOnAnEventWaitsForIt) {
    CEvent e(FALSE, TRUE);
    {
        CSingleLock lock(&e);
        EXPECT_FALSE(lock.Lock(10));
    }
    e.SetEvent();
    CSingleLock lock(&e, TRUE);
    EXPECT_TRUE(lock.IsLocked());
}
