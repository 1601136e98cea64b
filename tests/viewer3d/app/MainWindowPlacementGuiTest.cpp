// The viewer's main window keeps inside the work area of its monitor: a placement kept from a
// larger screen is brought back onto this one.
#include "ViewerTestSupport.h"

#include "platform/Settings.h"
#include "ui/testing/GuiTest.h"
#include "viewer3d/app/MainFrame.h"

#include <gtest/gtest.h>

#include <wx/display.h>

// Last: Xlib's macros must not reach the headers above.
#include "tests/ui/WindowStacking.h"

TEST(ViewerPlacement, APlacementKeptFromALargerScreenComesBackInsideThisOne) {
    ScratchFolder dir("brx-placed-past");
    SetSettingsFilePath(dir.Path() + "/Brelvoxa.ini");
    WriteIniString("Settings", "WindowPos", "0,1,-1,-1,-1,-1,200,300,1700,1500");
    brxtest::RunningViewer viewer(dir.Path());
    const wxRect area = wxDisplay(0u).GetClientArea();
    wxRect frame;
    EXPECT_TRUE(ui::testing::PumpUntil(
        [&] { return area.Contains(frame = stacking::FrameRect(viewer.App().MainFrame())); }, 3000))
        << frame.x << "," << frame.y << " " << frame.width << "x" << frame.height;
    viewer.Stop();
}
