// The controller dialogs: choose a controller, set its port and speeds, and check the result
// against an emulated controller through the real serial layer.
#include "ids/VantorelIds.h"
#include "tests/support/ScratchSettingsFile.h"
#include "devices/serial/ControllerSettings.h"
#include "devices/serial/gui/StageSerchDialog.h"
#include "devices/serial/gui/XyTblSpeedDlg.h"
#include "devices/serial/gui/ZCtrlComSetDlg.h"
#include "devices/serial/gui/ZCtrlSetDlg.h"
#include "platform/Settings.h"
#include "platform/ScriptedMessageSink.h"
#include "tools/emulators/Emulators.h"
#include "ui/ResourceWidgets.h"
#include "ui/testing/GuiTest.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/combobox.h>
#include <wx/stattext.h>
#include <wx/timer.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/weakref.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <type_traits>
#include <unistd.h>

using ui::testing::Click;
using ui::testing::FindById;
using ui::testing::PumpUntil;
using ui::testing::Type;
using ui::testing::WhenModal;

namespace {

// Runs `action` once on the next modal dialog other than `outer` that is shown: a dialog that a
// dialog opens. Polls from a timer of the event loop that the inner dialog runs.
class InnerModalWatcher : public wxTimer {
public:
    InnerModalWatcher(wxDialog* outer, std::function<void(wxDialog*)> action)
        : outer_(outer), action_(std::move(action)) {
        Start(10);
    }
    void Notify() override {
        for (wxWindow* w : wxTopLevelWindows) {
            auto* d = dynamic_cast<wxDialog*>(w);
            if (d && d != outer_ && d->IsModal() && d->IsShown()) {
                Stop();
                auto action = std::move(action_);
                wxTheApp->CallAfter([action, d] { action(d); });
                wxTheApp->CallAfter([this] { delete this; });
                return;
            }
        }
    }

private:
    wxDialog* outer_;
    std::function<void(wxDialog*)> action_;
};

// Selects an entry of a combo box as the user does: the selection and its notification.
void Choose(wxDialog* d, int id, int index) {
    auto* combo = FindById<wxComboBox>(d, id);
    ASSERT_NE(combo, nullptr);
    combo->SetSelection(index);
    wxCommandEvent ev(wxEVT_COMBOBOX, id);
    ev.SetEventObject(combo);
    ev.SetInt(index);
    combo->GetEventHandler()->ProcessEvent(ev);
}

class ControllerDialogs : public ::testing::Test {
protected:
    ScratchSettingsFile settings;
    CScriptedMessageSink messages{IDOK};
};

TEST_F(ControllerDialogs, ChooseCt7SetPortAndSpeedsThenDriveTheEmulator) {
    // The controller dialog: CT-7 on COM3.
    CZCtrlSetDlg dlg(nullptr);
    dlg.m_nController = 0;
    dlg.m_nSide = 1;
    bool comButtonOffForNone = false, comButtonOnForCt7 = false, couplerOff = false;
    int baudEntries = 0, baudShown = -1, stopShown = -1;
    WhenModal([&](wxDialog* d) {
        EXPECT_TRUE(ui::testing::Screenshot(d, ui::testing::OutputFolder() + "/controller-dialog.png"));
        comButtonOffForNone = !FindById(d, vtid::ZControllerDialog::ComSettings)->IsEnabled();
        Choose(d, vtid::ZControllerDialog::Controller, 8);
        comButtonOnForCt7 = FindById(d, vtid::ZControllerDialog::ComSettings)->IsEnabled();
        couplerOff = !FindById(d, vtid::ZControllerDialog::StageSide)->IsEnabled();
        Click(FindById(d, IDOK));
    });
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(comButtonOffForNone);
    EXPECT_TRUE(comButtonOnForCt7);
    EXPECT_TRUE(couplerOff);
    EXPECT_EQ(dlg.m_nController, 8);
    EXPECT_EQ(dlg.m_nBaud, 9);
    EXPECT_EQ(dlg.m_nData, 1);
    EXPECT_EQ(dlg.m_nParity, 0);
    EXPECT_EQ(dlg.m_nStop, 2);
    EXPECT_EQ(dlg.m_nFlow, 0);
    EXPECT_EQ(dlg.m_nZOnly, 1);

    // Its communication dialog (what button 1257 opens for this controller): COM3.
    CZCtrlComSetDlg com(nullptr, vtid::dlg::ComSettingsDialog);
    com.m_nBaud = dlg.m_nBaud, com.m_nData = dlg.m_nData, com.m_nParity = dlg.m_nParity;
    com.m_nPort = dlg.m_nPort, com.m_nStop = dlg.m_nStop, com.m_nFlow = dlg.m_nFlow;
    com.m_nController = dlg.m_nController;
    WhenModal([&](wxDialog* d) {
        auto* baud = FindById<wxComboBox>(d, vtid::ComSettingsDialog::BaudRate);
        baudEntries = static_cast<int>(baud->GetCount());
        baudShown = baud->GetSelection();
        stopShown = FindById<wxComboBox>(d, vtid::ComSettingsDialog::StopBits)->GetSelection();
        Choose(d, vtid::ComSettingsDialog::Port, 2);
        Click(FindById(d, IDOK));
    });
    ASSERT_EQ(com.DoModal(), IDOK);
    EXPECT_EQ(baudEntries, 15);
    EXPECT_EQ(baudShown, 9); // 38400
    EXPECT_EQ(stopShown, 2);
    dlg.m_nPort = com.m_nPort;
    EXPECT_EQ(dlg.m_nPort, 2);

    ControllerCommSettings s;
    s.controller = dlg.m_nController;
    s.port = dlg.m_nPort;
    s.baud = dlg.m_nBaud;
    s.data = dlg.m_nData;
    s.parity = dlg.m_nParity;
    s.stop = dlg.m_nStop;
    s.xflow = dlg.m_nFlow;
    WriteControllerSettings(s);
    SpeedPresets presets = ReadSpeedPresets();
    PresetsForChosenController(s.controller, presets);

    // The speed dialog with the CT-7 limits: a high speed above 5000000 is refused.
    CXyTblSpeedDlg speed(nullptr);
    speed.m_nController = 8;
    speed.m_nMode = 0;
    speed.m_nHLow = presets.low[0], speed.m_nHHigh = presets.high[0], speed.m_nHRate = presets.rate[0];
    speed.m_nMLow = presets.low[1], speed.m_nMHigh = presets.high[1], speed.m_nMRate = presets.rate[1];
    speed.m_nLLow = presets.low[2], speed.m_nLHigh = presets.high[2], speed.m_nLRate = presets.rate[2];
    bool stayedOpen = false;
    WhenModal([&](wxDialog* d) {
        Type(FindById(d, vtid::MoveSpeedDialog::FastHigh), "6000000");
        Click(FindById(d, IDOK));
        stayedOpen = d->IsShown() && messages.CountOf(vtid::str::HighSpeedMax) == 1;
        Type(FindById(d, vtid::MoveSpeedDialog::FastHigh), "150000");
        Click(FindById(d, IDOK));
    });
    ASSERT_EQ(speed.DoModal(), IDOK);
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(messages.ShownMessages().size(), 1u);
    EXPECT_EQ(messages.ShownMessages()[0].args, std::vector<std::string>({"5000000"}));
    presets.mode = speed.m_nMode;
    presets.high[0] = speed.m_nHHigh;
    WriteSpeedPresets(presets);

    // Open and check the controller from what was stored, against an emulated CT-7 on COM3.
    EmulatorOptions options;
    options.speedScale = 4;
    options.requiredBaud = 38400;
    Ct7Emulator emu(options);
    ASSERT_TRUE(emu.Start());
    setenv("VANTOREL_COM3", emu.SlavePath().c_str(), 1);
    CXyTblCtrl xy;
    CStageSerchDialog* box = nullptr;
    ControllerCheck check = OpenControllerWithSettings(
        xy, ReadControllerSettings(), ReadSpeedPresets(), [&] { box = new CStageSerchDialog(nullptr); },
        [&] {
            ASSERT_NE(box, nullptr);
            EXPECT_TRUE(box->IsShown());
            EXPECT_TRUE(wxIsBusy());
            box->EndWaitAndDestroy();
            EXPECT_FALSE(wxIsBusy());
        });
    ASSERT_EQ(check, ControllerCheck::Opened);
    ASSERT_TRUE(ApplySpeedPreset(xy, ReadSpeedPresets()));
    ASSERT_TRUE(xy.MoveAbs(2, 0, 300));
    ASSERT_TRUE(xy.WaitStop());
    int p1 = 0, p2 = 0;
    ASSERT_TRUE(xy.GetPosition(&p1, &p2));
    EXPECT_EQ(p2, 300);
    auto commands = emu.Commands();
    EXPECT_NE(std::find(commands.begin(), commands.end(), "@SYS 1 04 150000, 20000\r\n"), commands.end());
    EXPECT_TRUE(emu.Rejected().empty());
    LineSettings line;
    ASSERT_TRUE(emu.GetLineSettings(line));
    EXPECT_EQ(line.baud, 38400u);
    EXPECT_EQ(line.stopBits, 2);
}

// The search notice's own end has a name of its own, so that the window's close stays what it is
// for every dialog: refused into Cancel, which hides a modeless one.
static_assert(std::is_same_v<decltype(&CStageSerchDialog::Close), decltype(&wxWindowBase::Close)>);

TEST_F(ControllerDialogs, SearchNoticeClosesAsEveryDialogAndEndsItsWaitWhenDestroyed) {
    auto* box = new CStageSerchDialog(nullptr);
    wxWeakRef<wxWindow> weak(box);
    EXPECT_TRUE(box->IsShown());
    EXPECT_TRUE(wxIsBusy());
    EXPECT_FALSE(box->Close()); // refused: the dialog cancels instead
    EXPECT_FALSE(box->IsShown());
    EXPECT_TRUE(wxIsBusy());
    box->EndWaitAndDestroy();
    EXPECT_FALSE(wxIsBusy());
    EXPECT_TRUE(ui::testing::PumpUntil([&] { return !weak; }));
}

TEST_F(ControllerDialogs, CommunicationDialogKeepsEveryBaudCodeAndTheDefaults) {
    CZCtrlComSetDlg dlg(nullptr, vtid::dlg::ComSettingsLensDialog);
    dlg.m_nBaud = 12; // 115200: beyond the first ten rates
    dlg.m_nData = 0;
    dlg.m_nParity = 3; // mark parity: no entry of its own
    dlg.m_nPort = 4;
    dlg.m_nLensPort = 5;
    dlg.m_nStop = 0;
    dlg.m_nFlow = 1;
    dlg.m_nController = 4;
    WhenModal([](wxDialog* d) { Click(FindById(d, IDOK)); });
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_nBaud, 12);
    EXPECT_EQ(dlg.m_nParity, 3);
    EXPECT_EQ(dlg.m_nLensPort, 5);
    EXPECT_EQ(dlg.m_nPort, 4);

    WhenModal([](wxDialog* d) {
        Click(FindById(d, vtid::ComSettingsLensDialog::Default));
        Click(FindById(d, IDOK));
    });
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_nBaud, 8); // SZX: 19200, 8 bits, even, 2 stop bits, no flow control
    EXPECT_EQ(dlg.m_nData, 1);
    EXPECT_EQ(dlg.m_nParity, 2);
    EXPECT_EQ(dlg.m_nStop, 2);
    EXPECT_EQ(dlg.m_nFlow, 0);
    EXPECT_EQ(dlg.m_nPort, 4); // the ports stay
    EXPECT_EQ(dlg.m_nLensPort, 5);
}

TEST_F(ControllerDialogs, SpeedLimitsOfMsc2AndSzx) {
    CXyTblSpeedDlg msc2(nullptr);
    msc2.m_nController = 2;
    msc2.m_nHLow = 5, msc2.m_nHHigh = 1000, msc2.m_nHRate = 100;
    msc2.m_nMLow = 100, msc2.m_nMHigh = 100, msc2.m_nMRate = 100; // equal speeds are fine
    msc2.m_nLLow = 100, msc2.m_nLHigh = 200, msc2.m_nLRate = 100;
    WhenModal([](wxDialog* d) {
        EXPECT_TRUE(ui::testing::Screenshot(d, ui::testing::OutputFolder() + "/speed-dialog.png"));
        Click(FindById(d, IDOK));
        Click(FindById(d, IDCANCEL));
    });
    EXPECT_EQ(msc2.DoModal(), IDCANCEL);
    ASSERT_EQ(messages.CountOf(vtid::str::LowSpeedRange), 1u);
    EXPECT_EQ(messages.ShownMessages()[0].args, std::vector<std::string>({"10", "50000"}));
    messages.ClearShown();

    msc2.m_nHLow = 10;
    WhenModal([](wxDialog* d) { Click(FindById(d, IDOK)); });
    EXPECT_EQ(msc2.DoModal(), IDOK);
    EXPECT_TRUE(messages.ShownIds().empty());

    CXyTblSpeedDlg szx(nullptr);
    szx.m_nController = 4;
    szx.m_nMode = 1;
    bool mediumOff = false, editsOff = false;
    WhenModal([&](wxDialog* d) {
        mediumOff = !FindById(d, vtid::MoveSpeedDialog::Medium)->IsEnabled();
        editsOff = !FindById(d, vtid::MoveSpeedDialog::FastLow)->IsEnabled() &&
                   !FindById(d, vtid::MoveSpeedDialog::SlowRate)->IsEnabled();
        Click(FindById(d, IDOK));
    });
    EXPECT_EQ(szx.DoModal(), IDOK);
    EXPECT_TRUE(mediumOff);
    EXPECT_TRUE(editsOff);
    EXPECT_EQ(szx.m_nMode, 0); // medium becomes high
    EXPECT_TRUE(messages.ShownIds().empty());
}

TEST_F(ControllerDialogs, CommunicationButtonOpensTheLensPortTemplateForTheMIIController) {
    struct Case {
        int controller;
        int expectedTemplate;
    };
    for (Case c : {Case{9, vtid::dlg::ComSettingsLensDialog}, Case{8, vtid::dlg::ComSettingsDialog}}) {
        CZCtrlSetDlg dlg(nullptr);
        dlg.m_nController = c.controller;
        dlg.m_nSide = 1;
        dlg.m_nPort = 0;
        dlg.m_nLensPort = 1;
        int shownTemplate = -1;
        bool lensPortCombo = false;
        WhenModal([&](wxDialog* outer) {
            new InnerModalWatcher(outer, [&](wxDialog* inner) {
                if (auto* t = dynamic_cast<ui::TemplateDialog*>(inner))
                    shownTemplate = t->TemplateId();
                lensPortCombo = FindById<wxComboBox>(inner, vtid::ComSettingsLensDialog::LensPort) != nullptr;
                Choose(inner, vtid::ComSettingsDialog::Port, 4);
                if (lensPortCombo) {
                    // The current lens port
                    EXPECT_EQ(
                        FindById<wxComboBox>(inner, vtid::ComSettingsLensDialog::LensPort)->GetSelection(),
                        1);
                    Choose(inner, vtid::ComSettingsLensDialog::LensPort, 6);
                }
                Click(FindById(inner, IDOK));
            });
            Click(FindById(outer, vtid::ZControllerDialog::ComSettings));
            Click(FindById(outer, IDOK));
        });
        ASSERT_EQ(dlg.DoModal(), IDOK) << c.controller;
        EXPECT_EQ(shownTemplate, c.expectedTemplate) << c.controller;
        EXPECT_EQ(lensPortCombo, c.expectedTemplate == vtid::dlg::ComSettingsLensDialog) << c.controller;
        EXPECT_EQ(dlg.m_nPort, 4) << c.controller;
        EXPECT_EQ(dlg.m_nLensPort, c.expectedTemplate == vtid::dlg::ComSettingsLensDialog ? 6 : 1)
            << c.controller;
    }
}

TEST_F(ControllerDialogs, Stm6SpeedDialogTakesNoLowSpeedsAndChecksItsOwnRanges) {
    CXyTblSpeedDlg dlg(nullptr);
    dlg.m_nController = 5;
    dlg.m_nMode = 1;
    dlg.m_nHHigh = 100, dlg.m_nHRate = 1000; // the low speeds stay 0: the caller passes none
    dlg.m_nMHigh = 50, dlg.m_nMRate = 0;
    dlg.m_nLHigh = 0, dlg.m_nLRate = 100;
    bool lowEditsOff = false, valueEditsOn = false;
    wxString rateLabel;
    std::vector<CScriptedMessageSink::Shown> refusals;
    WhenModal([&](wxDialog* d) {
        lowEditsOff = !FindById(d, vtid::MoveSpeedDialog::FastLow)->IsEnabled() &&
                      !FindById(d, vtid::MoveSpeedDialog::MediumLow)->IsEnabled() &&
                      !FindById(d, vtid::MoveSpeedDialog::SlowLow)->IsEnabled() &&
                      !FindById(d, vtid::MoveSpeedDialog::LowHeading)->IsEnabled();
        valueEditsOn = FindById(d, vtid::MoveSpeedDialog::FastHigh)->IsEnabled() &&
                       FindById(d, vtid::MoveSpeedDialog::FastRate)->IsEnabled() &&
                       FindById(d, vtid::MoveSpeedDialog::SlowHigh)->IsEnabled() &&
                       FindById(d, vtid::MoveSpeedDialog::SlowRate)->IsEnabled();
        rateLabel = FindById<wxStaticText>(d, vtid::MoveSpeedDialog::RateHeading)->GetLabel();
        Type(FindById(d, vtid::MoveSpeedDialog::MediumHigh), "101");
        Click(FindById(d, IDOK));
        EXPECT_TRUE(PumpUntil(
            [&] { return ui::testing::FocusWithin(d) == FindById(d, vtid::MoveSpeedDialog::MediumHigh); },
            2000));
        Type(FindById(d, vtid::MoveSpeedDialog::MediumHigh), "100");
        Type(FindById(d, vtid::MoveSpeedDialog::SlowRate), "1001");
        Click(FindById(d, IDOK));
        EXPECT_TRUE(PumpUntil(
            [&] { return ui::testing::FocusWithin(d) == FindById(d, vtid::MoveSpeedDialog::SlowRate); },
            2000));
        refusals = messages.ShownMessages();
        Type(FindById(d, vtid::MoveSpeedDialog::SlowRate), "0");
        Click(FindById(d, IDOK));
    });
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(lowEditsOff);
    EXPECT_TRUE(valueEditsOn);
    EXPECT_EQ(rateLabel, ui::LoadResString(vtid::str::RateHeading));
    ASSERT_EQ(refusals.size(), 2u);
    EXPECT_EQ(refusals[0].id, vtid::str::HighSpeedRange);
    EXPECT_EQ(refusals[0].args, std::vector<std::string>({"0", "100"}));
    EXPECT_EQ(refusals[1].id, vtid::str::RateRange);
    EXPECT_EQ(refusals[1].args, std::vector<std::string>({"0", "1000"}));
    EXPECT_EQ(messages.ShownMessages().size(), 2u);
    EXPECT_EQ(dlg.m_nMHigh, 100);
    EXPECT_EQ(dlg.m_nLRate, 0);
    EXPECT_EQ(dlg.m_nHLow, 0);
}

TEST_F(ControllerDialogs, EverySpeedRefusalNamesItsLimitsAndFocusesItsEdit) {
    struct Row {
        int low, high, rate;
    };
    struct Case {
        int controller;
        Row rows[3];
        UINT message;
        std::vector<std::string> args;
        int focus; // 0: the focus stays where it was
    };
    const Row mmc{1000, 5000, 100}, ct7{20000, 120000, 200};
    const Case cases[] = {
        {1,
         {{1, 70000, 100}, mmc, mmc},
         vtid::str::HighSpeedRange,
         {"1", "65000"},
         vtid::MoveSpeedDialog::FastHigh},
        {1,
         {mmc, {1000, 5000, 9000}, mmc},
         vtid::str::RateTimeRange,
         {"1", "8000"},
         vtid::MoveSpeedDialog::MediumRate},
        {2, {{100, 5000, 100}, {100, 5000, 100}, {200, 100, 10}}, vtid::str::HighNotAboveLow, {}, 0},
        {8,
         {ct7, {30000, 20000, 200}, ct7},
         vtid::str::HighNotAboveLow,
         {},
         vtid::MoveSpeedDialog::MediumLow},
        {8, {ct7, ct7, {0, 120000, 200}}, vtid::str::LowSpeedMin, {"1"}, vtid::MoveSpeedDialog::SlowLow},
        {8,
         {ct7, ct7, {20000, 120000, 70000}},
         vtid::str::RateTimeRange,
         {"1", "65535"},
         vtid::MoveSpeedDialog::SlowRate},
    };
    for (const Case& c : cases) {
        messages.ClearShown();
        CXyTblSpeedDlg dlg(nullptr);
        dlg.m_nController = c.controller;
        dlg.m_nMode = 0;
        dlg.m_nHLow = c.rows[0].low, dlg.m_nHHigh = c.rows[0].high, dlg.m_nHRate = c.rows[0].rate;
        dlg.m_nMLow = c.rows[1].low, dlg.m_nMHigh = c.rows[1].high, dlg.m_nMRate = c.rows[1].rate;
        dlg.m_nLLow = c.rows[2].low, dlg.m_nLHigh = c.rows[2].high, dlg.m_nLRate = c.rows[2].rate;
        bool focused = true, stayedOpen = false;
        WhenModal([&](wxDialog* d) {
            Click(FindById(d, IDOK));
            stayedOpen = d->IsShown();
            if (c.focus)
                focused =
                    PumpUntil([&] { return ui::testing::FocusWithin(d) == FindById(d, c.focus); }, 2000);
            Click(FindById(d, IDCANCEL));
        });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL) << c.message;
        EXPECT_TRUE(stayedOpen) << c.message;
        EXPECT_TRUE(focused) << c.message << " focus on " << c.focus;
        ASSERT_EQ(messages.ShownMessages().size(), 1u) << c.message;
        EXPECT_EQ(messages.ShownMessages()[0].id, c.message);
        EXPECT_EQ(messages.ShownMessages()[0].args, c.args) << c.message;
    }
}

} // namespace
