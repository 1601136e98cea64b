// The measurement screen's panes under the real pointer: a cursor dragged on the profile graph,
// the measuring line dragged on the analysis pane and a region band swept on the image pane;
// after each the pointer is free for a click elsewhere. The spin buttons of the measurement
// panel's line count and of the pseudo-colour dialog's divisions clicked.
#include "MeasureViewsFixture.h"

#include "ids/BrelvoxaIds.h"
#include "ui/testing/Pointer.h"
#include "viewer3d/app/GeneralSetDlg.h"

#include <gtk/gtk.h>
#include <wx/spinbutt.h>
#include <wx/textctrl.h>

namespace {

using ui::testing::DragThenClickElsewhere;

class MeasurePointer : public MeasureViewsGui {};

TEST_F(MeasurePointer, GraphCursorDraggedToTheRightEnd) {
    doc_->SetLineMode(1); // manual
    settle();
    const int mid = (graph_->Layout().frame.top + graph_->Layout().frame.bottom) / 2;
    const int xa = cursorPixel(graph::kCursorA);
    // A stops at B.
    EXPECT_TRUE(
        DragThenClickElsewhere(graph_, wxPoint(xa + 1, mid), wxPoint(graph_->Layout().frame.right - 2, mid)));
    EXPECT_EQ(doc_->GetLineCoord(0, 0), doc_->GetLineCoord(1, 0));
    EXPECT_FALSE(graph_->HasCapture());
}

TEST_F(MeasurePointer, MeasuringLineDraggedUpOnTheAnalysisPane) {
    const int row = doc_->GetMeasureState()->linePosition[0];
    const wxPoint on = at(analysis_, kW / 2 + 1, row);
    const wxPoint up = at(analysis_, kW / 2 + 1, 6);
    EXPECT_TRUE(DragThenClickElsewhere(analysis_, wxPoint(on.x, analysis_->LinePixel()), up));
    EXPECT_EQ(doc_->GetMeasureState()->linePosition[0], 6);
    EXPECT_FALSE(analysis_->HasCapture());
}

TEST_F(MeasurePointer, CursorBDraggedPastTheRightEdgeOfTheAnalysisPaneStopsAtTheImageWidth) {
    const int row = doc_->GetMeasureState()->linePosition[0];
    const int b = static_cast<int>(doc_->GetLineCoord(1, 0));
    const wxPoint from(analysis_->CursorPixel(1), at(analysis_, b, row + 3).y);
    const wxPoint past(analysis_->imageRect.right + 20, from.y);
    EXPECT_TRUE(DragThenClickElsewhere(analysis_, from, past));
    EXPECT_EQ(doc_->GetLineCoord(1, 0), kW);
    EXPECT_FALSE(analysis_->HasCapture());
}

TEST_F(MeasurePointer, RegionBandSweptOnTheImagePane) {
    EXPECT_TRUE(DragThenClickElsewhere(image_, at(image_, 8, 6), at(image_, 40, 30)));
    EXPECT_FALSE(image_->BandShown());
    const RECT roi = image_->roiRect;
    EXPECT_EQ(roi.left, 8);
    EXPECT_EQ(roi.top, 6);
    EXPECT_EQ(roi.right, 40);
    EXPECT_FALSE(image_->HasCapture());
}

TEST_F(MeasurePointer, LineCountSpinStepsTheCountByTwoAndShowsTheCount) {
    ui::TemplatePanel* panel = viewer_->App().MainFrame()->PanelMeasure();
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return panel->IsShownOnScreen(); }));
    auto* spin = panel->Item<wxSpinButton>(bxid::MeasurePanel::LineCountSpin);
    ASSERT_TRUE(ui::testing::WaitForPaint(spin));
    // The number the spin's own entry shows.
    auto shown = [&] { return std::string(gtk_entry_get_text(GTK_ENTRY(spin->GetHandle()))); };
    const int start = doc_->GetLineCount();
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return shown() == std::to_string(start); })) << shown();
    EXPECT_TRUE(ui::testing::ClickSpinButton(spin, +1));
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return doc_->GetLineCount() == start + 2; }))
        << doc_->GetLineCount();
    EXPECT_EQ(panel->GetDlgItemText(bxid::MeasurePanel::LineCount), std::to_string(start + 2));
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return shown() == std::to_string(start + 2); })) << shown();
    EXPECT_TRUE(ui::testing::ClickSpinButton(spin, -1));
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return doc_->GetLineCount() == start; }))
        << doc_->GetLineCount();
    // The count of a document the panel is filled from shows on the spin too.
    doc_->SetLineCount(5);
    viewer_->App().MainFrame()->UpdatePanelsFromDoc(doc_);
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return shown() == "5" && spin->GetValue() == 5; })) << shown();
}

TEST_F(MeasurePointer, PseudoColourSpinShowsItsPositionInTheDivisionsField) {
    brx::CPseudoColorDlg dlg(frame_, doc_, {});
    wxString shown;
    int divisions = 0;
    ui::testing::WhenModal([&](wxDialog* d) {
        auto* spin = ui::testing::FindById<wxSpinButton>(d, bxid::PseudoColorDialog::MeshDivisionsSpin);
        ASSERT_NE(spin, nullptr);
        ASSERT_TRUE(ui::testing::WaitForPaint(spin));
        divisions = spin->GetValue();
        EXPECT_TRUE(ui::testing::ClickSpinButton(spin, -1));
        EXPECT_TRUE(ui::testing::PumpUntil([&] { return spin->GetValue() == divisions - 1; }));
        shown = ui::testing::FindById<wxTextCtrl>(d, bxid::PseudoColorDialog::MeshDivisions)->GetValue();
        ui::testing::Click(ui::testing::FindById(d, IDCANCEL));
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(shown, wxString::Format("%d", divisions - 1));
}

} // namespace
