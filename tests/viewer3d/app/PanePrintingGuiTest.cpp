// Printing from a document frame opened on a synthetic height file: Print Preview goes to the
// printing pane, whose preview window carries its preview flag; the page shows the frame's
// screenshot while one waits, else the report; the view commands drop a waiting screenshot and
// the screenshot commands capture the main window. Pages are drawn into memory bitmaps.
#include "ids/BrelvoxaIds.h"
#include "ui/Clipboard.h"
#include "ui/Services.h"
#include "ViewerTestSupport.h"
#include "platform/ScriptedMessageSink.h"
#include "ui/testing/GuiTest.h"
#include "viewer3d/measure/gui/GraphVw.h"
#include "viewer3d/app/MainFrame.h"
#include "viewer3d/app/ReportPage.h"
#include "viewer3d/app/View3dDoc.h"
#include "viewer3d/app/View3dFrm.h"
#include "viewer3d/render/View3dView.h"
#include "viewer3d/measure/core/PrintTiles.h"

#include <gtest/gtest.h>

#include <wx/filename.h>

#include <wx/dcmemory.h>
#include <wx/display.h>
#include <wx/image.h>
#include <wx/print.h>
#include <wx/prntbase.h>

#include <algorithm>
#include <memory>
#include <vector>

using brxtest::RunningViewer;

namespace {

constexpr int kW = 200, kH = 150;

wxPreviewFrame* openPreview() {
    for (wxWindow* w : wxTopLevelWindows)
        if (auto* p = dynamic_cast<wxPreviewFrame*>(w); p && !p->IsBeingDeleted())
            return p;
    return nullptr;
}

wxColour at(const wxImage& i, int x, int y) {
    return {i.GetRed(x, y), i.GetGreen(x, y), i.GetBlue(x, y)};
}

// Non-white pixels inside a rectangle.
int inked(const wxImage& image, const RECT& r) {
    int n = 0;
    for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, image.GetHeight()); ++y)
        for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, image.GetWidth()); ++x)
            if (image.GetRed(x, y) != 255 || image.GetGreen(x, y) != 255 || image.GetBlue(x, y) != 255)
                ++n;
    return n;
}

class PanePrintingGui : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
        viewer_ = std::make_unique<RunningViewer>(dir_.Path());
        const std::string path = dir_.Path() + "/surface.vv3";
        brxtest::WriteFile(path, brxtest::HeightSet(kW, kH, 1.0, true));
        ASSERT_NE(viewer_->App().OpenDocumentFile(path), nullptr);
        frame_ = viewer_->App().MainFrame()->GetActive3dFrame();
        ASSERT_NE(frame_, nullptr);
        ASSERT_TRUE(ui::testing::WaitForPaint(frame_));
    }
    void TearDown() override {
        if (wxPreviewFrame* p = openPreview()) {
            EXPECT_TRUE(ui::testing::DestroyAndWait(p));
        }
        viewer_.reset();
    }
    // The page of the frame's printout on A4 at 100 dots per inch, as the preview draws it.
    wxImage printedPage() {
        std::unique_ptr<wxPrintout> printout(v3d::CBaseImgView::MakePrintout(frame_));
        wxBitmap page(827, 1169, 24);
        {
            wxMemoryDC dc(page);
            dc.SetBackground(*wxWHITE_BRUSH);
            dc.Clear();
            printout->SetDC(&dc);
            printout->SetPageSizePixels(827, 1169);
            printout->SetPPIPrinter(100, 100);
            printout->OnBeginPrinting();
            EXPECT_TRUE(printout->OnPrintPage(1));
            printout->OnEndPrinting();
            printout->SetDC(nullptr);
        }
        return page.ConvertToImage();
    }
    // The report page of an A4 printer at 600 dots per inch drawn as the preview draws it: in the
    // printer's pixels on a bitmap of the preview's size (the device context scaled down).
    static constexpr int kPageW = 4960, kPageH = 7016;
    wxImage previewedPage(double scale, brx::ReportPage* page) {
        wxBitmap bitmap(static_cast<int>(kPageW * scale), static_cast<int>(kPageH * scale), 24);
        {
            wxMemoryDC dc(bitmap);
            dc.SetBackground(*wxWHITE_BRUSH);
            dc.Clear();
            dc.SetUserScale(scale, scale);
            *page = brx::PrintReportPage(frame_, dc, kPageW, kPageH, 600, 600);
        }
        return bitmap.ConvertToImage();
    }
    // A cell of the page in the preview's pixels.
    static wxRect scaledCell(const RECT& cell, double scale) {
        return wxRect(static_cast<int>(cell.left * scale), static_cast<int>(cell.top * scale),
                      static_cast<int>((cell.right - cell.left) * scale),
                      static_cast<int>((cell.bottom - cell.top) * scale));
    }

    ScratchFolder dir_{"brx-paneprint"};
    CScriptedMessageSink sink_{IDOK};
    std::unique_ptr<RunningViewer> viewer_;
    brx::CView3dFrm* frame_ = nullptr;
};

TEST_F(PanePrintingGui, PreviewOfTheMeasurementScreenShowsTheWaitingScreenshotAndFlagsThePane) {
    frame_->ShowScreenMeasure();
    auto* graph = dynamic_cast<brx::CGraphVw*>(frame_->GetPaneWindow(brx::kPaneProfileGraph));
    ASSERT_NE(graph, nullptr);
    // A screenshot in two colours, left green and right blue.
    wxImage shot(640, 480);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            shot.SetRGB(x, y, 0, x < 320 ? 200 : 0, x < 320 ? 0 : 200);
    frame_->SetScreenshot(wxBitmap(shot));

    EXPECT_TRUE(frame_->HandleCommand(bxid::cmd::PrintPreview));
    wxPreviewFrame* preview = openPreview();
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(graph->previewFlag, 1);
    ASSERT_TRUE(ui::testing::WaitForPaint(preview));
    EXPECT_TRUE(ui::testing::ScreenshotRoot(ui::testing::OutputFolder() + "/preview-screenshot.png"));

    const wxImage page = printedPage();
    const RECT dest =
        v3d::image::ScreenshotPlacement(v3d::image::MakePageMetrics(827, 1169, 100, 100, 1, 1), 640, 480);
    const int midY = (dest.top + dest.bottom) / 2;
    const int quarter = (dest.right - dest.left) / 4;
    EXPECT_EQ(at(page, dest.left + quarter, midY), wxColour(0, 200, 0));
    EXPECT_EQ(at(page, dest.right - quarter, midY), wxColour(0, 0, 200));

    // The flag ends with the preview window.
    EXPECT_TRUE(ui::testing::DestroyAndWait(preview));
    EXPECT_EQ(graph->previewFlag, 0);
}

TEST_F(PanePrintingGui, ViewPreviewDropsTheScreenshotAndPrintsTheReportAndCaptureTakesTheMainWindow) {
    frame_->ShowScreen3d();
    ASSERT_TRUE(ui::testing::WaitForPaint(frame_->View3d()));
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return frame_->View3d()->PaintCount() > 0; }));

    // The screenshot commands take the main window as it is, cut to its screen.
    ASSERT_TRUE(frame_->CaptureScreenshot());
    const wxWindow* main = viewer_->App().MainFrame();
    const wxRect expected = main->GetScreenRect().Intersect(wxDisplay(0u).GetGeometry());
    ASSERT_NE(frame_->PrintScreenshot(), nullptr);
    EXPECT_EQ(frame_->PrintScreenshot()->GetSize(), expected.GetSize());

    // The screenshot as a bitmap file (a name without extension gets ".bmp") and on the clipboard.
    const std::string shotPath = wxFileName::CreateTempFileName("brx-shot").utf8_string();
    auto previous = ui::SetFileDialogService([&](wxWindow*, const ui::FileDialogRequest&) {
        ui::FileDialogResult r;
        r.paths.push_back(shotPath + "-saved");
        return r;
    });
    EXPECT_TRUE(frame_->HandleCommand(bxid::cmd::ScreenshotToFile));
    ui::SetFileDialogService(previous);
    wxImage saved;
    ASSERT_TRUE(saved.LoadFile(shotPath + "-saved.bmp", wxBITMAP_TYPE_BMP));
    EXPECT_EQ(saved.GetSize(), expected.GetSize());
    wxRemoveFile(shotPath + "-saved.bmp");
    wxRemoveFile(shotPath);
    ui::ForgetLastClipboard();
    EXPECT_TRUE(frame_->HandleCommand(bxid::cmd::ScreenshotToClipboard));
    ASSERT_TRUE(ui::LastClipboardBitmap().IsOk());
    EXPECT_EQ(ui::LastClipboardBitmap().GetSize(), expected.GetSize());

    // Print preview of the screenshot: captured again, shown in a preview window.
    EXPECT_TRUE(frame_->HandleCommand(bxid::cmd::PrintScreenshotPreview));
    ASSERT_NE(frame_->PrintScreenshot(), nullptr);
    wxPreviewFrame* shotPreview = openPreview();
    ASSERT_NE(shotPreview, nullptr);
    ASSERT_TRUE(ui::testing::WaitForPaint(shotPreview));
    EXPECT_TRUE(ui::testing::ScreenshotRoot(ui::testing::OutputFolder() + "/preview-captured.png"));
    EXPECT_TRUE(ui::testing::DestroyAndWait(shotPreview));

    // Print preview of the view: no screenshot left, the report (header and 3D screen cells).
    EXPECT_TRUE(frame_->HandleCommand(bxid::cmd::PrintScreenPreview));
    EXPECT_EQ(frame_->PrintScreenshot(), nullptr);
    wxPreviewFrame* preview = openPreview();
    ASSERT_NE(preview, nullptr);
    ASSERT_TRUE(ui::testing::WaitForPaint(preview));
    EXPECT_TRUE(ui::testing::ScreenshotRoot(ui::testing::OutputFolder() + "/preview-report.png"));
    const wxImage page = printedPage();
    const v3d::image::PrintPageMetrics m = v3d::image::MakePageMetrics(827, 1169, 100, 100, 1, 1);
    EXPECT_GT(inked(page, RECT{m.textLeft, m.topMargin, 827 / 2, m.topMargin + 12}), 20); // header
    const auto cells = v3d::image::ReportLayout(m, v3d::kScreen3d);
    EXPECT_GT(inked(page, cells.cell[0]), 500);     // the image
    EXPECT_GT(inked(page, cells.cell[3]), 500);     // the 3D picture taken for the page
    EXPECT_EQ(frame_->Doc()->renderCache, nullptr); // freed after the page
    EXPECT_EQ(frame_->Doc()->printing, 0);
}

} // namespace

namespace {

// Rows of the left half of a rectangle, from the first to the last that holds a pixel of the
// curve colour (blue on white or grey), and those of them that hold none: a curve drawn as a
// line leaves no row empty, a curve of sparse dots many.
struct CurveRows {
    int rows = 0, empty = 0;
};
CurveRows curveRows(const wxImage& image, const wxRect& r) {
    auto blue = [&](int x, int y) {
        const int red = image.GetRed(x, y), green = image.GetGreen(x, y), b = image.GetBlue(x, y);
        return b > 120 && b > red + 60 && b > green + 60;
    };
    std::vector<bool> has;
    for (int y = r.GetTop(); y <= r.GetBottom(); ++y) {
        bool any = false;
        for (int x = r.GetLeft(); x < r.GetLeft() + r.width / 2 && !any; ++x)
            any = blue(x, y);
        has.push_back(any);
    }
    CurveRows c;
    const auto first = std::find(has.begin(), has.end(), true);
    const auto last = std::find(has.rbegin(), has.rend(), true).base();
    if (first >= last)
        return c;
    c.rows = static_cast<int>(last - first);
    c.empty = static_cast<int>(std::count(first, last, false));
    return c;
}

} // namespace

TEST_F(PanePrintingGui, ThePreviewDrawsTheAreaGraphAsALineAsTheScreenDoes) {
    auto* graph = dynamic_cast<brx::CGraphVw*>(frame_->GetPaneWindow(brx::kPaneAreaGraph));
    ASSERT_NE(graph, nullptr);
    ASSERT_TRUE(ui::testing::WaitForPaint(graph));
    // The pane as the screen draws it.
    const wxSize size = graph->GetClientSize();
    wxBitmap screen(size.x, size.y, 24);
    {
        wxMemoryDC dc(screen);
        graph->DrawTo(dc);
    }
    const CurveRows onScreen = curveRows(screen.ConvertToImage(), wxRect(wxPoint(0, 0), size));
    // Only where the red slice indicator crosses the curve may a row show no blue.
    ASSERT_GT(onScreen.rows, 50);
    EXPECT_LE(onScreen.empty, 2);

    const double scale = 0.25;
    brx::ReportPage page;
    const wxImage image = previewedPage(scale, &page);
    image.SaveFile(wxString::FromUTF8(ui::testing::OutputFolder() + "/preview-area-graph.png"),
                   wxBITMAP_TYPE_PNG);
    ASSERT_TRUE(page.drawn[4]);
    const CurveRows onPaper = curveRows(image, scaledCell(page.cells.cell[4], scale));
    EXPECT_GT(onPaper.rows, 50);
    EXPECT_LE(onPaper.empty, 2) << "of " << onPaper.rows << " rows";
}

namespace {

// The runs of neighbouring columns (or rows) of a rectangle that hold a pixel of a colour.
int runsOf(const wxImage& image, const wxRect& r, const wxColour& colour, bool columns) {
    int runs = 0;
    bool inRun = false;
    const int outer = columns ? r.width : r.height, inner = columns ? r.height : r.width;
    for (int i = 0; i < outer; ++i) {
        bool any = false;
        for (int j = 0; j < inner && !any; ++j) {
            const int x = r.x + (columns ? i : j), y = r.y + (columns ? j : i);
            any = x >= 0 && y >= 0 && x < image.GetWidth() && y < image.GetHeight() &&
                  at(image, x, y) == colour;
        }
        runs += any && !inRun;
        inRun = any;
    }
    return runs;
}

} // namespace

TEST_F(PanePrintingGui, ThePreviewKeepsEveryLineOfTheMeasuringOverlayAtEachZoom) {
    frame_->ShowScreenMeasure();
    ASSERT_TRUE(ui::testing::WaitForPaint(frame_->GetPaneWindow(brx::kPaneAnalysis)));
    // The horizontal measuring line (red) and the cross lines of cursors A and B (green).
    for (int zoom : {70, 85, 100, 150}) {
        SCOPED_TRACE(zoom);
        const double scale = zoom / 100.0 * 96.0 / 600.0; // a screen of 96 dots per inch
        brx::ReportPage page;
        const wxImage image = previewedPage(scale, &page);
        ASSERT_TRUE(page.drawn[1]);
        const wxRect cell = scaledCell(page.cells.cell[1], scale);
        EXPECT_EQ(runsOf(image, cell, wxColour(255, 0, 0), false), 1);
        EXPECT_EQ(runsOf(image, cell, wxColour(0, 255, 0), true), 2);
    }
}
