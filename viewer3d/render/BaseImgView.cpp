#include "viewer3d/render/BaseImgView.h"

#include "imaging/gui/WxDibDrawTarget.h"
#include "ui/Document.h"
#include "viewer3d/core/Dib.h"
#include "viewer3d/render/View3dView.h"
#include "viewer3d/render/image/ImageGeometry.h"
#include "viewer3d/render/image/SoftwareRaster.h"

#include <wx/dc.h>
#include <wx/image.h>

#include <cstdlib>

namespace v3d {
namespace {

int heightOf(const void* block) {
    return std::abs(static_cast<int>(DibGetHeight(block)));
}

// An 8-bit overlay picture (white where set) as an RGB buffer, red where set.
wxBitmap redSlice(HDIB picture, int width, int height) {
    GlobalLockGuard lock(picture);
    image::RgbBuffer out(width, height, 0);
    if (!lock || width <= 0 || height <= 0)
        return {};
    const int w = DibGetWidth(lock.get()), h = heightOf(lock.get());
    image::RgbBuffer source(w, h, 0);
    std::vector<int> row(w);
    for (int y = 0; y < h; ++y) {
        v3d::DibReadRow(row.data(), lock.get(), 0, y, w);
        for (int x = 0; x < w; ++x)
            source.Set(x, y, row[x] ? RGB(255, 255, 255) : RGB(0, 0, 0));
    }
    image::MergeCopyRed(out, RECT{0, 0, width, height}, source);
    wxImage img(width, height);
    std::copy(out.rgb.begin(), out.rgb.end(), img.GetData());
    return wxBitmap(img);
}

} // namespace

CBaseImgView::CBaseImgView(wxWindow* parent, wxWindowID id) : ui::CanvasView(parent, id) {}

View3dData* CBaseImgView::data() const {
    auto* doc = dynamic_cast<SceneDocument*>(GetDocument());
    return doc ? &doc->SceneData() : nullptr;
}

HDIB CBaseImgView::pictureOf(View3dData& d, int kind) const {
    switch (kind) {
    case 0:
        return d.textureDisplay ? d.textureDisplay : d.TexturePlane();
    case 3:
        if (d.regionCut[1])
            return d.regionCutDisplay[1] ? d.regionCutDisplay[1] : d.regionCut[1];
        return pictureOf(d, 0);
    case 1:
    case 2:
        return d.heightDisplay;
    default:
        return nullptr;
    }
}

void CBaseImgView::OnDraw(wxDC& dc) {
    const wxSize size = dc.GetSize();
    clientRect = RECT{0, 0, size.x, size.y};
    dc.SetBackground(wxBrush(
        wxColour(GetRValue(backgroundColour), GetGValue(backgroundColour), GetBValue(backgroundColour))));
    dc.Clear();
    View3dData* d = data();
    if (!d || contentKind < 0 || contentKind > 3)
        return;
    HDIB picture = pictureOf(*d, contentKind);
    int w = 0, h = 0;
    {
        GlobalLockGuard lock(picture);
        if (!lock)
            return; // a missing image leaves the background
        w = DibGetWidth(lock.get());
        h = heightOf(lock.get());
    }
    RECT fit;
    if (!image::CalcFitRect(w, h, size.x, size.y, &fit))
        return; // an image of no size: background only
    if (contentKind == 0 || contentKind == 3) {
        CWxDibDrawTarget target(dc);
        RECT src{0, 0, w, h};
        v3d::DibDraw(&target, &fit, picture, &src, nullptr);
    } else {
        // The document builds the overlay pictures for the fitted rectangle; a pane shows the
        // one it holds, rebuilt when flagged or when the pane changed size by more than a tenth.
        HDIB overlay = contentKind == 1 ? d->contourOverlay : d->binaryOverlay;
        int& stale = contentKind == 1 ? d->contourStale : d->binaryStale;
        if (image::OverlayNeedsRebuild(overlay != nullptr, stale != 0, imageRect, fit))
            stale = 1;
        if (stale || !overlay) {
            if (contentKind == 1)
                d->BuildContourImage(&fit);
            else
                d->BuildBinaryImage(&fit);
            overlay = contentKind == 1 ? d->contourOverlay : d->binaryOverlay;
        }
        if (overlay) {
            const int fw = fit.right - fit.left, fh = fit.bottom - fit.top;
            if (contentKind == 2) {
                wxBitmap red = redSlice(overlay, fw, fh);
                if (red.IsOk())
                    dc.DrawBitmap(red, fit.left, fit.top);
            } else {
                CWxDibDrawTarget target(dc);
                GlobalLockGuard lock(overlay);
                RECT src{0, 0, DibGetWidth(lock.get()), heightOf(lock.get())};
                v3d::DibDraw(&target, &fit, overlay, &src, nullptr);
            }
        }
    }
    if (fit.left != imageRect.left || fit.top != imageRect.top || fit.right != imageRect.right ||
        fit.bottom != imageRect.bottom) {
        imageRect = fit;
        imageWidth = w;
        imageHeight = h;
    }
}

} // namespace v3d
