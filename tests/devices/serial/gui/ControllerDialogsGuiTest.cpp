// The controller dialogs: choose a controller, set its port and speeds, and check the result
// against an emulated controller through the real serial layer.
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
        comButtonOffForNone = !FindById(d, 1257)->IsEnabled();
        Choose(d, 1256, 8);
        comButtonOnForCt7 = FindById(d, 1257)->IsEnabled();
        couplerOff = !FindById(d, 1276)->IsEnabled();
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
    CZCtrlComSetDlg com(nullptr, 287);
    com.m_nBaud = dlg.m_nBaud, com.m_nData = dlg.m_nData, com.m_nParity = dlg.m_nParity;
    com.m_nPort = dlg.m_nPort, com.m_nStop = dlg.m_nStop, com.m_nFlow = dlg.m_nFlow;
    com.m_nController = dlg.m_nController;
    WhenModal([&](wxDialog* d) {
        auto* baud = FindById<wxComboBox>(d, 1263);
        baudEntries = static_cast<int>(baud->GetCount());
        baudShown = baud->GetSelection();
        stopShown = FindById<wxComboBox>(d, 1267)->GetSelection();
        Choose(d, 1259, 2);
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
        Type(FindById(d, 30446), "6000000");
        Click(FindById(d, IDOK));
        stayedOpen = d->IsShown() && messages.CountOf(898) == 1;
        Type(FindById(d, 30446), "150000");
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
    CZCtrlComSetDlg dlg(nullptr, 288);
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
        Click(FindById(d, 1271));
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
    ASSERT_EQ(messages.CountOf(881), 1u);
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
        mediumOff = !FindById(d, 30442)->IsEnabled();
        editsOff = !FindById(d, 30445)->IsEnabled() && !FindById(d, 30453)->IsEnabled();
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
    for (Case c : {Case{9, 288}, Case{8, 287}}) {
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
                lensPortCombo = FindById<wxComboBox>(inner, 1277) != nullptr;
                Choose(inner, 1259, 4);
                if (lensPortCombo) {
                    EXPECT_EQ(FindById<wxComboBox>(inner, 1277)->GetSelection(), 1); // the current lens port
                    Choose(inner, 1277, 6);
                }
                Click(FindById(inner, IDOK));
            });
            Click(FindById(outer, 1257));
            Click(FindById(outer, IDOK));
        });
        ASSERT_EQ(dlg.DoModal(), IDOK) << c.controller;
        EXPECT_EQ(shownTemplate, c.expectedTemplate) << c.controller;
        EXPECT_EQ(lensPortCombo, c.expectedTemplate == 288) << c.controller;
        EXPECT_EQ(dlg.m_nPort, 4) << c.controller;
        EXPECT_EQ(dlg.m_nLensPort, c.expectedTemplate == 288 ? 6 : 1) << c.controller;
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
        lowEditsOff = !FindById(d, 30445)->IsEnabled() && !FindById(d, 30448)->IsEnabled() &&
                      !FindById(d, 30451)->IsEnabled() && !FindById(d, 30454)->IsEnabled();
        valueEditsOn = FindById(d, 30446)->IsEnabled() && FindById(d, 30447)->IsEnabled() &&
                       FindById(d, 30452)->IsEnabled() && FindById(d, 30453)->IsEnabled();
        rateLabel = FindById<wxStaticText>(d, 30456)->GetLabel();
        Type(FindById(d, 30449), "101");
        Click(FindById(d, IDOK));
        EXPECT_TRUE(PumpUntil([&] { return ui::testing::FocusWithin(d) == FindById(d, 30449); }, 2000));
        Type(FindById(d, 30449), "100");
        Type(FindById(d, 30453), "1001");
        Click(FindById(d, IDOK));
        EXPECT_TRUE(PumpUntil([&] { return ui::testing::FocusWithin(d) == FindById(d, 30453); }, 2000));
        refusals = messages.ShownMessages();
        Type(FindById(d, 30453), "0");
        Click(FindById(d, IDOK));
    });
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(lowEditsOff);
    EXPECT_TRUE(valueEditsOn);
    EXPECT_EQ(rateLabel, ui::LoadResString(523));
    ASSERT_EQ(refusals.size(), 2u);
    EXPECT_EQ(refusals[0].id, 882u);
    EXPECT_EQ(refusals[0].args, std::vector<std::string>({"0", "100"}));
    EXPECT_EQ(refusals[1].id, 884u);
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
        {1, {{1, 70000, 100}, mmc, mmc}, 882, {"1", "65000"}, 30446},
        {1, {mmc, {1000, 5000, 9000}, mmc}, 883, {"1", "8000"}, 30450},
        {2, {{100, 5000, 100}, {100, 5000, 100}, {200, 100, 10}}, 885, {}, 0},
        {8, {ct7, {30000, 20000, 200}, ct7}, 885, {}, 30448},
        {8, {ct7, ct7, {0, 120000, 200}}, 897, {"1"}, 30451},
        {8, {ct7, ct7, {20000, 120000, 70000}}, 883, {"1", "65535"}, 30453},
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
