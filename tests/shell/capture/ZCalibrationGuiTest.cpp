// The capture view's Z calibration command in automatic mode: the stage is held (the frame busy,
// the automatic panel disabled) while the dialog is shown and free again after "設定" or
// "ｷｬﾝｾﾙ"; a confirmation reaches the view, the panel's label and the settings file.
#include "ShellGuiFixture.h"

#include "devices/serial/gui/ZCalibrationDialog.h"
#include "ids/VantorelIds.h"
#include "shell/capture/AutoDialog.h"
#include "shell/capture/MultiView.h"

#include <wx/radiobut.h>
#include <wx/textctrl.h>

namespace {

using ZCalibrationCommand = ShellWindows;

std::string EditText(wxWindow* dlg, int id) {
    return ui::testing::FindById<wxTextCtrl>(dlg, id)->GetValue().utf8_string();
}

TEST_F(ZCalibrationCommand, AutomaticModeHoldsTheStageWhileTheDialogIsShown) {
    Settings(vtid::StartDialog::AutoCapture,
             "[ZCALIBRATION]\nMODE=0\nMOVEMENT=100\nPOINT1=1000\nPOINT2=3000\n1PULSE=1\n");
    CScriptedMessageSink sink(IDOK);
    ASSERT_TRUE(StartProgram());
    CMainFrame* f = Frame();
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(ui::testing::PumpUntil([&] { return f->IsShown() && f->IsActiveView<CMultiView>(); }));
    CMultiView* view = f->CaptureView();
    ASSERT_NE(view, nullptr);
    // The automatic panel answers the view's requests.
    CAutoDialog* panel = f->AutoDialog();
    ASSERT_NE(panel, nullptr);
    ASSERT_EQ(f->AutoPanelLink(), panel);
    auto panelOn = [&] { return panel->GetDlgItem(vtid::AutoPanel::StartCapture)->IsEnabled(); };
    ASSERT_TRUE(panelOn());
    auto enabled = [&](int id = vtid::cmd::ZCalibrationSettings) {
        ui::CmdUI state(id);
        ui::RouteUpdate(f->CommandChain(), state);
        return state.enabled.value_or(false);
    };
    EXPECT_TRUE(enabled());
    // The input device (32804) and its mode (32812) are not changed under the dialog.
    auto deviceCommands = [&] {
        return std::make_pair(enabled(vtid::cmd::SelectInputDevice), enabled(vtid::cmd::InputMode));
    };
    EXPECT_EQ(deviceCommands(), std::make_pair(true, true));

    ASSERT_TRUE(f->RouteCommandId(vtid::cmd::ZCalibrationSettings));
    CZCalibrationDialog* dlg = view->ZCalibrationDialog();
    ASSERT_NE(dlg, nullptr);
    ASSERT_TRUE(ui::testing::WaitForPaint(dlg));
    EXPECT_EQ(f->StageBusyOwner(), dlg);
    EXPECT_FALSE(panelOn());
    EXPECT_FALSE(enabled());
    EXPECT_EQ(deviceCommands(), std::make_pair(false, false));
    // Filled from the stored calibration.
    EXPECT_TRUE(ui::testing::FindById<wxRadioButton>(dlg, vtid::ZCalibrationDialog::ByTwoPoints)->GetValue());
    EXPECT_EQ(EditText(dlg, vtid::ZCalibrationDialog::Point1), "1000");
    EXPECT_EQ(EditText(dlg, vtid::ZCalibrationDialog::Point2), "3000");
    EXPECT_EQ(EditText(dlg, vtid::ZCalibrationDialog::Distance), "100");
    EXPECT_EQ(ui::testing::FindById(dlg, vtid::ZCalibrationDialog::Result)->GetLabel().utf8_string(),
              "0.0500  um/pulse");
    EXPECT_TRUE(ui::testing::ScreenshotRoot(Shot("zcalib-program.png")));

    ui::testing::Click(ui::testing::FindById(dlg, IDOK));
    EXPECT_FALSE(dlg->IsShown());
    EXPECT_EQ(f->StageBusyOwner(), nullptr);
    EXPECT_TRUE(panelOn());
    EXPECT_EQ(panel->GetDlgItemText(vtid::AutoPanel::PulseSize).utf8_string(), "0.0500  um/pulse");
    EXPECT_EQ(view->m_d1Pulse, 0.05);
    EXPECT_EQ(ReadIniDouble("ZCALIBRATION", "1PULSE", 0.0), 0.05);
    EXPECT_TRUE(enabled());
    EXPECT_EQ(deviceCommands(), std::make_pair(true, true));

    // Again, changed and cancelled: held while shown, freed after, nothing taken.
    ASSERT_TRUE(f->RouteCommandId(vtid::cmd::ZCalibrationSettings));
    EXPECT_EQ(view->ZCalibrationDialog(), dlg); // made once
    ASSERT_TRUE(ui::testing::WaitForPaint(dlg));
    EXPECT_EQ(f->StageBusyOwner(), dlg);
    EXPECT_FALSE(panelOn());
    ui::testing::Click(ui::testing::FindById(dlg, vtid::ZCalibrationDialog::ByOnePulse));
    ui::testing::Type(ui::testing::FindById(dlg, vtid::ZCalibrationDialog::Distance), "0.5");
    ui::testing::Click(ui::testing::FindById(dlg, IDCANCEL));
    EXPECT_FALSE(dlg->IsShown());
    EXPECT_EQ(f->StageBusyOwner(), nullptr);
    EXPECT_TRUE(panelOn());
    EXPECT_EQ(view->m_d1Pulse, 0.05);
    EXPECT_EQ(view->m_bTwoPoint, 0);
    EXPECT_EQ(ReadIniInt("ZCALIBRATION", "MODE", -1), 0);
    EXPECT_TRUE(sink.ShownIds().empty());

    // While another stage operation holds the stage the command does nothing.
    wxWindow other;
    f->SetStageBusyOwner(&other);
    f->RouteCommandId(vtid::cmd::ZCalibrationSettings);
    EXPECT_FALSE(dlg->IsShown());
    EXPECT_TRUE(panelOn());
    f->SetStageBusyOwner(nullptr);
}

} // namespace
