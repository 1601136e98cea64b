// The graph, image and analysis panes on a synthetic height file opened in the running viewer:
// cursor drags on the profile graph and its results, the curves and their menu, the measuring
// line and free line on the analysis pane, the region band of the image pane with its crawling
// frame, and the report page of both screens. Mouse events go through the panes' handlers;
// pictures are drawn into memory bitmaps.
#include "MeasureViewsFixture.h"
#include "ids/BrelvoxaIds.h"

#include <wx/dcmemory.h>
#include <wx/image.h>

namespace {

void mouse(wxWindow* w, wxEventType type, int x, int y, bool left, bool shift = false) {
    ui::testing::SendMouse(w, type, {x, y}, left, shift);
}
void press(wxWindow* w, int x, int y) {
    mouse(w, wxEVT_LEFT_DOWN, x, y, true);
}
void drag(wxWindow* w, int x, int y, bool shift = false) {
    mouse(w, wxEVT_MOTION, x, y, true, shift);
}
void release(wxWindow* w, int x, int y, bool shift = false) {
    mouse(w, wxEVT_LEFT_UP, x, y, false, shift);
}

// A pane's drawing in a bitmap of its client size.
wxImage drawn(v3d::CBaseImgView* pane) {
    const wxSize s = pane->GetClientSize();
    wxBitmap b(s.x, s.y, 24);
    {
        wxMemoryDC dc(b);
        pane->DrawTo(dc);
    }
    return b.ConvertToImage();
}

int countColour(const wxImage& image, int r, int g, int b, int top = 0, int bottom = -1) {
    int n = 0;
    if (bottom < 0)
        bottom = image.GetHeight();
    for (int y = std::max(top, 0); y < std::min(bottom, image.GetHeight()); ++y)
        for (int x = 0; x < image.GetWidth(); ++x)
            if (image.GetRed(x, y) == r && image.GetGreen(x, y) == g && image.GetBlue(x, y) == b)
                ++n;
    return n;
}

} // namespace

TEST_F(MeasureViewsGui, GraphCursorsDragWithinOnePixelStopAtEachOtherAndMeasure) {
    doc_->SetLineMode(1); // manual: C and D are dragged by hand
    settle();
    const int mid = (graph_->Layout().frame.top + graph_->Layout().frame.bottom) / 2;
    const int xa = cursorPixel(graph::kCursorA);
    press(graph_, xa + 2, mid);
    EXPECT_EQ(graph_->CursorDragState(), graph::kPressedNoHit);
    release(graph_, xa + 2, mid);
    press(graph_, xa + 1, mid);
    EXPECT_EQ(graph_->CursorDragState(), graph::kCursorA);
    drag(graph_, graph_->Layout().frame.right - 2, mid);
    EXPECT_EQ(graph_->CurrentCursors().a, graph_->CurrentCursors().b); // A stops at B
    release(graph_, graph_->Layout().frame.right - 2, mid);
    EXPECT_EQ(doc_->GetLineCoord(0, 0), doc_->GetLineCoord(1, 0));

    doc_->SetLineCoord(2, 0, 0.5 * graph_->Layout().verticalRange);
    doc_->SetLineCoord(3, 0, 0.1 * graph_->Layout().verticalRange);
    settle();
    const int yd = cursorPixel(graph::kCursorD);
    const int xFree = (graph_->Layout().frame.left + cursorPixel(graph::kCursorA)) / 2;
    press(graph_, xFree, yd - 1);
    ASSERT_EQ(graph_->CursorDragState() & graph::kCursorD, graph::kCursorD);
    drag(graph_, xFree, graph_->Layout().frame.top + 1);
    EXPECT_EQ(graph_->CurrentCursors().d, graph_->CurrentCursors().c); // D stops at C
    release(graph_, xFree, graph_->Layout().frame.top + 1);

    // Automatic mode: C and D are the higher and the lower profile height at A and B, and the
    // results are their difference and B - A in samples.
    doc_->SetLineCoord(0, 0, 10);
    doc_->SetLineCoord(1, 0, 50);
    doc_->SetLineMode(0);
    doc_->SetGraphScalePreset(0.2); // a vertical range that holds every height of the profile
    settle();
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return doc_->GetMeasureState()->measured[1] == 40.0; }));
    ASSERT_EQ(doc_->GetProfileCount(), kW); // the horizontal line's profile
    ASSERT_GT(graph_->Layout().verticalRange,
              (doc_->GetProfileMax() - doc_->GetProfileMin()) * doc_->GetPitch(2));
    const int* s = doc_->GetProfileSamples();
    ASSERT_NE(s, nullptr);
    const double z = doc_->GetPitch(2), lo = doc_->GetProfileMin();
    const double ha = (s[10] - lo) * z, hb = (s[50] - lo) * z;
    EXPECT_NE(ha, hb);
    EXPECT_DOUBLE_EQ(graph_->CurrentCursors().c, std::max(ha, hb));
    EXPECT_DOUBLE_EQ(graph_->CurrentCursors().d, std::min(ha, hb));
    EXPECT_DOUBLE_EQ(doc_->GetMeasureState()->measured[0], std::abs(hb - ha));
    double sum = 0;
    for (int j = 10; j <= 50; ++j)
        sum += (s[j] - lo) * z;
    EXPECT_DOUBLE_EQ(doc_->GetMeasureState()->measured[2], doc_->GetPitch(0) * sum);
    // Dragging A in automatic mode takes C and D along.
    const int mid2 = (graph_->Layout().frame.top + graph_->Layout().frame.bottom) / 2;
    press(graph_, cursorPixel(graph::kCursorA), mid2);
    ASSERT_EQ(graph_->CursorDragState(), graph::kCursorA);
    const int target = static_cast<int>(graph_->Layout().Mapping().ToDeviceX(graph_->Layout().first + 30));
    drag(graph_, target, mid2);
    release(graph_, target, mid2);
    settle();
    const int a = static_cast<int>(doc_->GetLineCoord(0, 0));
    const double h2 = (s[a] - lo) * z;
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return graph_->CurrentCursors().c == std::max(h2, hb); }));
    EXPECT_DOUBLE_EQ(graph_->CurrentCursors().d, std::min(h2, hb));
}

TEST_F(MeasureViewsGui, GraphScaleZeroFlattensCurvesAndMenu156ShowsAndHidesThem) {
    std::unique_ptr<wxMenu> menu(graph_->BuildContextMenu());
    ASSERT_TRUE(menu);
    ASSERT_NE(menu->FindItem(bxid::cmd::RoughnessCurve), nullptr);
    ASSERT_NE(menu->FindItem(bxid::cmd::WavinessCurve), nullptr);
    auto choose = [&](int id) {
        wxCommandEvent ev(wxEVT_MENU, id);
        ev.SetEventObject(frame_);
        frame_->GetEventHandler()->ProcessEvent(ev);
    };
    // Cursors C and D held away from the bottom edge, where the flat curves go.
    doc_->SetLineMode(1);
    doc_->SetLineCoord(2, 0, 0.9 * graph_->Layout().verticalRange);
    doc_->SetLineCoord(3, 0, 0.6 * graph_->Layout().verticalRange);
    choose(bxid::cmd::RoughnessCurve);
    choose(bxid::cmd::WavinessCurve);
    ASSERT_TRUE(doc_->showRoughness && doc_->showWaviness);
    settle();
    wxImage shown = drawn(graph_);
    const graph::ProfileLayout& l = graph_->Layout();
    const int top = l.frame.top + 1, bottom = l.frame.top + 9 * l.stepY;
    EXPECT_GT(countColour(shown, 128, 255, 0, top, bottom - 1), 0);
    EXPECT_GT(countColour(shown, 255, 0, 255, top, bottom - 1), 0);
    EXPECT_GT(countColour(shown, 0, 0, 255, top, bottom - 1), 0);

    // Scale 0: every curve lies on the bottom edge of the plot.
    doc_->SetGraphScaleFreeOn(0);
    doc_->SetGraphScalePreset(0.0);
    settle();
    wxImage flat = drawn(graph_);
    int onBottom = 0;
    for (auto [r, g, b] : {std::array<int, 3>{0, 0, 255}, {128, 255, 0}, {255, 0, 255}}) {
        EXPECT_EQ(countColour(flat, r, g, b, top, bottom - 1), 0) << r << " " << g << " " << b;
        onBottom += countColour(flat, r, g, b, bottom - 1, bottom + 2);
    }
    EXPECT_GT(onBottom, 9 * l.stepX - 2); // the whole bottom edge
    doc_->SetGraphScalePreset(1.0);
    choose(bxid::cmd::RoughnessCurve);
    choose(bxid::cmd::WavinessCurve);
    EXPECT_FALSE(doc_->showRoughness || doc_->showWaviness);
    settle();
    wxImage hidden = drawn(graph_);
    EXPECT_EQ(countColour(hidden, 128, 255, 0), 0);
    EXPECT_EQ(countColour(hidden, 255, 0, 255), 0);
    EXPECT_GT(countColour(hidden, 0, 0, 255, top, bottom - 1), 0);
}

TEST_F(MeasureViewsGui, DraggingTheLineChangesRaAndFixedLinesKeepTheirCursors) {
    ASSERT_EQ(doc_->LineKind(), v3d::kLineHorizontal);
    const wxString before = listLine(4);
    const int row = doc_->GetMeasureState()->linePosition[0];
    ASSERT_GE(row, kH / 2); // the rough half
    const wxPoint on = at(analysis_, kW / 2 + 1, row);
    press(analysis_, on.x, analysis_->LinePixel());
    ASSERT_EQ(analysis_->MeasureDragState(), overlay::kDragLine);
    const wxPoint up = at(analysis_, kW / 2 + 1, 6);
    drag(analysis_, up.x, up.y);
    release(analysis_, up.x, up.y);
    EXPECT_EQ(doc_->GetMeasureState()->linePosition[0], 6);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return listLine(4) != before; }));

    // A fixed line is not picked up; its cursors are.
    settle();
    doc_->SetLinePositionFixed(0, 1);
    press(analysis_, on.x, analysis_->LinePixel());
    EXPECT_EQ(analysis_->MeasureDragState(), overlay::kPressedNoHit);
    release(analysis_, on.x, analysis_->LinePixel());
    press(analysis_, analysis_->CursorPixel(0) + 1, at(analysis_, 0, 30).y);
    EXPECT_EQ(analysis_->MeasureDragState(), overlay::kDragA);
    release(analysis_, analysis_->CursorPixel(0) + 1, at(analysis_, 0, 30).y);

    // A drag from empty space picks up the first item it sweeps over: here the line.
    doc_->SetLinePositionFixed(0, 0);
    settle();
    const int line = doc_->GetMeasureState()->linePosition[0];
    const wxPoint empty = at(analysis_, 40, line + 10);
    press(analysis_, empty.x, empty.y);
    ASSERT_EQ(analysis_->MeasureDragState(), overlay::kPressedNoHit);
    const wxPoint across = at(analysis_, 40, line - 3);
    drag(analysis_, across.x, across.y);
    EXPECT_EQ(analysis_->MeasureDragState(), overlay::kDragLine);
    release(analysis_, across.x, across.y);
    EXPECT_EQ(doc_->GetMeasureState()->linePosition[0], line - 3);
    // Cursor B stops at the last sample of the line.
    settle();
    press(analysis_, analysis_->CursorPixel(1), at(analysis_, 0, 30).y);
    ASSERT_EQ(analysis_->MeasureDragState(), overlay::kDragB);
    drag(analysis_, analysis_->imageRect.right - 1, at(analysis_, 0, 30).y);
    release(analysis_, analysis_->imageRect.right - 1, at(analysis_, 0, 30).y);
    EXPECT_EQ(doc_->GetLineCoord(1, 0), kW - 1);
}

TEST_F(MeasureViewsGui, FreeLinesSnapWithShiftClearWithEqualEndsAndCursorsHitTheirRegions) {
    frame_->SetLineKind(v3d::kLineFree);
    settle();
    const wxPoint from = at(analysis_, 5, 30), to = at(analysis_, 50, 33);
    press(analysis_, from.x, from.y);
    ASSERT_EQ(analysis_->MeasureDragState(), overlay::kDragNewFree);
    drag(analysis_, to.x, to.y, true);
    release(analysis_, to.x, to.y, true);
    RECT line{};
    doc_->GetRoiRect(&line);
    EXPECT_EQ(line.left, 5);
    EXPECT_EQ(line.top, 30);
    EXPECT_EQ(line.right, 50);
    EXPECT_EQ(line.bottom, 30); // horizontal
    EXPECT_EQ(doc_->GetProfileCount(), 46);

    // A cursor's cross line is hit inside its region.
    settle();
    RECT a{}, b{};
    doc_->GetLineRects(&a, &b);
    // The middle of cursor A's cross line, and a point 3 pixels beside it.
    const wxPoint top = at(analysis_, a.left, a.top), foot = at(analysis_, a.right, a.bottom);
    const wxPoint ca((top.x + foot.x) / 2, (top.y + foot.y) / 2);
    press(analysis_, ca.x + 3, ca.y);
    EXPECT_EQ(analysis_->MeasureDragState(), overlay::kDragNewFree);
    release(analysis_, ca.x + 3, ca.y);
    doc_->SetRoiRect(RECT{5, 30, 50, 30});
    doc_->ResetLinePositions(-1);
    settle();
    press(analysis_, ca.x, ca.y);
    EXPECT_EQ(analysis_->MeasureDragState(), overlay::kDragA);
    release(analysis_, ca.x, ca.y);

    // Equal ends clear the free line: the default diagonal of the image takes its place.
    const wxPoint p = at(analysis_, 20, 10);
    press(analysis_, p.x, p.y);
    ASSERT_EQ(analysis_->MeasureDragState(), overlay::kDragNewFree);
    release(analysis_, p.x, p.y);
    doc_->GetRoiRect(&line);
    EXPECT_EQ(line.left, 0);
    EXPECT_EQ(line.top, 0);
    EXPECT_EQ(line.right, kW - 1);
    EXPECT_EQ(line.bottom, kH - 1);
}

TEST_F(MeasureViewsGui, RegionBandAppliesRestoresAndResetsTheLineCount) {
    const wxPoint a = at(image_, 8, 6), b = at(image_, 40, 30);
    press(image_, a.x, a.y);
    drag(image_, b.x, b.y);
    EXPECT_TRUE(image_->BandShown());
    release(image_, b.x, b.y);
    EXPECT_FALSE(image_->BandShown());
    const RECT roi = image_->roiRect;
    EXPECT_EQ(roi.left, 8);
    EXPECT_EQ(roi.top, 6);
    EXPECT_EQ(roi.right, 40);
    EXPECT_EQ(roi.bottom, 30);
    ASSERT_NE(doc_->regionCut[1], nullptr);
    {
        GlobalLockGuard lock(doc_->regionCut[1]);
        EXPECT_EQ(v3d::DibGetWidth(lock.get()), 32);
        EXPECT_EQ(std::abs(int(v3d::DibGetHeight(lock.get()))), 24);
    }
    // A band beside the image keeps the region.
    settle();
    const RECT& fit = image_->imageRect;
    const wxSize client = image_->GetClientSize();
    wxPoint o1, o2;
    if (fit.left > 6) {
        o1 = wxPoint(1, fit.top + 5);
        o2 = wxPoint(fit.left - 2, fit.bottom - 5);
    } else {
        ASSERT_GT(client.y - fit.bottom, 6);
        o1 = wxPoint(fit.left + 5, fit.bottom + 1);
        o2 = wxPoint(fit.right - 5, client.y - 1);
    }
    press(image_, o1.x, o1.y);
    drag(image_, o2.x, o2.y);
    release(image_, o2.x, o2.y);
    EXPECT_EQ(image_->roiRect.left, roi.left);
    EXPECT_EQ(image_->roiRect.bottom, roi.bottom);

    // A region lower than the band of measuring lines leaves one line.
    doc_->SetLineCount(5);
    viewer_->App().MainFrame()->SetLineCountText("5");
    settle();
    const wxPoint c = at(image_, 10, 10), d = at(image_, 30, 14);
    press(image_, c.x, c.y);
    drag(image_, d.x, d.y);
    release(image_, d.x, d.y);
    EXPECT_EQ(image_->roiRect.bottom - image_->roiRect.top, 4);
    EXPECT_EQ(doc_->GetLineCount(), 1);
    EXPECT_EQ(viewer_->App().MainFrame()->PanelMeasure()->GetDlgItemText(bxid::MeasurePanel::LineCount), "1");
    EXPECT_EQ(doc_->GetLineCoord(2, 0), -1.0);
}

TEST_F(MeasureViewsGui, AntsFrameStepsOncePer300MsAndNotWhileInputArrives) {
    image_->roiRect = RECT{4, 4, 30, 20};
    ScopedManualClock clock(1000);
    const int start = image_->antsPhase;
    image_->OnIdleTick(0, 0); // the first idle call after input
    image_->OnIdleTick(0, 1);
    clock.Advance(299);
    image_->OnIdleTick(0, 2);
    EXPECT_EQ(image_->antsPhase, start);
    clock.Advance(1);
    image_->OnIdleTick(0, 3);
    EXPECT_EQ(image_->antsPhase, (start + 1) & 7);
    image_->OnIdleTick(0, 4);
    EXPECT_EQ(image_->antsPhase, (start + 1) & 7);
    // Input every 100 ms: each idle call is the first after input, and nothing moves.
    for (int i = 0; i < 10; ++i) {
        clock.Advance(100);
        image_->OnIdleTick(0, 0);
    }
    EXPECT_EQ(image_->antsPhase, (start + 1) & 7);
    clock.Advance(300);
    image_->OnIdleTick(0, 1);
    EXPECT_EQ(image_->antsPhase, (start + 2) & 7);
}

TEST_F(MeasureViewsGui, ReportPagesOfBothScreensDrawEveryCell) {
    // A4 at 100 dots per inch.
    const int pw = 827, ph = 1169;
    auto printPage = [&](brx::ReportPage* page) {
        wxBitmap bitmap(pw, ph, 24);
        {
            wxMemoryDC dc(bitmap);
            dc.SetBackground(*wxWHITE_BRUSH);
            dc.Clear();
            *page = brx::PrintReportPage(frame_, dc, pw, ph, 100, 100);
        }
        return bitmap.ConvertToImage();
    };
    auto inked = [](const wxImage& image, const RECT& r) {
        int n = 0;
        for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, image.GetHeight()); ++y)
            for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, image.GetWidth()); ++x)
                if (image.GetRed(x, y) != 255 || image.GetGreen(x, y) != 255 || image.GetBlue(x, y) != 255)
                    ++n;
        return n;
    };
    brx::ReportPage page;
    wxImage measure = printPage(&page);
    measure.SaveFile(wxString::FromUTF8(ui::testing::OutputFolder() + "/report-measure.png"),
                     wxBITMAP_TYPE_PNG);
    ASSERT_EQ(page.cells.count, 4);
    EXPECT_EQ(page.metrics.fontPixels, (9 * 100 + 36) / 72);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(page.drawn[i]) << i;
        EXPECT_GT(inked(measure, page.cells.cell[i]), 50) << i;
    }
    // The measuring line is drawn red into the profile image cell.
    EXPECT_GT(countColour(measure.GetSubImage(wxRect(page.cells.cell[1].left, page.cells.cell[1].top,
                                                     page.cells.cell[1].right - page.cells.cell[1].left,
                                                     page.cells.cell[1].bottom - page.cells.cell[1].top)),
                          255, 0, 0),
              0);

    frame_->ShowScreen3d();
    ASSERT_TRUE(ui::testing::WaitForPaint(frame_->View3d()));
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return frame_->View3d()->PaintCount() > 0; }));
    wxImage scene = printPage(&page);
    scene.SaveFile(wxString::FromUTF8(ui::testing::OutputFolder() + "/report-3d.png"), wxBITMAP_TYPE_PNG);
    ASSERT_EQ(page.cells.count, 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(page.drawn[i]) << i;
        EXPECT_GT(inked(scene, page.cells.cell[i]), 50) << i;
    }
}

TEST_F(MeasureViewsGui, CopyPutsEachPanesPictureOnTheClipboard) {
    auto copied = [](ui::View* view) {
        ui::ForgetLastClipboard();
        EXPECT_TRUE(view->HandleCommand(bxid::cmd::Copy));
        const wxBitmap& copy = ui::LastClipboardBitmap();
        return copy.IsOk() ? copy.GetSize() : wxSize(0, 0);
    };
    // The graph whole; the image panes the part where their picture is.
    EXPECT_EQ(copied(graph_), graph_->GetClientSize());
    const RECT& a = analysis_->imageRect;
    EXPECT_EQ(copied(analysis_), wxSize(a.right - a.left, a.bottom - a.top));
    const RECT& i = image_->imageRect;
    EXPECT_EQ(copied(image_), wxSize(i.right - i.left, i.bottom - i.top));
}

TEST_F(MeasureViewsGui, Menu155ChecksTheLineKindAndTheGraphKeepsItsPlotInSamples) {
    for (v3d::LineKind kind : {v3d::kLineHorizontal, v3d::kLineVertical, v3d::kLineFree}) {
        frame_->SetLineKind(kind);
        std::unique_ptr<wxMenu> menu(analysis_->BuildContextMenu());
        ASSERT_TRUE(menu);
        for (int id : {bxid::cmd::HorizontalLine, bxid::cmd::VerticalLine, bxid::cmd::FreeLine}) {
            wxMenuItem* item = menu->FindItem(id);
            ASSERT_NE(item, nullptr) << id;
            EXPECT_EQ(item->IsChecked(), id == bxid::cmd::HorizontalLine + kind) << kind << " " << id;
        }
        ASSERT_NE(menu->FindItem(bxid::cmd::Copy), nullptr);
    }
    // The graph keeps the samples across its plot (the larger image side) and the plot height in
    // the same units, for the page that fits it.
    frame_->SetLineKind(v3d::kLineVertical);
    settle();
    const graph::ProfileLayout& l = graph_->Layout();
    EXPECT_EQ(graph_->imageWidth, std::max(kW, kH));
    EXPECT_NEAR(graph_->imageHeight, 9.0 * l.stepY * (std::max(kW, kH) - 1) / (9.0 * l.stepX), 0.5);
}

TEST_F(MeasureViewsGui, TinyPanesDrawTheBackgroundAndKeepTheResults) {
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return doc_->GetMeasureState()->measured[1] > 0.0; }));
    const std::array<double, 4> before{
        doc_->GetMeasureState()->measured[0], doc_->GetMeasureState()->measured[1],
        doc_->GetMeasureState()->measured[2], doc_->GetMeasureState()->measured[3]};
    const int row = doc_->GetMeasureState()->linePosition[0];
    for (wxWindow* w :
         {static_cast<wxWindow*>(graph_), static_cast<wxWindow*>(analysis_), static_cast<wxWindow*>(image_)})
        w->SetSize(3, 2);
    for (v3d::CBaseImgView* pane :
         {static_cast<v3d::CBaseImgView*>(graph_), static_cast<v3d::CBaseImgView*>(analysis_),
          static_cast<v3d::CBaseImgView*>(image_)})
        (void)drawn(pane);
    EXPECT_FALSE(graph_->Layout().drawable);
    // Presses, drags and releases on panes of no room change nothing.
    for (wxWindow* w : {static_cast<wxWindow*>(graph_), static_cast<wxWindow*>(analysis_),
                        static_cast<wxWindow*>(image_)}) {
        press(w, 1, 1);
        drag(w, 2, 1);
        release(w, 2, 1);
    }
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(doc_->GetMeasureState()->measured[i], before[i]) << i;
    EXPECT_EQ(doc_->GetMeasureState()->linePosition[0], row);
}

TEST_F(MeasureViewsGui, RegionOnThe3dScreenCutsTheScene) {
    frame_->ShowScreen3d();
    auto* image = dynamic_cast<brx::CImageVw*>(frame_->GetPaneWindow(brx::kPaneImage));
    ASSERT_NE(image, nullptr);
    ASSERT_TRUE(ui::testing::WaitForPaint(image));
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return image->imageRect.right > image->imageRect.left; }));
    doc_->SetLineCount(5);
    const wxPoint a = at(image, 20, 10), b = at(image, 60, 40);
    press(image, a.x, a.y);
    drag(image, b.x, b.y);
    release(image, b.x, b.y);
    EXPECT_EQ(image->roiRect.left, 20);
    EXPECT_EQ(image->roiRect.bottom, 40);
    ASSERT_NE(doc_->regionCut[0], nullptr);
    {
        GlobalLockGuard lock(doc_->regionCut[0]);
        EXPECT_EQ(v3d::DibGetWidth(lock.get()), 40);
        EXPECT_EQ(std::abs(int(v3d::DibGetHeight(lock.get()))), 30);
    }
    EXPECT_EQ(doc_->cut3d.left, 20);
    EXPECT_EQ(doc_->cut3d.bottom, 40);
    EXPECT_EQ(doc_->regionCut[1], nullptr); // the measurement screen keeps its own
    EXPECT_EQ(doc_->GetLineCount(), 5);     // the line count is the measurement screen's
}
