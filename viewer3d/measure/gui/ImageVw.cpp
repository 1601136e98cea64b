#include "viewer3d/measure/gui/ImageVw.h"

#include "ids/BrelvoxaIds.h"
#include "platform/MessageSink.h"
#include "platform/Time.h"
#include "viewer3d/app/MainFrame.h"
#include "viewer3d/measure/gui/MeasurePanes.h"
#include "viewer3d/app/View3dDoc.h"
#include "viewer3d/app/View3dFrm.h"
#include "viewer3d/measure/core/ImageGeometry.h"
#include "viewer3d/measure/core/SoftwareRaster.h"

#include <wx/dcmemory.h>
#include <wx/image.h>

#include <algorithm>
#include <cstring>

namespace brx {

namespace {

constexpr DWORD kAntsInterval = 300;

bool isEmpty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

bool sameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// XORs the band's outline onto the picture (white, each pixel once).
void xorBand(wxBitmap& picture, const RECT& band) {
    wxImage image = picture.ConvertToImage();
    v3d::image::RgbBuffer buffer(image.GetWidth(), image.GetHeight());
    std::memcpy(buffer.rgb.data(), image.GetData(), buffer.rgb.size());
    v3d::image::XorFrame(buffer, band);
    std::memcpy(image.GetData(), buffer.rgb.data(), buffer.rgb.size());
    picture = wxBitmap(image);
}

} // namespace

CImageVw::CImageVw(wxWindow* parent, PaneRole role) : v3d::CBaseImgView(parent), role_(role) {
    contentKind = v3d::kContentImage;
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    BindPaneMouse(this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) {
        band_ = false;
        Refresh(false);
    });
    Bind(wxEVT_CONTEXT_MENU, [this](wxContextMenuEvent& ev) {
        const wxPoint p =
            ev.GetPosition() == wxDefaultPosition ? wxPoint(0, 0) : ScreenToClient(ev.GetPosition());
        ShowPaneMenu(this, bxid::menu::CopyMenu, p.x, p.y);
    });
    OnMessage(WM_IDLE_TICK, &CImageVw::OnIdleTick);
    OnCommand(bxid::cmd::Copy, &CImageVw::OnEditCopy);
}

CView3dDoc* CImageVw::doc() const {
    return dynamic_cast<CView3dDoc*>(GetDocument());
}

POINT CImageVw::toImage(int x, int y) const {
    return v3d::image::SetImageMapping(imageRect, imageWidth, imageHeight).ToImage(x, y);
}

void CImageVw::OnDraw(wxDC& dc) {
    const wxSize size = GetClientSize();
    if (size.x <= 0 || size.y <= 0) {
        CBaseImgView::OnDraw(dc);
        return;
    }
    wxBitmap picture(size.x, size.y, 24);
    {
        wxMemoryDC m(picture);
        CBaseImgView::OnDraw(m);
    }
    const v3d::image::ImageMapping map = v3d::image::SetImageMapping(imageRect, imageWidth, imageHeight);
    if (band_ && map.Valid() && !isEmpty(bandRect_)) {
        const POINT a = map.ToClient(bandRect_.left, bandRect_.top);
        const POINT b = map.ToClient(bandRect_.right, bandRect_.bottom);
        xorBand(picture, RECT{a.x, a.y, b.x, b.y});
    }
    dc.DrawBitmap(picture, 0, 0);
    if (contentKind == v3d::kContentImage && map.Valid() && !isEmpty(roiRect)) {
        const POINT a = map.ToClient(roiRect.left, roiRect.top);
        const POINT b = map.ToClient(roiRect.right, roiRect.bottom);
        DrawRoiShape(dc, RECT{a.x, a.y, b.x, b.y}, true, roiPending != 0);
    }
}

void CImageVw::DrawRoiShape(wxDC& dc, const RECT& r, bool frame, bool ellipse) const {
    CrispLines(dc);
    if (ellipse) {
        dc.SetPen(wxPen(ToColour(frameColour), 1));
        dc.SetBrush(*wxTRANSPARENT_BRUSH);
        dc.DrawEllipse(r.left, r.top, r.right - r.left, r.bottom - r.top);
    } else if (frame) {
        DrawPatternFrame(dc, r, antsPhase, frameColour, RGB(0, 0, 0));
    } else {
        dc.SetPen(wxPen(ToColour(frameColour), 1));
        dc.DrawLine(r.left, r.top, r.right, r.top);
        dc.DrawLine(r.right, r.top, r.right, r.bottom);
        dc.DrawLine(r.right, r.bottom, r.left, r.bottom);
        dc.DrawLine(r.left, r.bottom, r.left, r.top);
    }
}

int CImageVw::DrawRoiBand(bool fromCurrent, UINT message) {
    if (message == 513) {
        band_ = true;
        bandRect_ = v3d::image::RubberRect(start_, end_, imageWidth, imageHeight);
        Refresh(false);
        return 0;
    }
    if (!band_)
        return -1;
    if (message == 512) {
        if (fromCurrent)
            bandRect_ = v3d::image::RubberRect(start_, end_, imageWidth, imageHeight);
        else
            antsPhase = v3d::image::NextAntsPhase(antsPhase);
        Refresh(false);
        return 0;
    }
    if (message == 514) {
        // The band's second drawing takes it off the picture.
        bandRect_ = RECT{};
        Refresh(false);
        return 0;
    }
    RECT roi{};
    if (v3d::image::ReleaseRoi(start_, end_, imageWidth, imageHeight, &roi)) {
        roiPending = 0;
        roiRect = roi;
    }
    band_ = false;
    Refresh(false);
    return 0;
}

void CImageVw::OnLButtonDown(int x, int y) {
    if (contentKind != v3d::kContentImage || isEmpty(imageRect) || !doc())
        return;
    if (!HasCapture())
        CaptureMouse();
    start_ = end_ = toImage(x, y);
    previousRoi_ = roiRect;
    if (x >= imageRect.left && x < imageRect.right && y >= imageRect.top && y < imageRect.bottom)
        roiRect = RECT{};
    const int result = DrawRoiBand(true, 513);
    if (result == -3)
        ShowMessage(bxid::str::RoiNotEnoughMemory, MB_OK | MB_ICONEXCLAMATION);
    else if (result == -1)
        ShowMessage(bxid::str::RoiFailed, MB_OK | MB_ICONEXCLAMATION);
}

void CImageVw::OnMouseMove(int x, int y, bool leftDown, bool shift) {
    if (contentKind != v3d::kContentImage || !leftDown || !HasCapture() || isEmpty(imageRect))
        return;
    POINT p = toImage(x, y);
    const bool inside = p.x >= 0 && p.x < imageWidth && p.y >= 0 && p.y < imageHeight;
    if (shift)
        v3d::image::SnapToDiagonal(start_, &p, imageWidth, imageHeight);
    if (!inside && p.x == end_.x && p.y == end_.y)
        return;
    end_ = p;
    const int result = DrawRoiBand(true, 512);
    if (result == -3)
        ShowMessage(bxid::str::RoiNotEnoughMemory, MB_OK | MB_ICONEXCLAMATION);
    else if (result == -1)
        ShowMessage(bxid::str::RoiFailed, MB_OK | MB_ICONEXCLAMATION);
}

void CImageVw::OnLButtonUp(int x, int y, bool shift) {
    if (!HasCapture())
        return;
    ReleaseMouse();
    CView3dDoc* d = doc();
    if (contentKind != v3d::kContentImage || !d || isEmpty(imageRect)) {
        band_ = false;
        return;
    }
    DrawRoiBand(false, 514);
    POINT p = toImage(x, y);
    if (shift)
        v3d::image::SnapToDiagonal(start_, &p, imageWidth, imageHeight);
    end_ = p;
    const RECT spanned{std::min(start_.x, end_.x), std::min(start_.y, end_.y), std::max(start_.x, end_.x),
                       std::max(start_.y, end_.y)};
    const bool misses =
        spanned.right < 0 || spanned.bottom < 0 || spanned.left >= imageWidth || spanned.top >= imageHeight;
    bool changed = false;
    if (misses && !isEmpty(roiRect)) {
        roiRect = previousRoi_; // a band beside the image keeps the region there was
        band_ = false;
        Refresh(false);
    } else {
        DrawRoiBand(false, 0);
        changed = !sameRect(roiRect, previousRoi_);
        if (changed)
            d->ApplyRoi(contentKind, roiRect);
    }
    afterRegion(changed);
}

void CImageVw::afterRegion(bool changed) {
    CView3dFrm* frame = FrameOfPane(this);
    CView3dDoc* d = doc();
    CMainFrame* main = MainOfPane(this);
    if (!frame || !d || !main)
        return;
    auto invalidate = [frame](PaneRole role, bool erase) {
        if (wxWindow* w = frame->GetPaneWindow(role))
            w->Refresh(erase);
    };
    if (d->ScreenMode() == v3d::kScreen3d) {
        for (PaneRole role : {kPaneContour, kPaneSlice, kPaneAreaGraph})
            invalidate(role, true);
        if (wxWindow* w = frame->GetPaneWindow(kPane3d))
            w->Refresh(false);
    } else if (changed) {
        const v3d::LineKind kind = d->LineKind();
        if (kind == v3d::kLineHorizontal || kind == v3d::kLineVertical) {
            int extent = 0;
            if (frame->GetPaneWindow(kPaneAnalysis)) {
                const bool whole = roiRect.right == roiRect.left && roiRect.bottom == roiRect.top;
                const bool horizontal = kind == v3d::kLineHorizontal;
                if (whole)
                    extent = horizontal ? imageHeight : imageWidth;
                else
                    extent = horizontal ? roiRect.bottom - roiRect.top : roiRect.right - roiRect.left;
            }
            if (extent < d->GetLineCount()) {
                d->SetLineCount(1);
                main->SetLineCountText("1");
            }
        }
        for (int k = 0; k < v3d::kLineKindCount; ++k) {
            d->SetLineCoord(2, k, -1.0);
            d->SetLineCoord(3, k, -1.0);
        }
        invalidate(kPaneAnalysis, false);
        invalidate(kPaneProfileGraph, true);
    }
    main->UpdatePanelsFromDoc(d);
}

LRESULT CImageVw::OnIdleTick(WPARAM, LPARAM idleCount) {
    ++idleTicks_;
    lastIdleCount_ = idleCount;
    if (idleCount == 0) {
        // The first idle call after input starts the interval: no step until it has passed.
        lastTick_ = GetTickCount();
        return 0;
    }
    // At least the interval since the stored tick (a stored tick equal to now has not elapsed).
    if (TicksSince(lastTick_) < kAntsInterval)
        return 0;
    lastTick_ = GetTickCount();
    antsPhase = v3d::image::NextAntsPhase(antsPhase);
    if (!isEmpty(roiRect))
        Refresh(false);
    return 0;
}

void CImageVw::OnEditCopy() {
    CView3dDoc* d = doc();
    CopyPaneToClipboard(this, ImagePaneOf(d ? d->ScreenMode() : v3d::kScreen3d));
}

} // namespace brx
