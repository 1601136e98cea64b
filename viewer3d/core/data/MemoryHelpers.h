// Small free helpers of the 3D viewer: zero-filled work buffers in global memory, integer
// point scaling, rectangle normalisation and a time throttle on the tick count.
#pragma once

#include "platform/GlobalMemory.h"
#include "platform/WinTypes.h"

#include <cstddef>
#include <cstdint>

namespace v3d {

// A zero-filled fixed block of that many bytes (kept locked: the pointer is the block), or
// null when memory is refused.
void* AllocBytes(uint64_t bytes);
// Null block: as AllocBytes. Otherwise the block resized, its new bytes zero-filled, possibly
// at another address; null on failure (the old block then stays valid).
void* ReallocArray(void* block, uint64_t bytes);
// As AllocBytes; a refused request throws std::bad_alloc.
void* AllocArrayOrThrow(uint64_t bytes);
// Frees a block made by the functions above. 1 when freed or null, 0 for a pointer that is no
// such block.
int FreeArrayChecked(void* block);
// A zero-filled work array of count elements of elementSize bytes; null when the product
// overflows or memory is refused.
void* AllocArray(uint64_t count, uint64_t elementSize);
// Frees a work array when not null.
void FreeArray(void* block);

// Every point becomes (b * x / a, b * y / a), truncating, with the products in 64 bits and
// the results held to the LONG range. With a = 0 the points stay as they are. Returns the
// last y (0 for no points).
LONG ScalePoints(POINT* points, int count, int a, int b);
// ScalePoints on the rectangle's two corners (left, top) and (right, bottom).
LONG ScaleRectPoints(RECT* rect, int a, int b);
// The rectangle spanned by two points with left <= right and top <= bottom.
RECT* MakeNormalRect(RECT* out, LONG x1, LONG y1, LONG x2, LONG y2);

// A throttle: 0 while the stored tick lies below the tick count and fewer than interval ms
// have passed since it; otherwise the tick count is stored and 1 returned. A stored tick above
// the tick count (the counter wrapped) counts as elapsed.
int IsIntervalElapsed(DWORD* storedTick, DWORD interval);

} // namespace v3d
