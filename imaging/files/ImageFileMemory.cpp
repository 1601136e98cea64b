// The one check of decoded image sizes against the memory the platform reports available.
#include "imaging/files/ImageFileMemory.h"

#include "imaging/files/SECImage.h"
#include "platform/GlobalMemory.h"

#include <atomic>
#include <mutex>

namespace {

std::atomic<AvailableMemoryFunction> g_available{&GlobalAvailableBytes};

std::mutex& GrantMutex() {
    static std::mutex m;
    return m;
}

uint64_t g_granted = 0; // guarded by GrantMutex

} // namespace

AvailableMemoryFunction SetAvailableMemoryFunction(AvailableMemoryFunction fn) {
    return g_available.exchange(fn ? fn : &GlobalAvailableBytes);
}

ImageMemoryGrant ReserveImageMemory(uint64_t bytes) {
    ImageMemoryGrant grant;
    if (bytes > SECImage::MaxImageBytes())
        return grant;
    std::lock_guard<std::mutex> lock(GrantMutex());
    // Half of what is available: the rest stays for the program's other work and for the
    // copies a caller makes of what it read.
    const uint64_t share = g_available.load()() / 2;
    if (g_granted > share || bytes > share - g_granted)
        return grant;
    g_granted += bytes;
    grant.bytes_ = bytes;
    grant.granted_ = true;
    return grant;
}

void ImageMemoryGrant::Release() {
    if (!granted_)
        return;
    {
        std::lock_guard<std::mutex> lock(GrantMutex());
        g_granted -= bytes_;
    }
    bytes_ = 0;
    granted_ = false;
}

ImageMemoryGrant& ImageMemoryGrant::operator=(ImageMemoryGrant&& other) noexcept {
    if (this != &other) {
        Release();
        bytes_ = other.bytes_;
        granted_ = other.granted_;
        other.bytes_ = 0;
        other.granted_ = false;
    }
    return *this;
}

uint64_t ImageMemoryGranted() {
    std::lock_guard<std::mutex> lock(GrantMutex());
    return g_granted;
}
