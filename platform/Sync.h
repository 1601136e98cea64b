// Locks and events: a recursive critical section with a scoped lock, and events that are
// reset by hand or automatically by the wait that takes them, with timed waits.
#pragma once

#include "platform/Time.h"
#include "platform/WinTypes.h"

#include <condition_variable>
#include <mutex>
#include <thread>

constexpr DWORD WAIT_OBJECT_0 = 0x00000000u;
constexpr DWORD WAIT_TIMEOUT = 0x00000102u;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;

// Something a CSingleLock can hold.
class CSyncObject {
public:
    virtual ~CSyncObject() = default;
    // TRUE when acquired within timeout milliseconds (INFINITE waits without end).
    virtual BOOL Lock(DWORD timeout = INFINITE) = 0;
    virtual BOOL Unlock() = 0;
};

// A lock that the owning thread may take again; it is free when every Lock has its Unlock.
class CCriticalSection : public CSyncObject {
public:
    CCriticalSection() = default;
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    BOOL Lock(DWORD timeout = INFINITE) override;
    // FALSE (and nothing changes) when the calling thread does not hold the lock.
    BOOL Unlock() override;
    // True when the calling thread holds the lock.
    bool IsHeldByCurrentThread() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable freed_;
    std::thread::id owner_{};
    unsigned depth_ = 0;
};

// An event: signalled or not. A manual-reset event stays signalled until ResetEvent and
// releases every waiter; an auto-reset event releases one waiter and becomes unsignalled.
class CEvent : public CSyncObject {
public:
    explicit CEvent(BOOL initiallySignalled = FALSE, BOOL manualReset = FALSE);
    CEvent(const CEvent&) = delete;
    CEvent& operator=(const CEvent&) = delete;

    BOOL SetEvent();
    BOOL ResetEvent();
    // WAIT_OBJECT_0 when signalled within ms milliseconds, else WAIT_TIMEOUT. A zero time-out
    // only tests the state (and takes the signal of an auto-reset event).
    DWORD Wait(DWORD ms);
    bool IsManualReset() const { return manual_; }

    BOOL Lock(DWORD timeout = INFINITE) override { return Wait(timeout) == WAIT_OBJECT_0; }
    BOOL Unlock() override { return TRUE; }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool signalled_;
    const bool manual_;
};

inline DWORD WaitForSingleObject(CEvent& event, DWORD ms) {
    return event.Wait(ms);
}
inline DWORD WaitForSingleObject(CEvent* event, DWORD ms) {
    return event ? event->Wait(ms) : WAIT_FAILED;
}

// Holds a sync object for the time of a scope; unlocks on destruction when it holds it.
class CSingleLock {
public:
    explicit CSingleLock(CSyncObject* object, BOOL initialLock = FALSE);
    ~CSingleLock();
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;

    BOOL Lock(DWORD timeout = INFINITE);
    BOOL Unlock();
    BOOL IsLocked() const { return locked_ ? TRUE : FALSE; }

private:
    CSyncObject* object_;
    bool locked_ = false;
};
