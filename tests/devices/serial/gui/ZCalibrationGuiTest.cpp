// The Z calibration dialog from the resource bundle: its two modes, the refusal of a zero
// result, the settings a confirmation writes, and the position buttons against an emulated focus
// drive through the real serial layer.
#include "ids/VantorelIds.h"
#include "tests/support/ScratchSettingsFile.h"
#include "devices/serial/XyTblCtrl.h"
#include "devices/serial/gui/ZCalibrationDialog.h"
#include "platform/ScriptedMessageSink.h"
#include "tools/emulators/Emulators.h"
#include "ui/testing/GuiTest.h"

#include <gtest/gtest.h>

#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

using ui::testing::Click;
using ui::testing::FindById;
using ui::testing::Type;

namespace {

class ZCalibrationDialog : public ::testing::Test {
protected:
    void TearDown() override {
        if (dlg) {
            EXPECT_TRUE(ui::testing::DestroyAndWait(dlg));
        }
    }
    // Makes the dialog as its owner does: built, filled by `fill`, then shown.
    void Make(CXyTblCtrl* stage, const std::function<void()>& fill) {
        ZCalibrationOwner owner;
        owner.stage = stage;
        owner.accepted = [this](const ZCalibrationValues& v) { accepted.push_back(v); };
        owner.ended = [this](bool confirmed) { ended.push_back(confirmed); };
        dlg = new CZCalibrationDialog(nullptr, std::move(owner));
        ASSERT_TRUE(dlg->Create(false));
        fill();
        dlg->Show();
        ASSERT_TRUE(ui::testing::WaitForPaint(dlg));
    }
    std::string Text(int id) const {
        if (auto* edit = FindById<wxTextCtrl>(dlg, id))
            return edit->GetValue().utf8_string();
        return FindById(dlg, id)->GetLabel().utf8_string();
    }
    bool PointRowsShown(bool shown) const {
        for (int id : {vtid::ZCalibrationDialog::Point1Label, vtid::ZCalibrationDialog::Point1,
                       vtid::ZCalibrationDialog::TakePoint1, vtid::ZCalibrationDialog::Point2Label,
                       vtid::ZCalibrationDialog::Point2, vtid::ZCalibrationDialog::TakePoint2})
            if (FindById(dlg, id)->IsShown() != shown)
                return false;
        return true;
    }
    std::string SettingsText() const {
        std::ifstream in(settings.Path(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // A typed character as the edit receives it; true when the dialog lets it through.
    bool TakesChar(int id, wxChar ch) {
        wxKeyEvent ev(wxEVT_CHAR);
        ev.m_uniChar = ch;
        ev.SetEventObject(FindById(dlg, id));
        return !FindById(dlg, id)->GetEventHandler()->ProcessEvent(ev);
    }

    ScratchSettingsFile settings;
    CScriptedMessageSink messages{IDOK};
    CZCalibrationDialog* dlg = nullptr;
    std::vector<ZCalibrationValues> accepted;
    std::vector<bool> ended;
};

TEST_F(ZCalibrationDialog, BothModesFromTheBundle) {
    // Opened in one-pulse mode: the point rows hidden, the distance itself is the result.
    Make(nullptr, [this] {
        dlg->SetDlgItemText(vtid::ZCalibrationDialog::Distance, "0.12346");
        dlg->SetCalibMode(1);
    });
    EXPECT_EQ(dlg->GetTitle().utf8_string(), "Zキャリブレーション設定");
    const std::pair<int, const char*> texts[] = {
        {vtid::ZCalibrationDialog::ByTwoPoints, "2ポイントの間隔で指定"},
        {vtid::ZCalibrationDialog::ByOnePulse, "1パルス分の距離で指定"},
        {vtid::ZCalibrationDialog::DistanceLabel, "距離："},
        {vtid::ZCalibrationDialog::DistanceUnit, "um"},
        {vtid::ZCalibrationDialog::Point1Label, "ポイント１："},
        {vtid::ZCalibrationDialog::Point2Label, "ポイント２："},
        {vtid::ZCalibrationDialog::TakePoint1, "現在位置取得"},
        {vtid::ZCalibrationDialog::TakePoint2, "現在位置取得"},
        {1, "設定"},
        {2, "ｷｬﾝｾﾙ"}};
    for (auto [id, text] : texts)
        EXPECT_EQ(Text(id), text) << id;
    EXPECT_TRUE(FindById<wxRadioButton>(dlg, vtid::ZCalibrationDialog::ByOnePulse)->GetValue());
    EXPECT_TRUE(PointRowsShown(false));
    EXPECT_EQ(Text(vtid::ZCalibrationDialog::Result), "0.1235  um/pulse"); // rounded in the display
    EXPECT_TRUE(ui::testing::Screenshot(dlg, ui::testing::OutputFolder() + "/zcalib-one-pulse.png"));
    // No minus in the distance; the points take one
    EXPECT_FALSE(TakesChar(vtid::ZCalibrationDialog::Distance, '-'));
    EXPECT_TRUE(TakesChar(vtid::ZCalibrationDialog::Distance, '5'));
    EXPECT_TRUE(TakesChar(vtid::ZCalibrationDialog::Point1, '-'));

    // The radios switch the mode and every edit change recomputes.
    Click(FindById(dlg, vtid::ZCalibrationDialog::ByTwoPoints));
    EXPECT_TRUE(PointRowsShown(true));
    Type(FindById(dlg, vtid::ZCalibrationDialog::Distance), "100");
    Type(FindById(dlg, vtid::ZCalibrationDialog::Point1), "3000");
    Type(FindById(dlg, vtid::ZCalibrationDialog::Point2), "1000");
    EXPECT_EQ(Text(vtid::ZCalibrationDialog::Result), "0.0500  um/pulse");
    Click(FindById(dlg, vtid::ZCalibrationDialog::ByOnePulse));
    EXPECT_TRUE(PointRowsShown(false));
    EXPECT_EQ(Text(vtid::ZCalibrationDialog::Result), "100.0000  um/pulse");
    EXPECT_TRUE(ui::testing::DestroyAndWait(dlg));

    // Opened in two-point mode, as the capture view fills it.
    Make(nullptr, [this] {
        dlg->SetDlgItemText(vtid::ZCalibrationDialog::Point1, "1000");
        dlg->SetDlgItemText(vtid::ZCalibrationDialog::Point2, "3000");
        dlg->SetDlgItemText(vtid::ZCalibrationDialog::Distance, "100");
        dlg->SetCalibMode(0);
    });
    EXPECT_TRUE(FindById<wxRadioButton>(dlg, vtid::ZCalibrationDialog::ByTwoPoints)->GetValue());
    EXPECT_TRUE(PointRowsShown(true));
    EXPECT_EQ(Text(vtid::ZCalibrationDialog::Result), "0.0500  um/pulse");
    EXPECT_TRUE(ui::testing::ScreenshotRoot(ui::testing::OutputFolder() + "/zcalib-two-point-root.png"));
}

TEST_F(ZCalibrationDialog, ZeroIsRefusedAndAConfirmationWritesTheSettings) {
    Make(nullptr, [this] {
        dlg->SetDlgItemText(vtid::ZCalibrationDialog::Distance, "100");
        dlg->SetDlgItemText(vtid::ZCalibrationDialog::Point1, "1000");
        dlg->SetDlgItemText(vtid::ZCalibrationDialog::Point2, "1000");
        dlg->SetCalibMode(0);
    });
    Click(FindById(dlg, IDOK));
    // A result that four stored decimals would make 0 is refused as well.
    Type(FindById(dlg, vtid::ZCalibrationDialog::Point2), "1000000001");
    Click(FindById(dlg, IDOK));
    EXPECT_EQ(messages.ShownIds(), (std::vector<UINT>{vtid::str::NoDistance, vtid::str::NoDistance}));
    EXPECT_TRUE(dlg->IsShown());
    EXPECT_TRUE(accepted.empty() && ended.empty());
    EXPECT_EQ(SettingsText(), "");

    Type(FindById(dlg, vtid::ZCalibrationDialog::Point2), "3000");
    Click(FindById(dlg, IDOK));
    EXPECT_FALSE(dlg->IsShown());
    ASSERT_EQ(accepted.size(), 1u);
    EXPECT_EQ(accepted[0].point2, 3000);
    EXPECT_EQ(accepted[0].umPerPulse, 0.05);
    EXPECT_EQ(ended, std::vector<bool>{true});
    EXPECT_EQ(SettingsText(),
              "[ZCALIBRATION]\nMODE=0\nMOVEMENT=100\nPOINT1=1000\nPOINT2=3000\n1PULSE=0.05\n");

    // One pulse of 0.12346 is stored cut, not rounded; the keys keep their places.
    dlg->Show();
    Click(FindById(dlg, vtid::ZCalibrationDialog::ByOnePulse));
    Type(FindById(dlg, vtid::ZCalibrationDialog::Distance), "0.12346");
    Click(FindById(dlg, IDOK));
    const std::string onePulse =
        "[ZCALIBRATION]\nMODE=1\nMOVEMENT=0.12346\nPOINT1=1000\nPOINT2=3000\n1PULSE=0.1234\n";
    EXPECT_EQ(SettingsText(), onePulse);

    // Cancel ends the operation and stores nothing.
    dlg->Show();
    Type(FindById(dlg, vtid::ZCalibrationDialog::Distance), "7");
    Click(FindById(dlg, IDCANCEL));
    EXPECT_FALSE(dlg->IsShown());
    EXPECT_EQ(ended, (std::vector<bool>{true, true, false}));
    EXPECT_EQ(SettingsText(), onePulse);
}

TEST_F(ZCalibrationDialog, PositionButtonsReadTheEmulatedFocusDrive) {
    EmulatorOptions options;
    options.speedScale = 8;
    options.positionFile = "";
    Ct7Emulator emu(options);
    ASSERT_TRUE(emu.Start());
    setenv("VANTOREL_COM1", emu.SlavePath().c_str(), 1);
    CXyTblCtrl xy;
    xy.SetType(CTRL_CT7);
    ASSERT_TRUE(xy.Open(0, 9, 1, 0, 2, 0));
    Make(&xy, [this] { dlg->SetCalibMode(0); });

    ASSERT_TRUE(xy.MoveAbs(2, 0, 1000));
    ASSERT_TRUE(xy.WaitStop());
    Click(FindById(dlg, vtid::ZCalibrationDialog::TakePoint1));
    EXPECT_EQ(Text(vtid::ZCalibrationDialog::Point1), "1000");
    ASSERT_TRUE(xy.MoveAbs(2, 0, 3000));
    ASSERT_TRUE(xy.WaitStop());
    Click(FindById(dlg, vtid::ZCalibrationDialog::TakePoint2));
    EXPECT_EQ(Text(vtid::ZCalibrationDialog::Point2), "3000");
    Type(FindById(dlg, vtid::ZCalibrationDialog::Distance), "100");
    EXPECT_EQ(Text(vtid::ZCalibrationDialog::Result), "0.0500  um/pulse");

    // The drive gone: the read writes 0, says so, and nothing else changes.
    emu.Shutdown();
    Click(FindById(dlg, vtid::ZCalibrationDialog::TakePoint1));
    EXPECT_EQ(Text(vtid::ZCalibrationDialog::Point1), "0");
    EXPECT_EQ(Text(vtid::ZCalibrationDialog::Point2), "3000");
    EXPECT_EQ(Text(vtid::ZCalibrationDialog::Distance), "100");
    EXPECT_EQ(messages.ShownIds(), std::vector<UINT>{vtid::str::WrongController});
    EXPECT_TRUE(accepted.empty() && dlg->IsShown());
}

} // namespace
