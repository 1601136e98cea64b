#include "ui/StageControlBar.h"
#include "ui/TemplateWindow.h"
#include "ui/testing/GuiTest.h"

#include <gtest/gtest.h>

#include <wx/frame.h>

namespace {

TEST(StageControlBar, HostsItsPanelWithTheEdgeAddedAndToggles) {
    auto* frame = new wxFrame(nullptr, wxID_ANY, "bars", wxDefaultPosition, wxSize(900, 600));
    {
        ui::DockingBars bars(frame);
        bars.SetCenter(new wxPanel(frame));
        auto* panel = new ui::TemplatePanel(22); // the focus box's command bar
        auto* bar = new CStageControlBar;
        ASSERT_TRUE(bar->Create(bars, frame, panel, "FocusBoxCmdDlg", ui::DockSide::Left));
        EXPECT_EQ(panel->GetParent(), bar);
        const wxSize dialog = panel->GetSize();
        EXPECT_EQ(bar->FloatingSize(), dialog);
        EXPECT_EQ(bar->VerticalSize(), wxSize(dialog.x + 9, dialog.y));
        EXPECT_EQ(bar->HorizontalSize(), wxSize(dialog.x, dialog.y + 9));
        bars.Update();
        frame->Show();
        EXPECT_EQ(bars.State("FocusBoxCmdDlg").extent, dialog.x + 9);

        // A second bar of the same name is refused.
        auto* again = new CStageControlBar;
        EXPECT_FALSE(
            again->Create(bars, frame, new ui::TemplatePanel(22), "FocusBoxCmdDlg", ui::DockSide::Top));
        again->Destroy();

        // A double click on the panel's background floats the bar, a second one docks it.
        wxMouseEvent click(wxEVT_LEFT_DCLICK);
        click.SetEventObject(panel);
        panel->ProcessWindowEvent(click);
        EXPECT_TRUE(bars.State("FocusBoxCmdDlg").floating);
        panel->ProcessWindowEvent(click);
        EXPECT_FALSE(bars.State("FocusBoxCmdDlg").floating);
        EXPECT_EQ(bars.State("FocusBoxCmdDlg").side, ui::DockSide::Left);

        // A new extent is taken; the sash may still narrow the bar to 32 x 32, not below.
        CStageControlBar::SetExtent(bars, "FocusBoxCmdDlg", dialog.x + 40);
        bars.Update();
        EXPECT_EQ(bars.State("FocusBoxCmdDlg").extent, dialog.x + 40);
        EXPECT_EQ(bars.Manager().GetPane(bar).min_size, wxSize(32, 32));
    }
    EXPECT_TRUE(ui::testing::DestroyAndWait(frame));
}

} // namespace
