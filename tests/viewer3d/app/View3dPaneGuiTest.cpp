// The 3D pane of the document frame in the running viewer: a height file opened as the program
// opens it draws its surface in the pane (window, display-mode switch, off-screen picture), and
// without the GL libraries the viewer reports 9252 and its 2D panes still draw.
#include "ViewerTestSupport.h"

#include "ids/BrelvoxaIds.h"
#include "platform/ScriptedMessageSink.h"
#include "ui/testing/GuiTest.h"
#include "viewer3d/app/MainFrame.h"
#include "viewer3d/app/View3dDoc.h"
#include "viewer3d/app/View3dFrm.h"
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/render/View3dView.h"
#include "viewer3d/render/gl/GlEntryPoints.h"

#include <gtest/gtest.h>
#include <wx/image.h>

#include <algorithm>
#include <cstdlib>
#include <dlfcn.h>
#include <vector>

using brxtest::RunningViewer;

namespace {

// The window's pixels as blue, green, red bytes (rows padded to four bytes).
std::vector<BYTE> windowPixels(v3d::CView3dView* view) {
    HDIB dib = view->ReadWindowPixels();
    if (!dib)
        return {};
    std::vector<BYTE> bytes;
    {
        GlobalLockGuard lock(dib);
        const BYTE* bits = v3d::DibGetBits(lock.get());
        const uint64_t size = DibStride(DibGetWidth(lock.get()), 24) * DibGetHeight(lock.get());
        bytes.assign(bits, bits + size);
    }
    GlobalFree(dib);
    return bytes;
}

// Pixels of the picture whose colour is not the background's (COLORREF order red, green, blue).
size_t differingFromBackground(const std::vector<BYTE>& bgr, COLORREF bg) {
    size_t n = 0;
    for (size_t i = 0; i + 2 < bgr.size(); i += 3)
        if (std::abs(bgr[i] - GetBValue(bg)) > 2 || std::abs(bgr[i + 1] - GetGValue(bg)) > 2 ||
            std::abs(bgr[i + 2] - GetRValue(bg)) > 2)
            ++n;
    return n;
}

class View3dPaneGui : public ::testing::Test {
protected:
    void SetUp() override { setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1); }
    void TearDown() override { v3d::gl::SetOpenGlLibraryNames("libGL.so.1", "libGLU.so.1"); }

    brx::CView3dFrm* openHeightFile(RunningViewer& viewer, const std::string& folder) {
        const std::string path = folder + "/surface.vv3";
        brxtest::WriteFile(path, brxtest::HeightSet(48, 32, 1.0, true));
        if (!viewer.App().OpenDocumentFile(path))
            return nullptr;
        return viewer.App().MainFrame()->GetActive3dFrame();
    }
};

} // namespace

TEST_F(View3dPaneGui, OpenedHeightFileDrawsInThe3dPaneAndFollowsTheDisplayMode) {
    ScratchFolder dir("brx-pane3d");
    CScriptedMessageSink sink(IDOK);
    RunningViewer viewer(dir.Path());
    brx::CView3dFrm* frame = openHeightFile(viewer, dir.Path());
    ASSERT_NE(frame, nullptr);
    auto* view = frame->View3d();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(frame->GetPaneWindow(brx::kPane3d), view);

    ASSERT_TRUE(ui::testing::PumpUntil([&] { return view->PaintCount() > 0; }));
    ASSERT_TRUE(view->HasScene()) << v3d::gl::MissingOpenGlNames();
    const COLORREF bg = frame->Doc()->GetViewState()->backgroundColor;
    const std::vector<BYTE> first = windowPixels(view);
    ASSERT_FALSE(first.empty());
    // The surface covers a good part of the pane, not a stray line.
    EXPECT_GT(differingFromBackground(first, bg), first.size() / 3 / 20);

    // Another display mode rebuilds the document's lists in the pane's context: the next frame
    // differs from the first.
    const int painted = view->PaintCount();
    const int mode = frame->Doc()->GetViewState()->displayMode == 2 ? 0 : 2;
    ASSERT_TRUE(frame->HandleCommand(bxid::cmd::TextureDisplay + mode));
    EXPECT_EQ(frame->Doc()->GetViewState()->displayMode, mode);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return view->PaintCount() > painted; }));
    const std::vector<BYTE> second = windowPixels(view);
    ASSERT_EQ(second.size(), first.size());
    EXPECT_TRUE(second != first);

    // A scene rebuilt from the planes first deletes the lists of the old scene in the pane's
    // context (none of them is left behind for the context's lifetime).
    auto isList = reinterpret_cast<unsigned char (*)(unsigned)>(dlsym(RTLD_DEFAULT, "glIsList"));
    ASSERT_NE(isList, nullptr);
    const int32_t oldSurface = frame->Doc()->GetGlLists()->surface;
    ASSERT_TRUE(view->MakeSceneCurrent());
    ASSERT_TRUE(isList(unsigned(oldSurface)));
    ASSERT_EQ(frame->Doc()->RebuildScene(), 1);
    ASSERT_TRUE(view->MakeSceneCurrent());
    EXPECT_FALSE(isList(unsigned(oldSurface)));
    const int afterRebuild = view->PaintCount();
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return view->PaintCount() > afterRebuild; }));
    EXPECT_NE(frame->Doc()->GetGlLists()->surface, 0);

    // The pane's picture for copying and split save is the scene rendered off screen at the
    // pane's size.
    wxImage image;
    ASSERT_TRUE(frame->RenderPaneToImage(brx::kPane3d, &image));
    EXPECT_EQ(image.GetWidth(), view->GetClientSize().x);
    EXPECT_EQ(image.GetHeight(), view->GetClientSize().y);
    size_t drawn = 0;
    const unsigned char* rgb = image.GetData();
    for (int i = 0; i < image.GetWidth() * image.GetHeight(); ++i)
        if (rgb[i * 3] != GetRValue(bg) || rgb[i * 3 + 1] != GetGValue(bg) || rgb[i * 3 + 2] != GetBValue(bg))
            ++drawn;
    EXPECT_GT(drawn, size_t(image.GetWidth() * image.GetHeight() / 20));

    const std::vector<UINT> ids = sink.ShownIds();
    EXPECT_EQ(std::count(ids.begin(), ids.end(), bxid::str::OpenGlMissing), 0);
    viewer.Stop(); // the binding is freed before the frames go: closing them draws nothing
}

TEST_F(View3dPaneGui, MissingGluLibraryShows9252AndThe2dPanesStillDraw) {
    v3d::gl::SetOpenGlLibraryNames("libGL.so.1", "libGLU-not-here.so.0");
    ScratchFolder dir("brx-nogl");
    CScriptedMessageSink sink(IDOK);
    RunningViewer viewer(dir.Path());
    std::vector<UINT> ids = sink.ShownIds();
    EXPECT_EQ(std::count(ids.begin(), ids.end(), bxid::str::OpenGlMissing), 1);
    EXPECT_FALSE(v3d::gl::IsOpenGlBound());

    brx::CView3dFrm* frame = openHeightFile(viewer, dir.Path());
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(ui::testing::WaitForPaint(frame));
    for (brx::PaneRole role : {brx::kPaneImage, brx::kPaneContour}) {
        ASSERT_NE(frame->GetPaneWindow(role), nullptr);
        wxImage image;
        EXPECT_TRUE(ui::testing::PumpUntil([&] { return frame->RenderPaneToImage(role, &image); })) << role;
    }
    v3d::CView3dView* view = frame->View3d();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(ui::testing::WaitForPaint(view));
    EXPECT_FALSE(view->HasScene());
    EXPECT_EQ(view->PaintCount(), 0);
    wxImage none;
    EXPECT_FALSE(frame->RenderPaneToImage(brx::kPane3d, &none));
    // A display-mode command without a scene changes the document and nothing breaks.
    ASSERT_TRUE(frame->HandleCommand(bxid::cmd::WireframeDisplay));
    EXPECT_EQ(frame->Doc()->GetViewState()->displayMode, 2);
    ids = sink.ShownIds();
    EXPECT_EQ(std::count(ids.begin(), ids.end(), bxid::str::OpenGlMissing), 1);
}
