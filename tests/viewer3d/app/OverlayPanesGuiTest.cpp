// The contour and slice panes of the document frame: a synthetic height file opened as the
// program opens it puts the document's pictures into both panes, each pane drawn into a memory
// bitmap (never read from the screen).
#include "ViewerTestSupport.h"

#include "platform/ScriptedMessageSink.h"
#include "ui/testing/GuiTest.h"
#include "viewer3d/app/MainFrame.h"
#include "viewer3d/app/View3dDoc.h"
#include "viewer3d/app/View3dFrm.h"
#include "viewer3d/measure/gui/BaseImgView.h"

#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/image.h>

#include <cmath>

using brxtest::RunningViewer;

namespace {

wxImage drawPane(v3d::CBaseImgView* pane) {
    const wxSize size = pane->GetClientSize();
    wxBitmap bitmap(size.x, size.y, 24);
    {
        wxMemoryDC dc(bitmap);
        pane->DrawTo(dc);
    }
    return bitmap.ConvertToImage();
}

bool isBlack(const wxImage& i, int x, int y) {
    return i.GetRed(x, y) == 0 && i.GetGreen(x, y) == 0 && i.GetBlue(x, y) == 0;
}

} // namespace

TEST(OverlayPanesGui, OpenedHeightFileShowsContoursAndTheRedSliceInTheirPanes) {
    ScratchFolder dir("brx-overlays");
    CScriptedMessageSink sink(IDOK);
    RunningViewer viewer(dir.Path());
    // A round bump, highest in the middle of 64 x 48 and 0 in the corners.
    const std::string path = dir.Path() + "/bump.vv3";
    brxtest::WriteFile(path, brxtest::HeightSetOf(64, 48, 1.0, true, [](int x, int y) {
                           const double r = std::hypot(x - 32.0, y - 24.0);
                           return static_cast<float>(std::max(0.0, 20.0 - r));
                       }));
    ASSERT_TRUE(viewer.App().OpenDocumentFile(path));
    brx::CView3dFrm* frame = viewer.App().MainFrame()->GetActive3dFrame();
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(ui::testing::WaitForPaint(frame));

    auto* contour = dynamic_cast<v3d::CBaseImgView*>(frame->GetPaneWindow(brx::kPaneContour));
    auto* slice = dynamic_cast<v3d::CBaseImgView*>(frame->GetPaneWindow(brx::kPaneSlice));
    ASSERT_NE(contour, nullptr);
    ASSERT_NE(slice, nullptr);
    EXPECT_EQ(contour->contentKind, v3d::kContentContour);
    EXPECT_EQ(slice->contentKind, v3d::kContentSlice);
    ASSERT_TRUE(ui::testing::PumpUntil([&] {
        return contour->GetClientSize().x > 20 && contour->GetClientSize().y > 20 &&
               slice->GetClientSize().x > 20 && slice->GetClientSize().y > 20;
    }));

    // Contours: coloured rings on black, nothing outside the fitted picture.
    const wxImage c = drawPane(contour);
    const RECT cr = contour->imageRect;
    ASSERT_GT(cr.right - cr.left, 0);
    int lines = 0, outside = 0;
    for (int y = 0; y < c.GetHeight(); ++y)
        for (int x = 0; x < c.GetWidth(); ++x) {
            const bool in = x >= cr.left && x < cr.right && y >= cr.top && y < cr.bottom;
            if (!isBlack(c, x, y))
                (in ? lines : outside)++;
        }
    EXPECT_GT(lines, 50);
    EXPECT_EQ(outside, 0);
    // The middle of the bump lies inside every ring, the corners outside all of them.
    const int cx = (cr.left + cr.right) / 2, cy = (cr.top + cr.bottom) / 2;
    EXPECT_TRUE(isBlack(c, cx, cy));
    EXPECT_TRUE(isBlack(c, cr.left + 3, cr.top + 3));

    // Slice at the middle of the height range: red over the top of the bump, black around it.
    const wxImage s = drawPane(slice);
    const RECT sr = slice->imageRect;
    ASSERT_GT(sr.right - sr.left, 0);
    const int sx = (sr.left + sr.right) / 2, sy = (sr.top + sr.bottom) / 2;
    EXPECT_EQ(wxColour(s.GetRed(sx, sy), s.GetGreen(sx, sy), s.GetBlue(sx, sy)), wxColour(255, 0, 0));
    EXPECT_TRUE(isBlack(s, sr.left + 2, sr.top + 2));
    EXPECT_TRUE(isBlack(s, sr.right - 3, sr.bottom - 3));
    // The red disc: heights above 10 of 20, a radius of 10 of the 64 pixels across.
    const int radius = (sr.right - sr.left) * 10 / 64;
    int red = 0;
    for (int y = sr.top; y < sr.bottom; ++y)
        for (int x = sr.left; x < sr.right; ++x)
            red += s.GetRed(x, y) == 255 && s.GetGreen(x, y) == 0;
    const double disc = 3.14159 * radius * radius;
    EXPECT_NEAR(red, disc, disc * 0.25);

    // A higher slice level (three quarters of the range: heights above 15, a radius of 5) makes a
    // smaller disc from the picture the document keeps for the pane.
    brx::CView3dDoc* doc = frame->Doc();
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(doc->SetSliceLevel(doc->GetPitch(2) * (doc->maxLevel - doc->minLevel) * 0.75), 1);
    const wxImage s2 = drawPane(slice);
    int red2 = 0;
    for (int y = sr.top; y < sr.bottom; ++y)
        for (int x = sr.left; x < sr.right; ++x)
            red2 += s2.GetRed(x, y) == 255 && s2.GetGreen(x, y) == 0;
    EXPECT_NEAR(red2, disc / 4, disc / 4 * 0.35);
}
