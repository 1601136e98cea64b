#include "ui/testing/PrivateXServer.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ui::testing {

PrivateXServer::~PrivateXServer() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
}

bool PrivateXServer::Start(const std::string& screen, int timeoutMs, std::string* error) {
    int fds[2];
    if (::pipe(fds) != 0) {
        *error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    const pid_t parent = ::getpid();
    const std::string fd = std::to_string(fds[1]);
    pid_ = ::fork();
    if (pid_ < 0) {
        *error = std::string("fork: ") + std::strerror(errno);
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }
    if (pid_ == 0) {
        // The server goes with the test process, however that ends.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(1);
        ::close(fds[0]);
        // -displayfd picks a free display and writes its number when the server is ready.
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
                 "-noreset", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    std::string number;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now())
                .count();
        if (left <= 0) {
            *error = "Xvfb did not report its display in time";
            break;
        }
        pollfd p{fds[0], POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0)
            continue;
        char c;
        const ssize_t n = ::read(fds[0], &c, 1);
        if (n <= 0) {
            *error = number.empty() ? "Xvfb ended before it was ready (is it installed?)" : "";
            break;
        }
        if (c == '\n')
            break;
        number += c;
    }
    ::close(fds[0]);
    if (number.empty()) {
        if (error->empty())
            *error = "Xvfb reported no display";
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
        return false;
    }
    ::setenv("DISPLAY", (":" + number).c_str(), 1);
    ::unsetenv("XAUTHORITY");
    return true;
}

} // namespace ui::testing
