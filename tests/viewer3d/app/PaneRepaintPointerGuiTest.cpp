// The 2D panes of the 3D screen repaint what a closed dialog covered, as the X server shows
// them: each pane clicked with the real pointer (with the input method that Japanese locales
// choose, XIM, which asks for the X window of whatever takes the keyboard focus), then the print
// dialog opened from the tool bar and closed with Esc through the X server.
#include "ViewerTestSupport.h"

#include "ids/BrelvoxaIds.h"
#include "tests/support/ScratchFolder.h"
#include "ui/testing/GuiTest.h"
#include "ui/testing/Pointer.h"
#include "viewer3d/app/MainFrame.h"
#include "viewer3d/app/View3dFrm.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <gtest/gtest.h>
#include <wx/timer.h>
#include <wx/toolbar.h>
#include <wx/uiaction.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstring>
#include <vector>

namespace {

// The toolkit's print dialog while it is on the screen (null when none is).
GtkWidget* shownPrintDialog() {
    GtkWidget* found = nullptr;
    GList* tops = gtk_window_list_toplevels();
    for (GList* t = tops; t && !found; t = t->next) {
        GtkWidget* w = GTK_WIDGET(t->data);
        if (std::strcmp(G_OBJECT_TYPE_NAME(w), "GtkPrintUnixDialog") == 0 && gtk_widget_get_mapped(w))
            found = w;
    }
    g_list_free(tops);
    return found;
}

TEST(PaneRepaintPointer, PanesRepaintWhatTheClosedPrintDialogCovered) {
    ScratchFolder dir("brx-panerepaint");
    brxtest::RunningViewer viewer(dir.Path());
    g_object_set(gtk_settings_get_default(), "gtk-im-module", "xim", nullptr);
    const std::string path = dir.Path() + "/set.vv3";
    brxtest::WriteFile(path, brxtest::HeightSet(160, 120, 1.0, true));
    brx::CView3dFrm* frame = brxtest::OpenShown(viewer, path);
    ASSERT_NE(frame, nullptr);
    std::vector<wxWindow*> panes;
    for (brx::PaneRole role : {brx::kPaneImage, brx::kPaneContour, brx::kPaneSlice, brx::kPaneAreaGraph})
        if (wxWindow* pane = frame->GetPaneWindow(role); pane && pane->IsShownOnScreen())
            panes.push_back(pane);
    ASSERT_EQ(panes.size(), 4u);
    // Each pane clicked as the user does before printing.
    for (wxWindow* pane : panes) {
        ASSERT_TRUE(ui::testing::WaitForPaint(pane));
        const wxSize s = pane->GetClientSize();
        EXPECT_TRUE(ui::testing::ClickOnScreen(pane, pane->ClientToScreen(wxPoint(s.x / 2, s.y / 2))));
    }
    ui::testing::ProcessPending();
    std::vector<std::vector<unsigned long>> before;
    for (wxWindow* pane : panes)
        before.push_back(brxtest::ScreenPixels(pane->GetScreenRect()));

    // The print dialog of the tool bar's print button, moved over the panes below the tool bar
    // and closed with Esc through the X server once it has been drawn there.
    const wxPoint corner = panes[0]->GetScreenPosition();
    wxRect dialogRect;
    wxTimer timer;
    int rounds = 0;
    timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        GtkWidget* dialog = shownPrintDialog();
        if (!dialog)
            return;
        if (++rounds == 1)
            gtk_window_move(GTK_WINDOW(dialog), corner.x + 20, corner.y + 20);
        GdkRectangle r{};
        gdk_window_get_frame_extents(gtk_widget_get_window(dialog), &r);
        if (rounds < 4 || r.x != corner.x + 20) // moved, then a few rounds to be drawn there
            return;
        dialogRect = wxRect(r.x, r.y, r.width, r.height);
        const std::string shot =
            "import -window root " + ui::testing::OutputFolder() + "/print-dialog-open.png";
        EXPECT_EQ(std::system(shot.c_str()), 0);
        wxUIActionSimulator input;
        input.MouseMove(dialogRect.x + dialogRect.width / 2, dialogRect.y + dialogRect.height / 2);
        input.Char(WXK_ESCAPE);
        timer.Stop();
    });
    timer.Start(200);
    wxToolBar* bar = frame->Bar(2);
    ASSERT_NE(bar, nullptr);
    const wxRect tool = ui::testing::ToolScreenRect(bar, bxid::cmd::PrintScreen);
    ASSERT_FALSE(tool.IsEmpty());
    EXPECT_TRUE(ui::testing::ClickOnScreen(bar, tool.GetPosition() + tool.GetSize() / 2));
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return !dialogRect.IsEmpty() && !shownPrintDialog(); }));
    timer.Stop();

    int covered = 0;
    for (size_t i = 0; i < panes.size(); ++i) {
        const wxRect r = panes[i]->GetScreenRect();
        if (!r.Intersects(dialogRect))
            continue;
        ++covered;
        EXPECT_TRUE(ui::testing::PumpUntil([&] { return brxtest::ScreenPixels(r) == before[i]; }))
            << "pane " << i << " still shows what the dialog covered";
    }
    EXPECT_GT(covered, 0) << "the dialog covered no pane";
    EXPECT_TRUE(ui::testing::ScreenshotRoot(ui::testing::OutputFolder() + "/after-print-dialog-esc.png"));
}

} // namespace
