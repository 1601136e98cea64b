// Drawing bitmaps onto a drawing target. The core defines the target's calls with the meaning
// of the classic device-independent bitmap calls; the window layer implements them on its own
// drawing surface, and tests record them.
#pragma once

#include "platform/GlobalMemory.h"
#include "platform/WinTypes.h"

class CPalette;

constexpr int COLORONCOLOR = 3;
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr UINT DIB_RGB_COLORS = 0;

// Source coordinates of both drawing calls are bottom-up: source y 0 is the last image row
// (memory row 0). info is the bitmap block (header and colour table), bits its pixel rows.
class CDibDrawTarget {
public:
    virtual ~CDibDrawTarget() = default;
    // Selects a palette (or null) and returns the one selected before.
    virtual CPalette* SelectPalette(CPalette* palette, BOOL forceBackground) = 0;
    // Returns the previous mode.
    virtual int SetStretchBltMode(int mode) = 0;
    // Restricts the following drawing to a rectangle of the destination; null lifts the
    // restriction. A target that cannot clip draws everything and returns FALSE.
    virtual BOOL SetClipRect(const RECT* rect) {
        (void)rect;
        return FALSE;
    }
    // Unscaled: copies width x height source pixels starting at (xSrc, ySrc) to (xDest, yDest).
    // startScan and scanLines give the memory rows that bits holds (here always the whole
    // bitmap: 0 and its height). Returns the number of rows drawn, 0 on failure.
    virtual int SetDIBitsToDevice(int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc,
                                  UINT startScan, UINT scanLines, const void* bits, const BYTE* info,
                                  UINT colorUse) = 0;
    // Scaled: maps the source rectangle onto the destination rectangle. Returns the number of
    // rows drawn, 0 on failure.
    virtual int StretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                              int srcWidth, int srcHeight, const void* bits, const BYTE* info, UINT colorUse,
                              DWORD rop) = 0;
};

enum class DibDrawCall { SetDIBitsToDevice, StretchDIBits };

// Which call draws a source rectangle (from the top) into a destination rectangle, and with
// which numbers.
struct DibDrawPlan {
    DibDrawCall call = DibDrawCall::StretchDIBits;
    int xDest = 0, yDest = 0, destWidth = 0, destHeight = 0;
    int xSrc = 0, ySrc = 0, srcWidth = 0, srcHeight = 0; // ySrc bottom-up
};

// Equal widths and heights draw unscaled at the destination's top-left corner, others
// stretch; in both the source starts at x = left, y = bitmapHeight - bottom.
DibDrawPlan DibDrawMapping(const RECT& dest, const RECT& src, LONG bitmapHeight);

// Draws a source rectangle of the bitmap into the destination rectangle, with the palette
// selected as a background palette while it draws. Returns the drawing call's result; 0 for
// a null bitmap or target.
int DibDraw(CDibDrawTarget* target, const RECT* dest, HDIB bitmap, const RECT* src, CPalette* palette);
