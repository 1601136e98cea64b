// The controller facade for every controller type, each against the emulator of its protocol.
#include "EmulatorHarness.h"

#include "devices/serial/XyTblCtrl.h"

#include <functional>
#include <ostream>

namespace {

struct TypeCase {
    int type;
    std::string protocol;
    CommArgs comm;
    std::string moveAbs500; // MoveAbs(2, 0, 500) from position 0
    std::string moveRelM30; // MoveRel(2, 0, -30)
    std::string jogForward;
    std::string jogReverse;
    std::string speed; // SetSpeed(2, 100, 2000, 50); empty: the type has none
    std::string stop;
    // Puts the focus axis at a program position.
    std::function<void(ControllerEmulator&, long)> place;
};

// Keeps test names and failure lines readable instead of a byte dump of the case.
void PrintTo(const TypeCase& c, std::ostream* os) { *os << "type " << c.type << " " << c.protocol; }

std::vector<TypeCase> Cases() {
    auto mmc2 = [](ControllerEmulator& e, long v) { static_cast<Mmc2Emulator&>(e).SetAxisPosition(1, v); };
    auto abA = [](ControllerEmulator& e, long v) { static_cast<AbEmulator&>(e).SetAxisPosition(0, v); };
    auto abB = [](ControllerEmulator& e, long v) { static_cast<AbEmulator&>(e).SetAxisPosition(1, v); };
    return {
        {1, "mmc2", {0, 6, 1, 0, 0, 0}, "A:YP500\r\n", "M:YP-30\r\n", "J:Y+\r\n", "J:Y-\r\n", "D:YP100P2000P50\r\n",
         "L:W\r\n", mmc2},
        {2, "msc2", {0, 6, 1, 0, 0, 0}, "AGO:B500\r\n", "MGO:B-30\r\n", "JGO:B+\r\n", "JGO:B-\r\n",
         "D:B100,2000,50\r\n", "L:\r\n", abB},
        {3, "mfs", {0, 6, 1, 0, 2, 0}, "70030 -500\r\n", "70031 -30\r\n", "70010\r\n", "70011\r\n", "", "70012\r\n",
         [](ControllerEmulator& e, long v) { static_cast<MfsEmulator&>(e).SetControllerPosition(-v); }},
        {4, "szx", {0, 8, 1, 2, 2, 0}, "1FCL N,500\r\n", "1FCL N,30\r\n", "1FCL F,1500000\r\n", "1FCL N,1500000\r\n", "",
         "1FCSTOP\r\n", [](ControllerEmulator& e, long v) { static_cast<SzxEmulator&>(e).SetReading(v); }},
        {5, "stm6", {0, 8, 1, 2, 2, 0}, "1 ZMOVR= 0,0,500\r\n", "1 ZMOVR= 0,0,30\r\n", "1 ZMOVF= 1,0\r\n",
         "1 ZMOVF= 0,0\r\n", "1 ZSPD= 0,2000,50\r\n", "1 ZSTOP= \r\n",
         [](ControllerEmulator& e, long v) { static_cast<Stm6Emulator&>(e).SetControllerCount(-v); }},
        {6, "qt", {0, 6, 1, 0, 0, 0}, "AGO:A500\r\n", "MGO:A-30\r\n", "JGO:A+\r\n", "JGO:A-\r\n", "D:A100,2000,50\r\n",
         "L:\r\n", abA},
        {7, "qt", {0, 6, 1, 0, 0, 0}, "AGO:B500\r\n", "MGO:B-30\r\n", "JGO:B+\r\n", "JGO:B-\r\n", "D:B100,2000,50\r\n",
         "L:\r\n", abB},
        {8, "ct7", {0, 9, 1, 0, 2, 0}, "@PTP 1 8000H -500\r\n", "@PTP 1 0 -30\r\n", "@JGF 1\r\n", "@JGR 1\r\n",
         "@SYS 1 05 ?\r\n", "@DCL 1\r\n",
         [](ControllerEmulator& e, long v) { static_cast<Ct7Emulator&>(e).SetControllerPosition(-v); }},
        {9, "mii", {0, 6, 1, 0, 0, 0}, "AGO:A500\r\n", "MGO:A-30\r\n", "JGO:A+\r\n", "JGO:A-\r\n", "D:A100,2000,50\r\n",
         "L:\r\n", abA},
    };
}

class FacadeTypes : public ::testing::TestWithParam<TypeCase> {
protected:
    void SetUp() override {
        emu = MakeEmulator(GetParam().protocol, FastOptions());
        ASSERT_TRUE(emu);
        ASSERT_TRUE(emu->Start());
        setenv("VANTOREL_COM1", emu->SlavePath().c_str(), 1);
        xy.SetType(GetParam().type);
    }
    void TearDown() override { EXPECT_TRUE(emu->Rejected().empty()) << Lines(emu->Rejected()); }
    TestClock clock;
    std::unique_ptr<ControllerEmulator> emu;
    CXyTblCtrl xy;
};

TEST_P(FacadeTypes, OpensWithItsSettingsAndRemembersThem) {
    const TypeCase& c = GetParam();
    ASSERT_TRUE(xy.Open(c.comm.port, c.comm.baud, c.comm.data, c.comm.parity, c.comm.stop, c.comm.flow));
    xy.Close();
    CommArgs kept = xy.GetCommArgs();
    EXPECT_EQ(kept.baud, c.comm.baud);
    EXPECT_EQ(kept.stop, c.comm.stop);
    EXPECT_EQ(kept.parity, c.comm.parity);
    LineSettings line;
    ASSERT_TRUE(emu->GetLineSettings(line));
    EXPECT_EQ(line.baud, kSerialBaudRates[c.comm.baud]);
    EXPECT_EQ(line.stopBits, c.comm.stop == 2 ? 2 : 1);
    // (A pseudo terminal keeps no parity: the kernel clears it, so it is not checked here.)
    EXPECT_TRUE(line.raw);

    // A failed open keeps the settings of the last good one.
    setenv("VANTOREL_COM4", "/nonexistent/tty", 1);
    EXPECT_FALSE(xy.Open(3, 9, 0, 1, 0, 1));
    EXPECT_EQ(xy.GetCommArgs().port, 0);
    EXPECT_EQ(xy.GetCommArgs().baud, c.comm.baud);
}

TEST_P(FacadeTypes, MovesReadsJogsAndStopsTheFocusAxis) {
    const TypeCase& c = GetParam();
    c.place(*emu, 0);
    if (!c.speed.empty()) {
        EXPECT_TRUE(xy.SetSpeed(2, 100, 2000, 50));
        EXPECT_TRUE(Heard(*emu, c.speed));
    } else {
        EXPECT_FALSE(xy.SetSpeed(2, 100, 2000, 50));
    }
    ASSERT_TRUE(xy.MoveAbs(2, 0, 500));
    EXPECT_TRUE(Heard(*emu, c.moveAbs500));
    ASSERT_TRUE(xy.WaitStop());
    int p1 = -1, p2 = -1;
    ASSERT_TRUE(xy.GetPosition(&p1, &p2));
    EXPECT_EQ(p2, 500); // the program's position, whatever the controller's sign
    if (c.type != 1 && c.type != 2 && c.type != 7) {
        EXPECT_EQ(p1, 0);
    }

    ASSERT_TRUE(xy.MoveRel(2, 0, -30));
    EXPECT_TRUE(Heard(*emu, c.moveRelM30));
    ASSERT_TRUE(xy.WaitStop());

    ASSERT_TRUE(xy.JogForward());
    EXPECT_TRUE(Heard(*emu, c.jogForward));
    ASSERT_TRUE(xy.Stop());
    EXPECT_TRUE(Heard(*emu, c.stop));
    EXPECT_TRUE(xy.WaitStop());
    emu->ClearLog();
    ASSERT_TRUE(xy.JogReverse());
    EXPECT_TRUE(Heard(*emu, c.jogReverse));
    ASSERT_TRUE(xy.Stop());
    EXPECT_TRUE(Heard(*emu, c.stop));
    EXPECT_TRUE(xy.WaitStop());
    EXPECT_FALSE(emu->AxisMoving());
}

TEST_P(FacadeTypes, TypeSpecificOperationsOnlyWhereTheyBelong) {
    const TypeCase& c = GetParam();
    EXPECT_EQ(xy.SetSZXSpeedMode(0) != 0, c.type == 4);
    EXPECT_EQ(xy.SetMIISpeed(2, 1, 2, 3) != 0, c.type == 9);
    if (c.type == 5)
        EXPECT_DOUBLE_EQ(xy.GetUmPerPulse(), 0.05);
    else
        EXPECT_EQ(xy.GetUmPerPulse(), 0.0);
    EXPECT_EQ(xy.ResetController() != 0, c.type == 5);
    EXPECT_EQ(xy.GoHome() != 0, c.type == 9);
    Settle(*emu);
    if (c.type != 4 && c.type != 5 && c.type != 9) {
        EXPECT_EQ(emu->Received(), "");
    }
}

INSTANTIATE_TEST_SUITE_P(AllControllers, FacadeTypes, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<TypeCase>& info) {
                             return "Type" + std::to_string(info.param.type) + "_" + info.param.protocol;
                         });

TEST(Facade, TypeZeroDoesNothingAndItsWaitSucceeds) {
    CXyTblCtrl xy;
    EXPECT_EQ(xy.GetType(), 0);
    int p1 = 7, p2 = 7;
    EXPECT_FALSE(xy.GetPosition(&p1, &p2));
    EXPECT_EQ(p1, 0);
    EXPECT_EQ(p2, 0);
    EXPECT_FALSE(xy.Open(0, 6, 1, 0, 0, 0));
    EXPECT_FALSE(xy.MoveAbs(2, 0, 1));
    EXPECT_FALSE(xy.MoveRel(2, 0, 1));
    EXPECT_FALSE(xy.Jog(2, -1, 0));
    EXPECT_FALSE(xy.JogReverse());
    EXPECT_FALSE(xy.SetSpeed(2, 1, 2, 3));
    EXPECT_FALSE(xy.Stop());
    EXPECT_TRUE(xy.WaitStop());
    EXPECT_FALSE(xy.SetSZXSpeedMode(0));
    EXPECT_EQ(xy.GetUmPerPulse(), 0.0);
    EXPECT_FALSE(xy.ResetController());
    EXPECT_FALSE(xy.GoHome());
}

TEST(Facade, SzxSpeedModeSelectsTheMoveVariant) {
    TestClock clock;
    auto emu = StartOnCom1(std::make_unique<SzxEmulator>(FastOptions()));
    CXyTblCtrl xy;
    xy.SetType(4);
    ASSERT_TRUE(xy.SetSZXSpeedMode(0));
    ASSERT_TRUE(xy.MoveRel(2, 0, 10));
    EXPECT_TRUE(Heard(*emu, "1FCH F,10\r\n"));
    for (int mode : {1, 2}) {
        ASSERT_TRUE(xy.SetSZXSpeedMode(mode));
        ASSERT_TRUE(xy.MoveRel(2, 0, 10 + mode));
        EXPECT_TRUE(Heard(*emu, "1FCL F," + std::to_string(10 + mode) + "\r\n"));
    }
}

TEST(Facade, MIISpeedPresetGoesOutOnEntryIntoRemoteMode) {
    TestClock clock;
    auto emu = StartOnCom1(std::make_unique<AbEmulator>(AbEmulator::Kind::MII, FastOptions()));
    CXyTblCtrl xy;
    xy.SetType(9);
    ASSERT_TRUE(xy.SetMIISpeed(2, 300, 4000, 60));
    ASSERT_TRUE(xy.Open(0, 6, 1, 0, 0, 0));
    ASSERT_TRUE(xy.MoveAbs(2, 0, 20));
    ASSERT_TRUE(xy.Close());
    EXPECT_EQ(Wire(*emu, 4), "RMT:ON\r\nD:A300,4000,60\r\nAGO:A20\r\nRMT:OFF\r\n");
}

} // namespace
