// The automatic panel on its real template with an emulated focus drive: hold-to-jog and what
// ends a jog, and which controls each panel state enables.
#include "AutoPanelFixture.h"

#include "ids/VantorelIds.h"
#include "shell/capture/EDListCtrl.h"
#include "shell/frame/TopMenuDialog.h"

#include "platform/Settings.h"

#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/textctrl.h>

#include <algorithm>

namespace {

TEST_F(AutoPanel, ControlsFollowThePanelState) {
    ASSERT_TRUE(Start("mmc2", 1));
    CMainFrame* f = Frame();
    const int stateIds[] = {
        vtid::AutoPanel::ZeroZ,    vtid::AutoPanel::JogUp,        vtid::AutoPanel::JogDown,
        vtid::AutoPanel::StepDown, vtid::AutoPanel::StepUp,       vtid::AutoPanel::EditList,
        vtid::AutoPanel::LoadList, vtid::AutoPanel::StartCapture, vtid::AutoPanel::SetStart,
        vtid::AutoPanel::SetEnd,   vtid::AutoPanel::SelectPath,   vtid::AutoPanel::AutoCompose};
    // Idle, equal-interval mode.
    for (int id : stateIds)
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_FALSE(Enabled(vtid::AutoPanel::StopCapture));
    for (int id :
         {vtid::AutoPanel::SaveList, vtid::AutoPanel::EditedNotice, vtid::AutoPanel::UseEqualInterval})
        EXPECT_FALSE(Shown(id)) << id;
    for (int id : {vtid::AutoPanel::SetStart, vtid::AutoPanel::StartPosition, vtid::AutoPanel::SetEnd,
                   vtid::AutoPanel::EndPosition, vtid::AutoPanel::Interval, vtid::AutoPanel::PictureCount})
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_EQ(f->StageBusyOwner(), nullptr);

    // Running: the panel holds the stage, only stop is on, the frame's windows are off.
    panel->EnableControls(false);
    EXPECT_EQ(f->StageBusyOwner(), panel);
    for (int id : stateIds)
        EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_TRUE(Enabled(vtid::AutoPanel::StopCapture));
    for (int id : {vtid::TopMenuBar::MultiView, vtid::TopMenuBar::Thumbnails})
        EXPECT_FALSE(f->TopMenu()->GetDlgItem(id)->IsEnabled()) << id;
    for (int id : {vtid::CompositionBar::InitialMenu, vtid::CompositionBar::HeightSettings,
                   vtid::CompositionBar::StartComposition, vtid::CompositionBar::CompositionSettings,
                   vtid::CompositionBar::Speed})
        EXPECT_FALSE(f->CompositionBar()->GetDlgItem(id)->IsEnabled()) << id;
    panel->EnableControls(true);
    EXPECT_EQ(f->StageBusyOwner(), nullptr);
    for (int id : stateIds)
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_FALSE(Enabled(vtid::AutoPanel::StopCapture));
    EXPECT_TRUE(f->TopMenu()->GetDlgItem(vtid::TopMenuBar::MultiView)->IsEnabled());

    // The editor open: it holds the stage; list buttons and start are off until it closes.
    Click(vtid::AutoPanel::EditList);
    CAutoEditDialog* editor = panel->Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->IsShown());
    EXPECT_EQ(f->StageBusyOwner(), editor);
    for (int id :
         {vtid::AutoPanel::EditList, vtid::AutoPanel::SaveList, vtid::AutoPanel::LoadList,
          vtid::AutoPanel::SetStart, vtid::AutoPanel::SetEnd, vtid::AutoPanel::SelectPath,
          vtid::AutoPanel::UseEqualInterval, vtid::AutoPanel::StartCapture, vtid::AutoPanel::StopCapture})
        EXPECT_FALSE(Enabled(id)) << id;
    for (int id : {vtid::TopMenuBar::MultiView, vtid::TopMenuBar::Thumbnails})
        EXPECT_FALSE(f->TopMenu()->GetDlgItem(id)->IsEnabled()) << id;
    editor->OnCancel();
    EXPECT_FALSE(editor->IsShown());
    EXPECT_EQ(f->StageBusyOwner(), nullptr);
    for (int id : {vtid::AutoPanel::EditList, vtid::AutoPanel::LoadList, vtid::AutoPanel::SetStart,
                   vtid::AutoPanel::SetEnd, vtid::AutoPanel::SelectPath, vtid::AutoPanel::StartCapture})
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_EQ(panel->ListMode(), 1);
    // Accepting an added position: list mode with that position, the range edits off.
    Click(vtid::AutoPanel::EditList);
    EXPECT_EQ(panel->Editor(), editor); // made once, reused
    editor->OnAdd();
    editor->OnOK();
    EXPECT_EQ(panel->ListMode(), 0);
    EXPECT_EQ(panel->Positions(), std::vector<double>{panel->CurrentZ()});
    for (int id :
         {vtid::AutoPanel::SaveList, vtid::AutoPanel::EditedNotice, vtid::AutoPanel::UseEqualInterval})
        EXPECT_TRUE(Shown(id)) << id;
    for (int id : {vtid::AutoPanel::SetStart, vtid::AutoPanel::StartPosition, vtid::AutoPanel::SetEnd,
                   vtid::AutoPanel::EndPosition, vtid::AutoPanel::Interval, vtid::AutoPanel::PictureCount})
        EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_EQ(f->StageBusyOwner(), nullptr);
    EXPECT_TRUE(Enabled(vtid::AutoPanel::StartCapture));
    Click(vtid::AutoPanel::UseEqualInterval);
    EXPECT_EQ(panel->ListMode(), 1);

    // Typing the range recomputes the count; interval 0 shows "-".
    ui::testing::Type(Item(vtid::AutoPanel::StartPosition), "0");
    ui::testing::Type(Item(vtid::AutoPanel::EndPosition), "10");
    ui::testing::Type(Item(vtid::AutoPanel::Interval), "3");
    EXPECT_EQ(panel->GetDlgItemText(vtid::AutoPanel::PictureCount), "5");
    EXPECT_EQ(panel->Positions(), (std::vector<double>{0, 3, 6, 9, 10}));
    ui::testing::Type(Item(vtid::AutoPanel::Interval), "0");
    EXPECT_EQ(panel->GetDlgItemText(vtid::AutoPanel::PictureCount), "-");
    EXPECT_TRUE(panel->Positions().empty());
    // AUTO makes the interval read-only.
    Click(vtid::AutoPanel::AutoInterval);
    EXPECT_FALSE(dynamic_cast<wxTextCtrl*>(Item(vtid::AutoPanel::Interval))->IsEditable());
    Click(vtid::AutoPanel::AutoInterval);
    EXPECT_TRUE(dynamic_cast<wxTextCtrl*>(Item(vtid::AutoPanel::Interval))->IsEditable());
    // With AUTO ticked a lens state brings the lens's capture interval (ML90-2.5: 1 um).
    ui::testing::Type(Item(vtid::AutoPanel::EndPosition), "3");
    Click(vtid::AutoPanel::AutoInterval);
    ui::SendMessageTo(f->GetSafeHwnd(), WM_LENS_STATE, 90, 25);
    // "1.00", then the refresh from the fields
    EXPECT_EQ(panel->GetDlgItemText(vtid::AutoPanel::Interval).ToStdString(), "1");
    EXPECT_FALSE(dynamic_cast<wxTextCtrl*>(Item(vtid::AutoPanel::Interval))->IsEditable());
    EXPECT_EQ(panel->Positions(), (std::vector<double>{0, 1, 2, 3}));
}

// The zero, the step jog's limit, no move without a calibration, and the refusals of an empty
// edited list.
TEST_F(AutoPanel, ZeroStepLimitNoCalibrationAndAnEmptyList) {
    ASSERT_TRUE(Start("mmc2", 1, 0.5, 40));
    CMultiView* view = Frame()->CaptureView();
    CScriptedMessageSink sink(IDOK);
    auto* step = dynamic_cast<wxComboBox*>(Item(vtid::AutoPanel::JogStep));
    ASSERT_NE(step, nullptr);
    step->SetValue("5");
    Click(vtid::AutoPanel::StepUp);
    EXPECT_EQ(emulator->ProgramPosition(), 50);
    Click(vtid::AutoPanel::ZeroZ);
    EXPECT_EQ(view->m_nZOrigin, 50);
    EXPECT_DOUBLE_EQ(panel->CurrentZ(), 0.0);
    EXPECT_EQ(panel->GetDlgItemText(vtid::AutoPanel::ZPosition).ToStdString(), "0.000");

    step->SetValue("10000");
    emulator->ClearLog();
    Click(vtid::AutoPanel::StepUp);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::MoveTooFar});
    EXPECT_EQ(emulator->ProgramPosition(), 50);

    // Without a calibration nothing moves (a division by it sent an arbitrary target).
    view->m_d1Pulse = 0.0;
    step->SetValue("5");
    Click(vtid::AutoPanel::StepUp);
    panel->MoveToZ(10.0);
    for (const std::string& c : emulator->Commands())
        EXPECT_TRUE(c.rfind("A:", 0) != 0 && c.rfind("M:", 0) != 0) << c;
    EXPECT_EQ(emulator->ProgramPosition(), 50);
    view->m_d1Pulse = 0.5;

    // The controller does not answer: the start keeps its value, not the last Z read.
    ui::testing::Type(Item(vtid::AutoPanel::StartPosition), "7");
    emulator->SetFailureMode(FailureMode::Silent);
    sink.ClearShown();
    Click(vtid::AutoPanel::StepUp);
    Click(vtid::AutoPanel::SetStart);
    EXPECT_EQ(sink.ShownIds(), (std::vector<UINT>{vtid::str::WrongController, vtid::str::WrongController}));
    EXPECT_EQ(panel->GetDlgItemText(vtid::AutoPanel::StartPosition), "7");
    emulator->SetFailureMode(FailureMode::None);

    // An edited list accepted empty: nothing to save (891), nothing to take (870).
    sink.ClearShown();
    Click(vtid::AutoPanel::EditList);
    ASSERT_NE(panel->Editor(), nullptr);
    panel->Editor()->LoadPositions({});
    panel->Editor()->OnOK();
    EXPECT_EQ(panel->ListMode(), 0);
    EXPECT_TRUE(panel->Positions().empty());
    panel->OnSaveList();
    EXPECT_TRUE(requests.empty()); // no dialog
    app->m_strAutoDir = folder;
    app->m_strAutoPath = folder + "/img.bmp";
    Click(vtid::AutoPanel::StartCapture);
    EXPECT_EQ(sink.ShownIds(), (std::vector<UINT>{vtid::str::NothingToSave, vtid::str::NoPictures}));
    EXPECT_FALSE(panel->IsCapturing());
}

// The editor's Add records the Z that 915 shows, and its Move goes back to the same count of
// the drive, whichever way SIDE turns the displayed Z.
class AutoPanelSide : public AutoPanel {
protected:
    void AddThenMoveBack(long expectedCount);
};

void AutoPanelSide::AddThenMoveBack(long expectedCount) {
    ControllerEmulator& drive = *emulator;
    // Never "-0.000" at the zero
    EXPECT_EQ(panel->GetDlgItemText(vtid::AutoPanel::ZPosition).ToStdString(), "0.000");
    panel->MoveToZ(12.5);
    panel->ReadZPosition();
    const long there = drive.ProgramPosition();
    EXPECT_EQ(there, expectedCount);
    EXPECT_EQ(panel->GetDlgItemText(vtid::AutoPanel::ZPosition).ToStdString(), "12.500");
    Click(vtid::AutoPanel::EditList);
    CAutoEditDialog* editor = panel->Editor();
    ASSERT_NE(editor, nullptr);
    editor->OnAdd();
    EXPECT_EQ(editor->CellTexts(), std::vector<std::string>{"12.5"});
    panel->MoveToZ(-30);
    EXPECT_NE(drive.ProgramPosition(), there);
    editor->GetList()->SetCurrentRow(0);
    editor->OnMove();
    EXPECT_EQ(drive.ProgramPosition(), there);
    EXPECT_DOUBLE_EQ(panel->CurrentZ(), 12.5);
    editor->OnOK();
    EXPECT_EQ(panel->Positions(), std::vector<double>{12.5});
}

TEST_F(AutoPanelSide, AnAddedPositionIsReachedAgainWithSidePlus) {
    ASSERT_TRUE(Start("mmc2", 1, 0.5, 40, 0));
    AddThenMoveBack(40 + 25);
}

TEST_F(AutoPanelSide, AnAddedPositionIsReachedAgainWithSideMinus) {
    ASSERT_TRUE(Start("mmc2", 1, 0.5, 40, 1));
    AddThenMoveBack(40 - 25);
}

} // namespace

namespace {

// STM6: no jog buttons; each read takes the drive's step as the calibration, shown in 921 and
// kept as 1PULSE cut to four decimals.
TEST_F(AutoPanel, Stm6TakesItsStepAsTheCalibration) {
    ASSERT_TRUE(Start("stm6", 5, 0.0));
    EXPECT_FALSE(Shown(vtid::AutoPanel::JogUp));
    EXPECT_FALSE(Shown(vtid::AutoPanel::JogDown));
    // One blank at the start
    EXPECT_EQ(panel->GetDlgItemText(vtid::AutoPanel::PulseSize).ToStdString(), "0.0500 um/pulse");
    EXPECT_DOUBLE_EQ(ReadIniDouble("ZCALIBRATION", "1PULSE", 0.0), 0.05);
    dynamic_cast<Stm6Emulator*>(emulator.get())->SetStatusBits(0x20); // 0.025 um steps
    panel->ReadZPosition();
    EXPECT_EQ(panel->GetDlgItemText(vtid::AutoPanel::PulseSize).ToStdString(), "0.0250  um/pulse");
    EXPECT_DOUBLE_EQ(ReadIniDouble("ZCALIBRATION", "1PULSE", 0.0), 0.025);
    // Displayed Z is negated for this drive (reversed Z): 10 um is 400 steps down the count.
    panel->MoveToZ(10.0);
    EXPECT_EQ(emulator->ProgramPosition(), -400);
    EXPECT_DOUBLE_EQ(panel->ReadZPosition(), 10.0);
}

// The capture view's speed command for the STM6: the dialog gets no low speeds, so highs of at
// most 100 are taken; the stored lows stay as they are.
TEST_F(AutoPanel, Stm6SpeedsAreSetThroughTheCaptureView) {
    ASSERT_TRUE(Start("stm6", 5, 0.0, 0, 0, "[SPEED]\nMODE=0\nHLOW=1000\nHHIGH=100\nMHIGH=50\nLHIGH=10\n"));
    CScriptedMessageSink sink(IDOK);
    bool closed = false;
    wxString shownLow;
    ui::testing::WhenModal([&](wxDialog* d) {
        shownLow = ui::testing::FindById<wxTextCtrl>(d, vtid::MoveSpeedDialog::FastLow)->GetValue();
        ui::testing::Type(ui::testing::FindById(d, vtid::MoveSpeedDialog::FastHigh), "90");
        ui::testing::Click(ui::testing::FindById(d, IDOK));
        closed = !d->IsShown();
        if (!closed)
            ui::testing::Click(ui::testing::FindById(d, IDCANCEL));
    });
    ASSERT_TRUE(Frame()->RouteCommandId(vtid::cmd::SpeedSettings));
    EXPECT_TRUE(closed);
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{});
    EXPECT_EQ(shownLow, "0");
    EXPECT_EQ(ReadIniInt("SPEED", "HHIGH", -1), 90);
    EXPECT_EQ(ReadIniInt("SPEED", "HLOW", -1), 1000);
}

} // namespace

namespace {

// 自動合成 is stored as it is ticked when the program ends, whether or not a series was taken,
// and whatever the panel wrote into its controls in between (a start or end position taken,
// the lens's interval).
TEST_F(AutoPanel, AutomaticCompositionIsStoredAsTickedAtExit) {
    for (const bool tick : {true, false}) {
        SCOPED_TRACE(tick);
        ASSERT_TRUE(
            Start("mmc2", 1, 1.0, 0, 0, "[AUTOFOCUS]\nAUTOCOMP=" + std::string(tick ? "0" : "1") + "\n"));
        auto* box = dynamic_cast<wxCheckBox*>(Item(vtid::AutoPanel::AutoCompose));
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->GetValue(), !tick);
        Click(vtid::AutoPanel::AutoCompose);
        ASSERT_EQ(box->GetValue(), tick);
        Click(vtid::AutoPanel::SetStart); // 開始位置設定: the position goes into the start edit
        Click(vtid::AutoPanel::SetEnd);
        EXPECT_EQ(box->GetValue(), tick);
        CloseProgram();
        emulator.reset();
        EXPECT_EQ(ReadIniInt("AUTOFOCUS", "AUTOCOMP", -1), tick ? 1 : 0);
    }
}

} // namespace
