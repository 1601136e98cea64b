#include "viewer3d/core/data/MemoryHelpers.h"

#include "platform/Time.h"

#include <algorithm>
#include <limits>
#include <new>

namespace v3d {

void* AllocBytes(uint64_t bytes) {
    if (bytes > kGlobalMaxBlock)
        return nullptr;
    HGLOBAL h = GlobalAlloc(GPTR, static_cast<SIZE_T>(bytes));
    if (!h)
        return nullptr;
    void* p = GlobalLock(h);
    if (!p)
        GlobalFree(h);
    return p;
}

void* ReallocArray(void* block, uint64_t bytes) {
    if (!block)
        return AllocBytes(bytes);
    HGLOBAL h = GlobalHandle(block);
    if (!h || bytes > kGlobalMaxBlock)
        return nullptr;
    if (!GlobalReAlloc(h, static_cast<SIZE_T>(bytes), GMEM_MOVEABLE | GMEM_ZEROINIT))
        return nullptr;
    // The block keeps its lock; the payload may have moved.
    void* p = GlobalLock(h);
    GlobalUnlock(h);
    return p;
}

void* AllocArrayOrThrow(uint64_t bytes) {
    void* p = AllocBytes(bytes);
    if (!p)
        throw std::bad_alloc();
    return p;
}

int FreeArrayChecked(void* block) {
    if (!block)
        return 1;
    HGLOBAL h = GlobalHandle(block);
    if (!h)
        return 0;
    return GlobalFree(h) == nullptr ? 1 : 0;
}

void* AllocArray(uint64_t count, uint64_t elementSize) {
    if (elementSize && count > std::numeric_limits<uint64_t>::max() / elementSize)
        return nullptr;
    return AllocBytes(count * elementSize);
}

void FreeArray(void* block) {
    if (block)
        FreeArrayChecked(block);
}

namespace {

LONG scaled(LONG v, int a, int b) {
    const int64_t r = static_cast<int64_t>(b) * v / a;
    return static_cast<LONG>(
        std::clamp<int64_t>(r, std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max()));
}

} // namespace

LONG ScalePoints(POINT* points, int count, int a, int b) {
    if (!points || count <= 0)
        return 0;
    if (a == 0)
        return points[count - 1].y;
    for (int i = 0; i < count; ++i) {
        points[i].x = scaled(points[i].x, a, b);
        points[i].y = scaled(points[i].y, a, b);
    }
    return points[count - 1].y;
}

LONG ScaleRectPoints(RECT* rect, int a, int b) {
    if (!rect)
        return 0;
    POINT corners[2] = {{rect->left, rect->top}, {rect->right, rect->bottom}};
    LONG y = ScalePoints(corners, 2, a, b);
    *rect = RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    return y;
}

RECT* MakeNormalRect(RECT* out, LONG x1, LONG y1, LONG x2, LONG y2) {
    if (out)
        *out = RECT{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
    return out;
}

int IsIntervalElapsed(DWORD* storedTick, DWORD interval) {
    if (!storedTick)
        return 1;
    const DWORD now = GetTickCount();
    if (*storedTick < now && now - *storedTick < interval)
        return 0;
    *storedTick = now;
    return 1;
}

} // namespace v3d
