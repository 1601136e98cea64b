// Fixed-width integer and structure types used throughout the system, with explicit
// little-endian codecs for the structures that are stored in files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

using BOOL = int32_t;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using UINT = uint32_t;
using INT = int32_t;
using SHORT = int16_t;
using USHORT = uint16_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using COLORREF = uint32_t;
using LPVOID = void*;
using LPCSTR = const char*;
using LPSTR = char*;

// Opaque handles. A window handle names a window of the window layer (ui/), which maps it to
// its own object; the core passes it through without looking inside.
struct HWND__;
using HWND = HWND__*;
using HMODULE = void*;
using HINSTANCE = void*;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }
constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
constexpr WORD LOWORD(uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr LONG MAKELONG(WORD lo, WORD hi) {
    return static_cast<LONG>(static_cast<DWORD>(lo) | (static_cast<DWORD>(hi) << 16));
}

struct POINT {
    LONG x = 0;
    LONG y = 0;
};

struct SIZE {
    LONG cx = 0;
    LONG cy = 0;
};

struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
    LONG Width() const { return right - left; }
    LONG Height() const { return bottom - top; }
};

// ---- little-endian codecs ----------------------------------------------------------------
namespace le {
inline uint16_t get16(const void* p) {
    const auto* b = static_cast<const uint8_t*>(p);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}
inline uint32_t get32(const void* p) {
    const auto* b = static_cast<const uint8_t*>(p);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}
inline int32_t getS32(const void* p) { return static_cast<int32_t>(get32(p)); }
inline int16_t getS16(const void* p) { return static_cast<int16_t>(get16(p)); }
inline uint64_t get64(const void* p) {
    return static_cast<uint64_t>(get32(p)) |
           (static_cast<uint64_t>(get32(static_cast<const uint8_t*>(p) + 4)) << 32);
}
inline double getDouble(const void* p) {
    uint64_t u = get64(p);
    double d;
    std::memcpy(&d, &u, sizeof d);
    return d;
}
inline void put16(void* p, uint16_t v) {
    auto* b = static_cast<uint8_t*>(p);
    b[0] = static_cast<uint8_t>(v);
    b[1] = static_cast<uint8_t>(v >> 8);
}
inline void put32(void* p, uint32_t v) {
    auto* b = static_cast<uint8_t*>(p);
    b[0] = static_cast<uint8_t>(v);
    b[1] = static_cast<uint8_t>(v >> 8);
    b[2] = static_cast<uint8_t>(v >> 16);
    b[3] = static_cast<uint8_t>(v >> 24);
}
inline void put64(void* p, uint64_t v) {
    put32(p, static_cast<uint32_t>(v));
    put32(static_cast<uint8_t*>(p) + 4, static_cast<uint32_t>(v >> 32));
}
inline void putDouble(void* p, double d) {
    uint64_t u;
    std::memcpy(&u, &d, sizeof u);
    put64(p, u);
}
} // namespace le

// ---- bitmap structures ---------------------------------------------------------------------
// In memory these are plain structs of fixed-width fields; in files and in bitmap blocks they
// are always read and written through Read/Write, which fix the byte order and the layout.

struct BITMAPFILEHEADER {
    WORD bfType = 0;
    DWORD bfSize = 0;
    WORD bfReserved1 = 0;
    WORD bfReserved2 = 0;
    DWORD bfOffBits = 0;

    static constexpr size_t kSize = 14;
    static BITMAPFILEHEADER Read(const void* p) {
        const auto* b = static_cast<const uint8_t*>(p);
        BITMAPFILEHEADER h;
        h.bfType = le::get16(b);
        h.bfSize = le::get32(b + 2);
        h.bfReserved1 = le::get16(b + 6);
        h.bfReserved2 = le::get16(b + 8);
        h.bfOffBits = le::get32(b + 10);
        return h;
    }
    void Write(void* p) const {
        auto* b = static_cast<uint8_t*>(p);
        le::put16(b, bfType);
        le::put32(b + 2, bfSize);
        le::put16(b + 6, bfReserved1);
        le::put16(b + 8, bfReserved2);
        le::put32(b + 10, bfOffBits);
    }
};

struct BITMAPINFOHEADER {
    DWORD biSize = 40;
    LONG biWidth = 0;
    LONG biHeight = 0;
    WORD biPlanes = 1;
    WORD biBitCount = 0;
    DWORD biCompression = 0;
    DWORD biSizeImage = 0;
    LONG biXPelsPerMeter = 0;
    LONG biYPelsPerMeter = 0;
    DWORD biClrUsed = 0;
    DWORD biClrImportant = 0;

    static constexpr size_t kSize = 40;
    static BITMAPINFOHEADER Read(const void* p) {
        const auto* b = static_cast<const uint8_t*>(p);
        BITMAPINFOHEADER h;
        h.biSize = le::get32(b);
        h.biWidth = le::getS32(b + 4);
        h.biHeight = le::getS32(b + 8);
        h.biPlanes = le::get16(b + 12);
        h.biBitCount = le::get16(b + 14);
        h.biCompression = le::get32(b + 16);
        h.biSizeImage = le::get32(b + 20);
        h.biXPelsPerMeter = le::getS32(b + 24);
        h.biYPelsPerMeter = le::getS32(b + 28);
        h.biClrUsed = le::get32(b + 32);
        h.biClrImportant = le::get32(b + 36);
        return h;
    }
    void Write(void* p) const {
        auto* b = static_cast<uint8_t*>(p);
        le::put32(b, biSize);
        le::put32(b + 4, static_cast<uint32_t>(biWidth));
        le::put32(b + 8, static_cast<uint32_t>(biHeight));
        le::put16(b + 12, biPlanes);
        le::put16(b + 14, biBitCount);
        le::put32(b + 16, biCompression);
        le::put32(b + 20, biSizeImage);
        le::put32(b + 24, static_cast<uint32_t>(biXPelsPerMeter));
        le::put32(b + 28, static_cast<uint32_t>(biYPelsPerMeter));
        le::put32(b + 32, biClrUsed);
        le::put32(b + 36, biClrImportant);
    }
};

struct BITMAPCOREHEADER {
    DWORD bcSize = 12;
    WORD bcWidth = 0;
    WORD bcHeight = 0;
    WORD bcPlanes = 1;
    WORD bcBitCount = 0;

    static constexpr size_t kSize = 12;
    static BITMAPCOREHEADER Read(const void* p) {
        const auto* b = static_cast<const uint8_t*>(p);
        BITMAPCOREHEADER h;
        h.bcSize = le::get32(b);
        h.bcWidth = le::get16(b + 4);
        h.bcHeight = le::get16(b + 6);
        h.bcPlanes = le::get16(b + 8);
        h.bcBitCount = le::get16(b + 10);
        return h;
    }
    void Write(void* p) const {
        auto* b = static_cast<uint8_t*>(p);
        le::put32(b, bcSize);
        le::put16(b + 4, bcWidth);
        le::put16(b + 6, bcHeight);
        le::put16(b + 8, bcPlanes);
        le::put16(b + 10, bcBitCount);
    }
};

// One colour-table entry as stored after a 40-byte header: blue, green, red, reserved.
struct RGBQUAD {
    BYTE rgbBlue = 0;
    BYTE rgbGreen = 0;
    BYTE rgbRed = 0;
    BYTE rgbReserved = 0;
};
static_assert(sizeof(RGBQUAD) == 4, "RGBQUAD is four bytes in bitmap blocks");

// One colour-table entry after a 12-byte core header.
struct RGBTRIPLE {
    BYTE rgbtBlue = 0;
    BYTE rgbtGreen = 0;
    BYTE rgbtRed = 0;
};
static_assert(sizeof(RGBTRIPLE) == 3, "RGBTRIPLE is three bytes in bitmap blocks");

// A logical palette entry (red, green, blue, flags).
struct PALETTEENTRY {
    BYTE peRed = 0;
    BYTE peGreen = 0;
    BYTE peBlue = 0;
    BYTE peFlags = 0;
};
static_assert(sizeof(PALETTEENTRY) == 4, "PALETTEENTRY is four bytes");

constexpr WORD kBitmapFileType = 0x4D42; // "BM"
constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_RLE8 = 1;
constexpr DWORD BI_RLE4 = 2;
constexpr DWORD BI_BITFIELDS = 3;
