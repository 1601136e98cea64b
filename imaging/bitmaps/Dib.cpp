// Bitmap header accessors, creation, copies and colour tables.
#include "imaging/bitmaps/Dib.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr DWORD kInfoHeaderSize = 40;
constexpr DWORD kCoreHeaderSize = 12;

enum class HeaderForm { Info, Core, Unknown };

HeaderForm headerForm(const void* block) {
    DWORD size = le::get32(block);
    if (size >= kInfoHeaderSize)
        return HeaderForm::Info;
    if (size == kCoreHeaderSize)
        return HeaderForm::Core;
    return HeaderForm::Unknown;
}

// Depth of a new bitmap of a kind; 0 for an unknown kind.
int kindBitCount(int kind) {
    switch (kind) {
    case DIB_KIND_GREY8:
    case DIB_KIND_CUBE8:
        return 8;
    case DIB_KIND_RGB24:
        return 24;
    case DIB_KIND_GREY16:
        return 16;
    case DIB_KIND_RGB48:
        return 48;
    default:
        return 0;
    }
}

// Colour-table entries counted in the block size of a kind.
uint64_t kindTableEntries(int kind) {
    return (kind == DIB_KIND_RGB24 || kind == DIB_KIND_RGB48) ? 1 : 256;
}

int depthKind(int bitCount) {
    switch (bitCount) {
    case 16:
        return DIB_KIND_GREY16;
    case 24:
        return DIB_KIND_RGB24;
    case 48:
        return DIB_KIND_RGB48;
    default:
        return DIB_KIND_GREY8;
    }
}

// The table copies move the entries that lie in the layout, and only when the whole table
// lies inside the block.
bool tableFits(HDIB bitmap, const void* block) {
    return uint64_t(DibHeaderSize(block)) + DibColorTableSize(block) <= GlobalSize(bitmap);
}

} // namespace

size_t DibStride(int64_t width, int bitCount) {
    // No block holds a row of 2^40 pixels; the limit keeps the product inside 64 bits.
    if (width < 1 || bitCount < 1 || width > (int64_t(1) << 40) || bitCount > 0xFFFF)
        return 0;
    uint64_t bits = static_cast<uint64_t>(width) * static_cast<uint64_t>(bitCount) + 31;
    return static_cast<size_t>((bits >> 5) << 2);
}

uint64_t DibCreateBlockSize(int width, int height, int kind) {
    int bitCount = kindBitCount(kind);
    if (bitCount == 0 || width < 1 || height < 1)
        return 0;
    uint64_t rows = static_cast<uint64_t>(height) * DibStride(width, bitCount);
    // The header records the row bytes in 32 bits; a bitmap it cannot describe is refused.
    if (rows > 0xFFFFFFFFull)
        return 0;
    return kInfoHeaderSize + kindTableEntries(kind) * 4 + rows;
}

// ---- header accessors ----------------------------------------------------------------------

DWORD DibHeaderSize(const void* block) {
    switch (headerForm(block)) {
    case HeaderForm::Info:
        return le::get32(block);
    case HeaderForm::Core:
        return kCoreHeaderSize;
    default:
        return kInfoHeaderSize;
    }
}

BYTE* DibGetBits(void* block) {
    return static_cast<BYTE*>(block) + DibHeaderSize(block) + DibColorTableSize(block);
}

const BYTE* DibGetBits(const void* block) {
    return static_cast<const BYTE*>(block) + DibHeaderSize(block) + DibColorTableSize(block);
}

LONG DibGetWidth(const void* block) {
    const auto* b = static_cast<const BYTE*>(block);
    switch (headerForm(block)) {
    case HeaderForm::Info:
        return le::getS32(b + 4);
    case HeaderForm::Core:
        return le::get16(b + 4);
    default:
        return 0;
    }
}

LONG DibGetHeight(const void* block) {
    const auto* b = static_cast<const BYTE*>(block);
    switch (headerForm(block)) {
    case HeaderForm::Info:
        return le::getS32(b + 8);
    case HeaderForm::Core:
        return le::get16(b + 6);
    default:
        return 0;
    }
}

WORD DibGetBitCount(const void* block) {
    const auto* b = static_cast<const BYTE*>(block);
    switch (headerForm(block)) {
    case HeaderForm::Info:
        return le::get16(b + 14);
    case HeaderForm::Core:
        return le::get16(b + 10);
    default:
        return 0;
    }
}

WORD DibTableEntriesForBitCount(int bitCount) {
    switch (bitCount) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

WORD DibColorCount(const void* block) {
    HeaderForm form = headerForm(block);
    if (form == HeaderForm::Unknown)
        return 0;
    if (form == HeaderForm::Info) {
        DWORD used = le::get32(static_cast<const BYTE*>(block) + 32);
        if (used != 0)
            return static_cast<WORD>(std::min<DWORD>(used, 0xFFFF));
    }
    return DibTableEntriesForBitCount(DibGetBitCount(block));
}

DWORD DibColorTableSize(const void* block) {
    DWORD entrySize = headerForm(block) == HeaderForm::Core ? 3 : 4;
    return DWORD(DibColorCount(block)) * entrySize;
}

// ---- creation and copies -------------------------------------------------------------------

HDIB DibCreate(int width, int height, int kind) {
    uint64_t size = DibCreateBlockSize(width, height, kind);
    if (size == 0 || size >= GlobalAvailableBytes())
        return nullptr;
    HDIB h = GlobalAlloc(GPTR, static_cast<SIZE_T>(size));
    if (!h)
        return nullptr;
    GlobalLockGuard lock(h);
    if (!lock) {
        GlobalFree(h);
        return nullptr;
    }
    BYTE* p = lock.get();
    int bitCount = kindBitCount(kind);
    BITMAPINFOHEADER hdr;
    hdr.biSize = kInfoHeaderSize;
    hdr.biWidth = width;
    hdr.biHeight = height;
    hdr.biPlanes = 1;
    hdr.biBitCount = static_cast<WORD>(bitCount);
    hdr.biCompression = BI_RGB;
    hdr.biSizeImage = static_cast<DWORD>(static_cast<uint64_t>(height) * DibStride(width, bitCount));
    hdr.Write(p);

    BYTE* table = p + kInfoHeaderSize;
    if (kind == DIB_KIND_GREY8) {
        for (int i = 0; i < 256; ++i) {
            BYTE* e = table + i * 4;
            e[0] = e[1] = e[2] = static_cast<BYTE>(i);
        }
    } else if (kind == DIB_KIND_CUBE8) {
        for (int i = 0; i < 216; ++i) {
            BYTE* e = table + i * 4;
            e[0] = static_cast<BYTE>((i % 6) * 51);        // blue
            e[1] = static_cast<BYTE>(((i % 36) / 6) * 51); // green
            e[2] = static_cast<BYTE>((i / 36) * 51);       // red
        }
    }
    return h;
}

HDIB DibCreateOfKind(int width, int height, int kind) {
    switch (kind) {
    case DIB_KIND_GREY8:
    case DIB_KIND_RGB24:
    case DIB_KIND_GREY16:
    case DIB_KIND_RGB48:
        return DibCreate(width, height, kind);
    default:
        return nullptr;
    }
}

HDIB DibCreateLike(HDIB bitmap, int mode) {
    GlobalLockGuard src(bitmap);
    if (!src)
        return nullptr;
    LONG w = DibGetWidth(src.get());
    LONG h = DibGetHeight(src.get());
    switch (mode) {
    case 1:
        return DibCreate(w, h, DIB_KIND_GREY8);
    case 2:
        return DibCreate(w, h, DIB_KIND_GREY16);
    case 0:
        break;
    default:
        return nullptr;
    }
    SIZE_T size = GlobalSize(bitmap);
    if (size == 0)
        return nullptr;
    HDIB out = GlobalAlloc(GPTR, size);
    if (!out)
        return nullptr;
    GlobalLockGuard dst(out);
    uint64_t head = uint64_t(DibHeaderSize(src.get())) + DibColorTableSize(src.get());
    std::memcpy(dst.get(), src.get(), static_cast<size_t>(std::min<uint64_t>(head, size)));
    return out;
}

HDIB DibRecreate(HDIB bitmap, const RECT* rect) {
    int bitCount = 0;
    if (bitmap) {
        GlobalLockGuard lock(bitmap);
        if (lock)
            bitCount = DibGetBitCount(lock.get());
    }
    GlobalFree(bitmap);
    if (!rect)
        return nullptr;
    return DibCreate(rect->Width(), rect->Height(), depthKind(bitCount));
}

// memcpy that large blocks (a focus series' frames) do in pieces on all threads, so that the
// fresh pages of the copy are first touched in parallel.
static void CopyBlockBytes(void* to, const void* from, SIZE_T size) {
    constexpr SIZE_T kPiece = SIZE_T(256) << 10, kParallelFrom = SIZE_T(4) << 20;
    if (size < kParallelFrom) {
        std::memcpy(to, from, size);
        return;
    }
    const int64_t pieces = static_cast<int64_t>((size + kPiece - 1) / kPiece);
#pragma omp parallel for schedule(dynamic, 1)
    for (int64_t k = 0; k < pieces; ++k) {
        const SIZE_T at = static_cast<SIZE_T>(k) * kPiece;
        std::memcpy(static_cast<BYTE*>(to) + at, static_cast<const BYTE*>(from) + at,
                    std::min(kPiece, size - at));
    }
}

HDIB DibDuplicate(HDIB bitmap) {
    SIZE_T size = GlobalSize(bitmap);
    GlobalLockGuard src(bitmap);
    if (!src || size == 0)
        return nullptr;
    HDIB out = GlobalAlloc(GPTR, size);
    if (!out)
        return nullptr;
    GlobalLockGuard dst(out);
    CopyBlockBytes(dst.get(), src.get(), size);
    return out;
}

HDIB DibCopyInto(HDIB source, HDIB target) {
    GlobalLockGuard src(source);
    SIZE_T size = GlobalSize(source);
    // A block that reports no size has nothing readable, not even a header.
    if (!src || size == 0)
        return nullptr;
    if (source == target)
        return target;
    if (!target || GlobalSize(target) != size) {
        GlobalFree(target);
        target = GlobalAlloc(GPTR, size);
        if (!target)
            return nullptr;
    }
    GlobalLockGuard dst(target);
    if (!dst) {
        GlobalFree(target);
        return nullptr;
    }
    CopyBlockBytes(dst.get(), src.get(), size);
    return target;
}

// ---- colour tables -------------------------------------------------------------------------

int DibGetColorTable(HDIB bitmap, RGBQUAD* entries) {
    GlobalLockGuard lock(bitmap);
    if (!lock || !entries)
        return 0;
    const BYTE* p = lock.get();
    WORD n = DibColorCount(p);
    const BYTE* table = p + DibHeaderSize(p);
    bool core = headerForm(p) == HeaderForm::Core;
    if (!tableFits(bitmap, p))
        return 0;
    for (WORD i = 0; i < n; ++i) {
        const BYTE* e = table + size_t(i) * (core ? 3 : 4);
        entries[i].rgbBlue = e[0];
        entries[i].rgbGreen = e[1];
        entries[i].rgbRed = e[2];
        entries[i].rgbReserved = core ? 0 : e[3];
    }
    return 1;
}

int DibSetColorTable(HDIB bitmap, const RGBQUAD* entries) {
    GlobalLockGuard lock(bitmap);
    if (!lock || !entries)
        return 0;
    BYTE* p = lock.get();
    WORD n = DibColorCount(p);
    BYTE* table = p + DibHeaderSize(p);
    bool core = headerForm(p) == HeaderForm::Core;
    if (!tableFits(bitmap, p))
        return 0;
    for (WORD i = 0; i < n; ++i) {
        BYTE* e = table + size_t(i) * (core ? 3 : 4);
        e[0] = entries[i].rgbBlue;
        e[1] = entries[i].rgbGreen;
        e[2] = entries[i].rgbRed;
        if (!core)
            e[3] = entries[i].rgbReserved;
    }
    return 1;
}
