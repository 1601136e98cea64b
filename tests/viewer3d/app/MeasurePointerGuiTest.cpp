// The measurement screen's panes under the real pointer: a cursor dragged on the profile graph,
// the measuring line dragged on the analysis pane and a region band swept on the image pane;
// after each the pointer is free for a click elsewhere.
#include "MeasureViewsFixture.h"

#include "ui/testing/Pointer.h"

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

TEST_F(MeasurePointer, RegionBandSweptOnTheImagePane) {
    EXPECT_TRUE(DragThenClickElsewhere(image_, at(image_, 8, 6), at(image_, 40, 30)));
    EXPECT_FALSE(image_->BandShown());
    const RECT roi = image_->roiRect;
    EXPECT_EQ(roi.left, 8);
    EXPECT_EQ(roi.top, 6);
    EXPECT_EQ(roi.right, 40);
    EXPECT_FALSE(image_->HasCapture());
}

} // namespace
