#include "imaging/bitmaps/DibDraw.h"

#include "imaging/bitmaps/Dib.h"

DibDrawPlan DibDrawMapping(const RECT& dest, const RECT& src, LONG bitmapHeight) {
    DibDrawPlan plan;
    plan.call = dest.Width() == src.Width() && dest.Height() == src.Height() ? DibDrawCall::SetDIBitsToDevice
                                                                             : DibDrawCall::StretchDIBits;
    plan.xDest = dest.left;
    plan.yDest = dest.top;
    plan.destWidth = dest.Width();
    plan.destHeight = dest.Height();
    plan.xSrc = src.left;
    plan.ySrc = bitmapHeight - src.bottom;
    plan.srcWidth = src.Width();
    plan.srcHeight = src.Height();
    return plan;
}

int DibDraw(CDibDrawTarget* target, const RECT* dest, HDIB bitmap, const RECT* src, CPalette* palette) {
    if (!target || !bitmap || !dest || !src)
        return 0;
    const BYTE* info = static_cast<const BYTE*>(GlobalLock(bitmap));
    if (!info)
        return 0;
    CPalette* old = nullptr;
    if (palette)
        old = target->SelectPalette(palette, TRUE);
    target->SetStretchBltMode(COLORONCOLOR);
    LONG height = DibGetHeight(info);
    DibDrawPlan plan = DibDrawMapping(*dest, *src, height);
    int result;
    if (plan.call == DibDrawCall::SetDIBitsToDevice)
        result = target->SetDIBitsToDevice(plan.xDest, plan.yDest, static_cast<DWORD>(plan.srcWidth),
                                           static_cast<DWORD>(plan.srcHeight), plan.xSrc, plan.ySrc, 0,
                                           static_cast<UINT>(height), DibGetBits(info), info, DIB_RGB_COLORS);
    else
        result = target->StretchDIBits(plan.xDest, plan.yDest, plan.destWidth, plan.destHeight, plan.xSrc,
                                       plan.ySrc, plan.srcWidth, plan.srcHeight, DibGetBits(info), info,
                                       DIB_RGB_COLORS, SRCCOPY);
    GlobalUnlock(bitmap);
    if (palette)
        target->SelectPalette(old, TRUE);
    return result;
}
