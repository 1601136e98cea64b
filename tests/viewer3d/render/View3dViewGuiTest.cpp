// The 3D pane on a GL canvas under Xvfb with Mesa's software renderer: background, drawn
// surface, a scripted right drag, off-screen rendering equal to the window, clipboard copy,
// and a pane without GL.
#include "ui/Clipboard.h"
#include "ui/Document.h"
#include "ui/testing/GuiTest.h"
#include "tests/viewer3d/render/gl/RampDocument.h"
#include "viewer3d/core/Dib.h"
#include "viewer3d/render/View3dView.h"
#include "viewer3d/render/gl/GlEntryPoints.h"

#include <gtest/gtest.h>
#include <wx/frame.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

class TestDoc : public ui::Document, public v3d::View3dData, public v3d::SceneDocument {
public:
    v3d::View3dData& SceneData() override { return *this; }
    v3d::scene::DocumentScene& Scene() override { return scene; }
    v3d::scene::DocumentScene scene;
};

// A height plane rising from left to right, drawn as a coloured surface.
void fillRamp(TestDoc& doc, int w, int h) {
    FillRampPlanes(doc, w, h);
    doc.SetDisplayMode(1);
    doc.textureOn = 0;
    doc.SetPitch(0, 1.0);
    doc.SetPitch(2, 0.01); // heights small beside the width: a flat-looking surface
    doc.extentTexts = {"200.00 um", "100.00 um", "2.55 um"};
}

struct Pixels {
    explicit Pixels(HDIB h) : h(h) {}
    ~Pixels() { GlobalFree(h); }
    HDIB h;
    int width() const { return DibGetWidth(GlobalLockGuard(h).get()); }
    std::vector<BYTE> bytes() const {
        GlobalLockGuard lock(h);
        const BYTE* bits = v3d::DibGetBits(lock.get());
        const uint64_t size = DibStride(DibGetWidth(lock.get()), 24) * DibGetHeight(lock.get());
        return {bits, bits + size};
    }
    // Blue, green, red of pixel (x, y from the bottom).
    std::array<int, 3> at(int x, int y) const {
        GlobalLockGuard lock(h);
        const BYTE* p = v3d::DibGetBits(lock.get()) + y * DibStride(DibGetWidth(lock.get()), 24) + x * 3;
        return {p[0], p[1], p[2]};
    }
};

class View3dPane : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
        bound = v3d::gl::LoadOpenGl(libs) == 1;
    }
    static void TearDownTestSuite() { v3d::gl::FreeOpenGl(libs); }

    void open(int w, int h) {
        fillRamp(doc, w, h);
        frame = new wxFrame(nullptr, wxID_ANY, "3D");
        view = new v3d::CView3dView(frame);
        view->SetDocument(&doc);
        frame->SetClientSize(240, 180);
        frame->Show();
        ASSERT_TRUE(ui::testing::WaitForPaint(frame));
    }
    void TearDown() override {
        if (frame) {
            EXPECT_TRUE(ui::testing::DestroyAndWait(frame));
        }
    }
    // Waits for the next frame of the pane.
    bool nextFrame() {
        const int before = view->PaintCount();
        view->Refresh(false);
        return ui::testing::PumpUntil([&] { return view->PaintCount() > before; });
    }
    int coverage(const Pixels& p) {
        const int w = p.width(), h = DibGetHeight(GlobalLockGuard(p.h).get());
        int n = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                n += p.at(x, y) != std::array<int, 3>{128, 0, 0} ? 1 : 0;
        return n * 100 / (w * h);
    }
    void mouse(wxEventType type, int x, int y, bool right, bool ctrl = false) {
        wxMouseEvent ev(type);
        ev.SetPosition({x, y});
        ev.m_rightDown = right && type != wxEVT_RIGHT_UP;
        ev.m_controlDown = ctrl;
        ev.SetEventObject(view);
        view->GetEventHandler()->ProcessEvent(ev);
    }

    static inline v3d::gl::GlLibraries libs;
    static inline bool bound = false;
    TestDoc doc;
    wxFrame* frame = nullptr;
    v3d::CView3dView* view = nullptr;
};

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
    open(128, 128);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return view->PaintCount() > 0; }));
    doc.GetViewState()->scaleLinesShown = 0;
    view->RequestBuildAll();
    ASSERT_TRUE(nextFrame());
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
