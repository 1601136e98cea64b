// Temporary files that saves leave beside their target, for the tests of their removal: the id of
// a process that has ended, a process that runs until the object goes, and the name a save of
// the target gives its temporary file.
#pragma once

#include <csignal>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace leftovers {

// A process id that no process has now (the child has ended and been collected).
inline pid_t EndedProcessId() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

// Another process that runs while the object lives.
class LiveProcess {
public:
    LiveProcess() : pid_(::fork()) {
        if (pid_ == 0) {
            ::pause();
            ::_exit(0);
        }
    }
    ~LiveProcess() {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_;
};

// ".<name>.<pid>.<n>.tmp" in folder.
inline std::string TempName(const std::string& folder, const std::string& name, pid_t pid, int n) {
    return folder + "/." + name + "." + std::to_string(pid) + "." + std::to_string(n) + ".tmp";
}

} // namespace leftovers
