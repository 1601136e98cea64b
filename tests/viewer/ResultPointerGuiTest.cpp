// The result window's capturing windows under the real pointer: the calibration line drawn on
// the picture and the scale position buttons of the scale dialog; after each the pointer is
// free for a click elsewhere.
#include "ResultWindowFixture.h"

#include "viewer/ScaleButton.h"
#include "ui/testing/Pointer.h"

namespace {

class ResultPointer : public ResultWindowGui {};

TEST_F(ResultPointer, CalibrationLineDrawnWithThePointerEndsAndFreesIt) {
    Composed c(320, 240);
    Show(c, 0);
    Choose(32780); // 200 %
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

} // namespace
