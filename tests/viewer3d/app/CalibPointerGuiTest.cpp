// The calibration window of the viewer under the real pointer: a line drawn across the picture
// measures its pixels, a line whose pointer is taken away midway ends quietly, and after each the
// pointer is free for a click elsewhere.
#include "ViewerTestSupport.h"

#include "ids/BrelvoxaIds.h"
#include "platform/ScriptedMessageSink.h"
#include "ui/TemplateWindow.h"
#include "ui/testing/GuiTest.h"
#include "ui/testing/Pointer.h"
#include "viewer3d/app/CalibFrm.h"
#include "viewer3d/app/MainFrame.h"
#include "viewer3d/app/View3dDoc.h"
#include "viewer3d/app/View3dFrm.h"

#include <gtest/gtest.h>

#include <wx/frame.h>

using brxtest::RunningViewer;

namespace {

TEST(CalibPointer, ALineDrawnWithThePointerMeasuresAndALostGrabEndsIt) {
    ScratchFolder dir("brx-calpointer");
    CScriptedMessageSink sink(IDOK);
    RunningViewer viewer(dir.Path());
    brxtest::WriteFile(dir.Path() + "/c.vv3", brxtest::HeightSet(40, 30, 1.0, true));
    ASSERT_NE(viewer.App().OpenDocumentFile(dir.Path() + "/c.vv3"), nullptr);
    brx::CView3dFrm* frame = viewer.App().MainFrame()->GetActive3dFrame();
    ASSERT_TRUE(frame->HandleCommand(bxid::cmd::Calibration));
    brx::CCalibFrm* calib = frame->CalibWindow();
    ASSERT_NE(calib, nullptr);
    ASSERT_TRUE(ui::testing::PumpUntil(
        [&] { return calib->Bar()->GetDlgItemText(bxid::CalibrationBar::ZoomPercent) == "100%"; }));
    brx::CCalibVw* view = calib->View();
    const wxPoint mid(view->GetClientSize().x / 2, view->GetClientSize().y / 2);
    // Ten pixels across at 100 %, the end pixel counted.
    EXPECT_TRUE(ui::testing::DragThenClickElsewhere(view, mid, mid + wxPoint(9, 0)));
    EXPECT_DOUBLE_EQ(calib->Doc()->measuredPixels, 10.0);
    EXPECT_FALSE(view->HasCapture());

    // Another window takes the pointer midway: the line ends where it was, nothing is measured
    // at the release.
    auto* other = new wxFrame(nullptr, wxID_ANY, "other", wxPoint(1300, 900), wxSize(80, 60));
    other->Show();
    EXPECT_TRUE(ui::testing::DragThenClickElsewhere(view, mid, mid + wxPoint(4, 0), [&] {
        ASSERT_TRUE(ui::testing::GrabPointerElsewhere(other));
        // The window layer learns of the grab with the next event of the pointer.
        ASSERT_TRUE(ui::testing::PointerTo(view, mid + wxPoint(5, 0)));
        EXPECT_TRUE(ui::testing::PumpUntil([&] { return !view->HasCapture(); }));
        ui::testing::UngrabPointer();
    }));
    EXPECT_DOUBLE_EQ(calib->Doc()->measuredPixels, 10.0);
    ui::testing::DestroyAndWait(other);
}

} // namespace
