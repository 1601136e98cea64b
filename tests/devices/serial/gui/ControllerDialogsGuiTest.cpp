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
#include "ui/testing/GuiTest.h"

#include <gtest/gtest.h>

#include <wx/combobox.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <unistd.h>

using ui::testing::Click;
using ui::testing::FindById;
using ui::testing::Type;
using ui::testing::WhenModal;

namespace {

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
        ui::testing::Pump(30);
        ui::testing::Screenshot(d, ui::testing::OutputFolder() + "/controller-dialog.png");
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
            box->Close();
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
    ui::testing::Pump(50);
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
        ui::testing::Pump(30);
        ui::testing::Screenshot(d, ui::testing::OutputFolder() + "/speed-dialog.png");
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

} // namespace
