// The scene drawn by Mesa's software renderer on the X display of the test run: the turn GL
// accumulates, the texture in place, wireframe against filled surface, and the label font.
#include <gtest/gtest.h>

#include "tests/viewer3d/render/gl/RampDocument.h"
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/render/gl/DocumentScene.h"
#include "viewer3d/render/gl/GlEntryPoints.h"
#include "viewer3d/render/gl/SceneRender.h"

// The X headers last: their macros (None, Bool) would break the test framework's names.
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <array>
#include <cmath>
#include <vector>
#include <cstdlib>

namespace gl = v3d::gl;
namespace s = v3d::scene;

namespace {

constexpr int kSize = 128;

// One GL window and context for the whole program (the libraries are bound once).
class GlWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
        display = XOpenDisplay(nullptr);
        if (!display)
            return;
        if (gl::LoadOpenGl(libs) != 1)
            return;
        int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_DEPTH_SIZE, 24, None};
        auto* visual =
            static_cast<XVisualInfo*>(gl::Gl().glXChooseVisual(display, DefaultScreen(display), attributes));
        if (!visual)
            return;
        Window root = RootWindow(display, visual->screen);
        XSetWindowAttributes wa{};
        wa.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
        wa.event_mask = StructureNotifyMask;
        window = XCreateWindow(display, root, 0, 0, kSize, kSize, 0, visual->depth, InputOutput,
                               visual->visual, CWColormap | CWEventMask, &wa);
        XMapWindow(display, window);
        XEvent e;
        do
            XNextEvent(display, &e); // waits for the window to be mapped
        while (e.type != MapNotify);
        context = gl::Gl().glXCreateContext(display, visual, nullptr, True);
        XFree(visual);
        if (context && gl::Gl().glXMakeCurrent(display, window, context))
            ready = true;
    }
    static void TearDownTestSuite() {
        if (context) {
            gl::Gl().glXMakeCurrent(display, 0, nullptr);
            gl::Gl().glXDestroyContext(display, context);
        }
        if (window)
            XDestroyWindow(display, window);
        if (display)
            XCloseDisplay(display);
        gl::FreeOpenGl(libs);
    }
    void SetUp() override {
        ASSERT_TRUE(ready) << "no GL window: " << gl::MissingOpenGlNames();
        s::SceneValues v;
        s::InitGlState(v);
        s::SetupViewport(kSize, kSize);
    }

    static std::array<int, 3> pixel(int x, int y) {
        unsigned char rgb[3] = {0, 0, 0};
        gl::Gl().glReadBuffer(GL_BACK);
        gl::Gl().glPixelStorei(GL_PACK_ALIGNMENT, 1);
        gl::Gl().glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
        return {rgb[0], rgb[1], rgb[2]};
    }

    static inline Display* display = nullptr;
    static inline Window window = 0;
    static inline GLXContext context = nullptr;
    static inline gl::GlLibraries libs;
    static inline bool ready = false;
};

struct Owned {
    explicit Owned(HDIB h) : h(h) {}
    ~Owned() { GlobalFree(h); }
    HDIB h;
};

HDIB flatHeight(int w, int h) {
    return v3d::DibCreate(w, h, v3d::kKindGrey8);
}

TEST_F(GlWindow, CpuTurnEqualsTheMatrixGlReadsBack) {
    s::SceneValues v;
    s::SceneLists none;
    s::SceneExtents ext;
    double cpu[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const float turns[][4] = {
        {0, 30, -12, 7}, {0, -75, 40, 0}, {1, 10, 20, 30}, {1, -45, 0, 90}, {0, 3, 3, 3}};
    for (const auto& t : turns) {
        v.rotationMode = static_cast<int>(t[0]);
        s::RenderScene(v, none, ext, t[1], t[2], t[3], 0.0f);
        s::AccumulateRotation(cpu, v.rotationMode, t[1], t[2], t[3]);
        for (int i = 0; i < 16; ++i)
            ASSERT_NEAR(v.rotation[i], cpu[i], 1e-5) << "element " << i << " after turn " << t[1];
    }
}

TEST_F(GlWindow, TextureQuadrantsLandInPlaceOnAFlatMapWhoseRowsArePadded) {
    // 34 texels: 102 bytes a row, padded to 104.
    const int n = 34;
    Owned height(flatHeight(n, n));
    Owned texture(v3d::DibCreate(n, n, v3d::kKindRgb24));
    const unsigned char colours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}};
    {
        GlobalLockGuard lock(texture.h);
        BYTE* bits = v3d::DibGetBits(lock.get());
        const int stride = static_cast<int>(DibStride(n, 24));
        for (int row = 0; row < n; ++row) // memory order: bottom row first
            for (int x = 0; x < n; ++x) {
                const unsigned char* c = colours[(row >= n / 2 ? 2 : 0) + (x >= n / 2 ? 1 : 0)];
                std::copy(c, c + 3, bits + row * stride + x * 3);
            }
    }
    s::SceneValues v;
    v.imageWidth = v.imageHeight = n;
    v.gridShown = 0;
    v.meshImage = height.h;
    v.textureImage = texture.h;
    s::SceneExtents ext;
    s::SceneLists lists;
    lists.colorMaterial = s::BuildColorMaterialList();
    lists.surface = s::BuildSurfaceList(v, ext, lists);
    ASSERT_NE(lists.surface, 0);
    ASSERT_NE(lists.texture, 0u);
    s::RenderScene(v, lists, ext, 0, 0, 0, 0);
    gl::Gl().glFinish();
    // Quarter and three quarters of the surface (2.56 units = 64 pixels across, centred).
    const int lo = kSize / 2 - 16, hi = kSize / 2 + 16;
    const std::array<int, 3> bottomLeft{255, 0, 0}, bottomRight{0, 255, 0}, topLeft{0, 0, 255},
        topRight{255, 255, 0};
    EXPECT_EQ(pixel(lo, lo), bottomLeft);
    EXPECT_EQ(pixel(hi, lo), bottomRight);
    EXPECT_EQ(pixel(lo, hi), topLeft);
    EXPECT_EQ(pixel(hi, hi), topRight);
    EXPECT_EQ(pixel(4, 4), (std::array<int, 3>{0, 0, 0})); // background outside the surface
    s::DeleteSceneLists(lists);
    EXPECT_EQ(lists.texture, 0u);
}

TEST_F(GlWindow, WireframeShowsTheBackgroundInsideTheSilhouetteAndTheSurfaceFillsIt) {
    Owned height(flatHeight(64, 64));
    auto blackInside = [&](int mode) {
        s::SceneValues v;
        v.imageWidth = v.imageHeight = 64;
        v.displayMode = mode;
        v.textureOn = 0;
        v.gridShown = 0;
        v.wireframeDivisions = 4; // cells of 16 pixels: room between the smoothed lines
        v.meshImage = height.h;
        s::SceneExtents ext;
        s::SceneLists lists;
        lists.colorMaterial = s::BuildColorMaterialList();
        lists.surface = s::BuildSurfaceList(v, ext, lists);
        s::RenderScene(v, lists, ext, 0, 0, 0, 0);
        gl::Gl().glFinish();
        int black = 0;
        for (int y = kSize / 2 - 20; y < kSize / 2 + 20; ++y)
            for (int x = kSize / 2 - 20; x < kSize / 2 + 20; ++x)
                black += pixel(x, y) == std::array<int, 3>{0, 0, 0} ? 1 : 0;
        s::DeleteSceneLists(lists);
        return black;
    };
    EXPECT_EQ(blackInside(1), 0);
    EXPECT_GT(blackInside(2), 40 * 40 / 3);
}

TEST_F(GlWindow, LabelTextsGetOneBitmapListPerByteAndDraw) {
    s::LabelFont font = s::LoadLabelFont(display);
    ASSERT_NE(font.font, 0ul);
    int length = -1;
    int base = s::BuildTextLists(font, "12.50 um", &length);
    ASSERT_NE(base, 0);
    EXPECT_EQ(length, 8);
    auto& g = gl::Gl();
    g.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    g.glDisable(GL_LIGHTING);
    g.glRasterPos3f(-1.0f, 0.0f, 0.0f);
    for (int i = 0; i < length; ++i)
        g.glCallList(static_cast<GLuint>(base + i));
    g.glFinish();
    int lit = 0;
    for (int y = kSize / 2 - 4; y < kSize / 2 + 16; ++y)
        for (int x = 30; x < kSize; ++x)
            lit += pixel(x, y)[0] > 0 ? 1 : 0;
    EXPECT_GT(lit, 20);
    g.glEnable(GL_LIGHTING);
    g.glDeleteLists(static_cast<GLuint>(base), length);
    EXPECT_EQ(s::BuildTextLists(s::LabelFont{}, "x", &length), 0);
    EXPECT_EQ(length, 0);
    s::FreeLabelFont(font);
}

// A document whose height plane and levelled image rise from 0 at the left to 255 at the right.
void rampDocument(v3d::View3dData& doc, int w, int h) {
    FillRampPlanes(doc, w, h);
    doc.extentTexts = {"100.00 um", "50.00 um", "3.00 um"};
}

TEST_F(GlWindow, EachDocumentKeepsItsOwnListsAndExtentsAndSurfaceHuesRiseFromBlueToRed) {
    v3d::View3dData wide, tall;
    rampDocument(wide, 200, 100);
    rampDocument(tall, 100, 200);
    s::DocumentScene wideScene, tallScene;
    wideScene.font = tallScene.font = s::LoadLabelFont(display);
    for (auto* doc : {&wide, &tall}) {
        doc->SetDisplayMode(1);
        doc->textureOn = 0;
        doc->GetViewState()->scaleLinesShown = 0;
    }
    s::BuildAllGlLists(wide, wideScene);
    s::BuildAllGlLists(tall, tallScene);
    EXPECT_DOUBLE_EQ(wideScene.extents.xMin, -1.28);
    EXPECT_DOUBLE_EQ(wideScene.extents.yMin, -0.64);
    EXPECT_DOUBLE_EQ(tallScene.extents.xMin, -0.64);
    EXPECT_DOUBLE_EQ(tallScene.extents.yMin, -1.28);
    EXPECT_EQ(wideScene.rawMaximum, 255);
    const v3d::GlListBlock& a = *wide.GetGlLists();
    const v3d::GlListBlock& b = *tall.GetGlLists();
    EXPECT_NE(a.surface, 0);
    EXPECT_NE(a.surface, b.surface);
    EXPECT_EQ(a.axisLength[0], 1);
    EXPECT_EQ(a.extentLength[0], 9);

    s::RenderDocumentScene(wide, wideScene, 0, 0, 0, 0);
    gl::Gl().glFinish();
    const std::array<int, 3> left = pixel(kSize / 2 - 24, kSize / 2),
                             right = pixel(kSize / 2 + 24, kSize / 2);
    EXPECT_GT(left[2], 150);
    EXPECT_LT(left[0], 60);
    EXPECT_GT(right[0], 150);
    EXPECT_LT(right[2], 60);

    // A rebuild in wireframe keeps the texts and sets the texture flag from the mode.
    wide.SetDisplayMode(2);
    EXPECT_EQ(s::RebuildGlLists(wide, wideScene), 1);
    EXPECT_EQ(wide.textureOn, 0);
    EXPECT_EQ(a.axisLength[0], 1);
    s::DeleteAllGlLists(wide, wideScene);
    s::DeleteAllGlLists(tall, tallScene);
    EXPECT_EQ(a.surface, 0);
    EXPECT_EQ(a.extentFirst[0], 0);
    EXPECT_EQ(a.extentLength[0], 0);
    s::FreeLabelFont(wideScene.font);
}

TEST_F(GlWindow, SurfaceArraysDrawTheSamePixelsAsTwoSidedLightingFromEverySide) {
    // Steep waves: seen turned, tilted and from below, both faces of the surface show.
    v3d::View3dData doc;
    rampDocument(doc, 64, 48);
    doc.SetPitch(0, 1.0);
    doc.SetPitch(2, 0.3);
    {
        GlobalLockGuard l(doc.levelledHeight);
        std::vector<int> row(64);
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 64; ++x)
                row[x] = static_cast<int>(128 + 127 * std::sin(x * 0.35) * std::cos(y * 0.25));
            v3d::DibWriteRow(row.data(), l.get(), 0, y, 64);
        }
    }
    doc.glTexture = v3d::DibCreate(64, 48, v3d::kKindRgb24);
    {
        GlobalLockGuard t(doc.glTexture);
        BYTE* bits = v3d::DibGetBits(t.get());
        for (int i = 0; i < 64 * 48 * 3; ++i)
            bits[i] = static_cast<BYTE>(i * 7);
    }
    doc.GetViewState()->scaleLinesShown = 0;
    s::DocumentScene scene;
    auto frame = [&](float x, float y) {
        s::RenderDocumentScene(doc, scene, x, y, 0, 0);
        gl::Gl().glFinish();
        std::vector<unsigned char> rgb(kSize * kSize * 3);
        gl::Gl().glReadBuffer(GL_BACK);
        gl::Gl().glPixelStorei(GL_PACK_ALIGNMENT, 1);
        gl::Gl().glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        return rgb;
    };
    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode);
        doc.SetDisplayMode(mode);
        doc.textureOn = mode == 0;
        s::BuildAllGlLists(doc, scene);
        ASSERT_TRUE(mode == 0 ? scene.mesh.decal : scene.mesh.twoPass);
        for (const auto& turn : {std::array<float, 2>{0, -60}, {35, 0}, {0, 120}, {70, 45}}) {
            const std::vector<unsigned char> fast = frame(turn[0], turn[1]);
            scene.mesh.decal = scene.mesh.twoPass = false; // lit two-sided in one pass
            const std::vector<unsigned char> plain = frame(0, 0);
            scene.mesh.decal = mode == 0, scene.mesh.twoPass = mode == 1;
            int differ = 0;
            for (size_t i = 0; i < fast.size(); i += 3)
                differ += fast[i] != plain[i] || fast[i + 1] != plain[i + 1] || fast[i + 2] != plain[i + 2];
            // Decal: the same pixels. Two passes: the same but where a front and a back face
            // meet at a fold at equal depth, which the first drawn wins (a few pixels).
            if (mode == 0)
                EXPECT_EQ(differ, 0) << "turned by " << turn[0] << ", " << turn[1];
            else
                EXPECT_LE(differ, kSize * kSize / 1000) << "turned by " << turn[0] << ", " << turn[1];
        }
    }
    s::DeleteAllGlLists(doc, scene);
    EXPECT_EQ(scene.mesh.indexCount, 0);
}

} // namespace
