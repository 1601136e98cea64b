// The 3D pane on a GL canvas under Xvfb with Mesa's software renderer: background, drawn
// surface, a scripted right drag, off-screen rendering equal to the window, clipboard copy,
// and a pane without GL.
#include "View3dPaneFixture.h"

namespace {

TEST_F(View3dPane, DrawsOnTheBackgroundAndOffScreenRenderingEqualsTheWindow) {
    ASSERT_TRUE(bound) << v3d::gl::MissingOpenGlNames();
    open(200, 100);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return view->PaintCount() > 0; }));
    ASSERT_TRUE(view->HasScene());
    EXPECT_NE(doc.GetGlLists()->surface, 0);
    EXPECT_EQ(doc.GetGlLists()->axisLength[2], 1); // "z", in the display's label font
    EXPECT_EQ(doc.GetGlLists()->extentLength[0], 9);
    ASSERT_TRUE(nextFrame());
    Pixels window(view->ReadWindowPixels());
    ASSERT_NE(window.h, nullptr);
    EXPECT_EQ(window.width(), view->GetClientSize().x);
    // Corners: the background colour of the view state (blue 128), within one step.
    for (auto [x, y] : {std::pair{0, 0}, {window.width() - 1, 0}, {0, 179}, {window.width() - 1, 179}}) {
        auto c = window.at(x, y);
        EXPECT_NEAR(c[0], 128, 1);
        EXPECT_EQ(c[1], 0);
        EXPECT_EQ(c[2], 0);
    }
    EXPECT_GT(coverage(window), 5);

    const int surface = doc.GetGlLists()->surface;
    Pixels rendered(view->RenderToDib());
    ASSERT_NE(rendered.h, nullptr);
    // The same scene in the view's own context, with its lists: the window's pixels exactly
    // (nothing is swapped to the screen), and the lists are those of the window.
    EXPECT_TRUE(rendered.bytes() == window.bytes()) << "the rendered picture differs from the window";
    EXPECT_EQ(doc.GetGlLists()->surface, surface);
    ASSERT_TRUE(nextFrame());
    Pixels next(view->ReadWindowPixels());
    EXPECT_TRUE(next.bytes() == window.bytes()) << "the next frame turned or lost its lists";

    ui::ForgetLastClipboard();
    EXPECT_TRUE(view->OnCopy());
    ASSERT_TRUE(ui::LastClipboardBitmap().IsOk());
    EXPECT_EQ(ui::LastClipboardBitmap().GetSize(), view->GetClientSize());
}

TEST_F(View3dPane, RightDragOfThreeQuartersOfTheWidthTurnsTheSurfaceEdgeOn) {
    ASSERT_TRUE(bound);
    ASSERT_NO_FATAL_FAILURE(openWithoutScaleLines());
    Pixels flat(view->ReadWindowPixels());
    const int before = coverage(flat);
    const int w = view->GetClientSize().x;
    mouse(wxEVT_RIGHT_DOWN, 0, 90, true);
    EXPECT_EQ(doc.fullResolution, 0);
    mouse(wxEVT_MOTION, w * 3 / 4, 90, true); // 3/4 of 120 degrees
    mouse(wxEVT_RIGHT_UP, w * 3 / 4, 90, false);
    EXPECT_EQ(doc.fullResolution, 1);
    ASSERT_TRUE(nextFrame());
    Pixels edge(view->ReadWindowPixels());
    EXPECT_GT(before, 15);
    EXPECT_LT(coverage(edge), before / 3);
    // A repaint without a move does not turn it on.
    ASSERT_TRUE(nextFrame());
    Pixels still(view->ReadWindowPixels());
    EXPECT_EQ(coverage(still), coverage(edge));
}

TEST_F(View3dPane, WithoutGlThePanePaintsItsBackgroundAndTheFrameGoesOn) {
    v3d::gl::FreeOpenGl(libs);
    open(64, 64);
    EXPECT_FALSE(view->HasScene());
    EXPECT_EQ(view->RenderToDib(), nullptr);
    EXPECT_EQ(doc.GetGlLists()->surface, 0);
    bound = v3d::gl::LoadOpenGl(libs) == 1;
}

} // namespace
