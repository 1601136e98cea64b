// The measurement image with its measuring line (kPaneAnalysis): a horizontal, vertical or free
// line with the band of parallel lines around it and the cross lines of the profile cursors A
// and B. The user drags the line and the cursors or draws a new free line; on release the
// document takes the profile again and the profile graph is redrawn.
//
// The overlay is drawn over a cached copy of the painted picture, so a drag repaints neither
// the image nor the 3D scene.
#pragma once

#include "viewer3d/measure/core/MeasureOverlay.h"
#include "viewer3d/measure/gui/BaseImgView.h"
#include "viewer3d/measure/core/ImageGeometry.h"

#include <wx/bitmap.h>

#include <array>
#include <vector>

class wxMenu;

namespace brx {

class CView3dDoc;

class CAnalysisVw : public v3d::CBaseImgView {
public:
    explicit CAnalysisVw(wxWindow* parent);

    void OnDraw(wxDC& dc) override;
    // The overlay over an image drawn into the rectangle `image` of any device context (on paper
    // with fontPixels > 0, the pane font's height there: pens of at least 4 printer pixels and a
    // screen pixel, cursors always green).
    void DrawMeasureOverlay(wxDC& dc, const RECT& image, int imageWidth, int imageHeight, int fontPixels);

    // Mouse handling (client pixels).
    void OnLButtonDown(int x, int y);
    void OnMouseMove(int x, int y, bool leftDown, bool shift);
    void OnLButtonUp(int x, int y, bool shift);
    // AnalysisPaneMenu with the current line kind checked; the caller owns it.
    wxMenu* BuildContextMenu() const;
    void OnEditCopy();

    unsigned MeasureDragState() const { return dragState_; }
    // Client positions of the measuring line (across it) and of the cursors' cross lines (along
    // it) as the last drawing placed them; -1 without a mapping.
    int LinePixel() const;
    int CursorPixel(int which) const;
    // The hit region of free-line cursor 0 (A) or 1 (B) in client pixels.
    const std::vector<v3d::overlay::PointF>& CursorRegion(int which) const { return regions_[which]; }

private:
    CView3dDoc* doc() const;
    v3d::image::ImageMapping mapping() const;
    void readPositions();
    void updateRegions(const v3d::image::ImageMapping& map);
    void redraw();
    // The new free line from the press point to a client point (snapped with shift, clipped to
    // the image); false when it misses the image.
    bool newFreeLine(int x, int y, bool shift, RECT* line) const;

    wxBitmap background_; // the painted picture, kept while a drag runs
    wxSize backgroundSize_;
    wxBitmap overlay_; // the picture with the measuring lines, copied to the window
    int row_ = 0, column_ = 0;
    RECT free_{};
    POINT pressImage_{};
    std::array<int, 2> cursorA_{}, cursorB_{}; // per straight line kind (horizontal, vertical)
    unsigned dragState_ = 0;
    double lastX_ = 0.0, lastY_ = 0.0;
    bool haveLast_ = false;
    int moveCounter_ = 0;
    std::array<RECT, 2> lineRects_{}, regionRects_{};
    RECT regionImageRect_{};
    std::array<std::vector<v3d::overlay::PointF>, 2> regions_;
};

} // namespace brx
