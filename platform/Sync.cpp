#include "platform/Sync.h"

#include <chrono>

BOOL CCriticalSection::Lock(DWORD timeout) {
    const auto self = std::this_thread::get_id();
    std::unique_lock<std::mutex> l(mutex_);
    if (owner_ == self) {
        ++depth_;
        return TRUE;
    }
    auto isFree = [this] { return owner_ == std::thread::id(); };
    if (timeout == INFINITE)
        freed_.wait(l, isFree);
    else if (!freed_.wait_for(l, std::chrono::milliseconds(timeout), isFree))
        return FALSE;
    owner_ = self;
    depth_ = 1;
    return TRUE;
}

BOOL CCriticalSection::Unlock() {
    {
        std::lock_guard<std::mutex> g(mutex_);
        if (owner_ != std::this_thread::get_id())
            return FALSE;
        if (--depth_ > 0)
            return TRUE;
        owner_ = std::thread::id();
    }
    freed_.notify_one();
    return TRUE;
}

bool CCriticalSection::IsHeldByCurrentThread() const {
    std::lock_guard<std::mutex> g(mutex_);
    return owner_ == std::this_thread::get_id();
}

CEvent::CEvent(BOOL initiallySignalled, BOOL manualReset)
    : signalled_(initiallySignalled != FALSE), manual_(manualReset != FALSE) {}

BOOL CEvent::SetEvent() {
    {
        std::lock_guard<std::mutex> g(mutex_);
        signalled_ = true;
    }
    if (manual_)
        cv_.notify_all();
    else
        cv_.notify_one();
    return TRUE;
}

BOOL CEvent::ResetEvent() {
    std::lock_guard<std::mutex> g(mutex_);
    signalled_ = false;
    return TRUE;
}

DWORD CEvent::Wait(DWORD ms) {
    std::unique_lock<std::mutex> l(mutex_);
    auto ready = [this] { return signalled_; };
    if (ms == INFINITE)
        cv_.wait(l, ready);
    else if (!cv_.wait_for(l, std::chrono::milliseconds(ms), ready))
        return WAIT_TIMEOUT;
    if (!manual_)
        signalled_ = false;
    return WAIT_OBJECT_0;
}

CSingleLock::CSingleLock(CSyncObject* object, BOOL initialLock) : object_(object) {
    if (initialLock)
        Lock();
}

CSingleLock::~CSingleLock() {
    if (locked_)
        Unlock();
}

BOOL CSingleLock::Lock(DWORD timeout) {
    if (!object_ || locked_)
        return locked_ ? TRUE : FALSE;
    locked_ = object_->Lock(timeout) != FALSE;
    return locked_ ? TRUE : FALSE;
}

BOOL CSingleLock::Unlock() {
    if (!object_ || !locked_)
        return FALSE;
    locked_ = false;
    return object_->Unlock();
}
