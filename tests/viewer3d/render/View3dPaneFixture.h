// The 3D pane on a GL canvas in a frame of its own, on a ramp document.
#pragma once

#include "ui/Clipboard.h"
#include "ui/Document.h"
#include "ui/testing/GuiTest.h"
#include "tests/viewer3d/render/gl/RampDocument.h"
#include "viewer3d/core/bitmaps/Dib.h"
#include "viewer3d/render/View3dView.h"
#include "viewer3d/render/gl/GlEntryPoints.h"

#include <gtest/gtest.h>
#include <wx/frame.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

class TestDoc : public ui::Document, public v3d::View3dData, public v3d::SceneDocument {
public:
    v3d::View3dData& SceneData() override { return *this; }
    v3d::scene::DocumentScene& Scene() override { return scene; }
    v3d::scene::DocumentScene scene;
};

// A height plane rising from left to right, drawn as a coloured surface.
inline void fillRamp(TestDoc& doc, int w, int h) {
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
    // Opens a 128 x 128 ramp without scale lines and waits for its first full frame.
    void openWithoutScaleLines() {
        open(128, 128);
        ASSERT_TRUE(ui::testing::PumpUntil([&] { return view->PaintCount() > 0; }));
        doc.GetViewState()->scaleLinesShown = 0;
        view->RequestBuildAll();
        ASSERT_TRUE(nextFrame());
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
