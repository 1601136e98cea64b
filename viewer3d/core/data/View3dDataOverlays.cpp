// The contour and slice pictures of the 2D panes and the measurement picture fitted to a
// rectangle: View3dData members kept apart from the plane processing.
#include "ids/BrelvoxaIds.h"
#include "viewer3d/core/bitmaps/OverlayPictures.h"
#include "viewer3d/core/data/PlaneImages.h"
#include "viewer3d/core/data/View3dData.h"

#include <cstdlib>
#include <functional>

namespace v3d {

namespace {

bool sizeOf(HDIB dib, int* w, int* h) {
    GlobalLockGuard lock(dib);
    if (!lock)
        return false;
    *w = DibGetWidth(lock.get());
    *h = std::abs(static_cast<int>(DibGetHeight(lock.get())));
    return *w > 0 && *h > 0;
}

void replace(HDIB& slot, HDIB next) {
    if (slot && slot != next)
        GlobalFree(slot);
    slot = next;
}

// The height display image fitted for a pane, made again while it is flagged stale or none is
// kept.
HDIB overlayCache(View3dData& d, const RECT* target, HDIB& cache, int& stale,
                  const std::function<bool(RECT*)>& paneArea,
                  const std::function<HDIB(HDIB, int, int)>& resample, bool* noMemory) {
    *noMemory = false;
    int iw = 0, ih = 0;
    if (!sizeOf(d.heightDisplay, &iw, &ih))
        return nullptr;
    if (!stale && cache)
        return cache;
    RECT area{};
    if (target)
        area = *target;
    else if (!paneArea(&area))
        return nullptr;
    int fw = 0, fh = 0;
    if (!FitSize(iw, ih, area.right - area.left, area.bottom - area.top, &fw, &fh) || fw < 1 || fh < 1)
        return nullptr;
    // Within a tenth of the image's size the image itself is kept: the pane stretches it.
    const bool resize = stale || std::abs(fw - iw) > iw / 10 || std::abs(fh - ih) > ih / 10;
    HDIB next = resize ? resample(d.heightDisplay, fw, fh) : ResampleDib(d.heightDisplay, iw, ih);
    if (!next) {
        *noMemory = true;
        return nullptr;
    }
    replace(cache, next);
    stale = 0;
    return cache;
}

} // namespace

HDIB View3dData::ResampleImage(HDIB source, int /*type*/, int width, int height) {
    return ResampleDib(source, width, height);
}

int View3dData::BuildContourImage(const RECT* target) {
    bool noMemory = false;
    HDIB cache = overlayCache(
        *this, target, contourCache, contourStale,
        [this](RECT* a) { return OverlayTargetArea(kContentContour, a); },
        [this](HDIB s, int w, int h) { return ResampleImage(s, heightDisplayType, w, h); }, &noMemory);
    HDIB picture = cache ? MakeContourPicture(cache, view_.contourCount, minLevel, maxLevel) : nullptr;
    if (!picture) {
        if (noMemory || cache)
            ShowProcessingMessage(bxid::str::CannotCreateImage);
        return 0;
    }
    replace(contourOverlay, picture);
    return 1;
}

int View3dData::BuildBinaryImage(const RECT* target) {
    bool noMemory = false;
    HDIB cache = overlayCache(
        *this, target, binaryCache, binaryStale,
        [this](RECT* a) { return OverlayTargetArea(kContentSlice, a); },
        [this](HDIB s, int w, int h) { return ResampleImage(s, heightDisplayType, w, h); }, &noMemory);
    // The slice level is kept in calibrated units above the lowest level.
    const double zScale = calib_.zScale > 0.0 ? calib_.zScale : 1.0;
    HDIB picture = cache ? MakeSlicePicture(cache, view_.sliceLevel / zScale + minLevel) : nullptr;
    if (!picture) {
        if (noMemory || cache)
            ShowProcessingMessage(bxid::str::CannotCreateImage);
        return 0;
    }
    replace(binaryOverlay, picture);
    return 1;
}

HDIB View3dData::CreateRoiImages(const RECT* rect) {
    if (!rect || rect->right <= rect->left || rect->bottom <= rect->top)
        return nullptr;
    replace(fitted, nullptr);
    replace(fittedDisplay, nullptr);
    HDIB source = regionCut[1] ? regionCut[1] : texture_;
    if (!source)
        return nullptr;
    fitted = ResampleImage(source, textureType_, rect->right - rect->left, rect->bottom - rect->top);
    if (!fitted) {
        ShowProcessingMessage(bxid::str::CannotCreateImage);
        return nullptr;
    }
    fittedDisplay = DibConvertForDisplay(fitted, nullptr, windowStart, windowEnd, textureType_);
    return fittedDisplay ? fittedDisplay : fitted;
}

} // namespace v3d
