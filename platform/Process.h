// Starting other programs, and the guard that lets only one instance of a program run per user.
#pragma once

#include "platform/WinTypes.h"

#include <string>
#include <sys/types.h>
#include <vector>

struct PROCESS_INFORMATION {
    pid_t dwProcessId = 0;
};

// Starts program with the given arguments (not counting the program itself) in workDir (the
// current folder when empty). A program name without '/' is looked up in PATH. TRUE when the
// program is running; FALSE with the reason in GetProcessError() when it could not be started.
// With info the caller receives the process id and collects the process with WaitForProcess;
// without it a thread of its own collects the process as soon as it ends.
BOOL CreateProcess(const std::string& program, const std::vector<std::string>& args,
                   const std::string& workDir = {}, PROCESS_INFORMATION* info = nullptr);
std::string GetProcessError();
// WAIT_OBJECT_0 with the exit code (128 + signal number for a killed process) when the process
// ended within ms milliseconds, WAIT_TIMEOUT when it still runs, WAIT_FAILED for an unknown id.
DWORD WaitForProcess(pid_t pid, DWORD ms, DWORD* exitCode = nullptr);
// Collects the processes started without info that have ended; returns how many ended since the
// last call.
int ReapDetachedProcesses();

// The composer's parallel passes wait for each other: threads that spin while they wait hold up
// every pass on a machine that is busy with other work. The OpenMP runtime reads its wait policy
// when it is loaded, so a program that is started without one starts itself once more with
// OMP_WAIT_POLICY=PASSIVE and a short spin before a thread sleeps, GOMP_SPINCOUNT=1000 (call it
// first thing in main). A policy the user set is kept; if the new start fails the program goes
// on as it is.
void RestartWithPassiveThreadWaits(char** argv);

// The per-user folder for lock files and sockets: $XDG_RUNTIME_DIR/vantorel, or
// /tmp/vantorel-<uid> without that variable. Created with mode 0700 when missing; empty when it
// cannot be made or is not a private folder of this user.
std::string GetRuntimeFolder();

// The display this process shows its windows on, as one name for every way of writing it: the
// X display of $DISPLAY without its screen number and with "unix:N" written ":N" (":42.0" and
// "unix:42" are ":42"; "localhost:10.0" of a forwarded session is "localhost:10"), else the
// Wayland display $WAYLAND_DISPLAY; empty without either. Two sessions of one user (two X
// displays, a remote desktop beside the local one, a forwarded session) share the runtime folder,
// so findable windows and the single-instance lock carry this name and meet only their own.
std::string CurrentDisplayName();
// The same rule for a display name as $DISPLAY holds it.
std::string NormalizeDisplayName(const std::string& display);

// A named lock held for the life of the process, in place of a named mutex: a lock file in the
// runtime folder, locked with flock, so that it is free again whenever its holder ends. The lock
// is one per display (CurrentDisplayName): a start on another display of the same user takes a
// lock of its own.
class SingleInstanceGuard {
public:
    enum Result { Acquired, AlreadyExists, Failed };

    SingleInstanceGuard() = default;
    ~SingleInstanceGuard() { Release(); }
    SingleInstanceGuard(const SingleInstanceGuard&) = delete;
    SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

    // AlreadyExists when another holder (this process or another) has the name on this display.
    Result Acquire(const std::string& name);
    void Release();
    bool IsHeld() const { return fd_ >= 0; }
    const std::string& LockPath() const { return path_; }

    // The lock file's name for a lock name: '/' and control characters become '_'.
    static std::string LockFileName(const std::string& name);
    // The lock file's name for a lock name on a display: "<name>@<display>", or the name alone
    // without a display.
    static std::string LockFileName(const std::string& name, const std::string& display);

private:
    int fd_ = -1;
    std::string path_;
};
