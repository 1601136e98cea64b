// The colon-command stage controllers against their emulators: the exact bytes of every
// command, the status replies, and the waits.
#include "EmulatorHarness.h"

#include "devices/serial/MIICtrl.h"
#include "devices/serial/Mmc2Ctrl.h"
#include "devices/serial/Msc2Ctrl.h"
#include "devices/serial/Pat001.h"
#include "devices/serial/QtCtrl.h"

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

class Mmc2Test : public ::testing::Test {
protected:
    void SetUp() override { emu = StartOnCom1(std::make_unique<Mmc2Emulator>(FastOptions())); }
    void TearDown() override { EXPECT_TRUE(emu->Rejected().empty()) << Lines(emu->Rejected()); }
    TestClock clock;
    std::unique_ptr<Mmc2Emulator> emu;
    CMmc2Ctrl ctrl;
};

TEST_F(Mmc2Test, MovesSendTheirExactCommands) {
    ASSERT_TRUE(ctrl.MoveAbs(2, 0, 1500));
    EXPECT_EQ(Wire(*emu, 1), "A:YP1500\r\n"); // no start command after an absolute move
    emu->ClearLog();
    ASSERT_TRUE(ctrl.MoveRel(2, 0, -300));
    EXPECT_EQ(Wire(*emu, 2), "M:YP-300\r\nG:\r\n");
    emu->ClearLog();
    ASSERT_TRUE(ctrl.MoveAbs(0, 10, -20));
    ASSERT_TRUE(ctrl.MoveAbs(1, 7, 99));
    ASSERT_TRUE(ctrl.MoveRel(0, 5, -6));
    ASSERT_TRUE(ctrl.MoveRel(1, -8, 99));
    EXPECT_EQ(Wire(*emu, 6), "A:WP10P-20\r\nA:XP7\r\nM:WP5P-6\r\nG:\r\nM:XP-8\r\nG:\r\n");
}

TEST_F(Mmc2Test, JogsSpeedsAndStop) {
    ASSERT_TRUE(ctrl.Jog(0, 0, 1));
    ASSERT_TRUE(ctrl.Jog(1, 1, -1));
    ASSERT_TRUE(ctrl.Jog(2, -1, 0));
    ASSERT_TRUE(ctrl.Stop());
    ASSERT_TRUE(ctrl.SetSpeed(0, 0, 70000, 9000));
    ASSERT_TRUE(ctrl.SetSpeed(1, 100, 2000, 50));
    ASSERT_TRUE(ctrl.SetSpeed(2, 60000, 0, 0));
    EXPECT_EQ(Wire(*emu, 10), "J:W+-\r\nG:\r\nJ:X-\r\nG:\r\nJ:Y+\r\nG:\r\nL:W\r\n"
                              "D:WP1P65000P8000\r\nD:XP100P2000P50\r\nD:YP50000P1P1\r\n");
    int low, high, rate;
    emu->Speed(1, &low, &high, &rate);
    EXPECT_EQ(low, 50000);
    EXPECT_EQ(high, 1);
}

TEST_F(Mmc2Test, BadAxesOrDirectionsSendNothing) {
    EXPECT_FALSE(ctrl.MoveAbs(3, 1, 2));
    EXPECT_FALSE(ctrl.MoveRel(-1, 1, 2));
    EXPECT_FALSE(ctrl.Jog(2, 0, 2));
    EXPECT_FALSE(ctrl.Jog(0, -1, 0));
    EXPECT_FALSE(ctrl.SetSpeed(5, 1, 2, 3));
    EXPECT_EQ(Wire(*emu, 0), "");
}

TEST_F(Mmc2Test, PositionFromTheStatusLine) {
    emu->SetAxisPosition(0, -4567);
    emu->SetAxisPosition(1, 123);
    int p1 = 9, p2 = 9;
    ASSERT_TRUE(ctrl.GetPosition(&p1, &p2));
    EXPECT_EQ(p1, -4567);
    EXPECT_EQ(p2, 123);
    EXPECT_EQ(Wire(*emu, 1), "Q:\r\n");

    emu->QueueReply("      123,      456,K,K,R\n"); // 26 characters
    EXPECT_FALSE(ctrl.GetPosition(&p1, &p2));
    EXPECT_EQ(p1, 0);
    EXPECT_EQ(p2, 0);
}

TEST(Mmc2Status, FieldsAreReadWithinTheirBounds) {
    ColonStatus s;
    ASSERT_TRUE(CMmc2Ctrl::ParseStatus("       12,     -345,K,K,R\r\n", s));
    EXPECT_EQ(s.pos1, 12);
    EXPECT_EQ(s.pos2, -345);
    EXPECT_TRUE(s.ready);
    // Digits that run on into the next field are not read past the field's end.
    ASSERT_TRUE(CMmc2Ctrl::ParseStatus("1234567891234567890,K,K,R\r\n", s));
    EXPECT_EQ(s.pos1, 1234567891);
    EXPECT_EQ(s.pos2, 234567890);
    EXPECT_FALSE(s.fault);
    EXPECT_TRUE(CMmc2Ctrl::ParseStatus("        0,        0,K,K,B\r\n", s));
    EXPECT_FALSE(s.ready);
    EXPECT_FALSE(s.fault);
    // At rest after a command error or at a limit: not busy, but not where it was sent.
    EXPECT_TRUE(CMmc2Ctrl::ParseStatus("        0,        0,X,K,R\r\n", s));
    EXPECT_TRUE(s.ready);
    EXPECT_TRUE(s.fault);
    EXPECT_TRUE(CMmc2Ctrl::ParseStatus("        0,        0,K,L,R\r\n", s));
    EXPECT_TRUE(s.ready);
    EXPECT_TRUE(s.fault);
    EXPECT_FALSE(CMmc2Ctrl::ParseStatus("        0,        0,K,K,R\r\r", s));
    EXPECT_FALSE(CMmc2Ctrl::ParseStatus("         ,        0,K,K,R\r\n", s));
}

TEST_F(Mmc2Test, WaitSeesMotionThenRest) {
    ASSERT_TRUE(ctrl.SetSpeed(2, 1000, 5000, 100));
    ASSERT_TRUE(ctrl.MoveAbs(2, 0, 1500));
    ASSERT_TRUE(ctrl.WaitStop());
    EXPECT_EQ(emu->AxisPosition(1), 1500);
    EXPECT_GE(CountOf(*emu, "Q:\r\n"), 2u); // busy at least once, then ready
    Settle(*emu);
    EXPECT_EQ(CountOf(*emu, "L:W\r\n"), 0u);
}

TEST_F(Mmc2Test, AStopAtALimitEndsTheWaitAtOnceAsAFailure) {
    emu->SetTravelLimits(-1000, 1000);
    ASSERT_TRUE(ctrl.MoveAbs(2, 0, 5000));
    auto start = Clock::now();
    EXPECT_FALSE(ctrl.WaitStop());
    EXPECT_LT(MsSince(start), 5000);
    EXPECT_EQ(emu->AxisPosition(1), 1000);
    Settle(*emu);
    EXPECT_EQ(CountOf(*emu, "L:W\r\n"), 0u); // already at rest: nothing to stop
    // A motion back inside the limits clears the flag and is waited for as usual.
    ASSERT_TRUE(ctrl.MoveAbs(2, 0, 500));
    EXPECT_TRUE(ctrl.WaitStop());
    EXPECT_EQ(emu->AxisPosition(1), 500);
}

TEST_F(Mmc2Test, WaitTimesOutAndStops) {
    emu->SetFailureMode(FailureMode::NeverStop);
    ASSERT_TRUE(ctrl.MoveRel(2, 0, 100));
    clock.JumpWhenCommands(*emu, 6, 31000);
    EXPECT_FALSE(ctrl.WaitStop());
    EXPECT_EQ(LastCommand(*emu, "L:W\r\n"), "L:W\r\n");
}

TEST_F(Mmc2Test, EscOrRightButtonEndsTheWait) {
    TestAbortKeys keys;
    emu->SetFailureMode(FailureMode::NeverStop);
    for (int vk : {VK_ESCAPE, VK_RBUTTON}) {
        emu->ClearLog();
        keys.PressAfter(80, vk);
        auto start = Clock::now();
        EXPECT_FALSE(ctrl.WaitStop());
        EXPECT_LT(MsSince(start), 5000);
        EXPECT_EQ(LastCommand(*emu, "L:W\r\n"), "L:W\r\n");
    }
}

TEST_F(Mmc2Test, PressesBeforeTheWaitAreDiscarded) {
    TestAbortKeys keys;
    keys.Press(VK_ESCAPE);
    keys.Press(VK_RBUTTON);
    ASSERT_TRUE(ctrl.MoveAbs(2, 0, 200));
    EXPECT_TRUE(ctrl.WaitStop());
    EXPECT_EQ(emu->AxisPosition(1), 200);
}

TEST_F(Mmc2Test, WaitOnAPortThatCannotOpenFailsAtOnce) {
    setenv("VANTOREL_COM1", "/nonexistent/tty", 1);
    auto start = Clock::now();
    EXPECT_FALSE(ctrl.WaitStop());
    EXPECT_LT(MsSince(start), 1000);
    int p1 = 1, p2 = 1;
    EXPECT_FALSE(ctrl.GetPosition(&p1, &p2));
    EXPECT_EQ(p1 | p2, 0);
    EXPECT_TRUE(emu->Commands().empty());
}

class Msc2Test : public ::testing::Test {
protected:
    void SetUp() override {
        emu = StartOnCom1(std::make_unique<AbEmulator>(AbEmulator::Kind::Msc2, FastOptions()));
    }
    void TearDown() override { EXPECT_TRUE(emu->Rejected().empty()) << Lines(emu->Rejected()); }
    TestClock clock;
    std::unique_ptr<AbEmulator> emu;
    CMsc2Ctrl ctrl;
};

TEST_F(Msc2Test, CommandsOnTheWire) {
    ASSERT_TRUE(ctrl.Jog(2, -1, 1));
    ASSERT_TRUE(ctrl.Jog(0, 0, 1));
    ASSERT_TRUE(ctrl.Jog(1, 1, 7));
    ASSERT_TRUE(ctrl.Stop());
    ASSERT_TRUE(ctrl.SetSpeed(2, 5, 70000, 9000));
    ASSERT_TRUE(ctrl.SetSpeed(0, 20, 30, 40));
    ASSERT_TRUE(ctrl.MoveAbs(0, 1, -2));
    ASSERT_TRUE(ctrl.MoveAbs(2, 0, 500));
    ASSERT_TRUE(ctrl.MoveRel(1, -7, 0));
    EXPECT_EQ(Wire(*emu, 10), "JGO:B-\r\nJGO:A+B-\r\nJGO:A-\r\nL:\r\nD:B10,50000,1000\r\n"
                              "D:A20,30,40\r\nD:B20,30,40\r\nAGO:A1B-2\r\nAGO:B500\r\nMGO:A-7\r\n");
    EXPECT_FALSE(ctrl.Jog(1, 2, 0));
}

TEST_F(Msc2Test, StatusLineAndItsLength) {
    emu->SetAxisPosition(0, 77);
    emu->SetAxisPosition(1, -1234);
    int p1, p2;
    ASSERT_TRUE(ctrl.GetPosition(&p1, &p2));
    EXPECT_EQ(p1, 77);
    EXPECT_EQ(p2, -1234);
    EXPECT_EQ(Wire(*emu, 1), "Q:0\r\n");
    emu->QueueReply("       77K,    -1234K \r\n"); // 24 characters
    emu->QueueReply("       77K,    -1234\r\n");
    EXPECT_FALSE(ctrl.GetPosition(&p1, &p2));
    EXPECT_FALSE(ctrl.GetPosition(&p1, &p2));
    EXPECT_EQ(p2, 0);

    ColonStatus s;
    ASSERT_TRUE(CMsc2Ctrl::ParseStatus("123456789D,        5E\r\n", s));
    EXPECT_EQ(s.pos1, 123456789);
    EXPECT_EQ(s.state1, 0);
    EXPECT_EQ(s.state2, 1);
    ASSERT_TRUE(CMsc2Ctrl::ParseStatus("        1H,        2Z\r\n", s));
    EXPECT_EQ(s.state1, 2);
    EXPECT_EQ(s.state2, -1); // unknown letter: not driving
}

TEST_F(Msc2Test, WaitFollowsTheDrivingState) {
    ASSERT_TRUE(ctrl.SetSpeed(2, 100, 5000, 100));
    ASSERT_TRUE(ctrl.MoveRel(2, 0, 1200));
    ASSERT_TRUE(ctrl.WaitStop());
    EXPECT_EQ(emu->AxisPosition(1), 1200);
    EXPECT_GE(CountOf(*emu, "Q:0\r\n"), 2u);

    // An unknown state letter does not hold the wait.
    emu->ClearLog();
    emu->QueueReply("        0X,        0Y\r\n");
    EXPECT_TRUE(ctrl.WaitStop());
    EXPECT_EQ(CountOf(*emu, "Q:0\r\n"), 1u);
}

TEST_F(Msc2Test, WaitTimesOutAndStops) {
    emu->SetFailureMode(FailureMode::NeverStop);
    clock.JumpWhenCommands(*emu, 5, 31000);
    EXPECT_FALSE(ctrl.WaitStop());
    EXPECT_EQ(LastCommand(*emu, "L:\r\n"), "L:\r\n");
}

class QtTest : public ::testing::Test {
protected:
    void SetUp() override { emu = StartOnCom1(std::make_unique<AbEmulator>(AbEmulator::Kind::Qt, FastOptions())); }
    void TearDown() override { EXPECT_TRUE(emu->Rejected().empty()) << Lines(emu->Rejected()); }
    TestClock clock;
    std::unique_ptr<AbEmulator> emu;
    CQtCtrl ctrl;
};

TEST_F(QtTest, SpeedClampsAndTheTwoAxisSpeedCommand) {
    ASSERT_TRUE(ctrl.SetSpeed(2, 5, 70000, 9000));
    ASSERT_TRUE(ctrl.SetSpeed(0, 0, 10, 0));
    EXPECT_EQ(Wire(*emu, 3), "D:B5,65000,8000\r\nD:A1,10,1\r\nD:B1,10,1\r\n");
}

TEST_F(QtTest, OneAndTwoAxisQueries) {
    emu->SetAxisPosition(0, 42);
    emu->SetAxisPosition(1, -17);
    ctrl.SetType(6);
    int p1 = 5, p2 = 5;
    ASSERT_TRUE(ctrl.GetPosition(&p1, &p2));
    EXPECT_EQ(p1, 42);
    EXPECT_EQ(p2, 0);
    ctrl.SetType(7);
    ASSERT_TRUE(ctrl.GetPosition(&p1, &p2));
    EXPECT_EQ(p1, 42);
    EXPECT_EQ(p2, -17);
    EXPECT_EQ(Wire(*emu, 2), "Q:A0\r\nQ:A0B0\r\n");
}

TEST_F(QtTest, ShortRepliesOfTheOneAxisQuery) {
    ctrl.SetType(6);
    emu->QueueReply("1234D\r\n");
    int p1 = 0, p2 = 0;
    ASSERT_TRUE(ctrl.GetPosition(&p1, &p2));
    EXPECT_EQ(p1, 1234);

    ColonStatus s;
    ASSERT_TRUE(CQtCtrl::ParseStatus("1234D\r\n", false, s));
    EXPECT_EQ(s.pos1, 1234);
    EXPECT_EQ(s.state1, 0);
    ASSERT_TRUE(CQtCtrl::ParseStatus("  -5K\r\n", false, s));
    EXPECT_EQ(s.pos1, -5);
    EXPECT_EQ(s.state1, 4);
    EXPECT_FALSE(CQtCtrl::ParseStatus("\r\n", false, s)); // no character before CR LF
    EXPECT_FALSE(CQtCtrl::ParseStatus("\n", false, s));
    EXPECT_FALSE(CQtCtrl::ParseStatus("#?~*%!\r\n", false, s)); // no position at all
    // The two-axis use takes a line of another length as positions 0 and no state.
    ASSERT_TRUE(CQtCtrl::ParseStatus("1234D\r\n", true, s));
    EXPECT_EQ(s.pos1, 0);
    EXPECT_EQ(s.state1, -1);
}

TEST_F(QtTest, WaitInBothUses) {
    ctrl.SetType(6);
    ASSERT_TRUE(ctrl.SetSpeed(1, 100, 5000, 100));
    ASSERT_TRUE(ctrl.MoveAbs(1, 900, 0));
    ASSERT_TRUE(ctrl.WaitStop());
    EXPECT_EQ(emu->AxisPosition(0), 900);
    ctrl.SetType(7);
    ASSERT_TRUE(ctrl.SetSpeed(0, 100, 5000, 100));
    ASSERT_TRUE(ctrl.MoveAbs(0, 0, -700));
    ASSERT_TRUE(ctrl.WaitStop());
    EXPECT_EQ(emu->AxisPosition(1), -700);
    EXPECT_EQ(emu->AxisPosition(0), 0);
    EXPECT_GE(CountOf(*emu, "Q:A0B0\r\n"), 2u);
}

class MIITest : public ::testing::Test {
protected:
    void SetUp() override { emu = StartOnCom1(std::make_unique<AbEmulator>(AbEmulator::Kind::MII, FastOptions())); }
    void TearDown() override { EXPECT_TRUE(emu->Rejected().empty()) << Lines(emu->Rejected()); }
    TestClock clock;
    std::unique_ptr<AbEmulator> emu;
    CMIICtrl ctrl;
};

TEST_F(MIITest, EachOperationEntersAndLeavesRemoteModeWhenNotHeldOpen) {
    ctrl.SetType(9);
    ASSERT_TRUE(ctrl.MoveAbs(1, 500, 0));
    EXPECT_EQ(Wire(*emu, 4), "RMT:ON\r\nD:A1000,5000,100\r\nAGO:A500\r\nRMT:OFF\r\n");
    EXPECT_FALSE(emu->Remote());
}

TEST_F(MIITest, OpenHoldsTheConnectionUntilClose) {
    ctrl.SetType(9);
    ASSERT_TRUE(ctrl.StoreSpeed(2, 0, 70000, 9000));
    ASSERT_TRUE(ctrl.Open(0, 6, 1, 0, 0, 0));
    EXPECT_EQ(ctrl.Port().GetAutoConnect(), 0);
    ASSERT_TRUE(ctrl.MoveRel(1, -40, 0));
    ASSERT_TRUE(ctrl.Jog(1, 1, 0));
    ASSERT_TRUE(ctrl.Stop());
    ASSERT_TRUE(ctrl.SetSpeed(1, 200, 3000, 50));
    int p1 = 0, p2 = 0;
    ASSERT_TRUE(ctrl.GetPosition(&p1, &p2));
    ASSERT_TRUE(ctrl.Close(1));
    EXPECT_EQ(ctrl.Port().GetAutoConnect(), 1);
    EXPECT_EQ(Wire(*emu, 8), "RMT:ON\r\nD:A1,65000,8000\r\nMGO:A-40\r\nJGO:A-\r\nL:\r\nD:A200,3000,50\r\n"
                             "Q:A0\r\nRMT:OFF\r\n");
    EXPECT_EQ(CountOf(*emu, "RMT:ON\r\n"), 1u);
}

TEST_F(MIITest, GoHomeAndThePositionWait) {
    ctrl.SetType(9);
    emu->SetAxisPosition(0, 800);
    ASSERT_TRUE(ctrl.Open(0, 6, 1, 0, 0, 0));
    DWORD before = GetTickCount();
    ASSERT_TRUE(ctrl.GoHome());
    EXPECT_GE(GetTickCount() - before, 10000u); // the pause after the home command
    ASSERT_TRUE(ctrl.WaitStop());
    EXPECT_EQ(emu->AxisPosition(0), 0);
    EXPECT_TRUE(Heard(*emu, "H:A\r\n"));
    EXPECT_GE(CountOf(*emu, "Q:A0\r\n"), 2u);

    emu->SetFailureMode(FailureMode::NeverStop);
    emu->ClearLog();
    clock.JumpWhenCommands(*emu, 4, 31000);
    EXPECT_FALSE(ctrl.WaitStop());
    EXPECT_EQ(LastCommand(*emu, "L:\r\n"), "L:\r\n");
    emu->SetFailureMode(FailureMode::None);
    ctrl.Close(1);
}

TEST_F(MIITest, AFailedReadEndsTheWaitWithAStop) {
    ctrl.SetType(9);
    ASSERT_TRUE(ctrl.Open(0, 6, 1, 0, 0, 0));
    emu->SetFailureMode(FailureMode::Silent);
    clock.JumpWhenCommands(*emu, 3, 4000); // the first query's reply time runs out
    EXPECT_FALSE(ctrl.WaitStop());
    EXPECT_EQ(LastCommand(*emu, "L:\r\n"), "L:\r\n");
    emu->SetFailureMode(FailureMode::None);
    ctrl.Close(1);
}

class Pat001Test : public ::testing::Test {
protected:
    void SetUp() override { emu = StartOnCom1(std::make_unique<Pat001Emulator>(FastOptions())); }
    void TearDown() override { EXPECT_TRUE(emu->Rejected().empty()) << Lines(emu->Rejected()); }
    TestClock clock;
    std::unique_ptr<Pat001Emulator> emu;
    CPAT_001 ctrl;
};

TEST_F(Pat001Test, MovesResendTheSpeedSet) {
    ASSERT_TRUE(ctrl.MoveAbs(-250));
    ASSERT_TRUE(ctrl.MoveRel(40));
    ASSERT_TRUE(ctrl.MoveRel(0));
    ASSERT_TRUE(ctrl.Jog(1));
    EXPECT_EQ(Wire(*emu, 12), "D:1S500F5000R100\r\nS:J500\r\nA:1-P250\r\nG:\r\n"
                              "D:1S500F5000R100\r\nS:J500\r\nM:1+P40\r\nG:\r\n"
                              "D:1S500F5000R100\r\nS:J500\r\nJ:1-\r\nG:\r\n");
}

TEST_F(Pat001Test, SpeedIsClampedAndKept) {
    ASSERT_TRUE(ctrl.SetSpeed(50, 30000, 2000));
    ASSERT_TRUE(ctrl.MoveAbs(7));
    ASSERT_TRUE(ctrl.Origin());
    ASSERT_TRUE(ctrl.Stop());
    EXPECT_EQ(Wire(*emu, 8), "D:1S100F20000R1000\r\nS:J100\r\nD:1S100F20000R1000\r\nS:J100\r\nA:1+P7\r\nG:\r\n"
                             "R:1\r\nL:1\r\n");
    EXPECT_FALSE(ctrl.Jog(2));
}

TEST_F(Pat001Test, StatusAndWait) {
    ColonStatus s;
    ASSERT_TRUE(CPAT_001::ParseStatus("+     1234,K,K,R\r\n", s));
    EXPECT_EQ(s.pos1, 1234);
    EXPECT_TRUE(s.ready);
    ASSERT_TRUE(CPAT_001::ParseStatus("- 9 8 7 6 ,K,K,B\r\n", s));
    EXPECT_EQ(s.pos1, -9876);
    EXPECT_FALSE(s.ready);
    EXPECT_FALSE(CPAT_001::ParseStatus("+     1234,K,K,R\n", s));
    ASSERT_TRUE(CPAT_001::ParseStatus("+       12,K,L,R\r\n", s));
    EXPECT_TRUE(s.ready);
    EXPECT_TRUE(s.fault);

    ASSERT_TRUE(ctrl.SetSpeed(100, 5000, 100));
    ASSERT_TRUE(ctrl.MoveAbs(-600));
    ASSERT_TRUE(ctrl.WaitStop());
    int pos = 0;
    ASSERT_TRUE(ctrl.GetPosition(&pos));
    EXPECT_EQ(pos, -600);
}

TEST_F(Pat001Test, AStopAtALimitEndsTheWaitAtOnceAsAFailure) {
    emu->SetTravelLimits(-300, 300);
    ASSERT_TRUE(ctrl.Jog(1));
    auto start = Clock::now();
    EXPECT_FALSE(ctrl.WaitStop());
    EXPECT_LT(MsSince(start), 5000);
    EXPECT_EQ(emu->AxisPosition(), -300);
    Settle(*emu);
    EXPECT_EQ(CountOf(*emu, "L:1\r\n"), 0u);
}

} // namespace
