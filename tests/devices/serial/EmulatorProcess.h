// An emulator program run as a user runs it, in a process of its own.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// One emulator process (vt-emu-<protocol> --link <link> and the extra arguments) with its
// standard output on a pipe; killed if a test leaves it running.
class EmulatorProcess {
public:
    EmulatorProcess(const std::string& protocol, const std::string& link,
                    const std::vector<std::string>& extra);
    ~EmulatorProcess();
    EmulatorProcess(const EmulatorProcess&) = delete;
    EmulatorProcess& operator=(const EmulatorProcess&) = delete;

    pid_t Pid() const { return pid_; }
    // The first line the program prints (the terminal's path), waiting up to `ms`.
    std::string FirstLine(int ms);
    // Waits up to `ms` for the process to end; its exit status, or -1 while it still runs.
    int WaitExit(int ms);
    // Ends it at once, as a pulled cable or a crash would, and reaps it.
    void Kill();

private:
    pid_t pid_ = -1;
    int output_ = -1;
};
