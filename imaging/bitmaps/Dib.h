// Bitmap handles: packed device-independent bitmaps in global memory and the flat set of
// operations on them.
//
// A block holds, with no gap, a header, a colour table and the pixel rows:
// - Header: a BITMAPINFOHEADER (biSize 40 for bitmaps made here; larger info headers of files
//   are accepted) or a 12-byte BITMAPCOREHEADER of old files. A block whose first word is
//   neither 12 nor at least 40 has no recognised header and reads as an empty bitmap (width,
//   height, bit count and colour count 0).
// - Colour table: DibColorCount entries, four bytes (blue, green, red, 0) after an info header,
//   three after a core header. 16-, 24- and 48-bit bitmaps made here have no table.
// - Pixel rows at DibGetBits, bottom-up: image row y (from the top) is memory row height-y-1.
//   A row is DibStride(width, bitCount) bytes.
//
// Colour planes are 0 red, 1 green, 2 blue. In a 24-bit pixel plane p is the byte at offset
// 2-p, in a 48-bit pixel the 16-bit sample at byte offset 4-2p. 16-bit samples are
// little-endian.
//
// Accessors and row operations take the pointer GlobalLock returned and trust their arguments
// (coordinates inside the bitmap). Creation and copies return null when the size is refused
// or memory is short; nothing is reported. Whoever receives a new handle frees it with
// GlobalFree. Drawing is in imaging/bitmaps/DibDraw.h.
#pragma once

#include "imaging/bitmaps/ImageTypes.h"
#include "platform/GlobalMemory.h"
#include "platform/WinTypes.h"

#include <cstddef>
#include <cstdint>

class CPalette;

// Bytes of one pixel of the sample depths bitmaps hold (8, 16, 24, 48 bits); 0 for any other.
constexpr int DibBytesPerPixel(int bitCount) {
    return bitCount == 8 ? 1 : bitCount == 16 ? 2 : bitCount == 24 ? 3 : bitCount == 48 ? 6 : 0;
}

// Bytes of one pixel row: ((width * bitCount + 31) >> 5) << 2, computed in 64 bits; 0 for a
// width or bit count below 1 or a width beyond 2^40.
size_t DibStride(int64_t width, int bitCount);

// Colour-table entries a bit count implies when the header names no count: 2, 16 or 256 for
// 1, 4 or 8 bits, 0 for deeper pixels.
WORD DibTableEntriesForBitCount(int bitCount);

// Block size DibCreate allocates for a kind: 40 + entries * 4 + height * stride (entries 256
// for kinds 0, 2 and 3, 1 for kinds 1 and 4). 0 when the kind is unknown or the size is
// refused: width or height below 1, or pixel rows beyond what biSizeImage can record.
uint64_t DibCreateBlockSize(int width, int height, int kind);

// ---- header accessors (argument: the locked block) -----------------------------------------
DWORD DibHeaderSize(const void* block); // 40+ for info headers, 12 for core headers
BYTE* DibGetBits(void* block);
const BYTE* DibGetBits(const void* block);
LONG DibGetWidth(const void* block);
LONG DibGetHeight(const void* block);
WORD DibGetBitCount(const void* block);
WORD DibColorCount(const void* block);
DWORD DibColorTableSize(const void* block);

// ---- creation and copies -------------------------------------------------------------------
// A zero-filled bitmap of a DibCreateKind with its header and table; created only when its
// size is below GlobalAvailableBytes().
HDIB DibCreate(int width, int height, int kind);
// DibCreate for kinds 0, 1, 3 and 4; null for the colour-cube kind and every other one.
HDIB DibCreateOfKind(int width, int height, int kind);
// Same width and height: mode 1 8-bit grey, mode 2 16-bit, mode 0 a block of the source's
// size with its header and colour table and zero rows. Null for other modes or a null source.
HDIB DibCreateLike(HDIB bitmap, int mode);
// Frees the bitmap and returns an empty one of the rectangle's size and the same depth
// (16 -> kind 3, 24 -> kind 1, 48 -> kind 4, anything else -> kind 0).
HDIB DibRecreate(HDIB bitmap, const RECT* rect);
// A byte copy of the block in a new zero-initialised block of the same size.
HDIB DibDuplicate(HDIB bitmap);
// Copies the source into the target, reusing the target when its size matches; otherwise the
// target (if any) is freed and a new block returned. The result replaces the caller's handle;
// on a failed allocation it is null and the old target is gone. A null or empty source
// returns null and leaves the target alone.
HDIB DibCopyInto(HDIB source, HDIB target);

// ---- colour tables and palettes ------------------------------------------------------------
// Copy DibColorCount four-byte (blue, green, red, reserved) entries between the bitmap's table
// and a caller array (a core header's three-byte entries are converted). Bitmaps without a
// table (16, 24 and 48 bits made here) are left alone. 1 on success, 0 for a null bitmap.
int DibGetColorTable(HDIB bitmap, RGBQUAD* entries);
int DibSetColorTable(HDIB bitmap, const RGBQUAD* entries);
// A palette with exactly DibColorCount entries (red, green, blue, flags 0) from the table;
// the creation result, 0 when the bitmap has no table or memory fails.
BOOL DibCreateTablePalette(HDIB bitmap, CPalette* palette);
// A 256-entry palette for showing the bitmap on an 8-bit screen; see DibPalette.cpp. The
// creation result, 0 for a null bitmap, a bitmap without colours or failed memory.
BOOL DibCreateDisplayPalette(HDIB bitmap, CPalette* palette, BYTE entryFlags, int mode);

// ---- planes, rows and samples --------------------------------------------------------------
// The selected colour plane belongs to the calling thread; it is 0 until the thread selects
// another. Values outside 0..2 are ignored.
void DibSelectPlane(int plane);
int DibGetSelectedPlane();

// count samples of image row y from column x: 8-bit bytes, 16-bit samples, or the selected
// plane of 24- and 48-bit pixels. A count below 1 or another depth reads nothing.
void DibReadRow(int* values, const void* block, int x, int y, int count);
// The reverse; each value is stored truncated to 8 or 16 bits, the rest of the pixel kept.
void DibWriteRow(const int* values, void* block, int x, int y, int count);
// The same for count samples of column x from row y downwards.
void DibReadColumn(int* values, const void* block, int x, int y, int count);
void DibWriteColumn(const int* values, void* block, int x, int y, int count);

// One sample of the given plane (not the selected one) of a bitmap by handle; 0 for an
// unsupported depth, a null bitmap or a plane outside 0..2 on 24 and 48 bits.
int DibGetPixel(HDIB bitmap, int x, int y, int plane);
void DibSetPixel(HDIB bitmap, int x, int y, int plane, int value);
// One sample from raw bottom-up rows without a header; 0 for a pixel size other than 1, 2, 3
// or 6 bytes or a plane outside 0..2 on 3 and 6 bytes.
int DibGetSample(int x, int y, int plane, int bytesPerPixel, const BYTE* rowBase, size_t stride, int height);
