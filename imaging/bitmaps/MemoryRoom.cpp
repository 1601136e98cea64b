#include "imaging/bitmaps/MemoryRoom.h"

#include "platform/GlobalMemory.h"

#include <sys/mman.h>

bool HasRoomFor(uint64_t bytes) {
    if (bytes > kGlobalMaxBlock)
        return false;
    const uint64_t total = bytes + kMemoryHeadroom;
    if (total >= GlobalAvailableBytes())
        return false;
    void* probe = ::mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (probe == MAP_FAILED)
        return false;
    ::munmap(probe, total);
    return true;
}
