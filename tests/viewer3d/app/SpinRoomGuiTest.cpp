// The spin buttons of the measurement panel and of the pseudo-colour dialog get the room their
// entry's text and both halves need: GTK draws the entry's number before "−" and "+", and a
// spin narrower than that cuts the number.
#include "ViewerTestSupport.h"

#include "ids/BrelvoxaIds.h"
#include "ui/TemplateWindow.h"
#include "ui/testing/GuiTest.h"
#include "viewer3d/app/GeneralSetDlg.h"
#include "viewer3d/app/MainFrame.h"
#include "viewer3d/app/View3dDoc.h"
#include "viewer3d/app/View3dFrm.h"

#include <gtest/gtest.h>

#include <gtk/gtk.h>
#include <wx/spinbutt.h>

namespace {

// Fails unless the spin's entry shows the whole of its text and the spin has its toolkit's
// minimum width.
::testing::AssertionResult fitsItsText(wxWindow* spin) {
    if (!spin)
        return ::testing::AssertionFailure() << "no spin button";
    GtkWidget* w = spin->GetHandle();
    if (!w || !gtk_widget_get_mapped(w))
        return ::testing::AssertionFailure() << "the spin button is not on the screen";
    int minimum = 0, natural = 0;
    gtk_widget_get_preferred_width(w, &minimum, &natural);
    const int allocated = gtk_widget_get_allocated_width(w);
    int textWidth = 0, textHeight = 0;
    pango_layout_get_pixel_size(gtk_entry_get_layout(GTK_ENTRY(w)), &textWidth, &textHeight);
    GdkRectangle area{};
    gtk_entry_get_text_area(GTK_ENTRY(w), &area);
    const char* text = gtk_entry_get_text(GTK_ENTRY(w));
    if (allocated < minimum || area.width < textWidth)
        return ::testing::AssertionFailure()
               << "allocated " << allocated << " px, the toolkit needs " << minimum << "; the entry shows "
               << area.width << " px of its text \"" << (text ? text : "") << "\" " << textWidth
               << " px wide";
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(SpinRoomGui, TheSpinButtonsShowTheirWholeNumber) {
    ScratchFolder dir("brx-spin");
    brxtest::WriteFile(dir.Path() + "/s.vv3", brxtest::HeightSet(40, 30, 1.0, true));
    brxtest::RunningViewer viewer(dir.Path());
    brx::CView3dFrm* frame = brxtest::OpenShown(viewer, dir.Path() + "/s.vv3");
    ASSERT_NE(frame, nullptr);
    frame->ShowScreenMeasure();
    brx::CMainFrame* main = viewer.App().MainFrame();
    wxWindow* lineCount = main->PanelMeasure()->Item<wxSpinButton>(bxid::MeasurePanel::LineCountSpin);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return lineCount && lineCount->IsShownOnScreen(); }));
    ASSERT_TRUE(ui::testing::WaitForPaint(lineCount));
    EXPECT_TRUE(fitsItsText(lineCount));

    brx::CPseudoColorDlg colours(frame, frame->Doc(), {});
    bool checked = false;
    ui::testing::WhenModal([&](wxDialog* d) {
        wxWindow* divisions = ui::testing::FindById(d, bxid::PseudoColorDialog::MeshDivisionsSpin);
        EXPECT_TRUE(ui::testing::PumpUntil([&] { return divisions && divisions->IsShownOnScreen(); }));
        EXPECT_TRUE(ui::testing::WaitForPaint(divisions));
        EXPECT_TRUE(fitsItsText(divisions));
        checked = true;
        ui::testing::Click(ui::testing::FindById(d, 2));
    });
    colours.DoModal();
    EXPECT_TRUE(checked);
}
