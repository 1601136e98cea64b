// The 3D pane of the real document frame, with a height file given to the viewer at its start
// as on the command line: the pixels the pane draws in each display mode, read back from the
// window, the off-screen picture against the window, and the perspective of a pane of no height.
#include "ViewerTestSupport.h"

#include "ids/BrelvoxaIds.h"
#include "platform/ScriptedMessageSink.h"
#include "ui/Clipboard.h"
#include "ui/testing/GuiTest.h"
#include "viewer3d/app/View3dDoc.h"
#include "viewer3d/app/View3dFrm.h"
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/render/View3dView.h"
#include "viewer3d/render/gl/GlEntryPoints.h"
#include "viewer3d/render/gl/SceneRender.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

using brxtest::RunningViewer;
using Rgb = std::array<int, 3>;

namespace {

constexpr int kSide = 64; // texels and heights a side: the surface spans 2.56 units each way

// A picture of the pane: bottom-up rows of blue, green, red, padded to four bytes.
struct Pixels {
    explicit Pixels(HDIB h) : h(h) {}
    ~Pixels() { GlobalFree(h); }
    Pixels(const Pixels&) = delete;
    Pixels& operator=(const Pixels&) = delete;
    HDIB h;
    int width() const { return DibGetWidth(GlobalLockGuard(h).get()); }
    int height() const { return DibGetHeight(GlobalLockGuard(h).get()); }
    std::vector<BYTE> bytes() const {
        GlobalLockGuard lock(h);
        const BYTE* bits = v3d::DibGetBits(lock.get());
        const uint64_t size = DibStride(DibGetWidth(lock.get()), 24) * DibGetHeight(lock.get());
        return {bits, bits + size};
    }
    // Red, green, blue of pixel (x, y from the bottom).
    Rgb at(int x, int y) const {
        GlobalLockGuard lock(h);
        const BYTE* p = v3d::DibGetBits(lock.get()) + y * DibStride(DibGetWidth(lock.get()), 24) + x * 3;
        return {p[2], p[1], p[0]};
    }
};

Rgb rgbOf(COLORREF c) {
    return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

class Scene3dFrameGui : public ::testing::Test {
protected:
    void SetUp() override { setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1); }

    // Writes the data set, starts the viewer with it and waits for the pane's first frame.
    void start(const std::function<float(int, int)>& height, const brxtest::TexelFunction& texel) {
        const std::string path = dir.Path() + "/scene.vv3";
        brxtest::WriteFile(path, brxtest::HeightSetWith(kSide, kSide, 1.0, true, height, texel));
        viewer = std::make_unique<RunningViewer>(dir.Path(), std::vector<std::string>{path});
        const std::vector<brx::CView3dFrm*> frames = viewer->Frames();
        ASSERT_EQ(frames.size(), 1u);
        frame = frames[0];
        view = frame->View3d();
        ASSERT_NE(view, nullptr);
        ASSERT_EQ(frame->GetPaneWindow(brx::kPane3d), view);
        ASSERT_TRUE(ui::testing::PumpUntil([&] { return view->PaintCount() > 0; }));
        ASSERT_TRUE(view->HasScene()) << v3d::gl::MissingOpenGlNames();
        background = rgbOf(frame->Doc()->GetViewState()->backgroundColor);
    }
    void TearDown() override {
        if (viewer)
            viewer->Stop();
    }
    // Waits for the next frame of the pane.
    bool nextFrame() {
        const int before = view->PaintCount();
        view->Refresh(false);
        return ui::testing::PumpUntil([&] { return view->PaintCount() > before; });
    }
    // Switches the display mode as the menu does and waits for the frame drawn in it.
    bool showMode(int mode) {
        const int before = view->PaintCount();
        if (!frame->HandleCommand(bxid::cmd::TextureDisplay + mode) ||
            frame->Doc()->GetViewState()->displayMode != mode)
            return false;
        return ui::testing::PumpUntil([&] { return view->PaintCount() > before; });
    }
    // The drawn surface seen from above: the first and last pixels that are not background
    // on the middle row and the middle column (the frame lines run along its edges).
    struct Box {
        int x0 = 0, x1 = 0, y0 = 0, y1 = 0;
        // The pixel at fractions (fu, fv) of the surface, from its bottom left corner.
        std::pair<int, int> at(double fu, double fv) const {
            return {static_cast<int>(std::lround(x0 + fu * (x1 - x0))),
                    static_cast<int>(std::lround(y0 + fv * (y1 - y0)))};
        }
    };
    Box surfaceBox(const Pixels& p) const {
        Box b{0, p.width() - 1, 0, p.height() - 1};
        const int row = p.height() / 2, column = p.width() / 2;
        while (b.x0 < b.x1 && p.at(b.x0, row) == background)
            ++b.x0;
        while (b.x1 > b.x0 && p.at(b.x1, row) == background)
            --b.x1;
        while (b.y0 < b.y1 && p.at(column, b.y0) == background)
            ++b.y0;
        while (b.y1 > b.y0 && p.at(column, b.y1) == background)
            --b.y1;
        return b;
    }
    void mouse(wxEventType type, int x, int y, bool right) {
        wxMouseEvent ev(type);
        ev.SetPosition({x, y});
        ev.m_rightDown = right && type != wxEVT_RIGHT_UP;
        ev.SetEventObject(view);
        view->GetEventHandler()->ProcessEvent(ev);
    }
    // A right drag from (x0, y0) to (x1, y1) in one move, and the frame drawn after it.
    bool rightDrag(int x0, int y0, int x1, int y1) {
        mouse(wxEVT_RIGHT_DOWN, x0, y0, true);
        mouse(wxEVT_MOTION, x1, y1, true);
        mouse(wxEVT_RIGHT_UP, x1, y1, false);
        return nextFrame();
    }
    // Pixels that are not of the background colour.
    int drawn(const Pixels& p) const {
        int n = 0;
        for (int y = 0; y < p.height(); ++y)
            for (int x = 0; x < p.width(); ++x)
                n += p.at(x, y) != background ? 1 : 0;
        return n;
    }
    // Pixels of the background colour in the middle of the box, between fractions lo and hi.
    int backgroundInside(const Pixels& p, const Box& box, double lo, double hi, int* area) const {
        const auto [x0, y0] = box.at(lo, lo);
        const auto [x1, y1] = box.at(hi, hi);
        *area = (x1 - x0 + 1) * (y1 - y0 + 1);
        int n = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                n += p.at(x, y) == background ? 1 : 0;
        return n;
    }

    ScratchFolder dir{"brx-scene3d"};
    CScriptedMessageSink sink{IDOK};
    std::unique_ptr<RunningViewer> viewer;
    brx::CView3dFrm* frame = nullptr;
    v3d::CView3dView* view = nullptr;
    Rgb background{};
};

float flat(int, int) {
    return 0.0f;
}

// Red bottom left, green bottom right, blue top left, yellow top right.
std::array<unsigned char, 3> quadrant(int x, int y) {
    static const std::array<unsigned char, 3> colours[4] = {
        {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}};
    return colours[(y >= kSide / 2 ? 2 : 0) + (x >= kSide / 2 ? 1 : 0)];
}

// The hue in degrees (0 red, 120 green, 240 blue) of a colour that is not grey.
double hue(const Rgb& c) {
    const int hi = std::max({c[0], c[1], c[2]}), lo = std::min({c[0], c[1], c[2]});
    if (hi == lo)
        return -1.0;
    const double d = hi - lo;
    double h = hi == c[0]   ? (c[1] - c[2]) / d
               : hi == c[1] ? 2.0 + (c[2] - c[0]) / d
                            : 4.0 + (c[0] - c[1]) / d;
    h *= 60.0;
    return h < 0 ? h + 360.0 : h;
}

std::array<unsigned char, 3> grey(int, int) {
    return {128, 128, 128};
}

} // namespace

TEST_F(Scene3dFrameGui, TextureModeShowsEachQuadrantInPlaceAndTheOffScreenPictureEqualsTheWindow) {
    ASSERT_NO_FATAL_FAILURE(start(flat, quadrant));
    EXPECT_EQ(frame->Doc()->GetViewState()->displayMode, 0);
    ASSERT_TRUE(nextFrame());
    Pixels window(view->ReadWindowPixels());
    ASSERT_NE(window.h, nullptr);
    ASSERT_EQ(window.width(), view->GetClientSize().x);
    ASSERT_EQ(window.height(), view->GetClientSize().y);

    // Corners: the background colour of the view state, within one step.
    const int w = window.width(), h = window.height();
    for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}})
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(window.at(x, y)[c], background[c], 1) << x << "," << y;

    // The square data set is drawn square in the middle of the pane, over a good part of it.
    const Box box = surfaceBox(window);
    EXPECT_NEAR(box.x1 - box.x0, box.y1 - box.y0, 2);
    EXPECT_NEAR(box.x0 + box.x1, w - 1, 2);
    EXPECT_NEAR(box.y0 + box.y1, h - 1, 2);
    EXPECT_GT(box.y1 - box.y0, h / 3);

    // Each quadrant's colour, exact, at its centre and around it (away from the edges and the
    // seams between the quadrants).
    const struct {
        double u, v;
        Rgb colour;
    } quadrants[] = {{0.25, 0.25, {255, 0, 0}},
                     {0.75, 0.25, {0, 255, 0}},
                     {0.25, 0.75, {0, 0, 255}},
                     {0.75, 0.75, {255, 255, 0}}};
    for (const auto& q : quadrants)
        for (double du : {-0.15, 0.0, 0.15})
            for (double dv : {-0.15, 0.0, 0.15}) {
                const auto [x, y] = box.at(q.u + du, q.v + dv);
                EXPECT_EQ(window.at(x, y), q.colour) << "at " << q.u + du << ", " << q.v + dv;
            }

    // The picture for copying is the same scene rendered in the pane's context: the window's
    // pixels exactly, and the next frame of the window is unchanged by it.
    Pixels rendered(view->RenderToDib());
    ASSERT_NE(rendered.h, nullptr);
    EXPECT_TRUE(rendered.bytes() == window.bytes()) << "the rendered picture differs from the window";
    ASSERT_TRUE(nextFrame());
    Pixels next(view->ReadWindowPixels());
    EXPECT_TRUE(next.bytes() == window.bytes()) << "the window changed after the off-screen picture";

    ui::ForgetLastClipboard();
    EXPECT_TRUE(view->OnCopy());
    ASSERT_TRUE(ui::LastClipboardBitmap().IsOk());
    EXPECT_EQ(ui::LastClipboardBitmap().GetSize(), view->GetClientSize());
}

TEST_F(Scene3dFrameGui, SurfaceHuesGoFromBlueAtTheBottomToRedAtTheTop) {
    // Heights rising from the bottom row to the top one, small beside the width.
    ASSERT_NO_FATAL_FAILURE(start([](int, int y) { return static_cast<float>(y) / (kSide - 1); }, grey));
    ASSERT_TRUE(showMode(1));
    Pixels window(view->ReadWindowPixels());
    ASSERT_NE(window.h, nullptr);
    // A column through the surface, bottom to top: the higher rows come nearer and look
    // larger, so the surface's run of pixels is found rather than placed. Its outermost pixels
    // are blended with the background and the frame lines, and the white lines are not hues.
    const int x = surfaceBox(window).at(0.6, 0.5).first;
    int bottom = 0, top = window.height() - 1;
    while (bottom < top && window.at(x, bottom) == background)
        ++bottom;
    while (top > bottom && window.at(x, top) == background)
        --top;
    ASSERT_GT(top - bottom, window.height() / 3);
    std::vector<Rgb> column;
    for (int y = bottom + 3; y <= top - 3; ++y)
        if (hue(window.at(x, y)) >= 0)
            column.push_back(window.at(x, y));
    ASSERT_GT(column.size(), size_t(window.height() / 4));
    EXPECT_GT(column.front()[2], 150);
    EXPECT_LT(column.front()[0], 60);
    EXPECT_GT(column.back()[0], 150);
    EXPECT_LT(column.back()[2], 60);
    // The hue falls from blue (240 degrees) through cyan, green and yellow to red (0) on the
    // way up, never back by more than the rounding of the shading. The lighting brightens
    // every colour, so the hue is what is compared.
    for (size_t i = 1; i < column.size(); ++i)
        EXPECT_LE(hue(column[i]), hue(column[i - 1]) + 2.0) << "step " << i;
    EXPECT_GT(hue(column.front()), 200);
    EXPECT_LT(hue(column.back()), 20);
}

TEST_F(Scene3dFrameGui, WireframeShowsTheBackgroundInsideTheSilhouetteAndTheSurfaceFillsIt) {
    ASSERT_NO_FATAL_FAILURE(start(flat, grey));
    frame->Doc()->GetViewState()->wireframeDivisions = 10; // room between the smoothed lines
    ASSERT_TRUE(showMode(2));
    Pixels wire(view->ReadWindowPixels());
    ASSERT_NE(wire.h, nullptr);
    // The silhouette: its outline and the axes along two of its edges.
    const Box box = surfaceBox(wire);
    ASSERT_GT(box.y1 - box.y0, wire.height() / 3);
    int area = 0;
    const int inside = backgroundInside(wire, box, 0.1, 0.9, &area);
    EXPECT_GT(inside, area / 3);
    EXPECT_LT(inside, area * 19 / 20); // the lines are drawn there

    ASSERT_TRUE(showMode(1));
    Pixels filled(view->ReadWindowPixels());
    ASSERT_NE(filled.h, nullptr);
    EXPECT_EQ(backgroundInside(filled, box, 0.1, 0.9, &area), 0);
}

TEST_F(Scene3dFrameGui, APaneOfNoHeightGetsAnAspectOfOne) {
    ASSERT_NO_FATAL_FAILURE(start(flat, grey));
    ASSERT_TRUE(view->MakeSceneCurrent());
    auto& g = v3d::gl::Gl();
    // x and y scales of the projection for a viewport of w x h.
    auto scales = [&](int w, int h) {
        v3d::scene::SetupViewport(w, h);
        double m[16] = {};
        g.glGetDoublev(GL_PROJECTION_MATRIX, m);
        return std::pair{m[0], m[5]};
    };
    const auto [wideX, wideY] = scales(200, 100);
    EXPECT_NEAR(wideY / wideX, 2.0, 1e-9);
    for (auto [w, h] : {std::pair{200, 0}, {0, 100}, {0, 0}}) {
        const auto [x, y] = scales(w, h);
        EXPECT_TRUE(std::isfinite(x)) << w << " x " << h;
        EXPECT_NEAR(x, y, 1e-12) << w << " x " << h;
        EXPECT_NEAR(y, wideY, 1e-12) << w << " x " << h; // the same 40-degree field
    }
    // The pane draws on at its own size afterwards.
    ASSERT_TRUE(nextFrame());
    GLint viewport[4] = {};
    ASSERT_TRUE(view->MakeSceneCurrent());
    g.glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], view->GetClientSize().x);
    EXPECT_EQ(viewport[3], view->GetClientSize().y);
}

TEST_F(Scene3dFrameGui, RightDragOfNinetyDegreesShowsTheSurfaceEdgeOn) {
    ASSERT_NO_FATAL_FAILURE(start(flat, quadrant));
    ASSERT_TRUE(nextFrame());
    Pixels before(view->ReadWindowPixels());
    ASSERT_NE(before.h, nullptr);
    const Box box = surfaceBox(before);
    const auto [redX, redY] = box.at(0.25, 0.25);
    EXPECT_EQ(before.at(redX, redY), (Rgb{255, 0, 0}));
    const wxSize size = view->GetClientSize();
    // 120 degrees across the width: three quarters of it turn the surface by 90.
    ASSERT_TRUE(rightDrag(size.x / 8, size.y / 2, size.x / 8 + size.x * 3 / 4, size.y / 2));
    Pixels edge(view->ReadWindowPixels());
    ASSERT_NE(edge.h, nullptr);
    EXPECT_GT(drawn(before), size.x * size.y / 10);
    EXPECT_LT(drawn(edge), drawn(before) / 5);
    // No texel of the top face shows at the quadrant centres any more.
    for (double u : {0.25, 0.75})
        for (double v : {0.25, 0.75}) {
            const auto [x, y] = box.at(u, v);
            EXPECT_EQ(edge.at(x, y), background) << u << ", " << v;
        }
}
