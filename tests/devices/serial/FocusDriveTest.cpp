// The one-axis focus drives against their emulators: CT-7, Motor-Focus System, STM6 and SZX.
#include "EmulatorHarness.h"

#include "devices/serial/HiroxCT7Ctrl.h"
#include "devices/serial/LeicaMFSCtrl.h"
#include "devices/serial/OlympusSTMCtrl.h"
#include "devices/serial/OlympusSZXMSCtrl.h"

#include <cstdio>
#include <cstdlib>

namespace {

class Ct7Test : public ::testing::Test {
protected:
    void SetUp() override { emu = StartOnCom1(std::make_unique<Ct7Emulator>(FastOptions())); }
    void TearDown() override { EXPECT_TRUE(emu->Rejected().empty()) << Lines(emu->Rejected()); }
    void ExpectOwnSetInController() {
        Settle(*emu);
        int a, b, c, d;
        emu->Parameters(&a, &b, &c, &d);
        EXPECT_EQ(a, 50000);
        EXPECT_EQ(b, 1000);
        EXPECT_EQ(c, 100);
        EXPECT_EQ(d, 100);
    }
    TestClock clock;
    std::unique_ptr<Ct7Emulator> emu;
    CHiroxCT7Ctrl ctrl;
};

TEST_F(Ct7Test, SpeedReadAndAFullAbsoluteMove) {
    ASSERT_TRUE(ctrl.SetSpeed(20000, 120000, 200));
    EXPECT_EQ(Wire(*emu, 4), "\r\n@SYS 1 05 ?\r\n@SYS 1 04 ?\r\n@SYS 1 07 ?\r\n");
    EXPECT_EQ(ctrl.NormalSpeed().low, 1000);
    EXPECT_EQ(ctrl.NormalSpeed().high, 50000);
    EXPECT_EQ(ctrl.NormalSpeed().rate, 100);
    emu->ClearLog();
    ASSERT_TRUE(ctrl.MoveAbs(1000));
    EXPECT_EQ(Wire(*emu, 6), "\r\n@SYS 1 04 120000, 20000\r\n@SYS 1 07 200, 200\r\n@MOD 1\r\n"
                             "@PTP 1 8000H -1000\r\n@MOD 0\r\n");
    emu->ClearLog();
    ASSERT_TRUE(ctrl.MoveRel(1000));
    EXPECT_EQ(Wire(*emu, 6), "\r\n@SYS 1 04 120000, 20000\r\n@SYS 1 07 200, 200\r\n@MOD 1\r\n"
                             "@PTP 1 0 1000\r\n@MOD 0\r\n");
}

TEST_F(Ct7Test, PositionIsTheNegatedControllerPositionPastOtherLines) {
    emu->SetControllerPosition(250);
    emu->SetNoiseLine("@ERR  1 02\r\n");
    int pos = 0;
    ASSERT_TRUE(ctrl.GetPosition(&pos));
    EXPECT_EQ(pos, -250);
    EXPECT_EQ(Wire(*emu, 2), "\r\n@POS 1 ?\r\n");

    // Lines without the prefix only, until the reply time runs out.
    emu->SetFailureMode(FailureMode::Garbage);
    emu->ClearLog();
    clock.JumpWhenCommands(*emu, 2, 3500);
    EXPECT_FALSE(ctrl.GetPosition(&pos));
    EXPECT_EQ(pos, 0);
}

TEST_F(Ct7Test, SpeedFailsOnASilentController) {
    emu->SetFailureMode(FailureMode::Silent);
    clock.JumpWhenCommands(*emu, 2, 3500);
    EXPECT_FALSE(ctrl.SetSpeed(1, 2, 3));
    EXPECT_EQ(ctrl.MoveSpeed().high, 0); // the old move set stays
}

TEST_F(Ct7Test, JogKeepsThePortOpenUntilTheSlowStop) {
    ASSERT_TRUE(ctrl.SetSpeed(20000, 120000, 200));
    emu->ClearLog();
    EXPECT_FALSE(ctrl.MoveSlowStop()); // nothing runs: nothing sent
    ASSERT_TRUE(ctrl.MoveJog(0));
    EXPECT_FALSE(ctrl.MoveJog(1)); // a second jog while jogging
    EXPECT_EQ(Wire(*emu, 5), "\r\n@SYS 1 04 120000, 20000\r\n@SYS 1 07 200, 200\r\n@MOD 1\r\n@JGF 1\r\n");
    EXPECT_TRUE(ctrl.Port().HasHandle());
    emu->ClearLog();
    ASSERT_TRUE(ctrl.MoveSlowStop());
    EXPECT_EQ(Wire(*emu, 4), "@DCL 1\r\n@SYS 1 04 50000, 1000\r\n@SYS 1 07 100, 100\r\n@MOD 0\r\n");
    EXPECT_FALSE(ctrl.IsJogging());
    EXPECT_FALSE(ctrl.Port().HasHandle());
    ExpectOwnSetInController();
    EXPECT_FALSE(ctrl.MoveJog(2));
}

TEST_F(Ct7Test, WaitPutsTheControllersOwnSpeedsBack) {
    ASSERT_TRUE(ctrl.SetSpeed(20000, 120000, 200));
    ASSERT_TRUE(ctrl.MoveAbs(-3000));
    Settle(*emu);
    int a, b, c, d;
    emu->Parameters(&a, &b, &c, &d);
    EXPECT_EQ(a, 120000);
    ASSERT_TRUE(ctrl.WaitStop());
    EXPECT_EQ(emu->ControllerPosition(), 3000);
    EXPECT_GE(CountOf(*emu, "@POS 1 ?\r\n"), 2u);
    ExpectOwnSetInController();
    EXPECT_FALSE(ctrl.IsSpeedChanged());
}

TEST_F(Ct7Test, AFailedWaitStopsAnAbsoluteMoveAndRestoresTheSpeeds) {
    ASSERT_TRUE(ctrl.SetSpeed(20000, 120000, 200));
    emu->SetFailureMode(FailureMode::NeverStop);
    ASSERT_TRUE(ctrl.MoveAbs(500));
    emu->ClearLog();
    clock.JumpWhenCommands(*emu, 6, 31000);
    EXPECT_FALSE(ctrl.WaitStop());
    EXPECT_EQ(LastCommand(*emu, "@MOD 0\r\n"), "@MOD 0\r\n");
    EXPECT_TRUE(Heard(*emu, "@DCL 1\r\n"));
    ExpectOwnSetInController();
    EXPECT_FALSE(ctrl.IsSpeedChanged());
}

TEST_F(Ct7Test, WithoutAMoveSetTheControllersOwnSpeedsAreNeverOverwritten) {
    // A move, a wait, a jog and its stop before any speed set was given.
    ASSERT_TRUE(ctrl.MoveRel(-200));
    ASSERT_TRUE(ctrl.WaitStop());
    EXPECT_EQ(emu->ControllerPosition(), -200);
    ASSERT_TRUE(ctrl.MoveJog(1));
    ASSERT_TRUE(ctrl.MoveSlowStop());
    Settle(*emu);
    for (const std::string& line : emu->Commands())
        EXPECT_EQ(line.rfind("@SYS 1 04 ", 0), std::string::npos) << line;
    ExpectOwnSetInController();
    // A later speed set reads the controller's own set, not zeros.
    ASSERT_TRUE(ctrl.SetSpeed(20000, 120000, 200));
    EXPECT_EQ(ctrl.NormalSpeed().low, 1000);
    EXPECT_EQ(ctrl.NormalSpeed().high, 50000);
    EXPECT_EQ(ctrl.NormalSpeed().rate, 100);
}

TEST_F(Ct7Test, SpeedReadWhileTheMoveSetIsInTheControllerRestoresFirst) {
    ASSERT_TRUE(ctrl.SetSpeed(20000, 120000, 200));
    ASSERT_TRUE(ctrl.MoveRel(10));
    ASSERT_TRUE(ctrl.SetSpeed(30000, 90000, 300));
    EXPECT_EQ(ctrl.NormalSpeed().high, 50000); // not the move set read back
    EXPECT_EQ(ctrl.NormalSpeed().low, 1000);
    EXPECT_EQ(ctrl.MoveSpeed().high, 90000);
}

TEST_F(Ct7Test, OpenHoldsTheConnection) {
    ASSERT_TRUE(ctrl.Open(0, 9, 1, 0, 2, 0));
    ASSERT_TRUE(ctrl.MoveAbs(5));
    int pos = 0;
    ASSERT_TRUE(ctrl.GetPosition(&pos));
    ASSERT_TRUE(ctrl.Close(1));
    // No move set was given: the move runs at the controller's own speeds.
    EXPECT_EQ(Wire(*emu, 5), "\r\n@MOD 1\r\n@PTP 1 8000H -5\r\n@POS 1 ?\r\n@MOD 0\r\n");
    LineSettings line;
    ASSERT_TRUE(emu->GetLineSettings(line));
    EXPECT_EQ(line.baud, 38400u);
    EXPECT_EQ(line.stopBits, 2);
}

class MfsTest : public ::testing::Test {
protected:
    void SetUp() override { emu = StartOnCom1(std::make_unique<MfsEmulator>(FastOptions())); }
    void TearDown() override { EXPECT_TRUE(emu->Rejected().empty()) << Lines(emu->Rejected()); }
    TestClock clock;
    std::unique_ptr<MfsEmulator> emu;
    CLeicaMFSCtrl ctrl;
};

TEST_F(MfsTest, CommandsAndPosition) {
    ASSERT_TRUE(ctrl.MoveAbs(500));
    ASSERT_TRUE(ctrl.MoveRel(500));
    ASSERT_TRUE(ctrl.Jog(0));
    ASSERT_TRUE(ctrl.Jog(1));
    ASSERT_TRUE(ctrl.Stop());
    EXPECT_FALSE(ctrl.Jog(2));
    EXPECT_EQ(Wire(*emu, 5), "70030 -500\r\n70031 500\r\n70010\r\n70011\r\n70012\r\n");

    emu->SetControllerPosition(1234);
    int pos = 0;
    ASSERT_TRUE(ctrl.GetPosition(&pos));
    EXPECT_EQ(pos, -1234);
}

TEST_F(MfsTest, AShortReplyIsNotAPosition) {
    int controller = 0;
    EXPECT_TRUE(CLeicaMFSCtrl::ParsePosition("70032 1234\r\n", &controller));
    EXPECT_EQ(controller, 1234);
    EXPECT_TRUE(CLeicaMFSCtrl::ParsePosition("xxxxxx-7\r\n", &controller));
    EXPECT_EQ(controller, -7);
    EXPECT_FALSE(CLeicaMFSCtrl::ParsePosition("70032\r\n", &controller));
    EXPECT_FALSE(CLeicaMFSCtrl::ParsePosition("700321\r\n", &controller));
    EXPECT_FALSE(CLeicaMFSCtrl::ParsePosition("70032 ab\r\n", &controller));

    emu->SetControllerPosition(99);
    int pos = 0;
    ASSERT_TRUE(ctrl.GetPosition(&pos));
    emu->QueueReply("70032\r\n");
    EXPECT_FALSE(ctrl.GetPosition(&pos));
    EXPECT_EQ(pos, 0);
}

TEST_F(MfsTest, WaitWithoutPauseAndItsTimeOut) {
    ASSERT_TRUE(ctrl.MoveAbs(-2000));
    ASSERT_TRUE(ctrl.WaitStop());
    EXPECT_EQ(emu->ControllerPosition(), 2000);
    EXPECT_GE(CountOf(*emu, "70032\r\n"), 3u);

    emu->SetFailureMode(FailureMode::NeverStop);
    emu->ClearLog();
    clock.JumpWhenCommands(*emu, 5, 31000);
    EXPECT_FALSE(ctrl.WaitStop());
    EXPECT_EQ(LastCommand(*emu, "70012\r\n"), "70012\r\n");
}

class Stm6Test : public ::testing::Test {
protected:
    void SetUp() override { emu = StartOnCom1(std::make_unique<Stm6Emulator>(FastOptions())); }
    void TearDown() override { EXPECT_TRUE(emu->Rejected().empty()) << Lines(emu->Rejected()); }
    TestClock clock;
    std::unique_ptr<Stm6Emulator> emu;
    COlympusSTMCtrl ctrl;
};

TEST_F(Stm6Test, RelativeMoveInRemoteModeWaitsForTheEndBeforeLeaving) {
    ASSERT_TRUE(ctrl.MoveRel(40));
    std::string wire = Wire(*emu, 6);
    EXPECT_EQ(wire.substr(0, 41), "1 REMOTE= 4\r\n1 REMOTE+\r\n1 ZMOVR= 1,0,40\r\n");
    EXPECT_NE(wire.find("1 ZSTS?\r\n"), std::string::npos);
    EXPECT_EQ(wire.substr(wire.size() - 24), "1 REMOTE= 0\r\n1 REMOTE+\r\n");
    EXPECT_FALSE(emu->AxisMoving());
    EXPECT_EQ(emu->ControllerCount(), 40);
    EXPECT_FALSE(emu->Remote());
}

TEST_F(Stm6Test, MoveJogStopSpeedAndResetCommands) {
    ASSERT_TRUE(ctrl.Open(0, 8, 1, 2, 2, 0));
    ASSERT_TRUE(ctrl.MoveRel(-40));
    ASSERT_TRUE(ctrl.MoveRel(0));
    ASSERT_TRUE(ctrl.Jog(0));
    EXPECT_TRUE(ctrl.IsJogging());
    ASSERT_TRUE(ctrl.Stop());
    EXPECT_FALSE(ctrl.IsJogging());
    ASSERT_TRUE(ctrl.SetSpeed(100, 1000));
    ASSERT_TRUE(ctrl.Reset());
    EXPECT_FALSE(ctrl.Jog(3));
    EXPECT_EQ(Wire(*emu, 8), "1 REMOTE= 4\r\n1 REMOTE+\r\n1 ZMOVR= 0,0,40\r\n1 ZMOVR= 0,0,0\r\n1 ZMOVF= 1,0\r\n"
                             "1 ZSTOP= \r\n1 ZSPD= 0,100,1000\r\n1 RESET= 2\r\n");
    EXPECT_EQ(emu->ResetCount(), 1);
    int high, rate;
    emu->Speed(&high, &rate);
    EXPECT_EQ(high, 100);
    EXPECT_EQ(rate, 1000);
    ctrl.Close(1);
    EXPECT_EQ(LastCommand(*emu, "1 REMOTE+\r\n"), "1 REMOTE+\r\n");
    EXPECT_FALSE(emu->Remote());
}

TEST_F(Stm6Test, PositionFromTheZReading) {
    emu->SetControllerCount(2000); // 0.1 mm in 0.05 um steps
    int pos = 0;
    ASSERT_TRUE(ctrl.GetPosition(&pos));
    EXPECT_EQ(pos, -2000);
    EXPECT_EQ(Wire(*emu, 3), "1 DOUT?\r\n1 READ?\r\n1 GETSTS?\r\n");
    emu->SetStatusBits(0x20);
    emu->SetControllerCount(3);
    ASSERT_TRUE(ctrl.GetPosition(&pos));
    EXPECT_EQ(pos, -3);
    EXPECT_DOUBLE_EQ(ctrl.GetUmPerPulse(), 0.025);
    emu->SetStatusBits(0x01); // inches
    emu->SetControllerCount(-777);
    ASSERT_TRUE(ctrl.GetPosition(&pos));
    EXPECT_EQ(pos, 777);
    EXPECT_DOUBLE_EQ(ctrl.GetUmPerPulse(), 0.05);
    emu->SetOutputMode(2);
    ASSERT_TRUE(ctrl.GetPosition(&pos));
    EXPECT_EQ(pos, 777);
    emu->SetOutputMode(1);
    emu->ClearLog();
    pos = 5;
    ASSERT_TRUE(ctrl.GetPosition(&pos));
    EXPECT_EQ(pos, 0);
    EXPECT_EQ(Wire(*emu, 1), "1 DOUT?\r\n");
}

TEST(Stm6Reading, PulsesAreTruncatedAndRepliesChecked) {
    EXPECT_EQ(COlympusSTMCtrl::PulsesOfReading(0.1, 0), 2000);
    EXPECT_EQ(COlympusSTMCtrl::PulsesOfReading(0.00015, 0), 3); // plain truncation would give 2
    EXPECT_EQ(COlympusSTMCtrl::PulsesOfReading(-0.00015, 0), -3);
    EXPECT_EQ(COlympusSTMCtrl::PulsesOfReading(0.1, 0x20), 4000);
    EXPECT_EQ(COlympusSTMCtrl::PulsesOfReading(0.0001, 0x01), 50); // 50.8 pulses
    double z = 0;
    EXPECT_TRUE(COlympusSTMCtrl::ParseReading("1.5,2.5,0.25", 0, &z));
    EXPECT_DOUBLE_EQ(z, 0.25);
    EXPECT_TRUE(COlympusSTMCtrl::ParseReading("0.125", 2, &z));
    EXPECT_DOUBLE_EQ(z, 0.125);
    EXPECT_FALSE(COlympusSTMCtrl::ParseReading("1.5,2.5", 0, &z));
    EXPECT_FALSE(COlympusSTMCtrl::ParseReading("abc", 2, &z));
}

TEST(Stm6Reading, ReadingsBetweenPulsesAreCutAndReadingsOnThemKept) {
    EXPECT_EQ(COlympusSTMCtrl::PulsesOfReading(0.0001499, 0), 2); // 2.998 pulses
    EXPECT_EQ(COlympusSTMCtrl::PulsesOfReading(-0.0001499, 0), -2);
    EXPECT_EQ(COlympusSTMCtrl::PulsesOfReading(0.00007, 0x20), 2); // 2.8 pulses of 0.025 um
    EXPECT_EQ(COlympusSTMCtrl::PulsesOfReading(-0.0001, 0x01), -50);
    // Every count as the drive gives it, in millimetres and in inches to nine decimals.
    for (int status : {0x00, 0x01, 0x20, 0x21}) {
        double factor = (status & 0x01) ? 25400.0 : 1000.0;
        double step = (status & 0x20) ? 0.025 : 0.05;
        for (int count = -4000; count <= 4000; count += 3) {
            char text[32];
            std::snprintf(text, sizeof text, "%.9f", count * step / factor);
            ASSERT_EQ(COlympusSTMCtrl::PulsesOfReading(std::strtod(text, nullptr), status), count)
                << text << " with status " << status;
        }
    }
}

TEST_F(Stm6Test, AbsoluteMoveGoesAsARelativeOneAndNeedsAPosition) {
    emu->SetControllerCount(-100); // program position 100
    ASSERT_TRUE(ctrl.Open(0, 8, 1, 2, 2, 0));
    ASSERT_TRUE(ctrl.MoveAbs(40));
    EXPECT_TRUE(Heard(*emu, "1 ZMOVR= 1,0,60\r\n"));
    ASSERT_TRUE(ctrl.WaitStop());
    int pos = 0;
    ASSERT_TRUE(ctrl.GetPosition(&pos));
    EXPECT_EQ(pos, 40);

    emu->ClearLog();
    emu->QueueReply("0 DOUT:0\r\n");
    emu->QueueReply("0 READ:not a number\r\n");
    EXPECT_FALSE(ctrl.MoveAbs(0));
    EXPECT_EQ(Wire(*emu, 2), "1 DOUT?\r\n1 READ?\r\n"); // no move by minus the target
    ctrl.Close(1);
}

TEST_F(Stm6Test, LeavingRemoteModeIsBoundedWhileTheDriveNeverStops) {
    emu->SetFailureMode(FailureMode::NeverStop);
    clock.JumpWhenCommands(*emu, 8, 31000);
    ctrl.MoveRel(10);
    EXPECT_EQ(LastCommand(*emu, "1 REMOTE+\r\n"), "1 REMOTE+\r\n");
    EXPECT_TRUE(Heard(*emu, "1 REMOTE= 0\r\n"));
}

TEST_F(Stm6Test, WaitSeesMotionAndTimesOutWithAStop) {
    ASSERT_TRUE(ctrl.Open(0, 8, 1, 2, 2, 0));
    ASSERT_TRUE(ctrl.Jog(1));
    emu->ClearLog();
    clock.JumpWhenCommands(*emu, 12, 31000);
    EXPECT_FALSE(ctrl.WaitStop());
    EXPECT_TRUE(Heard(*emu, "1 ZSTOP= \r\n"));
    EXPECT_FALSE(emu->AxisMoving());
    ctrl.Close(1);
}

class SzxTest : public ::testing::Test {
protected:
    void SetUp() override { emu = StartOnCom1(std::make_unique<SzxEmulator>(FastOptions())); }
    void TearDown() override { EXPECT_TRUE(emu->Rejected().empty()) << Lines(emu->Rejected()); }
    TestClock clock;
    std::unique_ptr<SzxEmulator> emu;
    COlympusSZXMSCtrl ctrl;
};

TEST_F(SzxTest, EachOperationLogsInAndOut) {
    ASSERT_TRUE(ctrl.MoveRel(0));
    EXPECT_EQ(Wire(*emu, 3), "1LOG IN\r\n1FCL N,0\r\n1LOG OUT\r\n");
    EXPECT_FALSE(emu->LoggedIn());
}

TEST_F(SzxTest, SpeedVariantsJogAndStop) {
    ASSERT_TRUE(ctrl.Open(0, 8, 1, 2, 2, 0));
    ASSERT_TRUE(ctrl.Jog(1));
    ASSERT_TRUE(ctrl.Stop());
    ASSERT_TRUE(ctrl.MoveRel(25));
    ASSERT_TRUE(ctrl.SetHighSpeed(TRUE));
    ASSERT_TRUE(ctrl.Jog(0));
    ASSERT_TRUE(ctrl.Stop());
    ASSERT_TRUE(ctrl.MoveRel(-25));
    EXPECT_FALSE(ctrl.Jog(2));
    ctrl.Close(1);
    EXPECT_EQ(Wire(*emu, 8), "1LOG IN\r\n1FCL N,1500000\r\n1FCSTOP\r\n1FCL F,25\r\n1FCH F,1500000\r\n1FCSTOP\r\n"
                             "1FCH N,25\r\n1LOG OUT\r\n");
}

TEST_F(SzxTest, AbsoluteMoveNeedsAPosition) {
    emu->SetReading(100);
    ASSERT_TRUE(ctrl.MoveAbs(40));
    EXPECT_TRUE(Heard(*emu, "1FCL F,60\r\n"));
    ASSERT_TRUE(ctrl.WaitStop());
    int pos = 0;
    ASSERT_TRUE(ctrl.GetPosition(&pos));
    EXPECT_EQ(pos, 40);

    emu->ClearLog();
    emu->QueueReply("1LOG +\r\n");
    emu->QueueReply("1FCPOS\r\n"); // no blank: no value
    EXPECT_FALSE(ctrl.MoveAbs(0));
    EXPECT_EQ(Wire(*emu, 3), "1LOG IN\r\n1FCPOS?\r\n1LOG OUT\r\n");
}

TEST_F(SzxTest, WaitTimesOutWithAStop) {
    emu->SetFailureMode(FailureMode::NeverStop);
    clock.JumpWhenCommands(*emu, 9, 31000);
    EXPECT_FALSE(ctrl.WaitStop());
    EXPECT_TRUE(Heard(*emu, "1FCSTOP\r\n"));
}

} // namespace
