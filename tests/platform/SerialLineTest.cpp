// The serial layer on pseudo terminals: device names, raw mode, rates, refused settings,
// exclusive opening, queues and read time-outs.
#include "platform/SerialLine.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// A pseudo terminal pair: the test plays the device on the master side.
struct Pty {
    int master = -1;
    std::string slave;
    Pty() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        grantpt(master);
        unlockpt(master);
        char name[128];
        ptsname_r(master, name, sizeof name);
        slave = name;
    }
    ~Pty() { ::close(master); }
    termios2 Settings() const {
        termios2 t{};
        ioctl(master, TCGETS2, &t);
        return t;
    }
    std::string ReadAll() const {
        std::string got;
        char b[256];
        for (int i = 0; i < 50; ++i) {
            int n = 0;
            ioctl(master, FIONREAD, &n);
            if (n > 0) {
                ssize_t r = ::read(master, b, sizeof b);
                if (r > 0)
                    got.append(b, static_cast<size_t>(r));
            } else if (!got.empty()) {
                break;
            } else {
                usleep(1000);
            }
        }
        return got;
    }
    void Send(const std::string& s) const { ASSERT_EQ(::write(master, s.data(), s.size()), static_cast<ssize_t>(s.size())); }
};

TEST(CommDevicePath, ComNamesMapToSerialDevicesOrTheirOverride) {
    unsetenv("VANTOREL_COM3");
    EXPECT_EQ(CommDevicePath("COM1"), "/dev/ttyS0");
    EXPECT_EQ(CommDevicePath("COM3"), "/dev/ttyS2");
    EXPECT_EQ(CommDevicePath("\\\\.\\COM9"), "/dev/ttyS8");
    setenv("VANTOREL_COM3", "/dev/ttyUSB0", 1);
    EXPECT_EQ(CommDevicePath("\\\\.\\COM3"), "/dev/ttyUSB0");
    unsetenv("VANTOREL_COM3");
    EXPECT_EQ(CommDevicePath("/dev/ttyACM1"), "/dev/ttyACM1");
    EXPECT_EQ(CommDevicePath("COM"), "COM");
    EXPECT_EQ(OpenComm("/nonexistent/tty"), INVALID_COMM_HANDLE);
    EXPECT_EQ(OpenComm("/dev/null"), INVALID_COMM_HANDLE); // not a terminal
}

TEST(SerialLayer, OpensRawAndExclusively) {
    Pty pty;
    CommHandle h = OpenComm(pty.slave.c_str());
    ASSERT_NE(h, INVALID_COMM_HANDLE);
    termios2 t = pty.Settings();
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_iflag & (ICRNL | INLCR | IGNCR), 0u);
    EXPECT_EQ(OpenComm(pty.slave.c_str()), INVALID_COMM_HANDLE); // in use
    EXPECT_TRUE(CloseComm(h));
    EXPECT_FALSE(CloseComm(h));
    CommHandle again = OpenComm(pty.slave.c_str());
    EXPECT_NE(again, INVALID_COMM_HANDLE);
    CloseComm(again);
}

TEST(SerialLayer, EveryRateOfTheBaudCodesIncludingTheNonStandardOnes) {
    Pty pty;
    CommHandle h = OpenComm(pty.slave.c_str());
    ASSERT_NE(h, INVALID_COMM_HANDLE);
    for (DWORD rate : {110u, 300u, 600u, 1200u, 2400u, 4800u, 9600u, 14400u, 19200u, 38400u, 56000u, 57600u,
                       115200u, 128000u, 256000u}) {
        DCB dcb;
        ASSERT_TRUE(GetCommState(h, &dcb));
        dcb.BaudRate = rate;
        ASSERT_TRUE(SetCommState(h, &dcb)) << rate;
        DCB back;
        ASSERT_TRUE(GetCommState(h, &back));
        EXPECT_EQ(back.BaudRate, rate);
        EXPECT_EQ(pty.Settings().c_ospeed, rate);
    }
    CloseComm(h);
}

TEST(SerialLayer, LineSettingsAndTheRefusedOnes) {
    Pty pty;
    CommHandle h = OpenComm(pty.slave.c_str());
    ASSERT_NE(h, INVALID_COMM_HANDLE);
    DCB dcb;
    ASSERT_TRUE(GetCommState(h, &dcb));
    dcb.StopBits = TWOSTOPBITS;
    dcb.fOutX = dcb.fInX = TRUE;
    ASSERT_TRUE(SetCommState(h, &dcb)); // DTR and RTS cannot be set on a pseudo terminal: no error
    termios2 t = pty.Settings();
    EXPECT_NE(t.c_cflag & CSTOPB, 0u);
    EXPECT_NE(t.c_iflag & IXON, 0u);
    EXPECT_NE(t.c_iflag & IXOFF, 0u);
    EXPECT_EQ(t.c_lflag & ICANON, 0u); // still raw

    DCB bad = dcb;
    bad.StopBits = ONE5STOPBITS;
    EXPECT_FALSE(SetCommState(h, &bad));
    bad = dcb;
    bad.ByteSize = 4;
    EXPECT_FALSE(SetCommState(h, &bad));
    bad = dcb;
    bad.Parity = 5;
    EXPECT_FALSE(SetCommState(h, &bad));
    bad = dcb;
    bad.BaudRate = 0;
    EXPECT_FALSE(SetCommState(h, &bad));
    EXPECT_NE(pty.Settings().c_cflag & CSTOPB, 0u); // a refused block changes nothing
    CloseComm(h);
}

TEST(SerialLayer, QueuesPurgeAndReadTimeOuts) {
    Pty pty;
    CommHandle h = OpenComm(pty.slave.c_str());
    ASSERT_NE(h, INVALID_COMM_HANDLE);
    DWORD n = 0;
    ASSERT_TRUE(WriteComm(h, "Q:\r\n", 4, &n));
    EXPECT_EQ(n, 4u);
    ASSERT_TRUE(PurgeComm(h, PURGE_TXABORT | PURGE_TXCLEAR)); // already with the peer
    EXPECT_EQ(pty.ReadAll(), "Q:\r\n");

    pty.Send("abc");
    usleep(5000);
    COMSTAT st;
    ASSERT_TRUE(ClearCommError(h, nullptr, &st));
    EXPECT_EQ(st.cbInQue, 3u);
    ASSERT_TRUE(PurgeComm(h, PURGE_RXCLEAR));
    ASSERT_TRUE(ClearCommError(h, nullptr, &st));
    EXPECT_EQ(st.cbInQue, 0u);

    COMMTIMEOUTS t;
    t.ReadIntervalTimeout = COMM_MAXDWORD;
    ASSERT_TRUE(SetCommTimeouts(h, &t));
    char b[16];
    auto start = Clock::now();
    ASSERT_TRUE(ReadComm(h, b, sizeof b, &n));
    EXPECT_EQ(n, 0u); // returns at once with what is queued
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(50));

    t.ReadIntervalTimeout = 0;
    t.ReadTotalTimeoutConstant = 80;
    ASSERT_TRUE(SetCommTimeouts(h, &t));
    pty.Send("xy");
    start = Clock::now();
    ASSERT_TRUE(ReadComm(h, b, 4, &n));
    EXPECT_EQ(n, 2u);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(70)); // waited for the other two
    EXPECT_TRUE(WaitCommInput(h, 5) == FALSE);
    pty.Send("z");
    EXPECT_TRUE(WaitCommInput(h, 500));
    CloseComm(h);
    EXPECT_FALSE(ReadComm(h, b, 1, &n));
    EXPECT_FALSE(WriteComm(h, "x", 1, &n));
}

} // namespace
