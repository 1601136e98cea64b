#include "platform/Process.h"

#include "platform/MessageSink.h"
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
std::string& fallbackRoot() {
    static std::string root = "/tmp";
    return root;
}

} // namespace

RuntimeFolderState PrepareRuntimeFolder(const std::string& path, uid_t uid) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return RuntimeFolderState::CannotMake;
    // Judged through a descriptor of the folder itself, so that a link put in its place between
    // the look and the change of mode is not followed.
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOTDIR || errno == ELOOP ? RuntimeFolderState::NotAFolder
                                                  : RuntimeFolderState::CannotMake;
    struct stat st;
    RuntimeFolderState state = RuntimeFolderState::Usable;
    if (::fstat(fd, &st) != 0)
        state = RuntimeFolderState::CannotMake;
    else if (!S_ISDIR(st.st_mode))
        state = RuntimeFolderState::NotAFolder;
    else if (st.st_uid != uid)
        state = RuntimeFolderState::OtherOwner;
    else if ((st.st_mode & 077) != 0 && ::fchmod(fd, 0700) != 0)
        state = (st.st_mode & 022) != 0 ? RuntimeFolderState::OpenToOthers : RuntimeFolderState::CannotMake;
    ::close(fd);
    return state;
}

std::string FindRuntimeFolder(const char* xdg, const std::string& tmpRoot, uid_t uid,
                              std::vector<std::string>* tried) {
    std::vector<std::string> candidates;
    if (xdg && xdg[0] == '/')
        candidates.push_back(std::string(xdg) + "/vantorel");
    // A fixed sequence, not a random name: every process of the user walks it in the same order
    // and stops at the same folder, since a folder found usable stays so (only its owner could
    // open it to others again, and nobody but root can take it over). A name that another user
    // made first is passed over, never changed.
    const std::string usual = tmpRoot + "/vantorel-" + std::to_string(uid);
    candidates.push_back(usual);
    for (int n = 1; n <= kRuntimeFallbacks; ++n)
        candidates.push_back(usual + "-" + std::to_string(n));
    for (const std::string& path : candidates) {
        const RuntimeFolderState state = PrepareRuntimeFolder(path, uid);
        if (state == RuntimeFolderState::Usable)
            return path;
        if (tried)
            tried->push_back(path);
    }
    return {};
}

void SetRuntimeFallbackRoot(const std::string& root) {
    fallbackRoot() = root.empty() ? std::string("/tmp") : root;
}

std::string GetRuntimeFolder(std::vector<std::string>* tried) {
    return FindRuntimeFolder(std::getenv("XDG_RUNTIME_DIR"), fallbackRoot(), ::getuid(), tried);
}

bool RuntimeFolderReadyAtStart(UINT messageId) {
    std::vector<std::string> tried;
    if (!GetRuntimeFolder(&tried).empty())
        return true;
    std::string list;
    for (const std::string& path : tried)
        list += (list.empty() ? "" : "\n") + path;
    ShowMessage(messageId, MB_OK | MB_ICONSTOP, {list});
    return false;
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
