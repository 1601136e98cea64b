// The image pane with a selectable region (the image pane of either screen): on a pane of image
// kind 0 the user drags a band; on release it becomes the document's region and the document
// cuts its processed images to it. While the application is idle the region's frame crawls.
//
// The band is XORed onto a copy of the painted picture and the frame is painted with the
// crawling patterns: both are composed in software, as the screen layer has no raster
// operations.
#pragma once

#include "viewer3d/app/PaneRole.h"
#include "viewer3d/measure/gui/BaseImgView.h"

#include <wx/bitmap.h>

namespace brx {

class CView3dDoc;

class CImageVw : public v3d::CBaseImgView {
public:
    CImageVw(wxWindow* parent, PaneRole role);

    void OnDraw(wxDC& dc) override;
    // The region (client or device rectangle) as an arc over it (ellipse flag), a frame in
    // pattern number antsPhase (frame flag) or four lines.
    void DrawRoiShape(wxDC& dc, const RECT& r, bool frame, bool ellipse) const;
    // 513 press, 512 move, 514 release, 0 the last drawing: 0, or -1 without a band, -3 without
    // memory for one.
    int DrawRoiBand(bool fromCurrent, UINT message);

    // Mouse handling (client pixels); shift squares the band.
    void OnLButtonDown(int x, int y);
    void OnMouseMove(int x, int y, bool leftDown, bool shift);
    void OnLButtonUp(int x, int y, bool shift);
    // The application's idle tick (lParam = idle count, 0 after input).
    LRESULT OnIdleTick(WPARAM, LPARAM idleCount);
    void OnEditCopy();

    PaneRole Role() const { return role_; }
    // Idle ticks taken so far and the idle count of the last one.
    int IdleTicks() const { return idleTicks_; }
    LPARAM LastIdleCount() const { return lastIdleCount_; }
    bool BandShown() const { return band_; }
    RECT BandRect() const { return bandRect_; }
    int roiPending = 0;

private:
    CView3dDoc* doc() const;
    POINT toImage(int x, int y) const;
    void afterRegion(bool changed);

    PaneRole role_;
    DWORD lastTick_ = 0;
    int idleTicks_ = 0;
    LPARAM lastIdleCount_ = 0;
    bool band_ = false;
    RECT bandRect_{};
    POINT start_{}, end_{};
    RECT previousRoi_{};
};

} // namespace brx
