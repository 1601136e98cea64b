// The program's lens selection and XY calibration with the rendering test camera: a slot is
// calibrated from a Shift-held line drawn on the live picture in manual mode, and a lens of the
// lens file from a typed value.
#include "ShellGuiFixture.h"

#include "devices/camera/gui/LensCalibRegDlg.h"
#include "devices/camera/gui/LensCalibTxtDlg.h"
#include "devices/camera/gui/XYCalibDialog.h"
#include "devices/camera/gui/XYCalibSetDlg.h"
#include "shell/AutoDialog.h"
#include "shell/MultiView.h"
#include "shell/OrsandelDoc.h"
#include "shell/ScaleStatic.h"
#include "shell/TopMenuDialog.h"

#include <wx/textctrl.h>
#include <wx/tglbtn.h>

#include <cmath>

namespace {

using LensCalib = ShellWindows;

void Mouse(wxWindow* pane, wxEventType type, int x, int y, bool shift) {
    ui::testing::SendMouse(pane, type, {x, y}, type != wxEVT_LEFT_UP, shift);
}

TEST_F(LensCalib, ShiftHeldLineOnTheLivePictureCalibratesASlot) {
    Settings(1009);
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    CMultiView* view = f->m_pMultiView;
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return view->LivePane()->HasImage(); }, 20000));
    CScriptedMessageSink sink(IDOK);
    wxWindow* pane = view->LivePane();

    // No calibration dialog: a drag draws nothing.
    Mouse(pane, wxEVT_LEFT_DOWN, 10, 10, false);
    Mouse(pane, wxEVT_MOTION, 60, 10, false);
    Mouse(pane, wxEVT_LEFT_UP, 60, 10, false);
    EXPECT_EQ(f->Document()->m_dCalibLineLength, 0.0);

    // The top menu's "…" opens the lens selection; slot 2's "登録" asks for its calibration.
    ui::testing::WhenModal([&](wxDialog* d) {
        EXPECT_EQ(d->GetTitle().utf8_string(), "レンズ選択");
        auto* dlg = dynamic_cast<CXYCalibDialog*>(d);
        ASSERT_NE(dlg, nullptr);
        ASSERT_NE(dlg->SlotPage(), nullptr); // the fixture's lens file exists
        ui::testing::Click(dlg->SlotPage()->GetDlgItem(1189));
    });
    f->TopMenu()->RouteCommandId(1393);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return f->IsCalibSetOpen(); }));
    CXYCalibSetDlg* calib = f->CalibSetDialog();
    ASSERT_TRUE(ui::testing::WaitForPaint(calib));
    EXPECT_EQ(calib->m_nSource, 0);
    EXPECT_EQ(calib->m_nLensIndex, 1);
    EXPECT_EQ(calib->m_nViewWidth, 640);

    // A Shift-held drag 199 shown pixels to the right and a little down: a horizontal line.
    Mouse(pane, wxEVT_LEFT_DOWN, 20, 30, true);
    Mouse(pane, wxEVT_MOTION, 120, 35, true);
    Mouse(pane, wxEVT_MOTION, 219, 37, true);
    EXPECT_TRUE(view->CalibLine().Geometry().IsDrawing());
    Mouse(pane, wxEVT_LEFT_UP, 219, 37, true);
    const double s = view->CalibLine().Geometry().Scale();
    ASSERT_GT(s, 0.0);
    EXPECT_DOUBLE_EQ(s, pane->GetClientSize().x / 640.0);
    EXPECT_EQ(view->CalibLine().Geometry().EndPoint().y, 30);
    const double pixels = std::hypot(200.0 / s, 1.0 / s);
    EXPECT_DOUBLE_EQ(f->Document()->m_dCalibLineLength, pixels);

    ui::testing::Type(calib->GetDlgItem(CXYCalibSetDlg::kNameEdit), wxString::FromUTF8("対物10倍"));
    wxWindow* line = calib->GetDlgItem(CXYCalibSetDlg::kLineEdit);
    ui::testing::Type(line, "100");
    wxFocusEvent leave(wxEVT_KILL_FOCUS, line->GetId());
    leave.SetEventObject(line);
    line->GetEventHandler()->ProcessEvent(leave);
    EXPECT_DOUBLE_EQ(calib->m_dCalib, 100.0 / pixels);
    ui::testing::Type(calib->GetDlgItem(CXYCalibSetDlg::kGapEdit), "2.5");
    ui::testing::Click(calib->GetDlgItem(IDOK));

    EXPECT_FALSE(f->IsCalibSetOpen());
    EXPECT_EQ(ReadIniString("CALIBRATION", "CALIB2", ""), FormatDoubleText(100.0 / pixels));
    EXPECT_EQ(ReadIniString("CALIBRATION", "GAP2", ""), "2.5");
    EXPECT_EQ(ReadIniString("CALIBRATION", "CLBNAME2", ""), "対物10倍");
    EXPECT_EQ(ReadIniInt("CALIBRATION", "CALIBNO", -5), 1);
    EXPECT_EQ(f->TopMenu()->GetDlgItemText(1392).utf8_string(), "対物10倍");
    EXPECT_EQ(f->Document()->m_currentLens.GetRegName(), "対物10倍");
    EXPECT_FALSE(view->CalibLine().Geometry().IsDrawing());
    EXPECT_TRUE(sink.ShownIds().empty());
}

TEST_F(LensCalib, LensOfTheLensFileIsChosenAndCalibratedInItsOwnSection) {
    Settings(1009);
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    CScriptedMessageSink sink(IDOK);
    // Choose the second lens of the table.
    ui::testing::WhenModal([&](wxDialog* d) {
        auto* dlg = dynamic_cast<CXYCalibDialog*>(d);
        ASSERT_NE(dlg->TablePage(), nullptr);
        ui::testing::Click(dlg->TablePage()->GetDlgItem(1192));
        ui::testing::Click(dlg->GetDlgItem(IDOK));
    });
    f->RouteCommandId(ID_LENS_SELECT);
    EXPECT_EQ(f->Document()->m_slotIndex, -1);
    EXPECT_EQ(ReadIniString("CALIBRATION", "LENSNAME", ""), "ML90-2.5");
    EXPECT_EQ(ReadIniInt("CALIBRATION", "CALIBNO", 0), -1);
    EXPECT_EQ(f->TopMenu()->GetDlgItemText(1392).utf8_string(), "Ninety");

    // A lens index beyond the table changes nothing.
    SendMessage(f->GetSafeHwnd(), WM_XYCALIB_EDIT, 1, 7);
    EXPECT_FALSE(f->IsCalibSetOpen());

    SendMessage(f->GetSafeHwnd(), WM_XYCALIB_EDIT, 1, 0);
    ASSERT_TRUE(f->IsCalibSetOpen());
    ASSERT_TRUE(ui::testing::WaitForPaint(f->CalibSetDialog()));
    CXYCalibSetDlg* calib = f->CalibSetDialog();
    EXPECT_EQ(calib->GetDlgItemText(CXYCalibSetDlg::kNameEdit).utf8_string(), "Thirty");
    ui::testing::Type(calib->GetDlgItem(CXYCalibSetDlg::kCalibEdit), "0.35");
    ui::testing::Click(calib->GetDlgItem(IDOK));
    EXPECT_FALSE(f->IsCalibSetOpen());
    EXPECT_EQ(ReadIniString("CALIBRATION_ML30-1", "CALIB1", ""), "0.35");
    EXPECT_EQ(ReadIniString("CALIBRATION_ML30-1", "CLBNAME1", ""), "Thirty");
    EXPECT_EQ(ReadIniString("CALIBRATION_ML30-1", "GAP1", ""), "3");
    EXPECT_EQ(ReadIniString("CALIBRATION", "LENSNAME", ""), "ML30-1");
    EXPECT_EQ(f->Document()->m_currentLens.GetName(), "ML30-1");
    EXPECT_DOUBLE_EQ(f->Document()->m_currentLens.m_calib, 0.35);

    // Cancel of the calibration dialog opens the lens selection again.
    SendMessage(f->GetSafeHwnd(), WM_XYCALIB_EDIT, 0, 0);
    bool reopened = false;
    ui::testing::WhenModal([&](wxDialog* d) {
        reopened = d->GetTitle().utf8_string() == "レンズ選択";
        ui::testing::Click(d->FindWindow(IDCANCEL));
    });
    ASSERT_TRUE(f->IsCalibSetOpen());
    ASSERT_TRUE(ui::testing::WaitForPaint(f->CalibSetDialog()));
    ui::testing::Click(f->CalibSetDialog()->GetDlgItem(IDCANCEL));
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return reopened; }));
    EXPECT_FALSE(f->IsCalibSetOpen());
}

} // namespace

namespace {

// In the automatic mode the chosen lens's capture interval becomes the series interval while AUTO
// (1372) is ticked.
TEST_F(LensCalib, ChosenLensGivesTheAutomaticPanelItsInterval) {
    Settings(1012);
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    CScriptedMessageSink sink(IDOK);
    CAutoDialog* panel = f->AutoDialog();
    ASSERT_NE(panel, nullptr);
    auto* autoInterval = panel->Item<wxToggleButton>(1372); // a push-like check box
    ASSERT_NE(autoInterval, nullptr);
    if (!autoInterval->GetValue())
        ui::testing::Click(autoInterval);
    ASSERT_TRUE(autoInterval->GetValue());
    auto choose = [&](int radio) {
        ui::testing::WhenModal([&, radio](wxDialog* d) {
            auto* dlg = dynamic_cast<CXYCalibDialog*>(d);
            ASSERT_NE(dlg->TablePage(), nullptr);
            ui::testing::Click(dlg->TablePage()->GetDlgItem(radio));
            ui::testing::Click(dlg->GetDlgItem(IDOK));
        });
        f->RouteCommandId(ID_LENS_SELECT);
    };
    choose(1191); // ML30-1: 3 um
    EXPECT_EQ(panel->GetDlgItemText(1185).utf8_string(), "3");
    EXPECT_FALSE(panel->Item<wxTextCtrl>(1185)->IsEditable());
    choose(1192); // ML90-2.5: 1 um
    EXPECT_EQ(panel->GetDlgItemText(1185).utf8_string(), "1");
}

} // namespace
