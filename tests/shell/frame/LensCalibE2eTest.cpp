// The program's lens selection and XY calibration with the rendering test camera: a slot is
// calibrated from a Shift-held line drawn on the live picture in manual mode, and a lens of the
// lens file from a typed value.
#include "ShellGuiFixture.h"

#include "devices/camera/gui/LensCalibRegDlg.h"
#include "devices/camera/gui/LensCalibTxtDlg.h"
#include "devices/camera/gui/XYCalibDialog.h"
#include "devices/camera/gui/XYCalibSetDlg.h"
#include "ids/VantorelIds.h"
#include "shell/capture/AutoDialog.h"
#include "shell/capture/MultiView.h"
#include "shell/app/OrsandelDoc.h"
#include "shell/controls/ScaleStatic.h"
#include "shell/frame/TopMenuDialog.h"
#include "shell/vossa/VossaLiveView.h"

#include <wx/textctrl.h>
#include <wx/tglbtn.h>

#include <algorithm>
#include <cmath>

namespace {

using LensCalib = ShellWindows;

void Mouse(wxWindow* pane, wxEventType type, int x, int y, bool shift) {
    ui::testing::SendMouse(pane, type, {x, y}, type != wxEVT_LEFT_UP, shift);
}

// The top menu's "…" opens the lens selection, slot 2's "登録" asks for its calibration, and a
// Shift-held line 200 shown pixels long over the live picture gives the micrometres per pixel for
// a typed 100 µm: the slot's keys, the slot number and the registered name in the top menu follow.
void CalibrateSlotTwoWithALine(CMainFrame* f, CSampleStatic* pane, const CCalibLine& drawn,
                               const std::string& screenshot) {
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return pane->HasImage(); }, 20000));
    CScriptedMessageSink sink(IDOK);

    // No calibration dialog: a drag draws nothing.
    Mouse(pane, wxEVT_LEFT_DOWN, 10, 10, false);
    Mouse(pane, wxEVT_MOTION, 60, 10, false);
    Mouse(pane, wxEVT_LEFT_UP, 60, 10, false);
    EXPECT_EQ(f->Document()->m_dCalibLineLength, 0.0);

    ui::testing::WhenModal([&](wxDialog* d) {
        EXPECT_EQ(d->GetTitle().utf8_string(), "レンズ選択");
        auto* dlg = dynamic_cast<CXYCalibDialog*>(d);
        ASSERT_NE(dlg, nullptr);
        ASSERT_NE(dlg->SlotPage(), nullptr); // the fixture's lens file exists
        ui::testing::Click(dlg->SlotPage()->GetDlgItem(vtid::LensSlotsPage::Register2));
    });
    f->TopMenu()->RouteCommandId(vtid::TopMenuBar::SelectLens);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return f->IsCalibSetOpen(); }));
    CXYCalibSetDlg* calib = f->CalibSetDialog();
    ASSERT_TRUE(ui::testing::WaitForPaint(calib));
    EXPECT_EQ(calib->m_nSource, 0);
    EXPECT_EQ(calib->m_nLensIndex, 1);
    EXPECT_EQ(calib->m_nViewWidth, 640);

    // A Shift-held drag to the right (200 shown pixels with both ends where the pane is wide
    // enough) and a little down: a horizontal line.
    const int right = std::min(219, pane->GetClientSize().x - 1);
    ASSERT_GT(right, 60);
    Mouse(pane, wxEVT_LEFT_DOWN, 20, 30, true);
    Mouse(pane, wxEVT_MOTION, 50, 35, true);
    Mouse(pane, wxEVT_MOTION, right, 37, true);
    EXPECT_TRUE(drawn.Geometry().IsDrawing());
    Mouse(pane, wxEVT_LEFT_UP, right, 37, true);
    const double s = drawn.Geometry().Scale();
    ASSERT_GT(s, 0.0);
    EXPECT_DOUBLE_EQ(s, pane->GetClientSize().x / 640.0);
    EXPECT_EQ(drawn.Geometry().EndPoint().x, right);
    EXPECT_EQ(drawn.Geometry().EndPoint().y, 30);
    const double pixels = std::hypot((right - 20 + 1) / s, 1.0 / s);
    EXPECT_DOUBLE_EQ(f->Document()->m_dCalibLineLength, pixels);
    pane->Refresh();
    ASSERT_TRUE(ui::testing::WaitForPaint(pane));
    EXPECT_TRUE(ui::testing::ScreenshotRoot(screenshot));

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
    EXPECT_EQ(f->TopMenu()->GetDlgItemText(vtid::TopMenuBar::LensName).utf8_string(), "対物10倍");
    EXPECT_EQ(f->Document()->m_currentLens.GetRegName(), "対物10倍");
    EXPECT_DOUBLE_EQ(f->Document()->m_currentLens.m_calib, 100.0 / pixels);
    // The result forgets the line on the live view.
    EXPECT_FALSE(drawn.Geometry().IsDrawing());
    EXPECT_FALSE(drawn.Geometry().HasLength());
    EXPECT_TRUE(sink.ShownIds().empty());
}

TEST_F(LensCalib, ShiftHeldLineOnTheLivePictureCalibratesASlot) {
    Settings(vtid::StartDialog::ManualCapture);
    ASSERT_TRUE(StartProgram());
    CMultiView* view = Frame()->CaptureView();
    ASSERT_NE(view, nullptr);
    CalibrateSlotTwoWithALine(Frame(), view->LivePane(), view->CalibLine(), Shot("calib-line-manual.png"));
}

TEST_F(LensCalib, ShiftHeldLineOnTheVossaLivePictureCalibratesASlot) {
    Settings(vtid::StartDialog::VossaComposition);
    ASSERT_TRUE(StartProgram());
    CVossaLiveView* view = Frame()->VossaLiveView();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(Frame()->IsActiveView<CVossaLiveView>());
    CalibrateSlotTwoWithALine(Frame(), view->LivePane(), view->CalibLine(), Shot("calib-line-vossa.png"));
}

TEST_F(LensCalib, LensOfTheLensFileIsChosenAndCalibratedInItsOwnSection) {
    Settings(vtid::StartDialog::ManualCapture);
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    CScriptedMessageSink sink(IDOK);
    // Choose the second lens of the table.
    ui::testing::WhenModal([&](wxDialog* d) {
        auto* dlg = dynamic_cast<CXYCalibDialog*>(d);
        ASSERT_NE(dlg->TablePage(), nullptr);
        ui::testing::Click(dlg->TablePage()->GetDlgItem(vtid::LensTablePage::Select2));
        ui::testing::Click(dlg->GetDlgItem(IDOK));
    });
    f->RouteCommandId(ID_LENS_SELECT);
    EXPECT_EQ(f->Document()->m_slotIndex, -1);
    EXPECT_EQ(ReadIniString("CALIBRATION", "LENSNAME", ""), "ML90-2.5");
    EXPECT_EQ(ReadIniInt("CALIBRATION", "CALIBNO", 0), -1);
    EXPECT_EQ(f->TopMenu()->GetDlgItemText(vtid::TopMenuBar::LensName).utf8_string(), "Ninety");

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
    Settings(vtid::StartDialog::AutoCapture);
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    CScriptedMessageSink sink(IDOK);
    CAutoDialog* panel = f->AutoDialog();
    ASSERT_NE(panel, nullptr);
    auto* autoInterval = panel->Item<wxToggleButton>(vtid::AutoPanel::AutoInterval); // a push-like check box
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
    choose(vtid::LensTablePage::Select1); // ML30-1: 3 um
    EXPECT_EQ(panel->GetDlgItemText(vtid::AutoPanel::Interval).utf8_string(), "3");
    EXPECT_FALSE(panel->Item<wxTextCtrl>(vtid::AutoPanel::Interval)->IsEditable());
    choose(vtid::LensTablePage::Select2); // ML90-2.5: 1 um
    EXPECT_EQ(panel->GetDlgItemText(vtid::AutoPanel::Interval).utf8_string(), "1");
}

} // namespace

namespace {

// The lines of one section of a settings text, from its header to the next section.
std::string SectionText(const std::string& ini, const std::string& name) {
    const size_t at = ini.find("[" + name + "]\n");
    if (at == std::string::npos)
        return "<missing>";
    const size_t next = ini.find("\n[", at);
    return ini.substr(at, next == std::string::npos ? std::string::npos : next + 1 - at);
}

// Lenses of the lens file registered through the program: each in its own section, byte for byte;
// a name with ']' in a section the settings file can hold; both read back at the next start.
TEST_F(LensCalib, RegisteredLensSectionsAreWrittenByteForByteAndReadAtTheNextStart) {
    Write("LENS.TXT", "20X,Obj20,0.35,5\nx]10,Bracket,0.2,1\n");
    Settings(vtid::StartDialog::ManualCapture);
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    CScriptedMessageSink sink(IDOK);
    auto registerLens = [&](int index, const char* name, const char* calib, const char* gap) {
        SendMessage(f->GetSafeHwnd(), WM_XYCALIB_EDIT, 1, index);
        ASSERT_TRUE(f->IsCalibSetOpen());
        CXYCalibSetDlg* dlg = f->CalibSetDialog();
        ASSERT_TRUE(ui::testing::WaitForPaint(dlg));
        ui::testing::Type(dlg->GetDlgItem(CXYCalibSetDlg::kNameEdit), wxString::FromUTF8(name));
        ui::testing::Type(dlg->GetDlgItem(CXYCalibSetDlg::kCalibEdit), calib);
        ui::testing::Type(dlg->GetDlgItem(CXYCalibSetDlg::kGapEdit), gap);
        ui::testing::Click(dlg->GetDlgItem(IDOK));
        EXPECT_FALSE(f->IsCalibSetOpen());
    };
    registerLens(0, "対物20倍", "0.5", "2");
    registerLens(1, "Bracket2", "0.125", "1.5");
    const std::string ini = Read("Vantorel.ini");
    EXPECT_EQ(SectionText(ini, "CALIBRATION_20X"),
              "[CALIBRATION_20X]\nCLBNAME1=対物20倍\nCALIB1=0.5\nGAP1=2\n");
    EXPECT_EQ(SectionText(ini, "CALIBRATION_x%5D10"),
              "[CALIBRATION_x%5D10]\nCLBNAME1=Bracket2\nCALIB1=0.125\nGAP1=1.5\n");
    EXPECT_EQ(ini.find("[CALIBRATION_x]"), std::string::npos);
    EXPECT_EQ(ReadIniString("CALIBRATION", "LENSNAME", ""), "x]10");
    EXPECT_TRUE(sink.ShownIds().empty());

    CloseProgram();
    ASSERT_TRUE(StartProgram());
    const CMLens* first = GetLensAt(app->Lenses(), 0);
    const CMLens* second = GetLensAt(app->Lenses(), 1);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->GetRegName(), "対物20倍");
    EXPECT_DOUBLE_EQ(first->m_calib, 0.5);
    EXPECT_DOUBLE_EQ(first->m_gap, 2.0);
    EXPECT_EQ(second->GetName(), "x]10");
    EXPECT_EQ(second->GetRegName(), "Bracket2");
    EXPECT_DOUBLE_EQ(second->m_calib, 0.125);
    EXPECT_DOUBLE_EQ(second->m_gap, 1.5);
    EXPECT_EQ(Frame()->Document()->m_currentLens.GetName(), "x]10");
}

} // namespace
