// The base 2D pane painted into a bitmap: the colour image fitted in place on the background,
// the slice picture the document makes for the pane in red, background only for other kinds and
// missing images, and the overlay kept or made again as the pane is resized. The pane's own
// pieces: the crawling patterns from the bundle, its edit menu, its copy, and a printed page
// carrying the screenshot of the frame that holds it.
#include "ids/BrelvoxaIds.h"
#include "ui/Clipboard.h"
#include "ui/Document.h"
#include "ui/resources/ResourceRegistry.h"
#include "ui/testing/GuiTest.h"
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/measure/gui/BaseImgView.h"
#include "viewer3d/render/View3dView.h"
#include "viewer3d/measure/core/PrintTiles.h"
#include "viewer3d/measure/core/SoftwareRaster.h"

#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/panel.h>
#include <wx/print.h>

#include <memory>

namespace {

class PaneDoc : public ui::Document, public v3d::View3dData, public v3d::SceneDocument {
public:
    v3d::View3dData& SceneData() override { return *this; }
    v3d::scene::DocumentScene& Scene() override { return scene; }
    v3d::scene::DocumentScene scene;
};

// An 8-bit picture: 255 in the left half, 0 in the right.
HDIB halves8(int w, int h) {
    HDIB dib = v3d::DibCreate(w, h, v3d::kKindGrey8);
    GlobalLockGuard lock(dib);
    std::vector<int> row(w);
    for (int x = 0; x < w; ++x)
        row[x] = x < w / 2 ? 255 : 0;
    for (int y = 0; y < h; ++y)
        v3d::DibWriteRow(row.data(), lock.get(), 0, y, w);
    return dib;
}

// The part of a document frame a pane prints from: a screenshot or, without one, a report page
// (here a black square at the page's centre).
class FrameStandIn : public wxPanel, public v3d::PrintPageSource {
public:
    explicit FrameStandIn(wxWindow* parent) : wxPanel(parent) {}
    const wxBitmap* PrintScreenshot() const override { return shot.IsOk() ? &shot : nullptr; }
    void PrintReport(wxDC& dc, int w, int h, int, int) override {
        ++reports;
        dc.SetBrush(*wxBLACK_BRUSH);
        dc.SetPen(*wxBLACK_PEN);
        dc.DrawRectangle(w / 2 - 5, h / 2 - 5, 10, 10);
    }
    void BeginPrinting() override { ++begun; }
    void EndPrinting() override { ++ended; }
    wxBitmap shot;
    int reports = 0, begun = 0, ended = 0;
};

class BasePane : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(ui::LoadProgramResources("brelvoxa", &error)) << error;
        frame = new wxFrame(nullptr, wxID_ANY, "2D");
        holder = new FrameStandIn(frame);
        view = new v3d::CBaseImgView(holder);
        view->SetDocument(&doc);
    }
    void TearDown() override {
        EXPECT_TRUE(ui::testing::DestroyAndWait(frame));
        ui::Resources().Clear();
    }
    wxImage paint(int w, int h) {
        wxBitmap bitmap(w, h, 24);
        {
            wxMemoryDC dc(bitmap);
            view->DrawTo(dc);
        }
        return bitmap.ConvertToImage();
    }
    static wxColour at(const wxImage& i, int x, int y) {
        return {i.GetRed(x, y), i.GetGreen(x, y), i.GetBlue(x, y)};
    }

    PaneDoc doc;
    wxFrame* frame = nullptr;
    FrameStandIn* holder = nullptr;
    v3d::CBaseImgView* view = nullptr;
};

// 400 x 200: red left half, blue right half (bitmap bytes blue, green, red).
HDIB redBlue() {
    HDIB texture = v3d::DibCreate(400, 200, v3d::kKindRgb24);
    {
        GlobalLockGuard lock(texture);
        BYTE* bits = v3d::DibGetBits(lock.get());
        const uint64_t stride = DibStride(400, 24);
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 400; ++x) {
                BYTE* p = bits + y * stride + x * 3;
                p[0] = x < 200 ? 0 : 255, p[1] = 0, p[2] = x < 200 ? 255 : 0;
            }
    }
    return texture;
}

TEST_F(BasePane, ColourImageIsFittedInPlaceOnTheBackground) {
    doc.SetPlanes(redBlue(), nullptr);
    const wxImage i = paint(300, 300);
    EXPECT_EQ(view->imageRect.top, 75);
    EXPECT_EQ(view->imageRect.bottom, 225);
    EXPECT_EQ(view->imageRect.right, 300);
    EXPECT_EQ(at(i, 150, 30), *wxWHITE);
    EXPECT_EQ(at(i, 150, 270), *wxWHITE);
    EXPECT_EQ(at(i, 75, 150), wxColour(255, 0, 0));
    EXPECT_EQ(at(i, 225, 150), wxColour(0, 0, 255));

    // A kind above the measurement image: the background only.
    view->contentKind = 5;
    EXPECT_EQ(at(paint(300, 300), 75, 150), *wxWHITE);
}

TEST_F(BasePane, SlicePictureShowsRedAndAMissingPictureLeavesTheBackground) {
    view->contentKind = v3d::kContentSlice;
    // Heights 255 in the left half, 0 in the right; the slice at 128 takes the left half.
    doc.heightDisplay = halves8(100, 100);
    doc.GetViewState()->sliceLevel = 128.0;
    const wxImage i = paint(300, 200);
    EXPECT_EQ(doc.binaryStale, 0); // the document made the picture for the pane
    EXPECT_EQ(at(i, 100, 100), wxColour(255, 0, 0));
    EXPECT_EQ(at(i, 200, 100), wxColour(0, 0, 0));
    EXPECT_EQ(at(i, 20, 100), *wxWHITE);

    // No height display image: background only, no division by its size.
    GlobalFree(doc.heightDisplay);
    doc.heightDisplay = nullptr;
    EXPECT_EQ(at(paint(300, 200), 100, 100), *wxWHITE);
}

TEST_F(BasePane, ContourPictureIsKeptForSmallResizesAndMadeAgainForLargeOnes) {
    view->contentKind = v3d::kContentContour;
    doc.heightDisplay = halves8(100, 100);
    auto cacheWidth = [&] {
        GlobalLockGuard lock(doc.contourCache);
        return lock ? static_cast<int>(v3d::DibGetWidth(lock.get())) : 0;
    };
    paint(500, 500);
    EXPECT_EQ(doc.contourStale, 0);
    EXPECT_EQ(cacheWidth(), 500);
    paint(540, 540); // within a tenth: the picture is stretched
    EXPECT_EQ(cacheWidth(), 500);
    paint(500, 500);
    EXPECT_EQ(cacheWidth(), 500);
    paint(560, 560); // more than a tenth wider than the rectangle it was made for
    EXPECT_EQ(cacheWidth(), 560);
    EXPECT_EQ(doc.contourStale, 0);
}

TEST_F(BasePane, PatternBrushesLoadFromTheBundleAsTheEightCrawlingStripes) {
    EXPECT_EQ(view->LoadPatternBrushes(), 8);
    for (int k = 0; k < 8; ++k) {
        const wxBitmap* stipple = view->PatternBrush(k).GetStipple();
        ASSERT_TRUE(stipple && stipple->IsOk()) << k;
        ASSERT_EQ(stipple->GetSize(), wxSize(8, 8)) << k;
        const wxImage bits = stipple->ConvertToImage();
        for (int r = 0; r < 8; ++r)
            for (int c = 0; c < 8; ++c) {
                const bool white = (v3d::image::PatternRow(k, r) >> (7 - c)) & 1;
                ASSERT_EQ(bits.GetRed(c, r), white ? 255 : 0) << k << " " << c << "," << r;
            }
    }
    // Without the bitmaps the loading stops at the first and leaves every brush empty.
    ui::Resources().Clear();
    EXPECT_EQ(view->LoadPatternBrushes(), 0);
    EXPECT_FALSE(view->PatternBrush(0).IsOk());
}

TEST_F(BasePane, Menu154ShowsOnThePaneAndCopyPutsThePicturesSizeOnTheClipboard) {
    frame->SetClientSize(300, 300);
    view->SetSize(300, 300);
    doc.SetPlanes(redBlue(), nullptr);
    frame->Show();
    ASSERT_TRUE(ui::testing::WaitForPaint(view));

    std::vector<std::pair<int, wxString>> items;
    ui::testing::WhenPopupMenu(view, [&](wxMenu* menu) {
        for (wxMenuItem* item : menu->GetMenuItems())
            items.emplace_back(item->GetId(), item->GetItemLabelText());
    });
    wxContextMenuEvent ev(wxEVT_CONTEXT_MENU, view->GetId(), view->ClientToScreen(wxPoint(50, 50)));
    ev.SetEventObject(view);
    view->GetEventHandler()->ProcessEvent(ev);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].first, bxid::cmd::Copy);
    EXPECT_EQ(items[0].second, wxString::FromUTF8("ｺﾋﾟｰ"));

    // The pane knows its copy and print commands: their menu items are enabled while it is the
    // active view.
    for (int id : {bxid::cmd::Copy, bxid::cmd::Print, bxid::cmd::PrintPreview}) {
        ui::CmdUI state(id);
        EXPECT_TRUE(view->UpdateCmdUI(state)) << id;
        EXPECT_TRUE(state.enabled.value_or(false)) << id;
    }
    // The menu's item reaches the pane's copy: the part of the pane the image was fitted into.
    ui::ForgetLastClipboard();
    EXPECT_TRUE(view->HandleCommand(bxid::cmd::Copy));
    const wxBitmap& got = ui::LastClipboardBitmap();
    ASSERT_TRUE(got.IsOk());
    EXPECT_EQ(got.GetSize(), wxSize(300, 150));
    const wxImage copied = got.ConvertToImage();
    EXPECT_EQ(at(copied, 75, 75), wxColour(255, 0, 0));
    EXPECT_EQ(at(copied, 225, 75), wxColour(0, 0, 255));
}

TEST_F(BasePane, PrintedPageCarriesTheFramesScreenshotInTilesElseTheReport) {
    // A 1600 x 1200 screenshot in four colours on an A4 page at 300 dpi: the placement is wider
    // than one tile, so the quadrants cross tile borders.
    wxImage shot(1600, 1200);
    for (int y = 0; y < 1200; ++y)
        for (int x = 0; x < 1600; ++x)
            shot.SetRGB(x, y, x < 800 ? 255 : 0, y < 600 ? 255 : 0, x >= 800 && y >= 600 ? 255 : 0);
    holder->shot = wxBitmap(shot);
    std::unique_ptr<wxPrintout> printout(v3d::CBaseImgView::MakePrintout(holder));
    wxBitmap page(2480, 3508, 24);
    auto printPage = [&] {
        wxMemoryDC dc(page);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        printout->SetDC(&dc);
        printout->SetPageSizePixels(2480, 3508);
        printout->SetPPIPrinter(300, 300);
        printout->OnBeginPrinting();
        EXPECT_TRUE(printout->OnPrintPage(1));
        printout->OnEndPrinting();
        printout->SetDC(nullptr);
    };
    printPage();
    EXPECT_EQ(holder->begun, 1);
    EXPECT_EQ(holder->ended, 1);
    EXPECT_EQ(holder->reports, 0);
    const wxImage p = page.ConvertToImage();
    const RECT dest =
        v3d::image::ScreenshotPlacement(v3d::image::MakePageMetrics(2480, 3508, 300, 300, 1, 38), 1600, 1200);
    // Quadrant centres, both sides of the first tile border across, and white outside.
    const int midY = (dest.top + dest.bottom) / 2, qx = (dest.right - dest.left) / 4,
              qy = (dest.bottom - dest.top) / 4;
    EXPECT_EQ(at(p, dest.left + qx, dest.top + qy), wxColour(255, 255, 0));
    EXPECT_EQ(at(p, dest.right - qx, dest.top + qy), wxColour(0, 255, 0));
    EXPECT_EQ(at(p, dest.left + qx, dest.bottom - qy), wxColour(255, 0, 0));
    EXPECT_EQ(at(p, dest.right - qx, dest.bottom - qy), wxColour(0, 0, 255));
    // Both sides of the first piece border across and of the first band border down.
    EXPECT_EQ(at(p, dest.left + 1023, midY - 10), wxColour(255, 255, 0));
    EXPECT_EQ(at(p, dest.left + 1024, midY - 10), wxColour(255, 255, 0));
    EXPECT_EQ(at(p, dest.right - qx, dest.top + 1023), wxColour(0, 0, 255));
    EXPECT_EQ(at(p, dest.right - qx, dest.top + 1024), wxColour(0, 0, 255));
    EXPECT_EQ(at(p, dest.left, dest.top), wxColour(255, 255, 0));
    EXPECT_EQ(at(p, dest.right - 1, dest.bottom - 1), wxColour(0, 0, 255));
    EXPECT_EQ(at(p, dest.left - 1, midY), *wxWHITE);
    EXPECT_EQ(at(p, dest.right, midY), *wxWHITE);
    EXPECT_EQ(at(p, 1240, dest.top - 1), *wxWHITE);

    // A preview draws the same page into a smaller bitmap: the printer's pixels are scaled.
    {
        wxBitmap small(620, 877, 24);
        {
            wxMemoryDC dc(small);
            dc.SetBackground(*wxWHITE_BRUSH);
            dc.Clear();
            printout->SetDC(&dc);
            EXPECT_TRUE(printout->OnPrintPage(1));
            printout->SetDC(nullptr);
        }
        const wxImage s = small.ConvertToImage();
        EXPECT_EQ(at(s, (dest.left + qx) / 4, (dest.top + qy) / 4), wxColour(255, 255, 0));
        EXPECT_EQ(at(s, (dest.right - qx) / 4, (dest.bottom - qy) / 4), wxColour(0, 0, 255));
        EXPECT_EQ(at(s, dest.left / 4 - 2, midY / 4), *wxWHITE);
    }

    // Without a screenshot the frame's report is the page.
    holder->shot = wxBitmap();
    printPage();
    EXPECT_EQ(holder->reports, 1);
    EXPECT_EQ(at(page.ConvertToImage(), 1240, 1754), *wxBLACK);
}

TEST_F(BasePane, PrintPageFontIsNinePointsOnPaperAndTheHeaderNamesTheDocument) {
    // A4 at 300 dpi: the font is sized once for the printer (38 pixels an em), not scaled by
    // the resolution a second time (about 156).
    wxBitmap page(2480, 400, 24);
    v3d::image::PrintPageMetrics m;
    {
        wxMemoryDC dc(page);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        const std::string header = "DATA NAME:[x]";
        m = v3d::CBaseImgView::SetupPrintPage(dc, 2480, 3508, 300, 300, &header);
    }
    EXPECT_EQ(m.fontPixels, 38);
    EXPECT_GT(m.charHeight, 30);
    EXPECT_LT(m.charHeight, 70);
    EXPECT_EQ(m.textTop, m.topMargin + m.charHeight);
    const wxImage header = page.ConvertToImage();
    int ink = 0;
    for (int y = m.topMargin; y < m.topMargin + m.charHeight; ++y)
        for (int x = m.textLeft; x < m.textLeft + 20 * m.charWidth; ++x)
            ink += header.GetRed(x, y) < 128;
    EXPECT_GT(ink, 100);
    EXPECT_EQ(at(header, m.textLeft - 2, m.topMargin + m.charHeight / 2), *wxWHITE);

    doc.SetTitle("sample");
    EXPECT_EQ(view->PrintHeader(), "DATA NAME:[sample]");
    doc.SetPathName("/data/a.vv3");
    EXPECT_EQ(view->PrintHeader(), "DATA NAME:[/data/a.vv3]");
    // The name text follows on the 3D screen only.
    doc.GetViewState()->SetCommentUtf8(" top");
    EXPECT_EQ(view->PrintHeader(), "DATA NAME:[/data/a.vv3 top]");
    doc.SetScreenMode(v3d::kScreenMeasure);
    EXPECT_EQ(view->PrintHeader(), "DATA NAME:[/data/a.vv3]");
}

} // namespace
