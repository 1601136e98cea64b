#include "viewer3d/app/ReportPage.h"
#include "ids/BrelvoxaIds.h"

#include "imaging/gui/WxDibDrawTarget.h"
#include "ui/resources/ResourceRegistry.h"
#include "viewer3d/measure/gui/AnalysisVw.h"
#include "viewer3d/measure/gui/GraphVw.h"
#include "viewer3d/measure/gui/ImageVw.h"
#include "viewer3d/measure/gui/MeasurePanes.h"
#include "viewer3d/app/View3dDoc.h"
#include "viewer3d/app/View3dFrm.h"
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/measure/core/MeasuredText.h"
#include "viewer3d/render/View3dView.h"

#include <wx/dc.h>
#include <wx/image.h>

#include <cstdio>
#include <cstdlib>

namespace brx {

namespace {

using v3d::image::CalcFitRect;

std::string text(UINT id) {
    return ui::Resources().LoadString(id);
}

template <class... Args> wxString format(UINT id, Args... args) {
    char b[512];
    std::snprintf(b, sizeof b, text(id).c_str(), args...);
    return wxString::FromUTF8(b);
}

bool sizeOf(HDIB dib, int* w, int* h) {
    GlobalLockGuard lock(dib);
    if (!lock)
        return false;
    *w = v3d::DibGetWidth(lock.get());
    *h = std::abs(static_cast<int>(v3d::DibGetHeight(lock.get())));
    return *w > 0 && *h > 0;
}

// A picture fitted into a cell; the rectangle it took (empty when none).
RECT drawFitted(wxDC& dc, HDIB picture, const RECT& cell, int* width = nullptr, int* height = nullptr) {
    int w = 0, h = 0;
    RECT fit{};
    if (!sizeOf(picture, &w, &h) || !CalcFitRect(w, h, cell.right - cell.left, cell.bottom - cell.top, &fit))
        return RECT{};
    fit = RECT{fit.left + cell.left, fit.top + cell.top, fit.right + cell.left, fit.bottom + cell.top};
    CWxDibDrawTarget target(dc);
    const RECT src{0, 0, w, h};
    v3d::DibDraw(&target, &fit, picture, &src, nullptr);
    if (width)
        *width = w;
    if (height)
        *height = h;
    return fit;
}

// The rectangle of a pane's aspect fitted into a cell.
RECT fitPane(const wxWindow* pane, const RECT& cell) {
    const wxSize s = pane ? pane->GetClientSize() : wxSize(0, 0);
    RECT fit{};
    if (!CalcFitRect(s.x, s.y, cell.right - cell.left, cell.bottom - cell.top, &fit))
        return RECT{};
    return RECT{fit.left + cell.left, fit.top + cell.top, fit.right + cell.left, fit.bottom + cell.top};
}

bool isEmpty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

// The region of an image pane scaled into the picture's rectangle on the page.
void drawRegion(wxDC& dc, CImageVw* pane, const RECT& fit, int width, int height) {
    if (!pane || isEmpty(pane->roiRect) || isEmpty(fit) || width <= 0 || height <= 0)
        return;
    const auto map = v3d::image::SetImageMapping(fit, width, height);
    const POINT a = map.ToClient(pane->roiRect.left, pane->roiRect.top);
    const POINT b = map.ToClient(pane->roiRect.right, pane->roiRect.bottom);
    pane->DrawRoiShape(dc, RECT{a.x, a.y, b.x, b.y}, true, pane->roiPending != 0);
}

// The slice picture (white at and above the slice level) shown red.
void drawRed(wxDC& dc, HDIB slice, const RECT& cell) {
    int w = 0, h = 0;
    RECT fit{};
    if (!sizeOf(slice, &w, &h) || !CalcFitRect(w, h, cell.right - cell.left, cell.bottom - cell.top, &fit) ||
        !CWxDibDrawTarget::RoomForPicture(w, h) ||
        !CWxDibDrawTarget::RoomForPicture(fit.right - fit.left, fit.bottom - fit.top))
        return;
    wxImage image(w, h);
    {
        GlobalLockGuard lock(slice);
        std::vector<int> row(static_cast<size_t>(w));
        for (int y = 0; y < h; ++y) {
            v3d::DibReadRow(row.data(), lock.get(), 0, y, w);
            for (int x = 0; x < w; ++x)
                image.SetRGB(x, y, row[x] ? 255 : 0, 0, 0);
        }
    }
    image.Rescale(fit.right - fit.left, fit.bottom - fit.top, wxIMAGE_QUALITY_NEAREST);
    dc.DrawBitmap(wxBitmap(image), fit.left + cell.left, fit.top + cell.top);
}

} // namespace

ReportPage PrintReportPage(CView3dFrm* frame, wxDC& dc, int pageWidth, int pageHeight, int dpiX, int dpiY) {
    ReportPage page;
    CView3dDoc* doc = frame ? frame->Doc() : nullptr;
    const int fontPixels = v3d::image::PageFontPixels(dpiY);
    dc.SetFont(PaneFont(fontPixels));
    const wxSize ch = dc.GetTextExtent("0");
    page.metrics = v3d::image::MakePageMetrics(pageWidth, pageHeight, dpiX, dpiY, ch.x, ch.y);
    const auto& m = page.metrics;
    if (!doc)
        return page;
    const v3d::ScreenMode mode = doc->ScreenMode();
    page.cells = v3d::image::ReportLayout(m, mode);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.SetTextForeground(*wxBLACK);
    const std::string name = doc->GetPathName().empty() ? doc->GetTitle() : doc->GetPathName();
    const std::string extra = mode == v3d::kScreen3d ? doc->GetViewState()->CommentUtf8() : std::string();
    dc.DrawText(format(bxid::str::DataNameCaption, name.c_str(), extra.c_str()), m.textLeft, m.topMargin);
    auto caption = [&](const wxString& t, const RECT& cell) {
        dc.SetFont(PaneFont(fontPixels));
        dc.SetTextForeground(*wxBLACK);
        dc.DrawText(t, cell.left, cell.top - m.charHeight);
    };
    HDIB colour = doc->textureDisplay ? doc->textureDisplay : doc->TexturePlane();

    if (mode == v3d::kScreen3d) {
        int w = 0, h = 0;
        RECT fit = drawFitted(dc, colour, page.cells.cell[0], &w, &h);
        page.drawn[0] = !isEmpty(fit);
        drawRegion(dc, dynamic_cast<CImageVw*>(frame->GetPaneWindow(kPaneImage)), fit, w, h);

        // The contour and slice pictures are made for their cells; the panes are flagged to make
        // theirs again at their next paint.
        doc->contourStale = 1;
        if (doc->BuildContourImage(&page.cells.cell[1]))
            page.drawn[1] = !isEmpty(drawFitted(dc, doc->contourOverlay, page.cells.cell[1]));
        doc->contourStale = 1;
        caption(format(bxid::str::ContourCountCaption, static_cast<int>(doc->GetViewState()->contourCount)),
                page.cells.cell[1]);
        doc->binaryStale = 1;
        if (doc->BuildBinaryImage(&page.cells.cell[2])) {
            drawRed(dc, doc->binaryOverlay, page.cells.cell[2]);
            page.drawn[2] = true;
        }
        doc->binaryStale = 1;
        caption(format(bxid::str::SliceLevelCaption, doc->GetViewState()->sliceLevel), page.cells.cell[2]);

        // The 3D scene as the view renders it off screen, with the page's own copy.
        HDIB scene = doc->renderCache;
        bool ownScene = false;
        if (!scene && frame->View3d()) {
            scene = frame->View3d()->RenderToDib();
            ownScene = scene != nullptr;
        }
        page.drawn[3] = !isEmpty(drawFitted(dc, scene, page.cells.cell[3]));
        if (ownScene)
            GlobalFree(scene);

        if (auto* graph = dynamic_cast<CGraphVw*>(frame->GetPaneWindow(kPaneAreaGraph))) {
            const RECT fitted = fitPane(graph, page.cells.cell[4]);
            if (!isEmpty(fitted)) {
                page.drawn[4] = graph->DrawAreaPerimeterGraph(dc, fitted, fontPixels);
                dc.SetFont(PaneFont(fontPixels));
                dc.SetTextForeground(*wxBLACK);
                const wxString area = format(bxid::str::AreaCaption, doc->GetViewState()->sliceArea);
                const wxString perimeter =
                    format(bxid::str::PerimeterCaption, doc->GetViewState()->slicePerimeter);
                const int width = fitted.right - fitted.left, y = fitted.bottom + m.charHeight / 2;
                const wxSize ea = dc.GetTextExtent(area), ep = dc.GetTextExtent(perimeter);
                const int xa = fitted.left + width / 4 - ea.x / 2,
                          xp = fitted.left + 3 * width / 4 - ep.x / 2;
                if (xa + ea.x >= xp) {
                    const wxString both = area + " " + perimeter;
                    dc.DrawText(both, fitted.left + (width - dc.GetTextExtent(both).x) / 2, y);
                } else {
                    dc.DrawText(area, xa, y);
                    dc.DrawText(perimeter, xp, y);
                }
            }
        }
        return page;
    }

    int w = 0, h = 0;
    RECT fit = drawFitted(dc, colour, page.cells.cell[0], &w, &h);
    page.drawn[0] = !isEmpty(fit);
    drawRegion(dc, dynamic_cast<CImageVw*>(frame->GetPaneWindow(kPaneMeasureImage)), fit, w, h);

    HDIB measure = doc->regionCut[1]
                       ? (doc->regionCutDisplay[1] ? doc->regionCutDisplay[1] : doc->regionCut[1])
                       : colour;
    fit = drawFitted(dc, measure, page.cells.cell[1], &w, &h);
    if (auto* analysis = dynamic_cast<CAnalysisVw*>(frame->GetPaneWindow(kPaneAnalysis));
        analysis && !isEmpty(fit)) {
        analysis->DrawMeasureOverlay(dc, fit, w, h, fontPixels);
        page.drawn[1] = true;
    }
    const v3d::LineKind kind = doc->LineKind();
    if (kind == v3d::kLineHorizontal || kind == v3d::kLineVertical)
        caption(format(kind == v3d::kLineHorizontal ? bxid::str::YLineCaption : bxid::str::XLineCaption,
                       doc->GetMeasureState()->linePosition[kind]),
                page.cells.cell[1]);

    if (auto* graph = dynamic_cast<CGraphVw*>(frame->GetPaneWindow(kPaneProfileGraph))) {
        const RECT fitted = fitPane(graph, page.cells.cell[2]);
        if (!isEmpty(fitted)) {
            page.drawn[2] = graph->DrawProfileGraph(dc, fitted, fontPixels);
        }
    }

    const RECT& cell = page.cells.cell[3];
    dc.SetFont(PaneFont(fontPixels));
    dc.SetTextForeground(*wxBLACK);
    std::string z, xy, area;
    doc->GetUnitText(2, &z);
    doc->GetUnitText(0, &xy);
    area = z;
    doc->GetUnitLabel(&area, 2);
    const v3d::MeasureState& ms = *doc->GetMeasureState();
    const double values[7] = {ms.measured[0],    ms.xPitch * ms.measured[1], ms.measured[2],   ms.measured[3],
                              doc->Roughness(1), doc->Roughness(0),          doc->Roughness(2)};
    const std::string units[7] = {z, xy, area, "", z, z, z};
    int y = cell.top + (cell.bottom - cell.top - 7 * m.charHeight) / 2;
    constexpr UINT first = bxid::str::MeasuredHeight;
    for (UINT id = first; id <= bxid::str::MeasuredRzjis; ++id, y += 2 * m.charHeight)
        dc.DrawText(
            wxString::FromUTF8(v3d::FillMeasuredFormat(text(id), values[id - first], units[id - first])),
            cell.left, y);
    page.drawn[3] = true;
    return page;
}

} // namespace brx
