#include "platform/Thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>

using namespace std::chrono;

TEST(Thread, CreatedSuspendedRunsOnlyAfterResume) {
    std::atomic<int> ran{0};
    CWorkerThread t([&]() -> DWORD {
        ++ran;
        return 7;
    });
    std::this_thread::sleep_for(milliseconds(20));
    EXPECT_EQ(ran, 0);
    EXPECT_FALSE(t.IsStarted());
    EXPECT_FALSE(t.IsRunning());
    EXPECT_EQ(t.Wait(0), WAIT_TIMEOUT);
    EXPECT_EQ(t.GetExitCode(), STILL_ACTIVE);

    ASSERT_TRUE(t.Resume());
    EXPECT_FALSE(t.Resume()); // only once
    EXPECT_EQ(WaitForSingleObject(t, INFINITE), WAIT_OBJECT_0);
    EXPECT_FALSE(t.IsRunning());
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(t.GetExitCode(), 7u);
    t.Join();
    t.Join(); // harmless again
}

TEST(Thread, TimedWaitReportsWithoutAbandoning) {
    CEvent release(FALSE, TRUE);
    std::atomic<bool> finished{false};
    CWorkerThread t([&]() -> DWORD {
        release.Wait(INFINITE);
        finished = true;
        return 1;
    });
    t.Resume();
    auto t0 = steady_clock::now();
    EXPECT_EQ(t.Wait(30), WAIT_TIMEOUT);
    EXPECT_GE(steady_clock::now() - t0, milliseconds(30));
    EXPECT_TRUE(t.IsRunning());
    EXPECT_EQ(t.GetExitCode(), STILL_ACTIVE);
    release.SetEvent();
    EXPECT_EQ(t.Wait(5000), WAIT_OBJECT_0);
    EXPECT_TRUE(finished);
}

TEST(Thread, DestructorAlwaysJoins) {
    std::atomic<bool> finished{false};
    {
        CWorkerThread t([&]() -> DWORD {
            std::this_thread::sleep_for(milliseconds(50));
            finished = true;
            return 0;
        });
        t.Resume();
    } // no Join: the destructor waits
    EXPECT_TRUE(finished);

    // A thread that was never resumed does not run its function.
    std::atomic<bool> ran{false};
    {
        CWorkerThread never([&]() -> DWORD { return ran = true, 0; });
    }
    EXPECT_FALSE(ran);
}

namespace {
struct Block {
    int value;
    std::atomic<DWORD>* seenId;
};
UINT classicProc(LPVOID p) {
    std::unique_ptr<Block> b(static_cast<Block*>(p)); // the worker frees its argument block
    *b->seenId = GetCurrentThreadId();
    return static_cast<UINT>(b->value);
}
} // namespace

TEST(Thread, ClassicProcedureGetsItsArgumentAndReportsItsResultAndId) {
    std::atomic<DWORD> seen{0};
    CWorkerThread t(classicProc, new Block{-1, &seen});
    t.Resume();
    t.Join();
    EXPECT_EQ(t.GetExitCode(), static_cast<DWORD>(-1));
    EXPECT_NE(seen.load(), 0u);
    EXPECT_NE(seen.load(), GetCurrentThreadId());
    EXPECT_EQ(t.GetThreadId(), seen.load());
}

TEST(Thread, UiThreadIsTheOneThatSetItself) {
    SetUiThread();
    EXPECT_TRUE(IsUiThread());
    EXPECT_EQ(GetUiThreadId(), GetCurrentThreadId());
    std::atomic<int> onWorker{-1};
    CWorkerThread t([&]() -> DWORD { return onWorker = IsUiThread() ? 1 : 0, 0; });
    t.Resume();
    t.Join();
    EXPECT_EQ(onWorker, 0);
}

TEST(Thread, JoinFromSeveralThreadsReturnsOnlyAfterTheEnd) {
    CEvent release(FALSE, TRUE);
    std::atomic<bool> finished{false};
    CWorkerThread t([&]() -> DWORD {
        release.Wait(INFINITE);
        std::this_thread::sleep_for(milliseconds(10));
        finished = true;
        return 0;
    });
    t.Resume();
    std::atomic<int> sawUnfinished{0};
    std::thread a([&] {
        t.Join();
        if (!finished)
            ++sawUnfinished;
    });
    std::thread b([&] {
        t.Join();
        if (!finished)
            ++sawUnfinished;
    });
    std::this_thread::sleep_for(milliseconds(20));
    release.SetEvent();
    a.join();
    b.join();
    EXPECT_EQ(sawUnfinished, 0);
}
