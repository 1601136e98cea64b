// The graph pane of a 3D document frame. Kind 0 draws the area and perimeter graphs of the
// height image (kPaneAreaGraph); kind 1 the profile of the measuring line with its roughness
// and waviness curves and the four cursors A-D the user drags (kPaneProfileGraph), from which
// the pane measures height, width, area and angle into the document.
//
// The graph picture is kept in a bitmap; a cursor drag redraws only the cursor layer over it.
#pragma once

#include "viewer3d/measure/core/ProfileGraph.h"
#include "viewer3d/measure/gui/BaseImgView.h"

#include <wx/bitmap.h>

class wxMenu;

namespace brx {

class CView3dDoc;

class CGraphVw : public v3d::CBaseImgView {
public:
    CGraphVw(wxWindow* parent, int kind);

    void OnDraw(wxDC& dc) override;
    // Drawing into a rectangle of any device context; fontPixels > 0 draws on paper (text sized
    // once for the printer, cursor pens 3 pixels, no results stored, no cache). False when
    // only the background could be drawn (no document, no image, no room).
    bool DrawAreaPerimeterGraph(wxDC& dc, const RECT& area, int fontPixels = 0);
    bool DrawProfileGraph(wxDC& dc, const RECT& area, int fontPixels = 0);

    // Mouse handling of the profile graph (client pixels).
    void OnLButtonDown(int x, int y);
    void OnMouseMove(int x, int y, bool leftDown);
    void OnLButtonUp(int x, int y);
    // GraphPaneMenu on the measurement screen, else CopyMenu; the caller owns it.
    wxMenu* BuildContextMenu() const;
    void OnEditCopy();

    int GraphKind = 0;
    double profileCurveFactor = 1.0;
    double printInsetX = 0.0, printInsetY = 0.0;

    // The state of the last drawing, for the report page and tests.
    const v3d::graph::ProfileLayout& Layout() const { return layout_; }
    const v3d::graph::Cursors& CurrentCursors() const { return cursors_; }
    unsigned CursorDragState() const { return dragState_; }
    const v3d::graph::AreaLayout& AreaGraphLayout() const { return areaLayout_; }

private:
    CView3dDoc* doc() const;
    void drawCursors(wxDC& dc, int fontPixels);
    void drawCursors(wxDC& dc, int fontPixels, const v3d::graph::ProfileLayout& l, v3d::graph::Cursors& c);
    void storeResults(CView3dDoc& d);
    void onMouse(wxMouseEvent& ev);

    wxBitmap picture_; // the graph without cursors, at the client size it was made for
    wxSize pictureSize_;
    wxBitmap cursorLayer_; // the picture with the cursors, copied to the window
    v3d::graph::ProfileLayout layout_;
    v3d::graph::AreaLayout areaLayout_;
    v3d::graph::Cursors cursors_;
    double heightSum_ = 0.0;
    unsigned dragState_ = 0;
    double pressX_ = 0.0, pressY_ = 0.0;
    int moveCounter_ = 0;
    int charHeight_ = 0;
    int lastDrawnKind_ = -1;
    bool panelsStale_ = false;
};

} // namespace brx
