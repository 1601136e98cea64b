// The status-polling wait of the colon-command drivers when the controller goes away in the
// middle of a move, and when it answers later than the reply time: the wait fails, promptly
// and without spinning, and never reports the end of a motion it could not see.
#include "EmulatorProcess.h"
#include "tests/support/ScratchFolder.h"

#include "devices/serial/Mmc2Ctrl.h"
#include "devices/serial/Msc2Ctrl.h"
#include "devices/serial/Pat001.h"
#include "devices/serial/QtCtrl.h"

#include <gtest/gtest.h>

#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// A driver behind the two calls the test makes: a long move of the focus axis, and the wait.
struct Driver {
    std::function<BOOL(int)> move;
    std::function<BOOL()> wait;
};

template <class Ctrl> Driver Make(std::function<BOOL(Ctrl&, int)> move) {
    auto ctrl = std::make_shared<Ctrl>();
    return {[ctrl, move](int target) { return move(*ctrl, target); }, [ctrl] { return ctrl->WaitStop(); }};
}

Driver DriverOf(const std::string& protocol) {
    if (protocol == "mmc2")
        return Make<CMmc2Ctrl>([](CMmc2Ctrl& c, int t) { return c.MoveAbs(2, 0, t); });
    if (protocol == "msc2")
        return Make<CMsc2Ctrl>([](CMsc2Ctrl& c, int t) { return c.MoveAbs(2, 0, t); });
    if (protocol == "qt")
        return Make<CQtCtrl>([](CQtCtrl& c, int t) { return c.MoveAbs(1, t, 0); });
    return Make<CPAT_001>([](CPAT_001& c, int t) { return c.MoveAbs(t); });
}

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double SecondsSince(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

class LostController : public ::testing::TestWithParam<const char*> {
protected:
    // Starts the emulator program and points COM1 at its terminal.
    std::unique_ptr<EmulatorProcess> Start(const std::vector<std::string>& args) {
        auto emu = std::make_unique<EmulatorProcess>(GetParam(), dir / "drive", args);
        const std::string path = emu->FirstLine(10000);
        EXPECT_FALSE(path.empty());
        setenv("VANTOREL_COM1", path.c_str(), 1);
        return emu;
    }
    ScratchFolder dir{"vt-lost"};
};

TEST_P(LostController, AControllerKilledMidMoveEndsTheWaitAtOnceWithoutSpinning) {
    auto emu = Start({"--speed-scale", "0.05"}); // 250 pulses a second: the move lasts minutes
    Driver driver = DriverOf(GetParam());
    ASSERT_TRUE(driver.move(100000));
    Clock::time_point killed{};
    std::thread killer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        killed = Clock::now();
        emu->Kill();
    });
    const double cpu = ThreadCpuSeconds();
    const BOOL ok = driver.wait();
    const double spent = ThreadCpuSeconds() - cpu;
    const Clock::time_point returned = Clock::now();
    killer.join();
    const double afterKill = std::chrono::duration<double>(returned - killed).count();
    std::printf("%s killed mid-move: the wait %s %.3f s after the kill, %.3f s of CPU\n", GetParam(),
                ok ? "succeeded" : "failed", afterKill, spent);
    EXPECT_FALSE(ok);
    EXPECT_LT(afterKill, 1.0);
    EXPECT_LT(spent, 0.2);
}

TEST_P(LostController, AControllerThatAnswersLateFailsTheWait) {
    // Every reply 4 s after its query, past the 3 s reply time; the short move is over long
    // before, so a late answer taken for the next query's would report the end of the motion.
    auto emu = Start({"--speed-scale", "4", "--reply-delay-ms", "4000"});
    Driver driver = DriverOf(GetParam());
    ASSERT_TRUE(driver.move(200));
    const Clock::time_point start = Clock::now();
    const double cpu = ThreadCpuSeconds();
    const BOOL ok = driver.wait();
    const double spent = ThreadCpuSeconds() - cpu;
    const double took = SecondsSince(start);
    std::printf("%s answering 4 s late: the wait %s after %.3f s, %.3f s of CPU\n", GetParam(),
                ok ? "succeeded" : "failed", took, spent);
    EXPECT_FALSE(ok);
    EXPECT_LT(took, 10.0);
    EXPECT_LT(spent, 0.5);
}

INSTANTIATE_TEST_SUITE_P(ColonDrivers, LostController, ::testing::Values("mmc2", "msc2", "qt", "pat001"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

} // namespace
