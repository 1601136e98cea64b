// The emulator program as a user runs it: a client that floods it with queries and stops reading
// never stalls it, and SIGTERM ends it promptly with its link removed.
#include "EmulatorProcess.h"
#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Writes `count` position queries without reading a reply; gives up when the terminal takes
// nothing for three seconds. The number of queries written.
int Flood(int fd, int count) {
    const std::string query = "@POS 1 ?\r\n";
    int written = 0;
    auto idleSince = Clock::now();
    while (written < count && Clock::now() - idleSince < std::chrono::seconds(3)) {
        if (::write(fd, query.data(), query.size()) == static_cast<ssize_t>(query.size())) {
            ++written;
            idleSince = Clock::now();
        } else {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 10);
        }
    }
    return written;
}

// Reads and drops whatever is waiting until nothing more comes for 300 ms.
void Drain(int fd) {
    char buffer[4096];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 300) <= 0 || ::read(fd, buffer, sizeof buffer) <= 0)
            return;
    }
}

// One reply line, waiting up to `ms`.
std::string ReadLine(int fd, int ms) {
    std::string line;
    auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0)
            continue;
        char c = 0;
        if (::read(fd, &c, 1) != 1)
            continue;
        line.push_back(c);
        if (c == '\n')
            return line;
    }
    return line;
}

TEST(EmulatorProcess, AClientThatStopsReadingNeverStallsItAndSigtermEndsIt) {
    ScratchFolder folder("vt-emu");
    std::string link = folder / "focus-drive";
    EmulatorProcess emu("ct7", link, {"--speed-scale", "1000", "--mode", "toolong"});
    ASSERT_GT(emu.Pid(), 0);
    std::string path = emu.FirstLine(5000);
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), path);

    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    termios t{};
    ASSERT_EQ(tcgetattr(fd, &t), 0);
    cfmakeraw(&t);
    ASSERT_EQ(tcsetattr(fd, TCSANOW, &t), 0);

    // Far more reply bytes than the terminal holds (each over 300 characters), none read.
    EXPECT_EQ(Flood(fd, 3000), 3000);
    // The emulator went on reading: once the client reads again, a new query is answered.
    Drain(fd);
    ASSERT_EQ(::write(fd, "@POS 1 ?\r\n", 10), 10);
    std::string reply = ReadLine(fd, 5000);
    EXPECT_EQ(reply.rfind("@POS  1 ABS=", 0), 0u) << reply.substr(0, 40);

    // Stop reading again, then end it.
    EXPECT_EQ(Flood(fd, 3000), 3000);
    ASSERT_EQ(::kill(emu.Pid(), SIGTERM), 0);
    EXPECT_EQ(emu.WaitExit(5000), 0);
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    ::close(fd);
}

} // namespace
