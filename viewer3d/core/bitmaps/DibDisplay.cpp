// What the 3D viewer shows of its bitmaps: the palette for palette screens and the conversion
// of 16- and 48-bit (and, on palette screens, 24-bit) bitmaps into 8- or 24-bit display
// bitmaps through look-up tables.
#include "viewer3d/core/bitmaps/Dib.h"

#include "imaging/files/SECImage.h"
#include "platform/Palette.h"
#include "viewer3d/core/data/SlotImageType.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace v3d {

namespace {

PALETTEENTRY grey(int v, BYTE flags) {
    const BYTE g = static_cast<BYTE>(v);
    return PALETTEENTRY{g, g, g, flags};
}

} // namespace

// Entries: the table's count, or 256 for 16-, 24- and 48-bit bitmaps without one.
// - 256 entries of a 24- or 48-bit bitmap: the 6 x 6 x 6 colour cube (0..215), the greys 12,
//   24, ..., 240 (216..235) and white (236..255).
// - 256 entries of an 8- or 16-bit table: every entry i with i mod 8 = 2 left out (the other 224
//   fill 0..223), then the greys 20, 40, ..., 240 and white.
// - Any other count: the table's entries with flags 0.
BOOL DibCreateDisplayPalette(HDIB bitmap, CPalette* palette, BYTE entryFlags) {
    GlobalLockGuard lock(bitmap);
    if (!lock || !palette)
        return 0;
    const BYTE* p = lock.get();
    const int bits = DibGetBitCount(p);
    int n = DibColorCount(p);
    if (n == 0 && (bits == 16 || bits == 24 || bits == 48))
        n = 256;
    if (n == 0)
        return 0;
    const bool core = le::get32(p) == 12;
    const int es = core ? 3 : 4;
    const BYTE* table = p + DibHeaderSize(p);
    const bool cube = n == 256 && (bits == 24 || bits == 48);
    // Every other case reads n table entries, which must lie inside the block.
    if (!cube && uint64_t(DibHeaderSize(p)) + uint64_t(n) * es > GlobalSize(bitmap))
        return 0;
    auto entry = [&](int i, BYTE flags) {
        const BYTE* e = table + size_t(i) * es;
        return PALETTEENTRY{e[2], e[1], e[0], flags};
    };
    LOGPALETTE lp;
    lp.palPalEntry.resize(static_cast<size_t>(n));
    std::vector<PALETTEENTRY>& e = lp.palPalEntry;
    if (cube) {
        for (int i = 0; i < 216; ++i)
            e[i] = PALETTEENTRY{static_cast<BYTE>((i / 36) * 51), static_cast<BYTE>(((i % 36) / 6) * 51),
                                static_cast<BYTE>((i % 6) * 51), entryFlags};
        for (int k = 0; k < 20; ++k)
            e[216 + k] = grey(12 * (k + 1), entryFlags);
        for (int i = 236; i < 256; ++i)
            e[i] = grey(255, entryFlags);
    } else if (n == 256) {
        int j = 0;
        for (int i = 0; i < 256; ++i)
            if (i % 8 != 2)
                e[j++] = entry(i, entryFlags);
        for (int k = 0; k < 12; ++k)
            e[224 + k] = grey(20 * (k + 1), entryFlags);
        for (int i = 236; i < 256; ++i)
            e[i] = grey(255, entryFlags);
    } else {
        for (int i = 0; i < n; ++i)
            e[i] = entry(i, 0);
    }
    return palette->CreatePalette(&lp);
}

int DisplayBitsPerPixel() {
    return GetScreenCaps().bitsPixel;
}

namespace {

// The display window of a slot type: [start, end) maps linearly onto 0..255 in steps of
// |end - start + 1| / 256 levels; below start 0, from end up 255 (so with end below start,
// everything below end is 0 and everything else 255). Entries beyond the type's levels up to
// 65535 are 255 as well, so any 16-bit sample finds an entry.
struct DisplayWindow {
    int start = 0;
    int end = 0;
    int64_t span = 256; // |end - start + 1|, as levels per 256 output steps

    DisplayWindow(int s, int e, int levels) {
        if (s < 0 || s > levels - 1)
            s = 0;
        if (e < 0 || e > levels - 1)
            e = levels - 1;
        if (s == e) {
            s = 0;
            e = levels - 1;
        }
        start = s;
        end = e;
        span = std::llabs(static_cast<int64_t>(e) - s + 1);
    }
    // The output step of level i within [start, end): exact truncation of (i - start) / m.
    int step(int i) const {
        return span == 0 ? i - start : static_cast<int>((int64_t(i) - start) * 256 / span);
    }

    std::vector<BYTE> table() const {
        std::vector<BYTE> t(65536, 255);
        std::fill(t.begin(), t.begin() + start, BYTE(0));
        for (int i = start; i < end; ++i)
            t[i] = static_cast<BYTE>(std::clamp(step(i), 0, 255));
        std::fill(t.begin() + end, t.end(), BYTE(255));
        return t;
    }
    // Cube coordinate v (0..5) of each level times a factor; from end up 5 x factor.
    std::vector<BYTE> cubeTable(int factor) const {
        std::vector<BYTE> t(65536, static_cast<BYTE>(5 * factor));
        std::fill(t.begin(), t.begin() + start, BYTE(0));
        for (int i = start; i < end; ++i)
            t[i] = static_cast<BYTE>(std::clamp(step(i), 0, 255) / 43 * factor);
        std::fill(t.begin() + end, t.end(), static_cast<BYTE>(5 * factor));
        return t;
    }
};

int outputKind(int sourceBits, bool paletteScreen) {
    switch (sourceBits) {
    case 16:
        return kKindGrey8;
    case 24:
        return paletteScreen ? kKindCube8 : -1;
    case 48:
        return paletteScreen ? kKindCube8 : kKindRgb24;
    default:
        return -1;
    }
}

int kindBits(int kind) {
    return kind == kKindRgb24 ? 24 : 8;
}

// The target when it has the output's size and depth; otherwise it is freed and a new one made.
HDIB outputFor(HDIB target, LONG width, LONG height, int kind) {
    if (target) {
        GlobalLockGuard t(target);
        const bool fits = t && DibGetWidth(t.get()) == width && DibGetHeight(t.get()) == height &&
                          DibGetBitCount(t.get()) == kindBits(kind) && le::get32(t.get()) >= 40 &&
                          GlobalSize(target) >= ::DibCreateBlockSize(width, height, kind);
        if (fits)
            return target;
    }
    GlobalFree(target);
    return DibCreate(width, height, kind);
}

void setTable(BYTE* block, int kind, const BYTE* sourceTable) {
    BYTE* t = block + DibHeaderSize(block);
    if (sourceTable) {
        std::memcpy(t, sourceTable, 1024);
    } else if (kind == kKindGrey8) {
        for (int i = 0; i < 256; ++i)
            t[4 * i] = t[4 * i + 1] = t[4 * i + 2] = static_cast<BYTE>(i), t[4 * i + 3] = 0;
    } else if (kind == kKindCube8) {
        std::memset(t, 0, 1024);
        for (int i = 0; i < 216; ++i) {
            t[4 * i] = static_cast<BYTE>((i % 6) * 51);
            t[4 * i + 1] = static_cast<BYTE>(((i % 36) / 6) * 51);
            t[4 * i + 2] = static_cast<BYTE>((i / 36) * 51);
        }
    }
}

} // namespace

HDIB DibConvertForDisplay(HDIB source, HDIB target, int start, int end, int type) {
    GlobalLockGuard s(source);
    if (!s || GlobalSize(source) < 40 || le::get32(s.get()) < 40) {
        GlobalFree(target);
        return nullptr;
    }
    const BYTE* src = s.get();
    const LONG width = DibGetWidth(src), height = DibGetHeight(src);
    const int bits = DibGetBitCount(src);
    const bool paletteScreen = DisplayBitsPerPixel() <= 8;
    const int kind = outputKind(bits, paletteScreen);
    const uint64_t srcStride = DibStride(width, bits);
    const uint64_t srcHead = uint64_t(DibHeaderSize(src)) + DibColorTableSize(src);
    if (kind < 0 || width <= 0 || height <= 0 ||
        srcHead + srcStride * static_cast<uint64_t>(height) > GlobalSize(source)) {
        GlobalFree(target);
        return nullptr;
    }
    HDIB out = outputFor(target, width, height, kind);
    if (!out)
        return nullptr;
    GlobalLockGuard o(out);
    BYTE* dst = o.get();
    const bool pseudo = bits == 16 && (type == 10 || type == 11 || type == 12) && DibColorCount(src) >= 256;
    setTable(dst, kind, pseudo ? src + DibHeaderSize(src) : nullptr);

    const DisplayWindow window(start, end, SlotTypeLevels(type));
    const BYTE* srcRows = src + srcHead;
    BYTE* dstRows = DibGetBits(dst);
    const uint64_t dstStride = DibStride(width, kindBits(kind));
    const int64_t w = width;
    if (bits == 16 || (bits == 48 && !paletteScreen)) {
        const std::vector<BYTE> lut = window.table();
        const int64_t samples = bits == 16 ? w : 3 * w;
        for (LONG y = 0; y < height; ++y) {
            const BYTE* in = srcRows + uint64_t(y) * srcStride;
            BYTE* op = dstRows + uint64_t(y) * dstStride;
            for (int64_t i = 0; i < samples; ++i)
                op[i] = lut[le::get16(in + 2 * i)];
        }
    } else if (bits == 48) {
        const std::vector<BYTE> red = window.cubeTable(36), green = window.cubeTable(6),
                                blue = window.cubeTable(1);
        for (LONG y = 0; y < height; ++y) {
            const BYTE* in = srcRows + uint64_t(y) * srcStride;
            BYTE* op = dstRows + uint64_t(y) * dstStride;
            for (int64_t x = 0; x < w; ++x, in += 6)
                op[x] = static_cast<BYTE>(red[le::get16(in + 4)] + green[le::get16(in + 2)] +
                                          blue[le::get16(in)]);
        }
    } else { // 24 bits on a palette screen
        for (LONG y = 0; y < height; ++y) {
            const BYTE* in = srcRows + uint64_t(y) * srcStride;
            BYTE* op = dstRows + uint64_t(y) * dstStride;
            for (int64_t x = 0; x < w; ++x, in += 3)
                op[x] = static_cast<BYTE>((in[2] / 43) * 36 + (in[1] / 43) * 6 + in[0] / 43);
        }
    }
    return out;
}

} // namespace v3d
