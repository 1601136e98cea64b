// The measurement screen of the running viewer on a synthetic height file: the graph, image
// and analysis panes, drawn for the document's state.
#pragma once

#include "ids/BrelvoxaIds.h"
#include "ui/Clipboard.h"
#include "ViewerTestSupport.h"

#include "platform/ScriptedMessageSink.h"
#include "platform/Time.h"
#include "ui/TemplateWindow.h"
#include "ui/testing/GuiTest.h"
#include "viewer3d/measure/gui/AnalysisVw.h"
#include "viewer3d/measure/gui/GraphVw.h"
#include "viewer3d/measure/gui/ImageVw.h"
#include "viewer3d/app/MainFrame.h"
#include "viewer3d/app/ReportPage.h"
#include "viewer3d/app/View3dDoc.h"
#include "viewer3d/app/View3dFrm.h"

#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/listbox.h>
#include <wx/menu.h>

#include <array>
#include <cstdlib>
#include <memory>

using brxtest::RunningViewer;
using namespace v3d;

inline constexpr int kW = 200, kH = 150;

// An incline along x with a square wave of period 4, four times as high in one half of the rows
// as in the other, so that roughness differs between the rows of the two halves.
inline float surface(int x, int y) {
    return static_cast<float>(x + (y >= kH / 2 ? 16 : 4) * ((x / 2) % 2));
}

class MeasureViewsGui : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
        viewer_ = std::make_unique<RunningViewer>(dir_.Path());
        const std::string path = dir_.Path() + "/surface.vv3";
        brxtest::WriteFile(path, brxtest::HeightSetOf(kW, kH, 1.0, true, surface));
        ASSERT_NE(viewer_->App().OpenDocumentFile(path), nullptr);
        frame_ = viewer_->App().MainFrame()->GetActive3dFrame();
        ASSERT_NE(frame_, nullptr);
        doc_ = frame_->Doc();
        frame_->ShowScreenMeasure();
        graph_ = dynamic_cast<brx::CGraphVw*>(frame_->GetPaneWindow(brx::kPaneProfileGraph));
        analysis_ = dynamic_cast<brx::CAnalysisVw*>(frame_->GetPaneWindow(brx::kPaneAnalysis));
        image_ = dynamic_cast<brx::CImageVw*>(frame_->GetPaneWindow(brx::kPaneMeasureImage));
        ASSERT_TRUE(graph_ && analysis_ && image_);
        settle();
    }
    void TearDown() override { viewer_.reset(); }
    // Every pane of the measurement screen drawn for the document's current state.
    void settle() {
        for (wxWindow* w : {static_cast<wxWindow*>(graph_), static_cast<wxWindow*>(analysis_),
                            static_cast<wxWindow*>(image_)})
            w->Refresh();
        ASSERT_TRUE(ui::testing::WaitForPaint(graph_));
        ASSERT_TRUE(ui::testing::WaitForPaint(analysis_));
        ASSERT_TRUE(ui::testing::WaitForPaint(image_));
        ASSERT_TRUE(ui::testing::PumpUntil([&] {
            return graph_->Layout().drawable && analysis_->imageRect.right > 0 && image_->imageRect.right > 0;
        }));
    }
    int cursorPixel(unsigned which) {
        return graph::CursorPixel(graph_->Layout(), graph_->CurrentCursors(), which);
    }
    // The client point of an image pixel's centre on a pane.
    static wxPoint at(v3d::CBaseImgView* pane, int x, int y) {
        const POINT p = image::SetImageMapping(pane->imageRect, pane->imageWidth, pane->imageHeight)
                            .ToClient(x + 0.5, y + 0.5);
        return wxPoint(p.x, p.y);
    }
    wxString listLine(int index) {
        return viewer_->App()
            .MainFrame()
            ->PanelMeasure()
            ->Item<wxListBox>(bxid::MeasurePanel::MeasuredData)
            ->GetString(index);
    }

    ScratchFolder dir_{"brx-measureviews"};
    CScriptedMessageSink sink_{IDOK};
    std::unique_ptr<RunningViewer> viewer_;
    brx::CView3dFrm* frame_ = nullptr;
    brx::CView3dDoc* doc_ = nullptr;
    brx::CGraphVw* graph_ = nullptr;
    brx::CAnalysisVw* analysis_ = nullptr;
    brx::CImageVw* image_ = nullptr;
};
