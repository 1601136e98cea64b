// CSerialPort on a pseudo terminal: coded settings, refused codes, port indices, reopening,
// and the polling read with its early end and its time-out, also across the tick wrap.
#include "EmulatorHarness.h"

#include "devices/serial/SerialPort.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <fcntl.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct PtyOnCom1 {
    int master = -1;
    PtyOnCom1() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        grantpt(master);
        unlockpt(master);
        char name[128];
        ptsname_r(master, name, sizeof name);
        setenv("VANTOREL_COM1", name, 1);
    }
    ~PtyOnCom1() {
        if (later.joinable())
            later.join();
        ::close(master);
    }
    termios2 Settings() const {
        termios2 t{};
        ioctl(master, TCGETS2, &t);
        return t;
    }
    void Send(const char* s) const { ASSERT_GT(::write(master, s, strlen(s)), 0); }
    void SendLater(int ms, const char* s) {
        later = std::thread([this, ms, s] {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            Send(s);
        });
    }
    std::thread later;
};

long long MsSince(Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

TEST(CSerialPort, OpensWithTheCodedSettings) {
    PtyOnCom1 pty;
    CSerialPort port;
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.GetAutoConnect(), 1);
    ASSERT_TRUE(port.Open(0, 6, 0, 0, 1, 0));
    EXPECT_TRUE(port.IsOpen());
    termios2 t = pty.Settings();
    EXPECT_EQ(t.c_ospeed, 9600u);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);
    EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
    ASSERT_TRUE(port.Open(0, 14, 2, 2, 1, 1)); // again on the open port: the old handle is closed first
    t = pty.Settings();
    EXPECT_EQ(t.c_ospeed, 256000u);
    EXPECT_NE(t.c_cflag & CSTOPB, 0u);
    EXPECT_NE(t.c_iflag & IXON, 0u);
    EXPECT_EQ(port.Open(0, 6, 1, 0, 1, 0), FALSE); // one and a half stop bits are refused
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(port.HasHandle());
    port.Close();
}

TEST(CSerialPort, BadCodesChangeNothing) {
    PtyOnCom1 pty;
    CSerialPort port;
    EXPECT_FALSE(port.Reopen()); // nothing accepted yet
    ASSERT_TRUE(port.Open(0, 9, 0, 0, 1, 0));
    port.Close();
    EXPECT_TRUE(port.IsOpen()); // the flag outlives the close
    EXPECT_FALSE(port.Open(0, 15, 0, 0, 1, 0));
    EXPECT_FALSE(port.Open(0, 6, 3, 0, 1, 0));
    EXPECT_FALSE(port.Open(0, 6, 0, 5, 1, 0));
    EXPECT_FALSE(port.Open(0, 6, 0, 0, 2, 0));
    EXPECT_FALSE(port.Open(0, 6, 0, 0, 1, 2));
    EXPECT_FALSE(port.HasHandle());
    ASSERT_TRUE(port.Reopen()); // with the settings of the last accepted open
    EXPECT_EQ(pty.Settings().c_ospeed, 38400u);
    port.Close();
}

TEST(CSerialPort, IndicesOutsideTheNinePortsOpenCom1) {
    PtyOnCom1 pty;
    setenv("VANTOREL_COM2", "/nonexistent/tty", 1);
    CSerialPort port;
    EXPECT_TRUE(port.Open(9, 6, 0, 0, 1, 0));
    EXPECT_TRUE(port.Open(-1, 6, 0, 0, 1, 0));
    EXPECT_FALSE(port.Open(1, 6, 0, 0, 1, 0));
    EXPECT_TRUE(port.IsOpen()); // an absent device leaves the flag as it was
    port.Close();
}

TEST(CSerialPort, ReadsWhatIsQueuedAndEndsEarlyOnAPause) {
    TestClock clock;
    PtyOnCom1 pty;
    CSerialPort port;
    ASSERT_TRUE(port.Open(0, 6, 0, 0, 1, 0));
    char b[16] = {};
    pty.Send("K");
    EXPECT_EQ(port.Read(b, 1), 1);
    EXPECT_EQ(b[0], 'K');
    pty.Send("abcd");
    auto start = Clock::now();
    EXPECT_EQ(port.Read(b, 10), 4);
    EXPECT_LT(MsSince(start), 500);
    EXPECT_EQ(std::string(b, 4), "abcd");
    EXPECT_EQ(port.Write("Q:\r\n"), 4);

    clock.JumpAfter(30, 1500); // nothing arrives: 0 after the read time-out
    start = Clock::now();
    EXPECT_EQ(port.Read(b, 1), 0);
    EXPECT_LT(MsSince(start), 800);
    port.Close();
    EXPECT_EQ(port.Write("x"), -1);
    EXPECT_EQ(port.Read(b, 1), -1);
}

TEST(CSerialPort, ReadTimeOutSurvivesTheTickWrap) {
    ClockHooks real = RealClock();
    DWORD base = real.tick();
    ClockHooks wrapped;
    wrapped.tick = [real, base] { return static_cast<DWORD>(0xFFFFFF00u + (real.tick() - base)); };
    ClockHooks previous = InstallClock(wrapped);
    {
        PtyOnCom1 pty;
        CSerialPort port;
        ASSERT_TRUE(port.Open(0, 6, 0, 0, 1, 0));
        port.SetReadTimeout(600);
        EXPECT_TRUE(port.IsTimeOver(GetTickCount() - 601, 600));
        EXPECT_FALSE(port.IsTimeOver(GetTickCount() - 10, 600));
        pty.SendLater(300, "w"); // arrives after the counter has wrapped
        char b = 0;
        EXPECT_EQ(port.Read(&b, 1), 1);
        EXPECT_EQ(b, 'w');
        pty.later.join();
        port.Close();
    }
    InstallClock(previous);
}

} // namespace
