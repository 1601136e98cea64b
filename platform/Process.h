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

// The per-user folder for lock files and sockets. Every process of the user finds the same one,
// so that the programs meet each other and a second start: $XDG_RUNTIME_DIR/vantorel when that
// variable names a folder and the subfolder is usable, else the first usable of
// /tmp/vantorel-<uid>, /tmp/vantorel-<uid>-1, ... /tmp/vantorel-<uid>-<kRuntimeFallbacks>, in
// that order. Empty when none is usable; tried (when given) then lists the folders passed over,
// which the programs' start-up shows before it ends.
std::string GetRuntimeFolder(std::vector<std::string>* tried = nullptr);

// Why a folder cannot serve as the runtime folder.
enum class RuntimeFolderState { Usable, CannotMake, NotAFolder, OtherOwner, OpenToOthers };

// Makes path (mode 0700) when missing and judges it for the user uid: usable when it is a folder
// (not a link) that uid owns; one of uid that others may read or write is closed to them (0700)
// first. A folder of another user is never changed. A folder that group or others may write and
// that cannot be closed counts as open to others.
RuntimeFolderState PrepareRuntimeFolder(const std::string& path, uid_t uid);

constexpr int kRuntimeFallbacks = 9;

// The search of GetRuntimeFolder with its inputs given: xdg as $XDG_RUNTIME_DIR holds it (null,
// empty or relative counts as unset), tmpRoot in place of /tmp and the user's id.
std::string FindRuntimeFolder(const char* xdg, const std::string& tmpRoot, uid_t uid,
                              std::vector<std::string>* tried = nullptr);

// The programs' start-up check: true when the runtime folder is there; otherwise shows message
// messageId (MB_OK, stop icon) with the folders tried, one a line, as its %1, and false: the program
// ends then, since neither its single-instance lock nor its findable windows could work.
bool RuntimeFolderReadyAtStart(UINT messageId);

// Where GetRuntimeFolder looks for its fallbacks, /tmp unless a test put its scratch folder there.
void SetRuntimeFallbackRoot(const std::string& root);

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
