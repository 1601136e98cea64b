#include "viewer3d/core/data/PlaneImages.h"

#include "viewer3d/core/bitmaps/Dib.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace v3d {

namespace {

struct Info {
    int w = 0, h = 0, bits = 0;
    uint64_t stride = 0;
};

bool infoOf(HDIB dib, Info* info) {
    if (!dib)
        return false;
    GlobalLockGuard lock(dib);
    if (!lock)
        return false;
    info->w = DibGetWidth(lock.get());
    info->h = DibGetHeight(lock.get());
    info->bits = DibGetBitCount(lock.get());
    info->stride = DibStride(info->w, info->bits);
    return info->w > 0 && info->h > 0;
}

int kindOfBits(int bits) {
    switch (bits) {
    case 8:
        return kKindGrey8;
    case 16:
        return kKindGrey16;
    case 24:
        return kKindRgb24;
    case 48:
        return kKindRgb48;
    default:
        return -1;
    }
}

// A new bitmap of the source's depth and table.
HDIB sameKind(HDIB source, int w, int h) {
    Info s;
    if (!infoOf(source, &s))
        return nullptr;
    HDIB out = DibCreate(w, h, kindOfBits(s.bits));
    if (out && (s.bits == 8 || s.bits == 16)) {
        RgbEntry table[256];
        if (DibGetColorTable(source, table))
            DibSetColorTable(out, table);
    }
    return out;
}

// Row y from the top.
BYTE* rowOf(BYTE* block, const Info& i, int y) {
    return DibGetBits(block) + uint64_t(i.h - 1 - y) * i.stride;
}

int greyOf(int r, int g, int b) {
    return (3 * r + 6 * g + b) / 10;
}

} // namespace

HDIB DeriveHeightPlane(HDIB source) {
    Info s;
    if (!infoOf(source, &s))
        return nullptr;
    if (s.bits == 8 || s.bits == 16)
        return CutDib(source, RECT{0, 0, s.w, s.h});
    HDIB out = DibCreate(s.w, s.h, s.bits == 24 ? kKindGrey8 : kKindGrey16);
    if (!out)
        return nullptr;
    GlobalLockGuard in(source), o(out);
    Info d;
    infoOf(out, &d);
    for (int y = 0; y < s.h; ++y) {
        const BYTE* r = rowOf(in.get(), s, y);
        BYTE* t = rowOf(o.get(), d, y);
        for (int x = 0; x < s.w; ++x)
            if (s.bits == 24)
                t[x] = BYTE(greyOf(r[3 * x + 2], r[3 * x + 1], r[3 * x]));
            else
                le::put16(t + 2 * x, uint16_t(greyOf(le::get16(r + 6 * x + 4), le::get16(r + 6 * x + 2),
                                                     le::get16(r + 6 * x))));
    }
    return out;
}

HDIB CutDib(HDIB source, const RECT& rect) {
    Info s;
    if (!infoOf(source, &s))
        return nullptr;
    const LONG left = std::max<LONG>(rect.left, 0), top = std::max<LONG>(rect.top, 0);
    const LONG right = std::min<LONG>(rect.right, s.w), bottom = std::min<LONG>(rect.bottom, s.h);
    if (right <= left || bottom <= top)
        return nullptr;
    HDIB out = sameKind(source, right - left, bottom - top);
    if (!out)
        return nullptr;
    Info d;
    infoOf(out, &d);
    GlobalLockGuard in(source), o(out);
    const int bytes = s.bits / 8;
    for (int y = 0; y < d.h; ++y)
        std::memcpy(rowOf(o.get(), d, y), rowOf(in.get(), s, top + y) + uint64_t(left) * bytes,
                    uint64_t(d.w) * bytes);
    return out;
}

HDIB ResampleDib(HDIB source, int width, int height) {
    Info s;
    if (!infoOf(source, &s) || width <= 0 || height <= 0)
        return nullptr;
    HDIB out = sameKind(source, width, height);
    if (!out)
        return nullptr;
    Info d;
    infoOf(out, &d);
    GlobalLockGuard in(source), o(out);
    const int bytes = s.bits / 8;
    for (int y = 0; y < height; ++y) {
        const BYTE* r = rowOf(in.get(), s, int(int64_t(y) * s.h / height));
        BYTE* t = rowOf(o.get(), d, y);
        for (int x = 0; x < width; ++x)
            std::memcpy(t + uint64_t(x) * bytes, r + (int64_t(x) * s.w / width) * bytes, bytes);
    }
    return out;
}

bool SmoothHeightImage(HDIB image, int method, int widthIndex) {
    static const int kHalf[4] = {2, 4, 8, 12};
    static const int w0[] = {-3, 12, 17, 12, -3};
    static const int w1[] = {-21, 14, 39, 54, 59, 54, 39, 14, -21};
    static const int w2[] = {-21, -6, 7, 18, 27, 34, 39, 42, 43, 42, 39, 34, 27, 18, 7, -6, -21};
    static const int w3[] = {-253, -138, -33, 62,  147, 222, 287, 342, 387, 422, 447,  462, 467,
                             462,  447,  422, 387, 342, 287, 222, 147, 62,  -33, -138, -253};
    static const int* const kWeights[4] = {w0, w1, w2, w3};
    static const int kDivisor[4] = {53, 403, 603, 9883};
    Info s;
    if (widthIndex < 0 || widthIndex > 3 || !infoOf(image, &s) || (s.bits != 8 && s.bits != 16))
        return false;
    const int h = kHalf[widthIndex];
    if (s.w <= 2 * h || s.h <= 2 * h)
        return true; // no pixel lies far enough from the border
    GlobalLockGuard lock(image);
    std::vector<int> src(size_t(s.w) * size_t(s.h));
    for (int y = 0; y < s.h; ++y) {
        const BYTE* r = rowOf(lock.get(), s, y);
        for (int x = 0; x < s.w; ++x)
            src[size_t(y) * s.w + x] = s.bits == 8 ? r[x] : le::get16(r + 2 * x);
    }
    const int maximum = s.bits == 8 ? 255 : 65535;
    const int* weights = kWeights[widthIndex];
    for (int y = h; y < s.h - h; ++y) {
        BYTE* row = rowOf(lock.get(), s, y);
        for (int x = h; x < s.w - h; ++x) {
            const int centre = src[size_t(y) * s.w + x];
            int64_t sum = 0;
            int64_t divisor = 0;
            if (method == 0) {
                for (int j = -h; j <= h; ++j)
                    sum += src[size_t(y) * s.w + x + j] + src[size_t(y + j) * s.w + x];
                sum -= centre;
                divisor = 4 * h + 1;
            } else {
                for (int j = -h; j <= h; ++j)
                    sum += int64_t(weights[j + h]) *
                           (src[size_t(y) * s.w + x + j] + src[size_t(y + j) * s.w + x]);
                sum -= int64_t(weights[h]) * centre;
                divisor = kDivisor[widthIndex];
            }
            const int v = int(std::clamp<int64_t>(sum / divisor, 0, maximum));
            if (s.bits == 8)
                row[x] = BYTE(v);
            else
                le::put16(row + 2 * x, uint16_t(v));
        }
    }
    return true;
}

HDIB BuildLevelledImage(HDIB display, int* minLevel, int* maxLevel) {
    Info s;
    if (!infoOf(display, &s) || (s.bits != 8 && s.bits != 16))
        return nullptr;
    int lo = INT32_MAX, hi = INT32_MIN;
    {
        GlobalLockGuard lock(display);
        // 16-bit: every pixel; 8-bit: the interior (outermost rows and columns left out).
        const int inset = s.bits == 8 && s.w > 2 && s.h > 2 ? 1 : 0;
        for (int y = inset; y < s.h - inset; ++y) {
            const BYTE* r = rowOf(lock.get(), s, y);
            for (int x = inset; x < s.w - inset; ++x) {
                const int v = s.bits == 8 ? r[x] : le::get16(r + 2 * x);
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
        }
    }
    if (minLevel)
        *minLevel = lo;
    if (maxLevel)
        *maxLevel = hi;
    std::vector<BYTE> table(s.bits == 8 ? 256 : 65536);
    for (size_t v = 0; v < table.size(); ++v) {
        const int iv = int(v);
        if (iv < lo)
            table[v] = 0;
        else if (iv > hi)
            table[v] = 255;
        else
            table[v] = hi > lo ? BYTE(int64_t(255) * (iv - lo) / (hi - lo)) : 0;
    }
    HDIB out = DibCreate(s.w, s.h, kKindGrey8);
    if (!out)
        return nullptr;
    {
        GlobalLockGuard in(display), o(out);
        Info d;
        infoOf(out, &d);
        for (int y = 0; y < s.h; ++y) {
            const BYTE* r = rowOf(in.get(), s, y);
            BYTE* t = rowOf(o.get(), d, y);
            for (int x = 0; x < s.w; ++x)
                t[x] = table[s.bits == 8 ? r[x] : le::get16(r + 2 * x)];
        }
    }
    if (s.w < 512 && s.h < 512) {
        const int w = s.w >= s.h ? 512 : std::max(1, int(int64_t(512) * s.w / s.h));
        const int h = s.w >= s.h ? std::max(1, int(int64_t(512) * s.h / s.w)) : 512;
        HDIB big = ResampleDib(out, w, h);
        GlobalFree(out);
        out = big;
    }
    return out;
}

HDIB BuildGlTexture(HDIB source, int windowStart, int windowEnd, bool* tooLarge) {
    if (tooLarge)
        *tooLarge = false;
    Info s;
    if (!infoOf(source, &s))
        return nullptr;
    HDIB scaled = nullptr;
    int tw = 512, th = 512;
    if (s.w >= 512 || s.h >= 512) {
        if (s.w > 32768 || s.h > 32768) {
            if (tooLarge)
                *tooLarge = true;
            return nullptr;
        }
        tw = 2, th = 2;
        while (tw < s.w)
            tw *= 2;
        while (th < s.h)
            th *= 2;
    } else {
        const int w = s.w >= s.h ? 512 : std::max(1, int(int64_t(512) * s.w / s.h));
        const int h = s.w >= s.h ? std::max(1, int(int64_t(512) * s.h / s.w)) : 512;
        scaled = ResampleDib(source, w, h);
        if (!scaled)
            return nullptr;
        source = scaled;
        infoOf(source, &s);
    }
    HDIB out = DibCreate(tw, th, kKindRgb24);
    if (!out) {
        if (scaled)
            GlobalFree(scaled);
        return nullptr;
    }
    // 16-bit samples: the display window [start, end] mapped to 0..255 through one table.
    std::vector<BYTE> table;
    if (s.bits == 16 || s.bits == 48) {
        table.resize(65536);
        double step = std::abs(double(windowEnd) - windowStart + 1) / 256.0;
        if (step <= 0)
            step = 1;
        for (int v = 0; v < 65536; ++v)
            table[v] = v < windowStart  ? 0
                       : v >= windowEnd ? 255
                                        : BYTE(std::min(255.0, (v - windowStart) / step));
    }
    {
        GlobalLockGuard in(source), o(out);
        Info d;
        infoOf(out, &d);
        // Source rows from the bottom go into the texture's rows from the bottom.
        for (int k = 0; k < s.h && k < d.h; ++k) {
            const BYTE* r = DibGetBits(in.get()) + uint64_t(k) * s.stride;
            BYTE* t = DibGetBits(o.get()) + uint64_t(k) * d.stride;
            for (int x = 0; x < s.w && x < d.w; ++x) {
                int red, green, blue;
                switch (s.bits) {
                case 8:
                    red = green = blue = r[x];
                    break;
                case 16:
                    red = green = blue = table[le::get16(r + 2 * x)];
                    break;
                case 24:
                    red = r[3 * x + 2], green = r[3 * x + 1], blue = r[3 * x];
                    break;
                default:
                    red = table[le::get16(r + 6 * x + 4)], green = table[le::get16(r + 6 * x + 2)],
                    blue = table[le::get16(r + 6 * x)];
                    break;
                }
                t[3 * x] = BYTE(red); // red first: the texture is handed to OpenGL as RGB
                t[3 * x + 1] = BYTE(green);
                t[3 * x + 2] = BYTE(blue);
            }
        }
    }
    if (scaled)
        GlobalFree(scaled);
    return out;
}

} // namespace v3d
