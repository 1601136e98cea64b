#include "EmulatorProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char** environ;

namespace {
using Clock = std::chrono::steady_clock;
}

EmulatorProcess::EmulatorProcess(const std::string& protocol, const std::string& link,
                                 const std::vector<std::string>& extra) {
    std::string program = std::string(VT_BINARY_DIR) + "/tools/emulators/vt-emu-" + protocol;
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    std::vector<std::string> args{program, "--link", link};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    output_ = out[0];
}

EmulatorProcess::~EmulatorProcess() {
    Kill();
    if (output_ >= 0)
        ::close(output_);
}

void EmulatorProcess::Kill() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
}

std::string EmulatorProcess::FirstLine(int ms) {
    std::string line;
    auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
        pollfd p{output_, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0)
            continue;
        char c = 0;
        if (::read(output_, &c, 1) != 1)
            break;
        if (c == '\n')
            return line;
        line.push_back(c);
    }
    return {};
}

int EmulatorProcess::WaitExit(int ms) {
    auto end = Clock::now() + std::chrono::milliseconds(ms);
    do {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (Clock::now() < end);
    return -1;
}
