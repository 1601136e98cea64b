// The 3D viewer's bitmap creation, header queries, copies, colour tables and row access.
#include "viewer3d/core/bitmaps/Dib.h"

#include <algorithm>
#include <cstring>

namespace v3d {

namespace {

constexpr DWORD kInfoHeaderSize = 40;
constexpr DWORD kCoreHeaderSize = 12;

bool isCore(const void* block) {
    return le::get32(block) == kCoreHeaderSize;
}

int kindBitCount(int kind) {
    switch (kind) {
    case kKindGrey8:
    case kKindCube8:
        return 8;
    case kKindRgb24:
        return 24;
    case kKindGrey16:
        return 16;
    case kKindRgb48:
        return 48;
    default:
        return 0;
    }
}

// Width, height, depth, stride and rows of a locked bitmap whose rows lie inside its block.
struct Layout {
    int64_t width = 0;
    int64_t height = 0;
    int bitCount = 0;
    uint64_t stride = 0;
    BYTE* rows = nullptr;

    bool valid() const { return rows && width > 0 && height > 0 && stride > 0; }
    BYTE* row(int64_t y) const { return rows + static_cast<uint64_t>(height - 1 - y) * stride; }
};

Layout layoutOf(void* block, SIZE_T blockSize) {
    Layout l;
    if (!block || blockSize < kCoreHeaderSize)
        return l;
    const uint64_t head = uint64_t(DibHeaderSize(block)) + DibColorTableSize(block);
    l.width = DibGetWidth(block);
    l.height = DibGetHeight(block);
    l.bitCount = DibGetBitCount(block);
    if (l.width <= 0 || l.height <= 0 || head > blockSize)
        return Layout{};
    l.stride = DibStride(l.width, l.bitCount);
    if (l.stride == 0 || static_cast<uint64_t>(l.height) > (blockSize - head) / l.stride)
        return Layout{};
    l.rows = static_cast<BYTE*>(block) + head;
    return l;
}

// Rows of a pointer-only caller: the size of its global block, or what the header implies
// for memory that is no global block.
Layout layoutOf(void* block) {
    if (!block)
        return Layout{};
    if (HGLOBAL h = GlobalHandle(block))
        return layoutOf(block, GlobalSize(h));
    const uint64_t w = std::max<LONG>(DibGetWidth(block), 0);
    const uint64_t h = std::max<LONG>(DibGetHeight(block), 0);
    const uint64_t size = uint64_t(DibHeaderSize(block)) + DibColorTableSize(block) +
                          h * DibStride(static_cast<int64_t>(w), DibGetBitCount(block));
    return layoutOf(block, static_cast<SIZE_T>(size));
}

} // namespace

WORD DibColorCount(const void* block) {
    const DWORD size = le::get32(block);
    if (size != kCoreHeaderSize && size < kInfoHeaderSize)
        return 0;
    if (size >= kInfoHeaderSize) {
        const DWORD used = le::get32(static_cast<const BYTE*>(block) + 32);
        if (used != 0)
            return static_cast<WORD>(std::min<DWORD>(used, 0xFFFF));
    }
    switch (DibGetBitCount(block)) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
    case 16:
        return 256;
    default:
        return 0;
    }
}

DWORD DibColorTableSize(const void* block) {
    return DWORD(DibColorCount(block)) * (isCore(block) ? 3 : 4);
}

BYTE* DibGetBits(void* block) {
    return static_cast<BYTE*>(block) + DibHeaderSize(block) + DibColorTableSize(block);
}

const BYTE* DibGetBits(const void* block) {
    return static_cast<const BYTE*>(block) + DibHeaderSize(block) + DibColorTableSize(block);
}

HDIB DibCreate(int width, int height, int kind) {
    const int bitCount = kindBitCount(kind);
    const uint64_t size = ::DibCreateBlockSize(width, height, kind);
    if (bitCount == 0 || size == 0 || size >= GlobalAvailableBytes())
        return nullptr;
    HDIB h = GlobalAlloc(GHND, static_cast<SIZE_T>(size));
    if (!h)
        return nullptr;
    GlobalLockGuard lock(h);
    BYTE* p = lock.get();
    BITMAPINFOHEADER hdr;
    hdr.biWidth = width;
    hdr.biHeight = height;
    hdr.biBitCount = static_cast<WORD>(bitCount);
    hdr.biSizeImage = static_cast<DWORD>(static_cast<uint64_t>(height) * DibStride(width, bitCount));
    hdr.Write(p);
    BYTE* table = p + kInfoHeaderSize;
    if (kind == kKindGrey8 || kind == kKindGrey16) {
        for (int i = 0; i < 256; ++i)
            table[4 * i] = table[4 * i + 1] = table[4 * i + 2] = static_cast<BYTE>(i);
    } else if (kind == kKindCube8) {
        for (int i = 0; i < 216; ++i) {
            table[4 * i] = static_cast<BYTE>((i % 6) * 51);
            table[4 * i + 1] = static_cast<BYTE>(((i % 36) / 6) * 51);
            table[4 * i + 2] = static_cast<BYTE>((i / 36) * 51);
        }
    }
    return h;
}

HDIB DibCreateOfKind(int width, int height, int kind) {
    if (kind == kKindCube8)
        return nullptr;
    return DibCreate(width, height, kind);
}

HDIB DibCopyTopLeft(HDIB source, HDIB target, int mode) {
    if (mode != 1 || !source || !target || source == target)
        return nullptr;
    GlobalLockGuard s(source), t(target);
    if (!s || !t)
        return nullptr;
    const Layout src = layoutOf(s.get(), GlobalSize(source));
    const Layout dst = layoutOf(t.get(), GlobalSize(target));
    if (!src.valid() || !dst.valid() || src.bitCount != 16 || dst.bitCount != 16)
        return nullptr;
    if (dst.width > src.width || dst.height > src.height)
        return nullptr;
    for (int64_t y = 0; y < dst.height; ++y)
        std::memcpy(dst.row(y), src.row(y), static_cast<size_t>(dst.width) * 2);
    return target;
}

HDIB DibCopyRect(HDIB source, HDIB target, int left, int top, int right, int bottom) {
    if (!source || !target || source == target)
        return nullptr;
    GlobalLockGuard s(source), t(target);
    if (!s || !t)
        return nullptr;
    const Layout src = layoutOf(s.get(), GlobalSize(source));
    const Layout dst = layoutOf(t.get(), GlobalSize(target));
    if (!src.valid() || !dst.valid() || src.bitCount != dst.bitCount || DibBytesPerPixel(src.bitCount) == 0)
        return nullptr;
    const int64_t x0 = std::max<int64_t>(left, 0), y0 = std::max<int64_t>(top, 0);
    const int64_t x1 = std::min<int64_t>({right, src.width, x0 + dst.width});
    const int64_t y1 = std::min<int64_t>({bottom, src.height, y0 + dst.height});
    if (x1 <= x0 || y1 <= y0)
        return nullptr;
    // Whole pixels: one or three samples of one or two bytes.
    const size_t bpp = static_cast<size_t>(DibBytesPerPixel(src.bitCount));
    for (int64_t y = y0; y < y1; ++y)
        std::memcpy(dst.row(y - y0), src.row(y) + static_cast<size_t>(x0) * bpp,
                    static_cast<size_t>(x1 - x0) * bpp);
    return target;
}

namespace {

// The table of an 8- or 16-bit bitmap when it lies inside the block; entries and entry size.
BYTE* tableOf(void* block, SIZE_T blockSize, int* entries, int* entrySize) {
    const int bits = DibGetBitCount(block);
    if (bits != 8 && bits != 16 && bits != 1 && bits != 4)
        return nullptr;
    if (uint64_t(DibHeaderSize(block)) + DibColorTableSize(block) > blockSize)
        return nullptr;
    *entries = std::min<int>(DibColorCount(block), 256);
    *entrySize = isCore(block) ? 3 : 4;
    return static_cast<BYTE*>(block) + DibHeaderSize(block);
}

} // namespace

int DibGetColorTable(HDIB bitmap, RgbEntry* entries) {
    GlobalLockGuard lock(bitmap);
    if (!lock || !entries)
        return 0;
    int n = 0, es = 4;
    const BYTE* t = tableOf(lock.get(), GlobalSize(bitmap), &n, &es);
    if (!t)
        return 0;
    for (int i = 0; i < n; ++i, t += es)
        entries[i] = RgbEntry{t[2], t[1], t[0], es == 4 ? t[3] : BYTE(0)};
    return 1;
}

int DibSetColorTable(HDIB bitmap, const RgbEntry* entries) {
    GlobalLockGuard lock(bitmap);
    if (!lock || !entries)
        return 0;
    int n = 0, es = 4;
    BYTE* t = tableOf(lock.get(), GlobalSize(bitmap), &n, &es);
    if (!t)
        return 0;
    for (int i = 0; i < n; ++i, t += es) {
        t[0] = entries[i].blue;
        t[1] = entries[i].green;
        t[2] = entries[i].red;
        if (es == 4)
            t[3] = entries[i].reserved;
    }
    return 1;
}

namespace {

// The run of a row that lies inside the bitmap: first column and count; false when none.
bool clipRow(const Layout& l, int x, int y, int& count, int64_t& first) {
    if (!l.valid() || count <= 0 || y < 0 || y >= l.height || x >= l.width)
        return false;
    first = x;
    int64_t end = static_cast<int64_t>(x) + count;
    if (first < 0)
        first = 0;
    end = std::min<int64_t>(end, l.width);
    if (end <= first)
        return false;
    count = static_cast<int>(end - first);
    return true;
}

} // namespace

int DibReadRow(int* values, const void* block, int x, int y, int count) {
    if (!values)
        return 0;
    const Layout l = layoutOf(const_cast<void*>(block));
    int64_t first = 0;
    if (!clipRow(l, x, y, count, first))
        return 0;
    int* out = values + (first - x);
    const BYTE* row = l.row(y);
    switch (l.bitCount) {
    case 8:
        for (int i = 0; i < count; ++i)
            out[i] = row[first + i];
        break;
    case 16:
        for (int i = 0; i < count; ++i)
            out[i] = le::get16(row + 2 * (first + i));
        break;
    case 24:
        for (int i = 0; i < count; ++i)
            out[i] = row[3 * (first + i) + 2];
        break;
    case 48:
        for (int i = 0; i < count; ++i)
            out[i] = le::get16(row + 6 * (first + i) + 4);
        break;
    default:
        return 0;
    }
    return count;
}

int DibWriteRow(const int* values, void* block, int x, int y, int count) {
    if (!values)
        return 0;
    const Layout l = layoutOf(block);
    int64_t first = 0;
    if (!clipRow(l, x, y, count, first))
        return 0;
    const int* in = values + (first - x);
    BYTE* row = l.row(y);
    switch (l.bitCount) {
    case 8:
        for (int i = 0; i < count; ++i)
            row[first + i] = static_cast<BYTE>(in[i]);
        break;
    case 16:
        for (int i = 0; i < count; ++i)
            le::put16(row + 2 * (first + i), static_cast<uint16_t>(in[i]));
        break;
    case 24:
        for (int i = 0; i < count; ++i)
            row[3 * (first + i) + 2] = static_cast<BYTE>(in[i]);
        break;
    case 48:
        for (int i = 0; i < count; ++i)
            le::put16(row + 6 * (first + i) + 4, static_cast<uint16_t>(in[i]));
        break;
    default:
        return 0;
    }
    return count;
}

} // namespace v3d
