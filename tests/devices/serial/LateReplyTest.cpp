// Every driver against a controller that answers later than the reply time: once one query has
// gone unanswered, its late answer is never taken for the answer to a later query. A wait for
// the end of a move fails or ends at the target, never earlier; a position read fails. Nor is a
// reply that was waiting on a held connection before a query taken for its answer.
#include "EmulatorHarness.h"

#include "devices/serial/HiroxCT7Ctrl.h"
#include "devices/serial/MIICtrl.h"
#include "devices/serial/Pat001.h"
#include "devices/serial/XyTblCtrl.h"

#include <chrono>
#include <functional>
#include <memory>

namespace {

constexpr int kTarget = 2000;
// The program's clock runs four times faster than real time, so its 3 s reply time lasts 0.75 s
// of the emulator's time. A reply 1 s after its query (4 s on the program's clock) comes after
// its query has failed and the next operations have begun, and well within one further reply
// time after the failure.
constexpr unsigned kClockFactor = 4;
constexpr unsigned kLateMs = 1000;
// About 500 pulses a second (200 on the SZX): the move takes seconds of real time.
constexpr double kSpeedScale = 0.1;
constexpr int kFastBaud = 12; // 115200: the replies' time on the line is short

// The calls the test makes, on the focus axis of one driver.
struct Drive {
    std::function<BOOL(int*)> position;
    std::function<BOOL(int)> move;
    std::function<BOOL()> wait;
};

const char* ProtocolOf(int type) {
    static const char* names[] = {"",   "mmc2", "msc2", "mfs", "szx",   "stm6",
                                  "qt", "qt",   "ct7",  "mii", "pat001"};
    return names[type];
}

// Type 10 is the PAT-001 controller, which no controller type selects. The connection is set
// to 115200 and the move speeds to about 500 pulses a second, while the controller answers in
// time.
Drive Prepare(int type) {
    if (type == 10) {
        auto ctrl = std::make_shared<CPAT_001>();
        EXPECT_TRUE(ctrl->Open(0, kFastBaud, 1, 0, 0, 0));
        ctrl->Close();
        return {[ctrl](int* p) { return ctrl->GetPosition(p); }, [ctrl](int t) { return ctrl->MoveAbs(t); },
                [ctrl] { return ctrl->WaitStop(); }};
    }
    auto xy = std::make_shared<CXyTblCtrl>();
    xy->SetType(type);
    EXPECT_TRUE(xy->Open(0, kFastBaud, 1, 0, 0, 0));
    xy->Close();
    if (type == 5) {
        EXPECT_TRUE(xy->SetSpeed(2, 0, 5, 100)); // 5 x 1000 pulses a second before the scale
    } else if (type == 4) {
        EXPECT_TRUE(xy->SetSZXSpeedMode(1));
    } else if (type != 3) {
        EXPECT_TRUE(xy->SetSpeed(2, 1000, 5000, 100));
    }
    return {[xy](int* p) {
                int unused = 0;
                return xy->GetPosition(&unused, p);
            },
            [xy](int t) { return xy->MoveAbs(2, 0, t); }, [xy] { return xy->WaitStop(); }};
}

class LateReply : public ::testing::TestWithParam<int> {};

TEST_P(LateReply, IsNeverTakenForTheAnswerToALaterQuery) {
    TestClock clock;
    auto emu = StartOnCom1(MakeEmulator(ProtocolOf(GetParam()), FastOptions(kSpeedScale)));
    Drive drive = Prepare(GetParam());
    int pos = 77;
    ASSERT_TRUE(drive.position(&pos));
    ASSERT_EQ(pos, 0);

    clock.RunScaled(kClockFactor);
    emu->SetReplyDelay(kLateMs);
    pos = 77;
    EXPECT_FALSE(drive.position(&pos)); // its reply comes after the reply time
    EXPECT_EQ(pos, 0);

    // Drives that read the position before a move send none; the others start it.
    drive.move(kTarget);
    const BOOL ended = drive.wait();
    const long atWaitEnd = emu->ProgramPosition();
    if (ended) {
        EXPECT_EQ(atWaitEnd, kTarget) << "the wait reported the end of the move short of its target";
    }

    // The wait that failed stopped the drive; a move that ran on ends at its target.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (emu->AxisMoving() && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_FALSE(emu->AxisMoving());
    pos = 77;
    EXPECT_FALSE(drive.position(&pos)) << "read " << pos << " with the drive at " << emu->ProgramPosition();
    EXPECT_EQ(pos, 0);
}

// A reply 4.8 s after its query (on the program's clock), past the reply time of its own read,
// comes while the next read gets the link back in step: it is discarded there, and that read
// takes the count the controller has now. One 7.6 s late comes after that: the next read fails
// or takes the count of now, never the one of then. The STM6 and SZX drivers read the position in
// a sequence of queries: there the reply with the count is the late one.
TEST_P(LateReply, TheReadAfterATimedOutOneNeverTakesItsAnswer) {
    TestClock clock;
    auto emu = StartOnCom1(MakeEmulator(ProtocolOf(GetParam()), FastOptions(kSpeedScale)));
    Drive drive = Prepare(GetParam());
    clock.RunScaled(kClockFactor);
    long count = 300;
    const char* counted = GetParam() == 5 ? "0 READ:" : (GetParam() == 4 ? "1FCPOS" : "");
    for (unsigned lateMs : {4800u, 7600u}) {
        emu->SetProgramPosition(count);
        emu->SetReplyDelay(lateMs / kClockFactor, counted);
        int pos = 77;
        EXPECT_FALSE(drive.position(&pos));
        emu->SetReplyDelay(0);
        emu->SetProgramPosition(count + 100);
        pos = 77;
        const BOOL ok = drive.position(&pos);
        EXPECT_FALSE(ok && pos == count) << "the late answer was taken, " << lateMs << " ms";
        if (lateMs < 2 * kReplyTimeoutMs) {
            EXPECT_TRUE(ok) << "not back in step after a reply " << lateMs << " ms late";
            EXPECT_EQ(pos, count + 100);
        }
        count += 1000;
    }
}

// A third of the replies late by 3.5 to 9 s, in order: eight moves with their waits and reads,
// and none reports a success that the emulator contradicts. Without late replies all succeed.
TEST_P(LateReply, AShareOfLateRepliesBringsNoFalseSuccess) {
    TestClock clock;
    auto emu = StartOnCom1(MakeEmulator(ProtocolOf(GetParam()), FastOptions(kSpeedScale * 4)));
    Drive drive = Prepare(GetParam());
    clock.RunScaled(kClockFactor);
    for (bool late : {false, true}) {
        if (late)
            emu->SetLateReplies(0.35, 3500 / kClockFactor, 9000 / kClockFactor, 7);
        for (int i = 0; i < 8; ++i) {
            const int target = (i % 2 ? -1 : 1) * (200 + 150 * i);
            const BOOL moved = drive.move(target);
            const BOOL ended = drive.wait();
            const long atEnd = emu->ProgramPosition();
            if (ended) {
                EXPECT_NEAR(atEnd, target, GetParam() == 5 ? 1 : 0) << "move " << i << ": a false end";
            }
            const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(15);
            while (emu->AxisMoving() && std::chrono::steady_clock::now() < limit)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            int pos = 0;
            const BOOL read = drive.position(&pos);
            if (read) {
                EXPECT_EQ(pos, emu->ProgramPosition()) << "move " << i << ": a stale read";
            }
            if (!late) {
                EXPECT_TRUE(moved && ended && read) << "move " << i << " without late replies";
            }
        }
    }
}

// The status-polling waits: one status that comes past the reply time does not end the wait;
// the next query waits for it, the wait goes on and ends at the target.
class LateStatus : public ::testing::TestWithParam<int> {};

TEST_P(LateStatus, DoesNotEndTheWaitThatThenEndsAtTheTarget) {
    TestClock clock;
    auto emu = StartOnCom1(MakeEmulator(ProtocolOf(GetParam()), FastOptions(kSpeedScale * 4)));
    Drive drive = Prepare(GetParam());
    clock.RunScaled(kClockFactor);
    ASSERT_TRUE(drive.move(kTarget));
    emu->SetReplyDelay(kLateMs); // the wait's first status, 4 s on the program's clock
    std::thread inTime([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        emu->SetReplyDelay(0);
    });
    const BOOL ended = drive.wait();
    inTime.join();
    EXPECT_TRUE(ended);
    EXPECT_EQ(emu->ProgramPosition(), kTarget);
}

INSTANTIATE_TEST_SUITE_P(StatusPolling, LateStatus, ::testing::Values(1, 2, 6, 7, 10),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "Type" + std::to_string(info.param) + "_" + ProtocolOf(info.param);
                         });

// Sends `query` on the held connection of `port` and waits until its reply of `length` bytes has
// come, without reading it.
void LeaveReplyPending(CSerialPort& port, const char* query, DWORD length) {
    ASSERT_GT(port.Write(query), 0);
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    COMSTAT status;
    do {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        port.ClearError(&status);
    } while (status.cbInQue < length && std::chrono::steady_clock::now() < limit);
    ASSERT_GE(status.cbInQue, length);
}

TEST(PendingReply, IsNotTakenForTheAnswerToTheNextQuery) {
    TestClock clock;
    {
        auto emu = StartOnCom1(std::make_unique<Ct7Emulator>(FastOptions()));
        CHiroxCT7Ctrl ctrl;
        ASSERT_TRUE(ctrl.Open(0, 6, 1, 0, 0, 0)); // the connection is held
        LeaveReplyPending(ctrl.Port(), "@POS 1 ?\r\n", 15);
        emu->SetControllerPosition(-500);
        int pos = 0;
        ASSERT_TRUE(ctrl.GetPosition(&pos));
        EXPECT_EQ(pos, 500);
        ctrl.Close(1);
    }
    {
        auto emu = StartOnCom1(std::make_unique<AbEmulator>(AbEmulator::Kind::MII, FastOptions()));
        CMIICtrl ctrl;
        ASSERT_TRUE(ctrl.Open(0, 6, 1, 0, 0, 0));
        LeaveReplyPending(ctrl.Port(), "Q:A0\r\n", 12);
        emu->SetAxisPosition(0, 321);
        int pos = 0, unused = 0;
        ASSERT_TRUE(ctrl.GetPosition(&pos, &unused));
        EXPECT_EQ(pos, 321);
        ctrl.Close(1);
    }
}

INSTANTIATE_TEST_SUITE_P(AllDrivers, LateReply, ::testing::Range(1, 11),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "Type" + std::to_string(info.param) + "_" + ProtocolOf(info.param);
                         });

} // namespace
