#include "viewer3d/measure/gui/GraphVw.h"

#include "ids/BrelvoxaIds.h"
#include "ui/ResourceWidgets.h"
#include "ui/resources/ResourceRegistry.h"
#include "viewer3d/app/MainFrame.h"
#include "viewer3d/measure/gui/MeasurePanes.h"
#include "viewer3d/app/View3dDoc.h"
#include "viewer3d/app/View3dFrm.h"

#include <wx/dcmemory.h>
#include <wx/menu.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace brx {

namespace {

using namespace v3d::graph;

const COLORREF kGridColour = RGB(128, 100, 128);
const COLORREF kProfileColour = RGB(0, 0, 255);
const COLORREF kRoughnessColour = RGB(128, 255, 0);
const COLORREF kWavinessColour = RGB(255, 0, 255);
const COLORREF kCursorAB = RGB(0, 255, 0);
const COLORREF kCursorCD = RGB(255, 0, 0);
const COLORREF kCursorHeld = RGB(0, 255, 255);
const COLORREF kHeightLabel = RGB(178, 178, 0);

std::string text(UINT id) {
    return ui::Resources().LoadString(id);
}

wxString formatted(UINT id, double v, const std::string& unit = std::string()) {
    char b[128];
    std::snprintf(b, sizeof b, text(id).c_str(), v, unit.c_str());
    return wxString::FromUTF8(b);
}

// The first character of a string-table text.
wxString firstCharacter(UINT id) {
    const wxString s = wxString::FromUTF8(text(id));
    return s.empty() ? s : s.Left(1);
}

double pitchOr1(double p) {
    return p == -1.0 ? 1.0 : p;
}

void polyline(wxDC& dc, const std::vector<POINT>& points) {
    if (points.size() < 2)
        return;
    std::vector<wxPoint> p;
    p.reserve(points.size());
    for (const POINT& q : points)
        p.emplace_back(q.x, q.y);
    dc.DrawLines(static_cast<int>(p.size()), p.data());
}

} // namespace

CGraphVw::CGraphVw(wxWindow* parent, int kind) : v3d::CBaseImgView(parent), GraphKind(kind) {
    backgroundColour = RGB(205, 205, 205);
    contentKind = v3d::kContentBackground; // the base paints the background only
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_LEFT_DOWN, &CGraphVw::onMouse, this);
    Bind(wxEVT_LEFT_UP, &CGraphVw::onMouse, this);
    Bind(wxEVT_MOTION, &CGraphVw::onMouse, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { dragState_ = 0; });
    Bind(wxEVT_CONTEXT_MENU, [this](wxContextMenuEvent& ev) {
        const wxPoint p =
            ev.GetPosition() == wxDefaultPosition ? wxPoint(0, 0) : ScreenToClient(ev.GetPosition());
        ShowPaneMenu(this, BuildContextMenu(), p.x, p.y);
    });
    OnCommand(bxid::cmd::Copy, &CGraphVw::OnEditCopy);
}

CView3dDoc* CGraphVw::doc() const {
    return dynamic_cast<CView3dDoc*>(GetDocument());
}

wxMenu* CGraphVw::BuildContextMenu() const {
    CView3dDoc* d = doc();
    const int menu =
        d && d->ScreenMode() == v3d::kScreenMeasure ? bxid::menu::GraphPaneMenu : bxid::menu::CopyMenu;
    return ui::BuildPopupMenu(menu, 0);
}

void CGraphVw::OnEditCopy() {
    CopyPaneToClipboard(this, GraphKind == 1 ? kPaneProfileGraph : kPaneAreaGraph);
}

void CGraphVw::OnDraw(wxDC& dc) {
    const wxSize size = GetClientSize();
    clientRect = RECT{0, 0, size.x, size.y};
    dc.SetBackground(wxBrush(ToColour(backgroundColour)));
    dc.Clear();
    if (size.x <= 0 || size.y <= 0)
        return;
    const bool dragging = dragState_ != 0 && dragState_ != kPressedNoHit;
    // While a cursor is dragged the graph picture stays; only the cursors are drawn again.
    if (!dragging || !picture_.IsOk() || pictureSize_ != size) {
        if (!picture_.IsOk() || pictureSize_ != size) {
            picture_ = wxBitmap(size.x, size.y, 24);
            pictureSize_ = size;
        }
        wxMemoryDC m(picture_);
        m.SetBackground(wxBrush(ToColour(backgroundColour)));
        m.Clear();
        if (GraphKind == 0)
            DrawAreaPerimeterGraph(m, clientRect);
        else if (GraphKind == 1)
            DrawProfileGraph(m, clientRect);
    }
    CView3dDoc* d = doc();
    if (GraphKind != 1 || !d || !layout_.drawable) {
        dc.DrawBitmap(picture_, 0, 0);
        return;
    }
    if (!cursorLayer_.IsOk() || cursorLayer_.GetSize() != size)
        cursorLayer_ = wxBitmap(size.x, size.y, 24);
    {
        wxMemoryDC m(cursorLayer_);
        m.DrawBitmap(picture_, 0, 0);
        drawCursors(m, 0);
    }
    dc.DrawBitmap(cursorLayer_, 0, 0);
    if (!dragging)
        storeResults(*d);
}

bool CGraphVw::DrawProfileGraph(wxDC& dc, const RECT& area, int fontPixels) {
    CView3dDoc* d = doc();
    int w = 0, h = 0;
    const bool paper = fontPixels > 0;
    if (!paper)
        layout_ = ProfileLayout{};
    if (!d || !MeasureImageSize(*d, &w, &h))
        return false; // no document or no image: the background only
    CrispLines(dc);
    dc.SetFont(PaneFont(fontPixels));
    const wxSize ch = dc.GetTextExtent("0");
    const int areaW = area.right - area.left, areaH = area.bottom - area.top;
    if (!paper) {
        charHeight_ = ch.y;
        printInsetX = areaW > 0 ? 2.0 * ch.x / areaW : 0.0;
        printInsetY = areaH > 0 ? 2.0 * ch.y / areaH : 0.0;
    }
    const v3d::LineKind kind = d->LineKind();
    RECT line{};
    d->GetRoiRect(&line);
    const int n = LineSampleCount(kind, w, h, line);
    const ProfileLayout l = LayoutProfileGraph(area, printInsetX, printInsetY, w, h, n, d->GetGraphScale());
    if (!paper) {
        layout_ = l;
        // The samples across the plot and the plot's height in the same units.
        imageWidth = l.total;
        imageHeight = static_cast<int>(std::lround(9 * l.stepY * l.samplesPerPixel));
    }
    if (!l.drawable)
        return false;
    const RECT& f = l.frame;
    dc.SetPen(wxPen(ToColour(kGridColour), PaperLinePixels(fontPixels)));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(f.left, f.top, f.right - f.left, f.bottom - f.top);
    for (int i = 0; i < 9; ++i)
        dc.DrawLine(f.left, f.top + i * l.stepY, f.right, f.top + i * l.stepY);
    for (int i = 0; i < 10; ++i)
        dc.DrawLine(f.left + i * l.stepX, f.bottom, f.left + i * l.stepX, f.bottom + l.stepY / 4);

    const double xPitch = pitchOr1(d->GetPitch(0)), zScale = pitchOr1(d->GetPitch(2));
    dc.SetBackgroundMode(wxBRUSHSTYLE_SOLID);
    dc.SetTextBackground(ToColour(backgroundColour));
    dc.SetTextForeground(*wxBLACK);
    dc.DrawText(formatted(bxid::str::ProfileMaximum, d->GetProfileMax() * zScale + d->BaseOffset()), f.left,
                f.top - ch.y - ch.y / 4);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.SetTextForeground(ToColour(kHeightLabel));
    const wxString height = firstCharacter(bxid::str::HeightLabel);
    dc.DrawText(height, f.left - dc.GetTextExtent(height).x, f.top - 2 * ch.y);

    if (!paper && lastDrawnKind_ != kind) {
        lastDrawnKind_ = kind;
        panelsStale_ = true;
    }
    const PlotMapping m = l.Mapping();
    char number[64];
    std::snprintf(number, sizeof number, "%.2f", n * xPitch);
    dc.SetTextForeground(ToColour(kProfileColour));
    const wxSize extent = dc.GetTextExtent(number);
    dc.DrawText(number, static_cast<int>(m.ToDeviceX(l.last)) - extent.x / 2, f.bottom + ch.y / 2);

    Cursors c = paper ? Cursors{} : cursors_;
    const bool dragging = !paper && dragState_ != 0 && dragState_ != kPressedNoHit;
    if (!dragging) {
        bool storeC = false, storeD = false;
        c = CursorDefaults(d->GetLineCoord(0, kind), d->GetLineCoord(1, kind), d->GetLineCoord(2, kind),
                           d->GetLineCoord(3, kind), d->GetProfileMax(), d->GetProfileMin(), zScale, &storeC,
                           &storeD);
        if (storeC)
            d->SetLineCoord(2, kind, c.c);
        if (storeD)
            d->SetLineCoord(3, kind, 0.0);
    }
    const bool flat = d->GetGraphScale() == 0.0;
    const int* samples = d->GetProfileSamples();
    const int profileCount = WalkCount(l.count, d->GetProfileCount());
    const int minimum = d->GetProfileMin();
    double sum = 0.0;
    if (profileCurveFactor != 0.0 && samples && profileCount > 0) {
        dc.SetPen(wxPen(ToColour(kProfileColour), PaperLinePixels(fontPixels)));
        polyline(dc, CurvePoints(
                         l, profileCount, [&](int j) { return (samples[j] - minimum) * zScale; }, flat));
        sum = SumHeights(samples, profileCount, minimum, zScale, c.a, c.b);
    }
    const v3d::ProfileRoughness& r = d->RoughnessState();
    auto series = [&](bool shown, const v3d::ProfileSeries& s, double low, COLORREF colour) {
        const int count = WalkCount(l.count, s.count);
        if (!shown || count <= 0 || !s.samples.allocated)
            return;
        dc.SetPen(wxPen(ToColour(colour), PaperLinePixels(fontPixels)));
        polyline(dc, CurvePoints(
                         l, count, [&](int j) { return v3d::GetVectorValue(&s.samples, j) - low; }, flat));
    };
    series(d->showRoughness, r.Roughness(), r.RoughnessMin(), kRoughnessColour);
    series(d->showWaviness, r.Waviness(), r.WavinessMin(), kWavinessColour);
    if (paper) {
        drawCursors(dc, fontPixels, l, c);
    } else {
        cursors_ = c;
        heightSum_ = sum;
    }
    return true;
}

void CGraphVw::drawCursors(wxDC& dc, int fontPixels) {
    drawCursors(dc, fontPixels, layout_, cursors_);
}

void CGraphVw::drawCursors(wxDC& dc, int fontPixels, const ProfileLayout& l, Cursors& c) {
    CView3dDoc* d = doc();
    const PlotMapping m = l.Mapping();
    if (!d || !m.Valid())
        return;
    const bool paper = fontPixels > 0;
    const v3d::LineKind kind = d->LineKind();
    CrispLines(dc);
    dc.SetFont(PaneFont(fontPixels));
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    const wxSize ch = dc.GetTextExtent("0");
    const int width = paper ? std::max(3, PaperLinePixels(fontPixels)) : 1;
    auto pen = [&](unsigned which, COLORREF normal) {
        const bool held = !paper && dragState_ != kPressedNoHit && (dragState_ & which);
        const COLORREF colour = held ? kCursorHeld : normal;
        dc.SetPen(wxPen(ToColour(colour), width));
        dc.SetTextForeground(ToColour(colour));
    };
    auto vertical = [&](unsigned which, double position, const std::string& label) {
        pen(which, kCursorAB);
        const int x = static_cast<int>(std::lround(m.ToDeviceX(l.first + position)));
        dc.DrawLine(x, m.plot.top, x, m.plot.bottom + 1);
        const wxString t = wxString::FromUTF8(label);
        dc.DrawText(t, x - dc.GetTextExtent(t).x / 2, l.frame.bottom + ch.y / 2);
    };
    vertical(kCursorA, c.a, text(bxid::str::CursorA));
    vertical(kCursorB, c.b, text(bxid::str::CursorB));
    const bool automatic = d->GetMeasureState()->lineMode != 1;
    if (automatic) {
        AutomaticLevels(d->GetProfileSamples(), WalkCount(l.count, d->GetProfileCount()), d->GetProfileMin(),
                        pitchOr1(d->GetPitch(2)), &c);
        d->SetLineCoord(2, kind, c.c);
        d->SetLineCoord(3, kind, c.d);
    }
    auto horizontal = [&](unsigned which, double level, const std::string& label) {
        pen(which, kCursorCD);
        const int y =
            static_cast<int>(std::lround(m.ToDeviceY(ClampedHeight(level, l.verticalRange, false))));
        dc.DrawLine(l.plot.left, y, l.plot.right, y);
        const wxString t = wxString::FromUTF8(label);
        const wxSize e = dc.GetTextExtent(t);
        dc.DrawText(t, l.plot.right + e.x, y - e.y / 2);
    };
    horizontal(kCursorC, c.c, text(bxid::str::CursorC));
    horizontal(kCursorD, c.d, text(bxid::str::CursorD));
    if (automatic && !paper && panelsStale_) {
        panelsStale_ = false;
        if (CMainFrame* main = MainOfPane(this))
            main->UpdatePanelsFromDoc(d);
    }
}

void CGraphVw::storeResults(CView3dDoc& d) {
    // Area and angle join lengths along the line with heights: both in the unit of heights.
    const ProfileResults r = ComputeResults(cursors_, heightSum_, d.XyPitchInZUnit());
    const v3d::MeasureState& state = *d.GetMeasureState();
    bool changed = state.measured[2] != r.area;
    d.SetMeasuredValue(2, r.area);
    const double values[4] = {r.height, r.width, r.area, r.angle};
    for (int i : {0, 1, 3})
        if (state.measured[i] != values[i]) {
            d.SetMeasuredValue(i, values[i]);
            changed = true;
        }
    if (changed || panelsStale_) {
        panelsStale_ = false;
        if (CMainFrame* main = MainOfPane(this))
            main->UpdatePanelsFromDoc(&d);
    }
}

bool CGraphVw::DrawAreaPerimeterGraph(wxDC& dc, const RECT& area, int fontPixels) {
    CView3dDoc* d = doc();
    const bool paper = fontPixels > 0;
    if (!paper)
        areaLayout_ = AreaLayout{};
    if (!d || !d->heightDisplay)
        return false;
    CrispLines(dc);
    dc.SetFont(PaneFont(fontPixels));
    const wxSize ch = dc.GetTextExtent("0");
    const AreaLayout l = LayoutAreaGraph(area, ch.x, ch.y);
    if (!paper)
        areaLayout_ = l;
    if (!l.drawable)
        return false;
    dc.SetPen(wxPen(ToColour(kGridColour), PaperLinePixels(fontPixels)));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    for (const RECT& s : {l.left, l.right})
        dc.DrawRectangle(s.left, s.top, s.right - s.left + 1, s.bottom - s.top + 1);
    for (int i = 0; i < 9; ++i)
        dc.DrawLine(l.frame.left, l.frame.top + i * l.stepY, l.frame.right, l.frame.top + i * l.stepY);
    for (int i = 0; i <= 10; ++i)
        dc.DrawLine(l.frame.left + i * l.stepX, l.frame.bottom, l.frame.left + i * l.stepX,
                    l.frame.bottom + l.stepY / 4);

    const double zScale = pitchOr1(d->GetPitch(2));
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.SetTextForeground(*wxBLACK);
    const wxString height = firstCharacter(bxid::str::HeightLabel);
    const wxSize he = dc.GetTextExtent(height);
    dc.DrawText(height, l.frame.left - he.x / 2, l.frame.top - (paper ? 1 : 2) * ch.y);
    std::string unit;
    d->GetUnitText(2, &unit);
    dc.DrawText(
        formatted(bxid::str::ValueWithUnit, d->BaseOffset() + (d->maxLevel - d->minLevel) * zScale, unit),
        l.frame.left + (paper ? he.x : 0), l.frame.top - ch.y);
    wxFont bold = PaneFont(fontPixels, true);
    dc.SetFont(bold);
    for (UINT id = bxid::str::AreaLabel; id <= bxid::str::PerimeterLabel; ++id) {
        const RECT& s = id == bxid::str::AreaLabel ? l.left : l.right;
        const wxString title = wxString::FromUTF8(text(id));
        const wxSize e = dc.GetTextExtent(title);
        dc.DrawText(title, (s.left + s.right - e.x) / 2, l.frame.top - 2 * ch.y);
    }
    dc.SetFont(PaneFont(fontPixels));

    const v3d::AreaData& a = d->GetAreaData();
    const double perRow = LevelsPerRow(l.left, d->minLevel, d->maxLevel);
    const double slice = d->GetViewState()->sliceLevel / zScale;
    const int sliceRow = perRow > 0.0 ? static_cast<int>(std::lround(slice / perRow)) : -1;
    auto curveXAt = [&](const std::vector<POINT>& points, const RECT& s) {
        const LONG y = s.bottom - sliceRow;
        for (const POINT& p : points)
            if (p.y <= y)
                return static_cast<int>(p.x);
        return static_cast<int>(s.left);
    };
    if (d->areaData) {
        const auto curve = AreaCurvePoints(l.left, a.histogram, a.histogramSum, d->minLevel, d->maxLevel);
        dc.SetPen(wxPen(ToColour(kProfileColour), PaperLinePixels(fontPixels)));
        polyline(dc, curve);
        dc.SetPen(wxPen(ToColour(kCursorCD), PaperLinePixels(fontPixels)));
        polyline(dc, SliceIndicator(l.left, slice, perRow, curveXAt(curve, l.left)));
    }
    if (a.curveMax > 0.0) {
        const auto curve = PerimeterCurvePoints(l.right, a.curve, v3d::kCurvePoints, a.curveMax);
        dc.SetPen(wxPen(ToColour(kCursorAB), PaperLinePixels(fontPixels)));
        polyline(dc, curve);
        dc.SetPen(wxPen(ToColour(kCursorCD), PaperLinePixels(fontPixels)));
        polyline(dc, SliceIndicator(l.right, slice, perRow, curveXAt(curve, l.right)));
    }
    return true;
}

void CGraphVw::onMouse(wxMouseEvent& ev) {
    if (ev.LeftDown())
        OnLButtonDown(ev.GetX(), ev.GetY());
    else if (ev.LeftUp())
        OnLButtonUp(ev.GetX(), ev.GetY());
    else if (ev.Moving() || ev.Dragging())
        OnMouseMove(ev.GetX(), ev.GetY(), ev.LeftIsDown());
    ev.Skip();
}

void CGraphVw::OnLButtonDown(int x, int y) {
    CView3dDoc* d = doc();
    if (GraphKind != 1 || !d)
        return;
    if (!HasCapture())
        CaptureMouse();
    dragState_ = kPressedNoHit;
    moveCounter_ = 0;
    const PlotMapping m = layout_.Mapping();
    pressX_ = m.ToLogicalX(x) - layout_.first;
    pressY_ = m.ToLogicalY(y);
    const bool manual = d->GetMeasureState()->lineMode == 1;
    const unsigned hit = HitCursors(layout_, cursors_, x, y, manual);
    if (hit) {
        dragState_ = hit;
        SetCursor(ui::LoadCursorResource(bxid::cursor::DragCursor));
    }
}

void CGraphVw::OnMouseMove(int x, int y, bool leftDown) {
    CView3dDoc* d = doc();
    if (GraphKind != 1 || !d)
        return;
    const bool manual = d->GetMeasureState()->lineMode == 1;
    if (leftDown && dragState_ != 0 && dragState_ != kPressedNoHit) {
        const PlotMapping m = layout_.Mapping();
        if (!DragCursors(dragState_, m.ToLogicalX(x) - layout_.first, m.ToLogicalY(y), layout_.count,
                         layout_.verticalRange, manual, &cursors_))
            return;
        // Every second move is drawn: the layer is redrawn at half the event rate.
        moveCounter_ = (moveCounter_ + 1) % 2;
        if (moveCounter_ == 1)
            Refresh(false);
        return;
    }
    const bool over = HitCursors(layout_, cursors_, x, y, manual) != 0;
    SetCursor(over ? ui::LoadCursorResource(bxid::cursor::DragCursor) : wxCursor(wxCURSOR_ARROW));
}

void CGraphVw::OnLButtonUp(int, int) {
    if (HasCapture())
        ReleaseMouse();
    CView3dDoc* d = doc();
    const unsigned state = dragState_;
    dragState_ = 0;
    moveCounter_ = 0;
    if (!d || state == 0 || state == kPressedNoHit)
        return;
    const v3d::LineKind kind = d->LineKind();
    d->SetLineCoord(0, kind, cursors_.a);
    d->SetLineCoord(1, kind, cursors_.b);
    d->SetLineCoord(2, kind, cursors_.c);
    d->SetLineCoord(3, kind, cursors_.d);
    if (kind == v3d::kLineFree)
        d->ResetLinePositions(v3d::kLineFree);
    if (CView3dFrm* frame = FrameOfPane(this))
        if (wxWindow* analysis = frame->GetPaneWindow(kPaneAnalysis))
            analysis->Refresh(false);
    Refresh(true);
}

} // namespace brx
