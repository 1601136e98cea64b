// The calibration line on the live picture under the real pointer: drawn while the calibration
// dialog is open, measured at the release, and the pointer free afterwards.
#include "ShellGuiFixture.h"

#include "devices/camera/gui/LensCalibRegDlg.h"
#include "devices/camera/gui/XYCalibDialog.h"
#include "devices/camera/gui/XYCalibSetDlg.h"
#include "ids/VantorelIds.h"
#include "shell/capture/MultiView.h"
#include "shell/app/OrsandelDoc.h"
#include "shell/controls/ScaleStatic.h"
#include "shell/frame/TopMenuDialog.h"
#include "ui/testing/Pointer.h"

#include <algorithm>
#include <cmath>

namespace {

using CalibLinePointer = ShellWindows;

TEST_F(CalibLinePointer, ALineDrawnOnTheLivePictureIsMeasuredAtTheRelease) {
    Settings(vtid::StartDialog::ManualCapture);
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    CSampleStatic* pane = f->CaptureView()->LivePane();
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return pane->HasImage(); }, 20000));
    CScriptedMessageSink sink(IDOK);
    ui::testing::WhenModal([&](wxDialog* d) {
        auto* dlg = dynamic_cast<CXYCalibDialog*>(d);
        ASSERT_TRUE(dlg && dlg->SlotPage());
        ui::testing::Click(dlg->SlotPage()->GetDlgItem(vtid::LensSlotsPage::Register2));
    });
    f->TopMenu()->RouteCommandId(vtid::TopMenuBar::SelectLens);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return f->IsCalibSetOpen(); }));
    const CCalibLine& drawn = f->CaptureView()->CalibLine();
    const int right = std::min(219, pane->GetClientSize().x - 1);
    ASSERT_GT(right, 60);
    EXPECT_TRUE(ui::testing::DragThenClickElsewhere(pane, wxPoint(20, 30), wxPoint(right, 30)));
    const double s = drawn.Geometry().Scale();
    ASSERT_GT(s, 0.0);
    EXPECT_EQ(drawn.Geometry().EndPoint().x, right);
    EXPECT_DOUBLE_EQ(f->Document()->m_dCalibLineLength, std::hypot((right - 20 + 1) / s, 1.0 / s));
    EXPECT_FALSE(pane->HasCapture());
    // Cancelled, the calibration goes back to the lens selection, which is closed too.
    bool reopened = false;
    ui::testing::WhenModal([&](wxDialog* d) {
        reopened = true;
        d->EndModal(IDCANCEL);
    });
    ui::testing::Click(f->CalibSetDialog()->GetDlgItem(IDCANCEL));
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return reopened && !f->IsCalibSetOpen(); }));
    EXPECT_TRUE(sink.ShownIds().empty());
}

} // namespace
