#include "viewer3d/measure/gui/AnalysisVw.h"

#include "ids/BrelvoxaIds.h"
#include "ui/ResourceWidgets.h"
#include "viewer3d/app/MainFrame.h"
#include "viewer3d/measure/gui/MeasurePanes.h"
#include "viewer3d/app/View3dDoc.h"
#include "viewer3d/app/View3dFrm.h"

#include <wx/dcmemory.h>
#include <wx/menu.h>

#include <algorithm>
#include <cmath>

namespace brx {

namespace {

using namespace v3d::overlay;

const COLORREF kBandColour = RGB(255, 0, 0);
const COLORREF kBandHeld = RGB(255, 255, 0);
const COLORREF kCursorColour = RGB(0, 255, 0);
const COLORREF kCursorHeld = RGB(0, 255, 255);

bool sameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The client point of an image pixel's centre.
POINT centre(const v3d::image::ImageMapping& map, double x, double y) {
    return map.ToClient(x + 0.5, y + 0.5);
}

wxPoint wx(POINT p) {
    return wxPoint(p.x, p.y);
}

// The pens of the overlay on paper, in printer pixels: 4, and at least as wide as the graphs'
// lines (a screen pixel) and as one pixel of the device the page is drawn on, so that a preview
// that shows the page scaled down drops none of the lines.
int paperPenWidth(const wxDC& dc, int fontPixels) {
    double userX = 1.0, userY = 1.0, logicalX = 1.0, logicalY = 1.0;
    dc.GetUserScale(&userX, &userY);
    dc.GetLogicalScale(&logicalX, &logicalY);
    const double scale = std::min(std::abs(userX * logicalX), std::abs(userY * logicalY));
    const int devicePixel = scale > 0.0 && scale < 1.0 ? static_cast<int>(std::ceil(1.0 / scale)) : 1;
    return std::max({4, PaperLinePixels(fontPixels), devicePixel});
}

} // namespace

CAnalysisVw::CAnalysisVw(wxWindow* parent) : v3d::CBaseImgView(parent) {
    contentKind = v3d::kContentMeasureImage;
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    BindPaneMouse(this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { dragState_ = 0; });
    Bind(wxEVT_CONTEXT_MENU, [this](wxContextMenuEvent& ev) {
        if (contentKind != v3d::kContentMeasureImage)
            return;
        const wxPoint p =
            ev.GetPosition() == wxDefaultPosition ? wxPoint(0, 0) : ScreenToClient(ev.GetPosition());
        ShowPaneMenu(this, BuildContextMenu(), p.x, p.y);
    });
    OnCommand(bxid::cmd::Copy, &CAnalysisVw::OnEditCopy);
}

CView3dDoc* CAnalysisVw::doc() const {
    return dynamic_cast<CView3dDoc*>(GetDocument());
}

v3d::image::ImageMapping CAnalysisVw::mapping() const {
    return v3d::image::SetImageMapping(imageRect, imageWidth, imageHeight);
}

wxMenu* CAnalysisVw::BuildContextMenu() const {
    wxMenu* menu = ui::BuildPopupMenu(bxid::menu::AnalysisPaneMenu, 0);
    CView3dDoc* d = doc();
    if (menu && d)
        if (wxMenuItem* item = menu->FindItem(kLineKindCommands[d->LineKind()]); item && item->IsCheckable())
            item->Check(true);
    return menu;
}

void CAnalysisVw::OnEditCopy() {
    CopyPaneToClipboard(this, kPaneAnalysis);
}

void CAnalysisVw::readPositions() {
    CView3dDoc* d = doc();
    if (!d)
        return;
    const v3d::MeasureState& m = *d->GetMeasureState();
    row_ = m.linePosition[v3d::kLineHorizontal];
    column_ = m.linePosition[v3d::kLineVertical];
    d->GetRoiRect(&free_);
    for (v3d::LineKind k : {v3d::kLineHorizontal, v3d::kLineVertical}) {
        cursorA_[k] = static_cast<int>(d->GetLineCoord(0, k));
        cursorB_[k] = static_cast<int>(d->GetLineCoord(1, k));
    }
}

int CAnalysisVw::LinePixel() const {
    const v3d::image::ImageMapping map = mapping();
    CView3dDoc* d = doc();
    if (!map.Valid() || !d)
        return -1;
    return d->LineKind() == v3d::kLineHorizontal ? centre(map, 0, row_).y : centre(map, column_, 0).x;
}

int CAnalysisVw::CursorPixel(int which) const {
    const v3d::image::ImageMapping map = mapping();
    CView3dDoc* d = doc();
    if (!map.Valid() || !d || d->LineKind() == v3d::kLineFree)
        return -1;
    const v3d::LineKind kind = d->LineKind();
    const int along = which == 0 ? cursorA_[kind] : cursorB_[kind];
    return kind == v3d::kLineHorizontal ? centre(map, along, 0).x : centre(map, 0, along).y;
}

void CAnalysisVw::updateRegions(const v3d::image::ImageMapping& map) {
    const bool moved = !sameRect(regionImageRect_, map.dest);
    for (int i = 0; i < 2; ++i) {
        if (!moved && sameRect(lineRects_[i], regionRects_[i]) && !regions_[i].empty())
            continue;
        const RECT& r = lineRects_[i];
        regions_[i] = CrossLineRegion(centre(map, r.left, r.top), centre(map, r.right, r.bottom));
        regionRects_[i] = r;
    }
    regionImageRect_ = map.dest;
}

void CAnalysisVw::OnDraw(wxDC& dc) {
    const wxSize size = GetClientSize();
    const bool dragging = dragState_ != 0 && dragState_ != kPressedNoHit;
    if (size.x <= 0 || size.y <= 0) {
        CBaseImgView::OnDraw(dc);
        return;
    }
    // The painted picture is kept; a drag draws only the overlay over it again.
    if (!dragging || !background_.IsOk() || backgroundSize_ != size) {
        background_ = wxBitmap(size.x, size.y, 24);
        backgroundSize_ = size;
        wxMemoryDC m(background_);
        CBaseImgView::OnDraw(m);
    }
    if (!overlay_.IsOk() || overlay_.GetSize() != size)
        overlay_ = wxBitmap(size.x, size.y, 24);
    {
        wxMemoryDC m(overlay_);
        m.DrawBitmap(background_, 0, 0);
        DrawMeasureOverlay(m, imageRect, imageWidth, imageHeight, 0);
    }
    dc.DrawBitmap(overlay_, 0, 0);
}

void CAnalysisVw::DrawMeasureOverlay(wxDC& dc, const RECT& image, int width, int height, int fontPixels) {
    const bool paper = fontPixels > 0;
    CView3dDoc* d = doc();
    const v3d::image::ImageMapping map = v3d::image::SetImageMapping(image, width, height);
    if (!d || !map.Valid() || contentKind != v3d::kContentMeasureImage)
        return;
    const bool dragging = dragState_ != 0 && dragState_ != kPressedNoHit;
    if (!dragging || paper)
        readPositions();
    const v3d::LineKind kind = d->LineKind();
    const int half = d->GetLineCount() / 2;
    CrispLines(dc);
    dc.SetClippingRegion(image.left, image.top, image.right - image.left, image.bottom - image.top);
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    const bool lineHeld = !paper && dragging && (dragState_ & kDragLine);
    const int penWidth = paper ? paperPenWidth(dc, fontPixels) : 2;
    dc.SetPen(wxPen(ToColour(lineHeld ? kBandHeld : kBandColour), penWidth));
    auto outline = [&](const std::array<PointF, 4>& corners) {
        wxPoint p[4];
        for (int i = 0; i < 4; ++i)
            p[i] = wx(centre(map, corners[i].x, corners[i].y));
        dc.DrawPolygon(4, p);
    };
    if (kind == v3d::kLineHorizontal) {
        outline({PointF{-0.5, row_ - half + 0.0}, PointF{width - 0.5, row_ - half + 0.0},
                 PointF{width - 0.5, row_ + half + 0.0}, PointF{-0.5, row_ + half + 0.0}});
    } else if (kind == v3d::kLineVertical) {
        outline({PointF{column_ - half + 0.0, -0.5}, PointF{column_ + half + 0.0, -0.5},
                 PointF{column_ + half + 0.0, height - 0.5}, PointF{column_ - half + 0.0, height - 0.5}});
    } else if (free_.left || free_.top || free_.right || free_.bottom) {
        outline(FreeBand(free_, half));
    }

    auto cursorPen = [&](unsigned bit) {
        const bool held = !paper && dragging && dragState_ != kDragNewFree && (dragState_ & bit);
        dc.SetPen(wxPen(ToColour(held ? kCursorHeld : kCursorColour), penWidth));
    };
    if (kind == v3d::kLineFree) {
        if (!(dragging && (dragState_ & (kDragA | kDragB)) && dragState_ != kDragNewFree))
            d->GetLineRects(&lineRects_[0], &lineRects_[1]);
        if (!paper)
            updateRegions(map);
        for (int i = 0; i < 2; ++i) {
            cursorPen(i == 0 ? kDragA : kDragB);
            const RECT& r = lineRects_[i];
            dc.DrawLine(wx(centre(map, r.left, r.top)), wx(centre(map, r.right, r.bottom)));
        }
    } else {
        for (int i = 0; i < 2; ++i) {
            cursorPen(i == 0 ? kDragA : kDragB);
            const int along = i == 0 ? cursorA_[kind] : cursorB_[kind];
            if (kind == v3d::kLineHorizontal) {
                const int x = centre(map, along, 0).x;
                dc.DrawLine(x, image.top, x, image.bottom);
            } else {
                const int y = centre(map, 0, along).y;
                dc.DrawLine(image.left, y, image.right, y);
            }
        }
    }
    dc.DestroyClippingRegion();
}

void CAnalysisVw::redraw() {
    // While a drag runs every second move is drawn.
    moveCounter_ = (moveCounter_ + 1) % 2;
    if (moveCounter_ == 1 || dragState_ == 0)
        Refresh(false);
}

void CAnalysisVw::OnLButtonDown(int x, int y) {
    CView3dDoc* d = doc();
    const v3d::image::ImageMapping map = mapping();
    if (contentKind != v3d::kContentMeasureImage || !d || !map.Valid())
        return;
    if (!HasCapture())
        CaptureMouse();
    readPositions();
    moveCounter_ = 0;
    const v3d::LineKind kind = d->LineKind();
    unsigned hit = 0;
    if (kind == v3d::kLineHorizontal || kind == v3d::kLineVertical) {
        const bool horizontal = kind == v3d::kLineHorizontal;
        const int across = horizontal ? y : x, along = horizontal ? x : y;
        if (!d->GetMeasureState()->linePositionFixed[kind] && std::abs(across - LinePixel()) <= 1)
            hit |= kDragLine;
        if (std::abs(along - CursorPixel(0)) <= 1)
            hit |= kDragA;
        if (std::abs(along - CursorPixel(1)) <= 1)
            hit |= kDragB;
        dragState_ = hit ? hit : kPressedNoHit;
    } else {
        const POINT p = map.ToImage(x, y);
        const bool inside = p.x >= 0 && p.x < imageWidth && p.y >= 0 && p.y < imageHeight;
        if (inside) {
            updateRegions(map);
            if (PointInPolygon(regions_[0], x, y))
                hit |= kDragA;
            if (PointInPolygon(regions_[1], x, y))
                hit |= kDragB;
        }
        if (hit) {
            dragState_ = hit;
        } else {
            // A new free line from the press point; a press on the picture clears the old one.
            pressImage_ = p;
            free_ = RECT{p.x, p.y, p.x, p.y};
            if (x >= imageRect.left && x < imageRect.right && y >= imageRect.top && y < imageRect.bottom)
                d->SetRoiRect(RECT{});
            dragState_ = kDragNewFree;
        }
    }
    lastX_ = x;
    lastY_ = y;
    haveLast_ = true;
    if (hit)
        SetCursor(ui::LoadCursorResource(bxid::cursor::DragCursor));
}

bool CAnalysisVw::newFreeLine(int x, int y, bool shift, RECT* line) const {
    const v3d::image::ImageMapping map = mapping();
    POINT a = pressImage_, b = map.ToImage(x, y);
    if (shift)
        v3d::image::SnapToAxis(a, &b);
    const RECT spanned{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    const bool meets =
        spanned.right >= 0 && spanned.bottom >= 0 && spanned.left < imageWidth && spanned.top < imageHeight;
    if (!meets)
        return false;
    v3d::image::ClipLineToImage(&a, &b, imageWidth, imageHeight);
    if (a.x < 0)
        return false;
    *line = RECT{a.x, a.y, b.x, b.y};
    return true;
}

void CAnalysisVw::OnMouseMove(int x, int y, bool leftDown, bool shift) {
    CView3dDoc* d = doc();
    const v3d::image::ImageMapping map = mapping();
    if (contentKind != v3d::kContentMeasureImage || !d || !map.Valid())
        return;
    const v3d::LineKind kind = d->LineKind();
    const POINT p = map.ToImage(x, y);
    const bool inside = p.x >= 0 && p.x < imageWidth && p.y >= 0 && p.y < imageHeight;
    if (!leftDown || !HasCapture() || dragState_ == 0) {
        bool over = false;
        if (inside && (kind == v3d::kLineHorizontal || kind == v3d::kLineVertical)) {
            const bool horizontal = kind == v3d::kLineHorizontal;
            const int across = horizontal ? y : x, along = horizontal ? x : y;
            over = (!d->GetMeasureState()->linePositionFixed[kind] && std::abs(across - LinePixel()) <= 1) ||
                   std::abs(along - CursorPixel(0)) <= 1 || std::abs(along - CursorPixel(1)) <= 1;
        } else if (inside) {
            over = PointInPolygon(regions_[0], x, y) || PointInPolygon(regions_[1], x, y);
        }
        SetCursor(over ? ui::LoadCursorResource(bxid::cursor::DragCursor) : wxCursor(wxCURSOR_ARROW));
        return;
    }
    if (kind == v3d::kLineHorizontal || kind == v3d::kLineVertical) {
        unsigned held = dragState_ == kPressedNoHit ? 0 : dragState_;
        // Items are picked up inside the image; those held follow the pointer past its edges
        // too, up to their ends.
        if (!inside && !held)
            return;
        const bool horizontal = kind == v3d::kLineHorizontal;
        const int across = horizontal ? y : x, along = horizontal ? x : y;
        const int lastAcross = static_cast<int>(horizontal ? lastY_ : lastX_);
        const int lastAlong = static_cast<int>(horizontal ? lastX_ : lastY_);
        // An item not yet held is picked up when the pointer reaches or crosses it: the line
        // first, then A, else B.
        if (inside) {
            if (!(held & kDragLine) && !d->GetMeasureState()->linePositionFixed[kind] &&
                PicksUp(across, LinePixel(), lastAcross, haveLast_))
                held |= kDragLine;
            else if (!(held & kDragA) && PicksUp(along, CursorPixel(0), lastAlong, haveLast_))
                held |= kDragA;
            else if (!(held & kDragB) && PicksUp(along, CursorPixel(1), lastAlong, haveLast_))
                held |= kDragB;
        }
        if (held)
            dragState_ = held;
        const int half = d->GetLineCount() / 2;
        const int alongImage = horizontal ? p.x : p.y, acrossImage = horizontal ? p.y : p.x;
        const int end = horizontal ? imageWidth : imageHeight;
        if (held & kDragLine) {
            int& position = horizontal ? row_ : column_;
            position = ClampLinePosition(acrossImage, half, horizontal ? imageHeight : imageWidth);
        }
        if (held & kDragA)
            cursorA_[kind] = ClampCursorA(alongImage, cursorB_[kind]);
        if (held & kDragB)
            cursorB_[kind] = ClampCursorB(alongImage, cursorA_[kind], end);
        lastX_ = x;
        lastY_ = y;
        haveLast_ = true;
        if (held)
            redraw();
        return;
    }
    if (dragState_ == kDragNewFree) {
        RECT line{};
        if (newFreeLine(x, y, shift, &line) && !sameRect(line, free_)) {
            free_ = line;
            d->SetRoiRect(free_);
            d->ResetLinePositions(v3d::kAllLineKinds);
            d->GetRoiRect(&free_);
            redraw();
        }
        return;
    }
    if (dragState_ & (kDragA | kDragB)) {
        POINT projected{};
        v3d::View3dData::ProjectOnLine(free_, p.x, p.y, &projected);
        const int position = FreeCursorPosition(free_, projected);
        const int a = static_cast<int>(d->GetLineCoord(0, v3d::kLineFree));
        const int b = static_cast<int>(d->GetLineCoord(1, v3d::kLineFree));
        if (dragState_ & kDragA)
            d->SetLineCoord(0, v3d::kLineFree, ClampCursorA(position, b));
        else
            d->SetLineCoord(1, v3d::kLineFree, ClampCursorB(position, a, FreeLineLast(free_)));
        d->ResetLinePositions(v3d::kLineFree);
        d->GetLineRects(&lineRects_[0], &lineRects_[1]);
        redraw();
    }
}

void CAnalysisVw::OnLButtonUp(int x, int y, bool shift) {
    if (!HasCapture())
        return;
    ReleaseMouse();
    CView3dDoc* d = doc();
    const unsigned state = dragState_;
    dragState_ = 0;
    moveCounter_ = 0;
    haveLast_ = false;
    if (!d || state == 0 || state == kPressedNoHit || !mapping().Valid())
        return;
    const v3d::LineKind kind = d->LineKind();
    if (kind == v3d::kLineFree) {
        if (state == kDragNewFree) {
            RECT line{};
            if (!newFreeLine(x, y, shift, &line))
                line = RECT{};
            if (line.left == line.right && line.top == line.bottom)
                line = RECT{}; // equal ends: no free line
            d->SetRoiRect(line);
            d->ResetLinePositions(v3d::kAllLineKinds);
            d->SetLinePosition(v3d::kLineFree, 0);
        } else {
            d->SetLineRect(0, lineRects_[0]);
            d->SetLineRect(1, lineRects_[1]);
        }
    } else {
        d->SetLinePosition(kind, kind == v3d::kLineHorizontal ? row_ : column_);
        for (v3d::LineKind k : {v3d::kLineHorizontal, v3d::kLineVertical}) {
            d->SetLineCoord(0, k, cursorA_[k]);
            d->SetLineCoord(1, k, cursorB_[k]);
        }
    }
    Refresh(false);
    if (CView3dFrm* frame = FrameOfPane(this))
        if (wxWindow* graph = frame->GetPaneWindow(kPaneProfileGraph))
            graph->Refresh(true);
    if (CMainFrame* main = MainOfPane(this))
        main->UpdatePanelsFromDoc(d);
}

} // namespace brx
