// Controllers that stay silent, answer garbage or answer too long: every position read fails
// with position 0, whatever the protocol; and the position file of the emulators.
#include "EmulatorHarness.h"

#include "devices/serial/ControllerLink.h"
#include "devices/serial/XyTblCtrl.h"
#include "tests/support/ScratchFolder.h"

#include <cstdio>
#include <chrono>
#include <fstream>
#include <sstream>
#include <tuple>
#include <unistd.h>

namespace {

const char* ProtocolOf(int type) {
    static const char* names[] = {"", "mmc2", "msc2", "mfs", "szx", "stm6", "qt", "qt", "ct7", "mii"};
    return names[type];
}

class BadReplies : public ::testing::TestWithParam<std::tuple<int, FailureMode>> {};

TEST_P(BadReplies, PositionReadFails) {
    auto [type, mode] = GetParam();
    TestClock clock;
    auto emu = MakeEmulator(ProtocolOf(type), FastOptions());
    ASSERT_TRUE(emu->Start());
    setenv("VANTOREL_COM1", emu->SlavePath().c_str(), 1);
    CXyTblCtrl xy;
    xy.SetType(type);
    int p1 = 0, p2 = 0;
    ASSERT_TRUE(xy.GetPosition(&p1, &p2)); // the line works
    emu->SetFailureMode(mode);
    if (mode != FailureMode::TooLong)
        clock.RunFast(true); // the reply limits pass at once
    p1 = p2 = 77;
    BOOL ok = xy.GetPosition(&p1, &p2);
    clock.RunFast(false);
    if (type == 7 && mode == FailureMode::Garbage) {
        // The two-axis query takes a line of another length as positions 0.
        EXPECT_TRUE(ok);
    } else {
        EXPECT_FALSE(ok);
    }
    EXPECT_EQ(p1, 0);
    EXPECT_EQ(p2, 0);
}

std::string ModeName(FailureMode m) {
    switch (m) {
    case FailureMode::Silent: return "Silent";
    case FailureMode::Garbage: return "Garbage";
    case FailureMode::TooLong: return "TooLong";
    default: return "Other";
    }
}

INSTANTIATE_TEST_SUITE_P(AllControllers, BadReplies,
                         ::testing::Combine(::testing::Range(1, 10),
                                            ::testing::Values(FailureMode::Silent, FailureMode::Garbage,
                                                              FailureMode::TooLong)),
                         [](const ::testing::TestParamInfo<std::tuple<int, FailureMode>>& info) {
                             return "Type" + std::to_string(std::get<0>(info.param)) + "_" +
                                    ModeName(std::get<1>(info.param));
                         });

TEST(ReplyLines, AreBoundedAt255Characters) {
    TestClock clock;
    auto emu = StartOnCom1(std::make_unique<MfsEmulator>(FastOptions()));
    ControllerLink link;
    ASSERT_TRUE(link.OpenPort());
    std::string line;
    emu->QueueReply(std::string(254, 'a') + "\n");
    ASSERT_TRUE(link.Send("70032\r\n"));
    ASSERT_TRUE(ReadReplyLine(link.port, line));
    EXPECT_EQ(line.size(), 255u);
    emu->QueueReply(std::string(255, 'a') + "\n");
    ASSERT_TRUE(link.Send("70032\r\n"));
    EXPECT_FALSE(ReadReplyLine(link.port, line));
    EXPECT_LE(line.size(), 255u);
    link.port.PurgeRx();

    std::string rest;
    emu->QueueReply("PRE" + std::string(252, 'b') + "\n");
    ASSERT_TRUE(link.Send("70032\r\n"));
    ASSERT_TRUE(ReadPrefixedLine(link.port, "PRE", rest));
    EXPECT_EQ(rest.size(), 252u);
    emu->QueueReply("PRE" + std::string(253, 'b') + "\n");
    ASSERT_TRUE(link.Send("70032\r\n"));
    EXPECT_FALSE(ReadPrefixedLine(link.port, "PRE", rest));
    link.ClosePort();
}

TEST(Numbers, AreReadWithinTheirFields) {
    int v = 0;
    EXPECT_TRUE(ParseIntField("  -42xyz", 0, 8, &v));
    EXPECT_EQ(v, -42);
    EXPECT_TRUE(ParseIntField("123456", 0, 3, &v));
    EXPECT_EQ(v, 123);
    EXPECT_FALSE(ParseIntField("   ", 0, 3, &v));
    EXPECT_FALSE(ParseIntField("-", 0, 1, &v));
    EXPECT_FALSE(ParseIntField("99999999999", 0, 11, &v)); // does not fit
    EXPECT_TRUE(ParseIntField("-2147483648", 0, 11, &v));
    EXPECT_EQ(v, -2147483647 - 1);
    EXPECT_TRUE(FindFirstInt("= -17 and 4", 0, &v));
    EXPECT_EQ(v, -17);
    EXPECT_TRUE(FindFirstInt("a-b5", 0, &v));
    EXPECT_EQ(v, 5);
    EXPECT_FALSE(FindFirstInt("none", 0, &v));
}

double ReadNumber(const std::string& path) {
    std::ifstream in(path);
    double v = -1e9;
    in >> v;
    return v;
}

// The number the file holds once the emulator has written the expected one (it writes in its
// own time after a move), or the last one read when it did not within five seconds.
double NumberOnceWritten(const std::string& path, double expected) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    double v = ReadNumber(path);
    while (v != expected && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        v = ReadNumber(path);
    }
    return v;
}

TEST(PositionFile, FollowsTheProgramsViewOfTheFocusAxis) {
    TestClock clock;
    ScratchFolder dir("vt-emu");
    std::string path = dir / "z.txt";
    {
        EmulatorOptions o = FastOptions();
        o.positionFile = path;
        o.umPerPulse = 0.5;
        auto emu = StartOnCom1(std::make_unique<Ct7Emulator>(o));
        CXyTblCtrl xy;
        xy.SetType(8);
        ASSERT_TRUE(xy.SetSpeed(2, 1000, 20000, 100));
        ASSERT_TRUE(xy.MoveAbs(2, 0, 400));
        ASSERT_TRUE(xy.WaitStop());
        EXPECT_DOUBLE_EQ(NumberOnceWritten(path, 200.0), 200.0); // program position 400 x 0.5 um
    }
    {
        // Through the environment, with the drive's own step (0.025 um).
        setenv("VANTOREL_STAGE_POSITION_FILE", path.c_str(), 1);
        auto emu = StartOnCom1(std::make_unique<Stm6Emulator>(FastOptions()));
        unsetenv("VANTOREL_STAGE_POSITION_FILE");
        emu->SetStatusBits(0x20);
        emu->SetControllerCount(-4000);
        EXPECT_DOUBLE_EQ(NumberOnceWritten(path, 100.0), 100.0);
    }
}

} // namespace
