#include "platform/Thread.h"

#include <atomic>
#include <chrono>
#include <system_error>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
std::atomic<DWORD> uiThreadId{0};
}

DWORD GetCurrentThreadId() {
    // Asked each time (not cached), so that a forked child gets its own id.
    return static_cast<DWORD>(::syscall(SYS_gettid));
}

void SetUiThread() {
    uiThreadId.store(GetCurrentThreadId());
}

bool IsUiThread() {
    DWORD ui = uiThreadId.load();
    return ui != 0 && ui == GetCurrentThreadId();
}

DWORD GetUiThreadId() {
    return uiThreadId.load();
}

CWorkerThread::CWorkerThread(Function function) : function_(std::move(function)) {}

CWorkerThread::CWorkerThread(Proc proc, LPVOID param)
    : function_([proc, param]() -> DWORD { return proc ? static_cast<DWORD>(proc(param)) : 0; }) {}

CWorkerThread::~CWorkerThread() {
    Join();
    // Only a worker that destroys its own object is still joinable here; it ends right after.
    if (thread_.joinable())
        thread_.detach();
}

BOOL CWorkerThread::Resume() {
    std::lock_guard<std::mutex> g(mutex_);
    if (started_)
        return FALSE;
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        return FALSE;
    }
    started_ = true;
    return TRUE;
}

void CWorkerThread::run() {
    {
        std::lock_guard<std::mutex> g(mutex_);
        threadId_ = GetCurrentThreadId();
    }
    DWORD code = function_ ? function_() : 0;
    {
        std::lock_guard<std::mutex> g(mutex_);
        exitCode_ = code;
        finished_ = true;
    }
    ended_.notify_all();
}

void CWorkerThread::Join() {
    std::thread t;
    {
        std::unique_lock<std::mutex> l(mutex_);
        if (!started_)
            return;
        if (thread_.joinable() && thread_.get_id() == std::this_thread::get_id())
            return; // a worker cannot wait for itself; its owner joins it
        // Every caller of Join returns only after the function has ended, also when another
        // caller does the actual join.
        ended_.wait(l, [this] { return finished_; });
        if (!thread_.joinable())
            return;
        t = std::move(thread_);
    }
    t.join();
}

DWORD CWorkerThread::Wait(DWORD ms) {
    std::unique_lock<std::mutex> l(mutex_);
    if (!started_)
        return WAIT_TIMEOUT;
    auto done = [this] { return finished_; };
    if (ms == INFINITE)
        ended_.wait(l, done);
    else if (!ended_.wait_for(l, std::chrono::milliseconds(ms), done))
        return WAIT_TIMEOUT;
    return WAIT_OBJECT_0;
}

bool CWorkerThread::IsStarted() const {
    std::lock_guard<std::mutex> g(mutex_);
    return started_;
}

bool CWorkerThread::IsRunning() const {
    std::lock_guard<std::mutex> g(mutex_);
    return started_ && !finished_;
}

DWORD CWorkerThread::GetExitCode() const {
    std::lock_guard<std::mutex> g(mutex_);
    return exitCode_;
}

DWORD CWorkerThread::GetThreadId() const {
    std::lock_guard<std::mutex> g(mutex_);
    return threadId_;
}
