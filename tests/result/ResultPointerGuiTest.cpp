// The result window's capturing windows under the real pointer: the calibration line drawn on
// the picture and the scale position buttons of the scale dialog; after each the pointer is
// free for a click elsewhere.
#include "ResultWindowFixture.h"

#include "ids/VantorelIds.h"
#include "result/ScaleButton.h"
#include "ui/testing/Pointer.h"

#include <wx/slider.h>

#include <algorithm>
#include <vector>

namespace {

class ResultPointer : public ResultWindowGui {};

TEST_F(ResultPointer, CalibrationLineDrawnWithThePointerEndsAndFreesIt) {
    Composed c(320, 240);
    Show(c, 0);
    Choose(vtid::cmd::Zoom200); // 200 %
    view->Scroll(0, 0);
    view->Refresh();
    ASSERT_TRUE(WaitForPaint(frame));
    int ended = 0;
    view->onLineEnded = [&] { ++ended; };
    view->SetCalibrationActive(true);
    const RECT r = view->ImageRect();
    // 200 screen pixels across at 200 %: 100.5 by 0.5 pixels of the picture, the end pixel counted.
    EXPECT_TRUE(
        DragThenClickElsewhere(view, wxPoint(r.left + 20, r.top + 20), wxPoint(r.left + 220, r.top + 20)));
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(view->LineEnd().x - view->LineStart().x, 200);
    EXPECT_NEAR(doc->m_calibLineLength, std::hypot(100.5, 0.5), 1e-9);
    EXPECT_FALSE(view->HasCapture());
    view->SetCalibrationActive(false);
}

TEST_F(ResultPointer, ScalePositionButtonsClickOnlyWhenLetGoOnThemAndFreeThePointer) {
    CSetScaleDlg scale(frame);
    ASSERT_TRUE(scale.Create());
    ASSERT_TRUE(WaitForPaint(&scale));
    CScaleButton* second = scale.PositionButton(1);
    CScaleButton* third = scale.PositionButton(2);
    ASSERT_TRUE(second && third);
    const wxPoint mid(third->GetClientSize().x / 2, third->GetClientSize().y / 2);
    EXPECT_TRUE(DragThenClickElsewhere(third, mid, mid + wxPoint(2, 1)));
    EXPECT_EQ(third->IsPushed(), 1);
    // Pressed on one, let go on another: no click.
    EXPECT_TRUE(DragThenClickElsewhere(second, mid, second->ScreenToClient(third->ClientToScreen(mid))));
    EXPECT_EQ(second->IsPushed(), 0);
    EXPECT_EQ(third->IsPushed(), 1);
    scale.Hide();
}

// The zoom slider's value for each position its thumb reports, from the value before (where the
// thumb starts): a position off the steps of 10 goes on to the step in the direction of the
// thumb's move from its last position; an unmoved thumb keeps the value.
int SnappedAlong(const std::vector<int>& positions, int value) {
    int last = value;
    for (int t : positions) {
        if (t % 10 == 0)
            value = t;
        else if (t > last)
            value = t / 10 * 10 + 10;
        else if (t < last)
            value = t / 10 * 10;
        value = std::clamp(value, 10, 400);
        last = t;
    }
    return value;
}

TEST_F(ResultPointer, ZoomSliderDraggedEachWaySnapsInTheDirectionOfTheMove) {
    Composed c(200, 150);
    Show(c, 0);
    ASSERT_TRUE(bar->SetZoomValue(130));
    auto* slider = FindById<wxSlider>(bar, vtid::ViewerBar::ZoomSlider);
    ASSERT_NE(slider, nullptr);
    std::vector<int> track;
    slider->Bind(wxEVT_SCROLL_THUMBTRACK, [&](wxScrollEvent& ev) {
        track.push_back(ev.GetPosition());
        ev.Skip();
    });
    // A press beside the thumb brings the thumb under the pointer; the drags start on it.
    const wxPoint start(slider->GetClientSize().x / 2, slider->GetClientSize().y / 2);
    ASSERT_TRUE(PointerTo(slider, start));
    ASSERT_TRUE(PointerPress());
    ASSERT_TRUE(PointerRelease());
    ASSERT_FALSE(track.empty());
    EXPECT_EQ(bar->GetZoomValue(), SnappedAlong(track, 130));
    EXPECT_EQ(slider->GetValue(), bar->GetZoomValue()) << "the thumb shows the value once let go";

    // Step by step, each way: the thumb follows the pointer and the field takes its snapped
    // positions, up on the way right and down on the way left.
    for (const int direction : {1, -1}) {
        const int before = bar->GetZoomValue();
        track.clear();
        // The thumb laid out where its last value puts it: the toolkit judges the press against
        // the thumb's place of the last layout, and a press beside it would move the thumb.
        ASSERT_TRUE(ui::testing::WaitForPaint(slider));
        ASSERT_TRUE(PointerPress());
        int shown = before;
        for (int i = 1; i <= 30; ++i) {
            ASSERT_TRUE(PointerTo(slider, start + wxPoint(direction * i, 0)));
            EXPECT_EQ(bar->GetZoomValue(), SnappedAlong(track, before)) << direction << " x " << i;
            // One pixel a motion: the zoom never turns back against the move.
            EXPECT_GE(direction * (bar->GetZoomValue() - shown), 0) << direction << " x " << i;
            shown = bar->GetZoomValue();
            EXPECT_EQ(view->ZoomStep(), (bar->GetZoomValue() - 100) / 10);
        }
        ASSERT_TRUE(PointerRelease());
        // About five per cent a pixel: the thumb moves with most steps.
        EXPECT_GE(track.size(), 15u) << "the thumb held back from the pointer";
        for (size_t k = 1; k < track.size(); ++k)
            EXPECT_GE(direction * (track[k] - track[k - 1]), 0) << "the thumb went back at " << track[k];
        EXPECT_GT(direction * (bar->GetZoomValue() - before), 0);
        EXPECT_EQ(slider->GetValue(), bar->GetZoomValue());
        ASSERT_TRUE(PointerTo(slider, start));
    }
}

} // namespace
