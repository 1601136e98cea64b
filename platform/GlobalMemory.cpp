#include "platform/GlobalMemory.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>
#include <sys/mman.h>
#include <sys/sysinfo.h>

// A block is a small control record and a separate payload (over-allocated by a 16-byte prefix
// so that the payload keeps malloc's alignment).
struct GlobalBlock {
    uint32_t magic;
    UINT flags;
    SIZE_T size;
    std::atomic<int> locks;
    BYTE* payload;
};

namespace {
constexpr uint32_t kMagic = 0x474C4D42; // "GLMB"
constexpr uint32_t kDead = 0xDEADB10C;
constexpr size_t kPrefix = 16;
static_assert(kPrefix >= sizeof(GlobalBlock*) + sizeof(size_t), "the prefix holds the owner and a length");

bool valid(HGLOBAL h) { return h && h->magic == kMagic; }

// Payload pointer -> block, so that GlobalHandle can answer for any pointer without reading
// memory it does not own.
std::mutex& registryMutex() {
    static std::mutex m;
    return m;
}
std::unordered_map<const void*, GlobalBlock*>& registry() {
    static std::unordered_map<const void*, GlobalBlock*> r;
    return r;
}
void registerPayload(const void* payload, GlobalBlock* b) {
    std::lock_guard<std::mutex> g(registryMutex());
    if (b)
        registry()[payload] = b;
    else
        registry().erase(payload);
}

// Blocks of whole images have pages of their own, mapped from the system and given back to it
// when freed: they are touched page after page right after they are made, so they go on large
// pages where the system gives them on request (one fault per 2 MB instead of per 4 kB), and a
// freed image never stays in the heap behind smaller blocks. The prefix holds the owner and,
// for such a block, the length of its mapping (0 for a heap block).
constexpr size_t kLargePage = size_t(2) << 20;
constexpr size_t kOwnPagesFrom = 2 * kLargePage;

void* mapPages(size_t total) {
    void* raw = ::mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
#ifdef MADV_HUGEPAGE
    // Only the 2 MB ranges wholly inside the block are marked.
    const uintptr_t lo = (reinterpret_cast<uintptr_t>(raw) + kLargePage - 1) & ~(kLargePage - 1);
    const uintptr_t hi = (reinterpret_cast<uintptr_t>(raw) + total) & ~(kLargePage - 1);
    if (hi > lo)
        (void)::madvise(reinterpret_cast<void*>(lo), hi - lo, MADV_HUGEPAGE);
#endif
    return raw;
}

BYTE* allocPayload(GlobalBlock* owner, SIZE_T bytes, bool zero) {
    if (bytes > kGlobalMaxBlock)
        return nullptr;
    const size_t total = kPrefix + (bytes ? bytes : 1);
    // Fresh mapped pages read as zeros.
    const size_t mapped = total >= kOwnPagesFrom ? total : 0;
    void* raw = mapped ? mapPages(total) : zero ? std::calloc(1, total) : std::malloc(total);
    if (!raw)
        return nullptr;
    auto* base = static_cast<BYTE*>(raw);
    std::memcpy(base, &owner, sizeof owner);
    std::memcpy(base + sizeof owner, &mapped, sizeof mapped);
    return base + kPrefix;
}

void freePayload(BYTE* payload) {
    if (!payload)
        return;
    BYTE* base = payload - kPrefix;
    size_t mapped = 0;
    std::memcpy(&mapped, base + sizeof(GlobalBlock*), sizeof mapped);
    if (mapped)
        ::munmap(base, mapped);
    else
        std::free(base);
}
} // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
    auto* b = new (std::nothrow) GlobalBlock;
    if (!b)
        return nullptr;
    b->magic = kMagic;
    b->flags = flags & (GMEM_MOVEABLE | GMEM_ZEROINIT);
    b->size = bytes;
    b->locks = 0;
    b->payload = allocPayload(b, bytes, (flags & GMEM_ZEROINIT) != 0);
    if (!b->payload) {
        b->magic = kDead;
        delete b;
        return nullptr;
    }
    registerPayload(b->payload, b);
    return b;
}

HGLOBAL GlobalReAlloc(HGLOBAL h, SIZE_T bytes, UINT flags) {
    if (!valid(h) || bytes > kGlobalMaxBlock)
        return nullptr;
    BYTE* fresh = allocPayload(h, bytes, false);
    if (!fresh)
        return nullptr;
    SIZE_T keep = bytes < h->size ? bytes : h->size;
    std::memcpy(fresh, h->payload, keep);
    if (bytes > keep && (flags & GMEM_ZEROINIT))
        std::memset(fresh + keep, 0, bytes - keep);
    registerPayload(h->payload, nullptr);
    freePayload(h->payload);
    h->payload = fresh;
    registerPayload(fresh, h);
    h->size = bytes;
    return h;
}

HGLOBAL GlobalFree(HGLOBAL h) {
    if (!h)
        return nullptr;
    if (!valid(h))
        return h;
    registerPayload(h->payload, nullptr);
    freePayload(h->payload);
    h->magic = kDead;
    delete h;
    return nullptr;
}

void* GlobalLock(HGLOBAL h) {
    if (!valid(h))
        return nullptr;
    h->locks.fetch_add(1);
    return h->payload;
}

BOOL GlobalUnlock(HGLOBAL h) {
    if (!valid(h))
        return FALSE;
    int before = h->locks.load();
    while (before > 0 && !h->locks.compare_exchange_weak(before, before - 1)) {
    }
    return before > 1 ? TRUE : FALSE;
}

SIZE_T GlobalSize(HGLOBAL h) { return valid(h) ? h->size : 0; }

HGLOBAL GlobalHandle(const void* p) {
    if (!p)
        return nullptr;
    std::lock_guard<std::mutex> g(registryMutex());
    auto it = registry().find(p);
    return it == registry().end() ? nullptr : it->second;
}

namespace {
// MemAvailable of /proc/meminfo counts reclaimable caches; sysinfo's freeram does not.
uint64_t memAvailableFromProc() {
    FILE* f = std::fopen("/proc/meminfo", "r");
    if (!f)
        return 0;
    char line[256];
    unsigned long long kb = 0;
    while (std::fgets(line, sizeof line, f)) {
        if (std::sscanf(line, "MemAvailable: %llu kB", &kb) == 1)
            break;
    }
    std::fclose(f);
    return static_cast<uint64_t>(kb) * 1024;
}
} // namespace

void GlobalMemoryStatus(MEMORYSTATUS* status) {
    if (!status)
        return;
    struct sysinfo si {};
    *status = MEMORYSTATUS{};
    if (sysinfo(&si) != 0)
        return;
    const uint64_t unit = si.mem_unit ? si.mem_unit : 1;
    status->ullTotalPhys = static_cast<uint64_t>(si.totalram) * unit;
    uint64_t avail = memAvailableFromProc();
    status->ullAvailPhys = avail ? avail : static_cast<uint64_t>(si.freeram + si.bufferram) * unit;
    status->ullTotalPageFile = static_cast<uint64_t>(si.totalswap) * unit;
    status->ullAvailPageFile = static_cast<uint64_t>(si.freeswap) * unit;
}

uint64_t GlobalAvailableBytes() {
    MEMORYSTATUS ms;
    GlobalMemoryStatus(&ms);
    return ms.ullAvailPhys + ms.ullAvailPageFile;
}
