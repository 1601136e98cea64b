// The 3D viewer's operations on packed device-independent bitmaps (HDIB). They keep the names
// of the main program's operations (imaging/bitmaps/Dib.h) and share its stride, block size and header
// readers, but differ where the viewer's bitmaps differ:
// - A 16-bit bitmap carries a 256-entry colour table (a grey ramp unless pseudo colours were
//   put in): DibColorCount counts 256 for 16 bits, so its rows start at 40 + 1024.
// - 24- and 48-bit bitmaps reserve four uncounted bytes after the header in their block; their
//   rows start right after the header.
// - Row reads and writes of colour bitmaps take the red sample; there is no plane selection.
// - Colour tables are exchanged as (red, green, blue, reserved) entries.
// - Its own display palette and display conversion (DibConvertForDisplay).
//
// Every operation checks its handles, depths and rectangles: a null handle, an unsupported
// depth or a refused size gives null or 0 and leaves the inputs as they were; rectangles and
// rows are clipped to both bitmaps.
#pragma once

#include "imaging/bitmaps/Dib.h"
#include "imaging/bitmaps/DibDraw.h"
#include "imaging/bitmaps/ImageTypes.h"
#include "platform/GlobalMemory.h"
#include "platform/WinTypes.h"

#include <cstddef>
#include <cstdint>

class CPalette;

namespace v3d {

// Kinds of DibCreate as plain ints (the shared enumeration would draw the main program's
// functions into overload resolution).
constexpr int kKindGrey8 = DIB_KIND_GREY8;   // 8 bits, grey ramp
constexpr int kKindRgb24 = DIB_KIND_RGB24;   // 24 bits
constexpr int kKindCube8 = DIB_KIND_CUBE8;   // 8 bits, 6 x 6 x 6 colour cube
constexpr int kKindGrey16 = DIB_KIND_GREY16; // 16 bits, grey ramp table
constexpr int kKindRgb48 = DIB_KIND_RGB48;   // 48 bits

// One colour-table entry as the viewer's tables hold it.
struct RgbEntry {
    BYTE red = 0;
    BYTE green = 0;
    BYTE blue = 0;
    BYTE reserved = 0;
};
static_assert(sizeof(RgbEntry) == 4, "a table of 256 entries is 1024 bytes");

// Shared with the main program: same layout rules.
using ::DibCreateBlockSize;
using ::DibGetBitCount;
using ::DibGetHeight;
using ::DibGetWidth;
using ::DibHeaderSize;
using ::DibStride;

// Entries of the colour table: biClrUsed when set (info header); else 2, 16, 256, 256 for
// 1, 4, 8 and 16 bits, 0 for other depths.
WORD DibColorCount(const void* block);
// Bytes of the table: count x 4 after an info header, x 3 after a 12-byte core header.
DWORD DibColorTableSize(const void* block);
BYTE* DibGetBits(void* block);
const BYTE* DibGetBits(const void* block);

// A zero-filled bitmap of a kind (0 grey 8, 1 rgb 24, 2 colour cube 8, 3 grey 16 with the grey
// ramp, 4 rgb 48) whose block is below the available physical plus swap memory; null for any
// other kind, a width or height below 1 or a refused size.
HDIB DibCreate(int width, int height, int kind);
// DibCreate for kinds 0, 1, 3 and 4; null for the cube and any other kind.
HDIB DibCreateOfKind(int width, int height, int kind);
// Copies the whole block into the target, reallocating it when the sizes differ (see
// imaging/bitmaps/Dib.h); returns the target or null.
using ::DibCopyInto;
// Copies the top-left target-sized part of a 16-bit source into a 16-bit target (mode 1);
// null and nothing copied unless the target is no wider and no taller than the source.
HDIB DibCopyTopLeft(HDIB source, HDIB target, int mode);
// Copies the source rectangle (x from the left, y from the top, right and bottom exclusive)
// to the target's top-left corner; source and target of the same depth (8, 16, 24 or 48).
// The rectangle is clipped to the source and to the target's size. Returns the target, null
// when nothing could be copied.
HDIB DibCopyRect(HDIB source, HDIB target, int left, int top, int right, int bottom);

// Copy the table between the bitmap and 256 entries (at most 256 are moved). 8- and 16-bit
// bitmaps only; 0 for 24- and 48-bit ones (their reserved entry is not counted) and for null.
int DibGetColorTable(HDIB bitmap, RgbEntry* entries);
int DibSetColorTable(HDIB bitmap, const RgbEntry* entries);

// count samples of row y (from the top) from column x: bytes of 8-bit, words of 16-bit, the
// red byte or word of 24- and 48-bit pixels. Clipped to the row; returns the number moved (0
// when count <= 0). Writes store the low 8 or 16 bits.
int DibReadRow(int* values, const void* block, int x, int y, int count);
int DibWriteRow(const int* values, void* block, int x, int y, int count);

// A 256-entry palette for palette screens (see DibDisplay.cpp); nonzero on success.
BOOL DibCreateDisplayPalette(HDIB bitmap, CPalette* palette, BYTE entryFlags);

// Screen depth the display conversion decides by: the imaging core's screen query
// (GetScreenCaps in imaging/files/SECImage.h; 24 on GTK3, tests install 8).
int DisplayBitsPerPixel();
// The bitmap to show on the screen with levels [start, end] of the slot type mapped to 0..255;
// see DibDisplay.cpp. target (or null) is reused when it has the output's size and depth,
// else freed. Null when no conversion is needed (8-bit sources; 24-bit on a deep screen; the
// target is then freed) or memory is refused.
HDIB DibConvertForDisplay(HDIB source, HDIB target, int start, int end, int type);

// ---- drawing (DibDraw.cpp) ----------------------------------------------------------------
// Draws the source rectangle (from the top) of a locked bitmap into the destination
// rectangle: the header is patched for the band of source rows and put back afterwards;
// unscaled when the sizes agree, stretched otherwise. The drawing call's result; 0 when the
// source rectangle does not meet the bitmap.
int DibDrawRect(CDibDrawTarget* target, const RECT* dest, BYTE* bits, void* block, const RECT* src,
                CPalette* palette);
// Locks, DibDrawRect, unlocks; 0 for a null handle. Call it as v3d::DibDraw: the main
// program's DibDraw takes the same arguments.
int DibDraw(CDibDrawTarget* target, const RECT* dest, HDIB bitmap, const RECT* src, CPalette* palette);

// Tile edge of the clipped drawing: 512, 256 beyond 4096 pixels, 128 beyond 16384.
int DibDrawTileSize(LONG width, LONG height);
// Draws the bitmap in tiles. region (device coordinates, or null) clips the drawing; without
// rectangles its box is the source and the destination is (0, 0, box size). dest and src
// default to the whole image at (0, 0). A tile (x, y) of the source maps to dest.left +
// (x - src.left) x dest width / src width (the same ratio down). Images beyond 4096 pixels of
// 8 or 24 bits that are stretched go through a work bitmap of one tile. Returns the number of
// tiles drawn.
int DibDrawClipped(CDibDrawTarget* target, HDIB bitmap, const RECT* region, const RECT* dest, const RECT* src,
                   CPalette* palette);

} // namespace v3d
