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

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <wx/frame.h>
#include <wx/toolbar.h>

#include <fstream>
#include <sstream>
#include <vector>

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

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The calibration window opened from the measurement screen three times (with the input method
// of Japanese locales): the layout of the main frame's panels waits for the toolkit to size the
// new page, so no window is drawn where it no longer is (GTK warns of each gadget drawn without a
// size), and the document's tool bar shows on the X server as before once the window closes.
TEST(CalibPointer, TheCalibrationWindowOpenedFromTheMeasurementScreenLeavesTheToolBarAsItWas) {
    ScratchFolder dir("brx-calbar");
    CScriptedMessageSink sink(IDOK);
    const std::string err = dir.Path() + "/stderr.txt";
    {
        brxtest::StderrToFile capture(err);
        RunningViewer viewer(dir.Path());
        g_object_set(gtk_settings_get_default(), "gtk-im-module", "xim", nullptr);
        brxtest::WriteFile(dir.Path() + "/c.vv3", brxtest::HeightSet(160, 120, 1.0, true));
        brx::CView3dFrm* frame = brxtest::OpenShown(viewer, dir.Path() + "/c.vv3");
        ASSERT_NE(frame, nullptr);
        ASSERT_TRUE(frame->HandleCommand(bxid::cmd::ShowMeasureScreen));
        ASSERT_TRUE(ui::testing::WaitForPaint(frame));
        wxToolBar* bar = frame->Bar(0);
        ASSERT_NE(bar, nullptr);
        const std::vector<unsigned long> before = brxtest::ScreenPixels(bar->GetScreenRect());
        for (int round = 0; round < 3; ++round) {
            SCOPED_TRACE(round);
            ASSERT_TRUE(frame->HandleCommand(bxid::cmd::Calibration));
            brx::CCalibFrm* calib = frame->CalibWindow();
            ASSERT_NE(calib, nullptr);
            ASSERT_TRUE(ui::testing::PumpUntil(
                [&] { return calib->Bar()->GetDlgItemText(bxid::CalibrationBar::ZoomPercent) == "100%"; }));
            ASSERT_TRUE(ui::testing::WaitForPaint(calib->Bar()));
            calib->Close();
            ASSERT_TRUE(ui::testing::PumpUntil([&] { return frame->IsEnabled() && !frame->CalibWindow(); }));
            ASSERT_TRUE(ui::testing::WaitForPaint(frame));
            EXPECT_TRUE(ui::testing::PumpUntil(
                [&] { return brxtest::ScreenPixels(bar->GetScreenRect()) == before; }));
        }
        EXPECT_TRUE(ui::testing::ScreenshotRoot(ui::testing::OutputFolder() + "/calibration-closed.png"));
        viewer.Stop();
    }
    const std::string text = readAll(err);
    std::fputs(text.c_str(), stderr);
    EXPECT_EQ(brxtest::ToolkitComplaints(text), "");
}

} // namespace
