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

// The emulator's terminal opened by a client in raw mode; -1 when it cannot be.
int OpenRaw(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios t{};
    if (fd < 0 || tcgetattr(fd, &t) != 0)
        return -1;
    cfmakeraw(&t);
    return tcsetattr(fd, TCSANOW, &t) == 0 ? fd : -1;
}

TEST(EmulatorProcess, AClientThatStopsReadingNeverStallsItAndSigtermEndsIt) {
    ScratchFolder folder("vt-emu");
    std::string link = folder / "focus-drive";
    EmulatorProcess emu("ct7", link, {"--speed-scale", "1000", "--mode", "toolong"});
    ASSERT_GT(emu.Pid(), 0);
    std::string path = emu.FirstLine(5000);
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), path);

    int fd = OpenRaw(path);
    ASSERT_GE(fd, 0);

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

TEST(EmulatorProcess, TheLateShareOptionsMakeRepliesLate) {
    ScratchFolder folder("vt-emu");
    EmulatorProcess emu("mmc2", folder / "stage",
                        {"--late-share", "1", "--late-ms", "400-400", "--seed", "3"});
    int fd = OpenRaw(emu.FirstLine(5000));
    ASSERT_GE(fd, 0);
    const auto start = Clock::now();
    ASSERT_EQ(::write(fd, "Q:\r\nQ:\r\n", 8), 8);
    const std::string first = ReadLine(fd, 5000);
    const double firstAfter = std::chrono::duration<double>(Clock::now() - start).count();
    const std::string second = ReadLine(fd, 5000);
    EXPECT_GE(firstAfter, 0.39);
    EXPECT_EQ(first.size(), 27u);
    EXPECT_EQ(second.size(), 27u);
    ::close(fd);
}

} // namespace
