#include "platform/Process.h"

#include "platform/Sync.h"

#include <chrono>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <thread>
#include <utility>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {
thread_local std::string lastError;

// Never destroyed: a reaper thread may still finish while the program ends.
std::mutex& detachedMutex() {
    static auto* m = new std::mutex;
    return *m;
}
std::set<pid_t>& detached() {
    static auto* d = new std::set<pid_t>;
    return *d;
}
// Processes the reaper threads collected since the last ReapDetachedProcesses.
int& reapedByThreads() {
    static int n = 0;
    return n;
}

// A process started without info is waited for on a thread of its own, so that it does not stay
// a zombie of this program until the next start or the program's end.
void startReaper(pid_t pid) {
    std::thread([pid] {
        int status;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        std::lock_guard<std::mutex> g(detachedMutex());
        if (detached().erase(pid) != 0)
            ++reapedByThreads();
    }).detach();
}

DWORD exitCodeOf(int status) {
    if (WIFEXITED(status))
        return static_cast<DWORD>(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return static_cast<DWORD>(128 + WTERMSIG(status));
    return 0;
}
} // namespace

int ReapDetachedProcesses() {
    std::lock_guard<std::mutex> g(detachedMutex());
    int n = std::exchange(reapedByThreads(), 0);
    for (auto it = detached().begin(); it != detached().end();) {
        int status;
        pid_t r = ::waitpid(*it, &status, WNOHANG);
        if (r == *it || (r < 0 && errno == ECHILD)) {
            it = detached().erase(it);
            ++n;
        } else {
            ++it;
        }
    }
    return n;
}

BOOL CreateProcess(const std::string& program, const std::vector<std::string>& args,
                   const std::string& workDir, PROCESS_INFORMATION* info) {
    ReapDetachedProcesses();
    if (program.empty()) {
        lastError = "no program given";
        return FALSE;
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!workDir.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
    pid_t pid = 0;
    bool search = program.find('/') == std::string::npos;
    int err = search ? ::posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ)
                     : ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (err != 0) {
        lastError = program + ": " + std::strerror(err);
        return FALSE;
    }
    lastError.clear();
    if (info) {
        info->dwProcessId = pid;
    } else {
        {
            std::lock_guard<std::mutex> g(detachedMutex());
            detached().insert(pid);
        }
        startReaper(pid);
    }
    return TRUE;
}

std::string GetProcessError() {
    return lastError;
}

DWORD WaitForProcess(pid_t pid, DWORD ms, DWORD* exitCode) {
    if (pid <= 0)
        return WAIT_FAILED;
    // Real time: a process runs on the real clock even while a test replaces the tick source.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        int status;
        pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) {
            if (exitCode)
                *exitCode = exitCodeOf(status);
            return WAIT_OBJECT_0;
        }
        if (r < 0 && errno != EINTR)
            return WAIT_FAILED;
        if (ms != INFINITE && std::chrono::steady_clock::now() >= deadline)
            return WAIT_TIMEOUT;
        ::usleep(2000);
    }
}

// ---- runtime folder and the single-instance lock ---------------------------------------------

namespace {
// True when path is a folder of this user that nobody else may enter; tightens its mode when
// it is ours but open to others.
bool privateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return false;
    if ((st.st_mode & 077) != 0 && ::chmod(path.c_str(), 0700) != 0)
        return false;
    return true;
}
} // namespace

std::string GetRuntimeFolder() {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    std::string path;
    if (xdg && xdg[0] == '/')
        path = std::string(xdg) + "/vantorel";
    else
        path = "/tmp/vantorel-" + std::to_string(::getuid());
    return privateFolder(path) ? path : std::string();
}

std::string NormalizeDisplayName(const std::string& display) {
    // [host]:display[.screen]; a name in another form (a socket path) stays as it is.
    const size_t colon = display.rfind(':');
    if (colon == std::string::npos)
        return display;
    std::string host = display.substr(0, colon);
    std::string number = display.substr(colon + 1);
    const size_t dot = number.find('.');
    if (dot != std::string::npos)
        number.erase(dot);
    if (host == "unix")
        host.clear();
    return host + ":" + number;
}

std::string CurrentDisplayName() {
    const char* x = std::getenv("DISPLAY");
    if (x && *x)
        return NormalizeDisplayName(x);
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (wayland && *wayland)
        return std::string("wayland:") + wayland;
    return {};
}

std::string SingleInstanceGuard::LockFileName(const std::string& name, const std::string& display) {
    return LockFileName(display.empty() ? name : name + "@" + display);
}

std::string SingleInstanceGuard::LockFileName(const std::string& name) {
    std::string out;
    for (char c : name)
        out += (c == '/' || static_cast<unsigned char>(c) < 0x20) ? '_' : c;
    if (out.empty() || out[0] == '.')
        out.insert(out.begin(), '_');
    return out + ".lock";
}

SingleInstanceGuard::Result SingleInstanceGuard::Acquire(const std::string& name) {
    Release();
    std::string folder = GetRuntimeFolder();
    if (folder.empty())
        return Failed;
    path_ = folder + "/" + LockFileName(name, CurrentDisplayName());
    int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return Failed;
    int r;
    do {
        r = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (r != 0 && errno == EINTR);
    if (r != 0) {
        int err = errno;
        ::close(fd);
        return err == EWOULDBLOCK ? AlreadyExists : Failed;
    }
    // The holder's process id, for people looking at the folder.
    std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) == 0)
        (void)!::write(fd, pid.data(), pid.size());
    fd_ = fd;
    return Acquired;
}

void SingleInstanceGuard::Release() {
    if (fd_ >= 0) {
        ::close(fd_); // releases the flock; the file stays for the next holder
        fd_ = -1;
    }
}

void RestartWithPassiveThreadWaits(char** argv) {
    if (std::getenv("OMP_WAIT_POLICY"))
        return;
    setenv("OMP_WAIT_POLICY", "PASSIVE", 1);
    // A thousand turns of waiting before sleeping: the next pass of the same image starts within
    // that time and finds its threads awake, while a thread that waits for the next image (or
    // that shares its core on a busy machine) sleeps at once as before.
    setenv("GOMP_SPINCOUNT", "1000", 0);
    execv("/proc/self/exe", argv);
}
