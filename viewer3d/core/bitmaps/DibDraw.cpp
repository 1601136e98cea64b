// Drawing the 3D viewer's bitmaps: one rectangle through a patched header, and large images in
// tiles.
#include "viewer3d/core/bitmaps/Dib.h"

#include <algorithm>
#include <cstring>

namespace v3d {

int DibDrawRect(CDibDrawTarget* target, const RECT* dest, BYTE* bits, void* block, const RECT* src,
                CPalette* palette) {
    if (!target || !dest || !bits || !block || !src || le::get32(block) < 40)
        return 0;
    const LONG width = DibGetWidth(block), height = DibGetHeight(block);
    // Only the part of the source inside the bitmap is drawn.
    if (src->left < 0 || src->top < 0 || src->right > width || src->bottom > height ||
        src->right <= src->left || src->bottom <= src->top)
        return 0;
    CPalette* old = palette ? target->SelectPalette(palette, TRUE) : nullptr;
    target->SetStretchBltMode(COLORONCOLOR);

    // The header is made to describe exactly the band of source rows, whose first memory row
    // lies (height - bottom) rows into the bits.
    auto* header = static_cast<BYTE*>(block);
    BYTE saved[40];
    std::memcpy(saved, header, sizeof saved);
    const LONG band = src->bottom - src->top;
    const uint64_t stride = DibStride(width, DibGetBitCount(block));
    le::put32(header + 8, static_cast<uint32_t>(band));
    le::put32(header + 20, static_cast<uint32_t>(std::min<uint64_t>(stride * band, 0xFFFFFFFFu)));
    const BYTE* bandBits = bits + stride * static_cast<uint64_t>(height - src->bottom);
    const LONG srcWidth = src->right - src->left;
    int result;
    if (dest->right - dest->left == srcWidth && dest->bottom - dest->top == band)
        result = target->SetDIBitsToDevice(dest->left, dest->top, static_cast<DWORD>(srcWidth),
                                           static_cast<DWORD>(band), src->left, 0, 0, static_cast<UINT>(band),
                                           bandBits, header, DIB_RGB_COLORS);
    else
        result =
            target->StretchDIBits(dest->left, dest->top, dest->right - dest->left, dest->bottom - dest->top,
                                  src->left, 0, srcWidth, band, bandBits, header, DIB_RGB_COLORS, SRCCOPY);
    std::memcpy(header, saved, sizeof saved);
    if (palette)
        target->SelectPalette(old, TRUE);
    return result;
}

int DibDraw(CDibDrawTarget* target, const RECT* dest, HDIB bitmap, const RECT* src, CPalette* palette) {
    GlobalLockGuard lock(bitmap);
    if (!lock)
        return 0;
    return DibDrawRect(target, dest, DibGetBits(lock.get()), lock.get(), src, palette);
}

int DibDrawTileSize(LONG width, LONG height) {
    const LONG larger = std::max(width, height);
    if (larger > 16384)
        return 128;
    if (larger > 4096)
        return 256;
    return 512;
}

int DibDrawClipped(CDibDrawTarget* target, HDIB bitmap, const RECT* region, const RECT* dest, const RECT* src,
                   CPalette* palette) {
    if (!target || !bitmap)
        return 0;
    GlobalLockGuard lock(bitmap);
    if (!lock || GlobalSize(bitmap) < 40 || le::get32(lock.get()) < 40)
        return 0;
    BYTE* block = lock.get();
    const LONG width = DibGetWidth(block), height = DibGetHeight(block);
    const int bitCount = DibGetBitCount(block);
    if (width <= 0 || height <= 0 ||
        uint64_t(DibHeaderSize(block)) + DibColorTableSize(block) +
                DibStride(width, bitCount) * uint64_t(height) >
            GlobalSize(bitmap))
        return 0;

    RECT source{0, 0, width, height};
    RECT destination{0, 0, width, height};
    if (region) {
        source = src ? *src : *region;
        destination = dest ? *dest : RECT{0, 0, source.right - source.left, source.bottom - source.top};
        RECT clip = *region;
        if (!src && !dest) {
            clip.left -= region->left, clip.right -= region->left;
            clip.top -= region->top, clip.bottom -= region->top;
        }
        target->SetClipRect(&clip);
    } else {
        if (src)
            source = *src;
        if (dest)
            destination = *dest;
    }
    // Only the part of the source inside the image is walked.
    const RECT asked = source;
    source.left = std::max<LONG>(source.left, 0), source.top = std::max<LONG>(source.top, 0);
    source.right = std::min(source.right, width), source.bottom = std::min(source.bottom, height);
    const int64_t srcW = asked.right - asked.left, dstW = destination.right - destination.left;
    if (source.right <= source.left || source.bottom <= source.top || srcW <= 0 || dstW <= 0) {
        if (region)
            target->SetClipRect(nullptr);
        return 0;
    }

    const int tile = DibDrawTileSize(width, height);
    HDIB work = nullptr;
    if (dstW != srcW && std::max(width, height) > 4096 && (bitCount == 8 || bitCount == 24)) {
        work = DibCreate(tile, tile, bitCount == 8 ? kKindGrey8 : kKindRgb24);
        if (work && bitCount == 8) {
            GlobalLockGuard w(work);
            const int n = std::min<int>(DibColorCount(block), 256);
            if (uint64_t(DibHeaderSize(block)) + uint64_t(n) * 4 <= GlobalSize(bitmap) &&
                le::get32(block) >= 40)
                std::memcpy(w.get() + 40, block + DibHeaderSize(block), size_t(n) * 4);
        }
    }
    BYTE* bits = DibGetBits(block);
    auto map = [&](int64_t c, LONG from, LONG to) {
        return static_cast<LONG>(to + (c - from) * dstW / srcW);
    };
    int drawn = 0;
    {
        GlobalLockGuard workLock(work);
        for (LONG y = source.top; y < source.bottom; y += tile) {
            for (LONG x = source.left; x < source.right; x += tile) {
                const RECT part{x, y, std::min<LONG>(x + tile, source.right),
                                std::min<LONG>(y + tile, source.bottom)};
                const RECT to{map(part.left, asked.left, destination.left),
                              map(part.top, asked.top, destination.top),
                              map(part.right, asked.left, destination.left),
                              map(part.bottom, asked.top, destination.top)};
                if (to.right <= to.left || to.bottom <= to.top)
                    continue;
                int r;
                if (work) {
                    // The work bitmap holds the tile at its top-left corner.
                    DibCopyRect(bitmap, work, part.left, part.top, part.right, part.bottom);
                    const RECT inWork{0, 0, part.right - part.left, part.bottom - part.top};
                    r = DibDrawRect(target, &to, DibGetBits(workLock.get()), workLock.get(), &inWork,
                                    palette);
                } else {
                    r = DibDrawRect(target, &to, bits, block, &part, palette);
                }
                if (r)
                    ++drawn;
            }
        }
    }
    if (region)
        target->SetClipRect(nullptr);
    GlobalFree(work);
    return drawn;
}

} // namespace v3d
