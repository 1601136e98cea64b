// Worker threads. A worker is created suspended with the function it runs, starts on Resume
// and is always joined: by Join, or at the latest by its destructor. A timed Wait only reports
// whether the function has ended; it never abandons the thread.
//
// The UI thread is the one that called SetUiThread (the program does so at start-up); code that
// must only act on the UI thread, such as the one-message pump, asks IsUiThread.
#pragma once

#include "platform/Sync.h"
#include "platform/WinTypes.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

constexpr DWORD STILL_ACTIVE = 0x00000103u;

// A small number that names the calling thread (the kernel's thread id).
DWORD GetCurrentThreadId();
// Makes the calling thread the UI thread.
void SetUiThread();
// True on the thread that called SetUiThread last; false everywhere before the first call.
bool IsUiThread();
// The id given by GetCurrentThreadId on the UI thread, 0 before SetUiThread.
DWORD GetUiThreadId();

class CWorkerThread {
public:
    using Function = std::function<DWORD()>;
    using Proc = UINT (*)(LPVOID);

    explicit CWorkerThread(Function function);
    // The classic form: a procedure and its argument; the procedure's result is the exit code.
    CWorkerThread(Proc proc, LPVOID param);
    // Joins a running thread. A thread that was never resumed never runs its function.
    ~CWorkerThread();
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // Starts the function; FALSE when it was started before or the system refused a thread.
    BOOL Resume();
    // Waits for the function to end (returns at once when not started or already joined).
    void Join();
    // WAIT_OBJECT_0 when the function has ended within ms milliseconds, else WAIT_TIMEOUT
    // (also for a thread that was never resumed).
    DWORD Wait(DWORD ms);
    bool IsStarted() const;
    // True from Resume until the function has returned.
    bool IsRunning() const;
    // The function's result, STILL_ACTIVE while it runs or before it started.
    DWORD GetExitCode() const;
    // The id of the running thread as GetCurrentThreadId gives it there; 0 before it runs.
    DWORD GetThreadId() const;

private:
    void run();

    Function function_;
    mutable std::mutex mutex_;
    std::condition_variable ended_;
    std::thread thread_;
    bool started_ = false;
    bool finished_ = false;
    DWORD exitCode_ = STILL_ACTIVE;
    DWORD threadId_ = 0;
};

inline DWORD WaitForSingleObject(CWorkerThread& thread, DWORD ms) {
    return thread.Wait(ms);
}
