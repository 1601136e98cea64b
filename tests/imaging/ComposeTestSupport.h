// Small bitmaps built from functions, and their samples, for the conversion, filter and
// composition tests.
#pragma once

#include "imaging/bitmaps/Dib.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace composetest {

struct DibFree {
    void operator()(GlobalBlock* h) const {
        if (h)
            GlobalFree(h);
    }
};
using Dib = std::unique_ptr<GlobalBlock, DibFree>;

// The points around which an aligned composition looks for its patterns (in percent of the
// inner 80 % of the image): the program's default ones.
constexpr std::array<POINT, 4> kPatternPoints{{{50, 25}, {75, 50}, {50, 75}, {25, 50}}};

inline int KindOf(int bits) {
    return bits == 8 ? 0 : bits == 16 ? 3 : bits == 24 ? 1 : 4;
}
inline int PlanesOf(int bits) {
    return bits == 24 || bits == 48 ? 3 : 1;
}

// A bitmap whose sample of plane p at (x, y) (from the top) is f(x, y, p).
inline Dib Make(int w, int h, int bits, const std::function<int(int, int, int)>& f) {
    Dib d(DibCreate(w, h, KindOf(bits)));
    if (!d)
        return d;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int p = 0; p < PlanesOf(bits); ++p)
                DibSetPixel(d.get(), x, y, p, f(x, y, p));
    return d;
}

inline int At(HDIB d, int x, int y, int plane = 0) {
    return DibGetPixel(d, x, y, plane);
}

inline int Width(HDIB d) {
    GlobalLockGuard g(d);
    return DibGetWidth(g.get());
}
inline int Height(HDIB d) {
    GlobalLockGuard g(d);
    return DibGetHeight(g.get());
}
inline int Bits(HDIB d) {
    GlobalLockGuard g(d);
    return DibGetBitCount(g.get());
}

// Pixel rows of a bitmap, for exact comparisons of whole images.
inline std::vector<BYTE> Rows(HDIB d) {
    GlobalLockGuard g(d);
    const size_t n = DibStride(DibGetWidth(g.get()), DibGetBitCount(g.get())) * DibGetHeight(g.get());
    const BYTE* b = DibGetBits(g.get());
    return std::vector<BYTE>(b, b + n);
}

// Deterministic texture value in 0..255 of (x, y, c).
inline int Noise(int x, int y, int c, unsigned seed = 7) {
    unsigned h = static_cast<unsigned>(x) * 73856093u ^ static_cast<unsigned>(y) * 19349663u ^
                 static_cast<unsigned>(c) * 83492791u ^ seed * 2654435761u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return static_cast<int>(h & 0xFF);
}

} // namespace composetest
