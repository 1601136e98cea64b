// The viewer's main window keeps inside the work area of its monitor: a placement kept from a
// larger screen is brought back onto this one, and a first start under a window manager beside
// a panel fills the work area with the manager's frame around it.
#include "ViewerTestSupport.h"

#include "platform/Settings.h"
#include "ui/testing/GuiTest.h"
#include "ui/testing/WindowManager.h"
#include "viewer3d/app/MainFrame.h"

#include <gtest/gtest.h>

#include <wx/display.h>

// Last: Xlib's macros must not reach the headers above.
#include "tests/ui/WindowStacking.h"

namespace {

// The frame of the running viewer's main window once it lies inside `area`, else where it is.
wxRect FrameWhenInside(brxtest::RunningViewer& viewer, const wxRect& area) {
    wxRect frame;
    ui::testing::PumpUntil([&] { return area.Contains(frame = stacking::FrameRect(viewer.App().MainFrame())); },
                           3000);
    return frame;
}

} // namespace

TEST(ViewerPlacement, APlacementKeptFromALargerScreenComesBackInsideThisOne) {
    ScratchFolder dir("brx-placed-past");
    SetSettingsFilePath(dir.Path() + "/Brelvoxa.ini");
    WriteIniString("Settings", "WindowPos", "0,1,-1,-1,-1,-1,200,300,1700,1500");
    brxtest::RunningViewer viewer(dir.Path());
    const wxRect area = wxDisplay(0u).GetClientArea();
    const wxRect frame = FrameWhenInside(viewer, area);
    EXPECT_TRUE(area.Contains(frame)) << frame.x << "," << frame.y << " " << frame.width << "x" << frame.height;
    viewer.Stop();
}

TEST(ViewerPlacement, AFirstStartUnderAWindowManagerFillsTheWorkAreaFrameIncluded) {
    ui::testing::WindowManager wm;
    ASSERT_TRUE(wm.Started()) << "openbox is needed (apt-get install openbox)";
    const wxRect work = wm.PanelAlongTheBottom(wxDisplay(0u).GetGeometry().height - 1000);
    ASSERT_EQ(work.height, 1000);
    ScratchFolder dir("brx-first-framed");
    brxtest::RunningViewer viewer(dir.Path());
    EXPECT_EQ(FrameWhenInside(viewer, work), work);
    viewer.Stop();
}
