// Views of one colour plane of a locked bitmap block for the kernels of PlaneKernels.h.
//
// WithDibPlane calls a function with a PlaneRef<uint8_t> (8- and 24-bit bitmaps) or a
// PlaneRef<uint16_t> (16- and 48-bit bitmaps) of the given plane, rows from the top. The plane
// matters only for 24- and 48-bit bitmaps. Samples of 16-bit bitmaps are little-endian, which
// is the byte order of the machines this system runs on.
#pragma once

#include "imaging/bitmaps/Dib.h"
#include "imaging/compose/PlaneKernels.h"

#include <bit>
#include <cstdint>

static_assert(std::endian::native == std::endian::little, "16-bit samples are addressed in place");

namespace planes {

// Samples per pixel of a depth: 1 for 8 and 16 bits, 3 for 24 and 48 bits, 0 otherwise.
inline int SamplesPerPixel(int bitCount) {
    return (bitCount == 8 || bitCount == 16) ? 1 : (bitCount == 24 || bitCount == 48) ? 3 : 0;
}
inline bool IsWideDepth(int bitCount) {
    return bitCount == 16 || bitCount == 48;
}
// Largest sample value of a depth: 255 for 8 and 24 bits, 65535 for 16 and 48 bits.
inline int DepthMax(int bitCount) {
    return IsWideDepth(bitCount) ? 65535 : 255;
}
// DibCreateKind that holds a depth: 16 -> 3, 24 -> 1, 48 -> 4, anything else -> 0.
inline int KindOfDepth(int bitCount) {
    return bitCount == 16   ? DIB_KIND_GREY16
           : bitCount == 24 ? DIB_KIND_RGB24
           : bitCount == 48 ? DIB_KIND_RGB48
                            : DIB_KIND_GREY8;
}

template <typename T> PlaneRef<T> MakeDibPlane(void* block, int plane) {
    PlaneRef<T> p;
    const int w = DibGetWidth(block), h = DibGetHeight(block), bc = DibGetBitCount(block);
    const size_t stride = DibStride(w, bc);
    BYTE* bits = DibGetBits(block);
    const int spp = SamplesPerPixel(bc);
    const int offset = spp == 3 ? 2 - plane : 0;
    p.top = reinterpret_cast<T*>(bits + static_cast<size_t>(h - 1) * stride) + offset;
    p.rowStep = -static_cast<ptrdiff_t>(stride / sizeof(T));
    p.pixStep = spp;
    p.width = w;
    p.height = h;
    return p;
}

// False (and f not called) for depths other than 8, 16, 24 and 48 bits or an empty bitmap.
template <typename F> bool WithDibPlane(void* block, int plane, F&& f) {
    if (!block || DibGetWidth(block) < 1 || DibGetHeight(block) < 1)
        return false;
    if (plane < 0 || plane > 2)
        plane = 0;
    switch (DibGetBitCount(block)) {
    case 8:
    case 24:
        f(MakeDibPlane<uint8_t>(block, plane));
        return true;
    case 16:
    case 48:
        f(MakeDibPlane<uint16_t>(block, plane));
        return true;
    default:
        return false;
    }
}

// Plane loop of the public per-plane operations: 0, 1, 2 for 24- and 48-bit bitmaps, else 0.
inline int PlaneCount(int bitCount) {
    return SamplesPerPixel(bitCount) == 3 ? 3 : 1;
}

} // namespace planes
