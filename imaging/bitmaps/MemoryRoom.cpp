#include "imaging/bitmaps/MemoryRoom.h"

#include "platform/GlobalMemory.h"

#include <sys/mman.h>

bool HasRoomFor(uint64_t bytes, uint64_t addressOnly) {
    if (bytes > kGlobalMaxBlock || addressOnly > kGlobalMaxBlock)
        return false;
    if (bytes + kMemoryHeadroom >= GlobalAvailableBytes())
        return false;
    const uint64_t total = bytes + kMemoryHeadroom + addressOnly;
    void* probe = ::mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (probe == MAP_FAILED)
        return false;
    ::munmap(probe, total);
    return true;
}
