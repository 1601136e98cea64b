// Global memory blocks addressed by handles: fixed or moveable, optionally zero-filled,
// reached through GlobalLock/GlobalUnlock. Sizes are 64-bit and checked for overflow.
#pragma once

#include "platform/WinTypes.h"

#include <cstddef>
#include <cstdint>

struct GlobalBlock;
using HGLOBAL = GlobalBlock*;
using HDIB = HGLOBAL;
using SIZE_T = size_t;

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;

// Largest block this process will hand out; larger requests fail like an exhausted heap.
constexpr SIZE_T kGlobalMaxBlock = SIZE_T(1) << 40;

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
HGLOBAL GlobalReAlloc(HGLOBAL h, SIZE_T bytes, UINT flags);
// Frees the block; returns null on success and the handle when it was not a valid block.
HGLOBAL GlobalFree(HGLOBAL h);
void* GlobalLock(HGLOBAL h);
BOOL GlobalUnlock(HGLOBAL h);
SIZE_T GlobalSize(HGLOBAL h);
// The handle of a block from the pointer GlobalLock returned; null for any other pointer.
HGLOBAL GlobalHandle(const void* p);

// Memory figures of the machine in bytes.
struct MEMORYSTATUS {
    uint64_t ullTotalPhys = 0;
    uint64_t ullAvailPhys = 0;
    uint64_t ullTotalPageFile = 0; // swap
    uint64_t ullAvailPageFile = 0; // free swap
};
void GlobalMemoryStatus(MEMORYSTATUS* status);

// Bytes that a new block may take: available physical memory plus free swap.
uint64_t GlobalAvailableBytes();

// Scoped lock of a global block.
class GlobalLockGuard {
public:
    explicit GlobalLockGuard(HGLOBAL h) : h_(h), p_(h ? GlobalLock(h) : nullptr) {}
    ~GlobalLockGuard() {
        if (p_)
            GlobalUnlock(h_);
    }
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
    BYTE* get() const { return static_cast<BYTE*>(p_); }
    explicit operator bool() const { return p_ != nullptr; }

private:
    HGLOBAL h_;
    void* p_;
};
