// The bitmap drawing calls on a wx device context. GTK has no palettes: a selected palette is
// remembered and handed back, the colours come from each bitmap's own table. Both stretch
// modes draw with nearest-neighbour sampling (the colour-on-colour mode).
#pragma once

#include "imaging/bitmaps/DibDraw.h"

#include <cstdint>

class wxDC;
class wxImage;

class CWxDibDrawTarget : public CDibDrawTarget {
public:
    explicit CWxDibDrawTarget(wxDC& dc) : m_dc(dc) {}

    CPalette* SelectPalette(CPalette* palette, BOOL forceBackground) override;
    int SetStretchBltMode(int mode) override;
    BOOL SetClipRect(const RECT* rect) override;
    int SetDIBitsToDevice(int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc, UINT startScan,
                          UINT scanLines, const void* bits, const BYTE* info, UINT colorUse) override;
    int StretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                      int srcHeight, const void* bits, const BYTE* info, UINT colorUse, DWORD rop) override;

    // Whether a picture of width x height pixels fits in the memory free now as an RGB image
    // (3 bytes a pixel) and as the bitmap it is drawn through (4). Checked before the toolkit
    // is asked for either: the toolkit ends the process when it cannot allocate a bitmap.
    static bool RoomForPicture(int64_t width, int64_t height);
    // The source rectangle (bottom-up y as in the calls) as an RGB image; false when the
    // bitmap's format is not drawable, the rectangle leaves the bitmap or the picture does not
    // fit in memory (RoomForPicture).
    static bool ExtractRect(const BYTE* info, const void* bits, int xSrc, int ySrc, int width, int height,
                            wxImage& out);

private:
    wxDC& m_dc;
    CPalette* m_palette = nullptr;
    int m_mode = COLORONCOLOR;
};
