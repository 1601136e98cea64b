// The controller settings in the settings file and the opening check of a chosen controller.
#include "tests/support/ScratchSettingsFile.h"
#include "EmulatorHarness.h"

#include "devices/serial/ControllerSettings.h"
#include "platform/Settings.h"

#include <cstdio>
#include <unistd.h>

namespace {

class SettingsFile : public ::testing::Test {
protected:
    ScratchSettingsFile settings;
    std::string previous;
};

TEST_F(SettingsFile, DefaultsAndRoundTrip) {
    ControllerCommSettings s = ReadControllerSettings();
    EXPECT_EQ(s.controller, 0);
    EXPECT_EQ(s.lensPort, 1);
    EXPECT_EQ(s.baud, 6);
    EXPECT_EQ(s.data, 1);
    EXPECT_EQ(s.side, 1);
    SpeedPresets p = ReadSpeedPresets();
    EXPECT_EQ(p.mode, 1);
    EXPECT_EQ(p.high[0], 8000);
    EXPECT_EQ(p.high[2], 3000);

    s = ControllerCommSettings{8, 2, 3, 9, 1, 0, 2, 0, 1};
    WriteControllerSettings(s);
    EXPECT_EQ(ReadIniInt("COMM", "BAUD", -1), 9);
    EXPECT_EQ(ReadControllerSettings().stop, 2);
    EXPECT_EQ(ReadControllerSettings().side, 1);
    s.controller = 9;
    WriteControllerSettings(s);
    EXPECT_EQ(ReadControllerSettings().side, 0); // the MⅡ coupler sits on the lens side

    p.mode = 2;
    PresetsForChosenController(8, p);
    WriteSpeedPresets(p);
    SpeedPresets back = ReadSpeedPresets();
    EXPECT_EQ(back.mode, 2);
    EXPECT_EQ(back.low[1], 20000);
    EXPECT_EQ(back.high[1], 75000);
    EXPECT_EQ(back.rate[2], 200);
    PresetsForChosenController(5, back);
    EXPECT_EQ(back.high[2], 10);
    EXPECT_EQ(back.low[2], 20000); // the low speeds stay
}

TEST(CommDefaults, PerControllerType) {
    int b, d, p, s, f;
    CommDefaultsForType(8, &b, &d, &p, &s, &f);
    EXPECT_EQ(std::vector<int>({b, d, p, s, f}), std::vector<int>({9, 1, 0, 2, 0}));
    for (int t : {4, 5}) {
        CommDefaultsForType(t, &b, &d, &p, &s, &f);
        EXPECT_EQ(std::vector<int>({b, d, p, s, f}), std::vector<int>({8, 1, 2, 2, 0}));
    }
    CommDefaultsForType(3, &b, &d, &p, &s, &f);
    EXPECT_EQ(std::vector<int>({b, d, p, s, f}), std::vector<int>({6, 1, 0, 2, 0}));
    for (int t : {0, 1, 2, 6, 7, 9}) {
        CommDefaultsForType(t, &b, &d, &p, &s, &f);
        EXPECT_EQ(std::vector<int>({b, d, p, s, f}), std::vector<int>({6, 1, 0, 0, 0}));
    }
}

TEST(OpeningCheck, OpensTheChosenControllerAndAppliesItsPreset) {
    TestClock clock;
    auto emu = StartOnCom1(std::make_unique<Ct7Emulator>(FastOptions()));
    CXyTblCtrl xy;
    ControllerCommSettings s{8, 0, 1, 9, 1, 0, 2, 0, 1};
    SpeedPresets p;
    PresetsForChosenController(8, p);
    int shown = 0, closed = 0;
    EXPECT_EQ(OpenControllerWithSettings(xy, s, p, [&] { ++shown; }, [&] { ++closed; }), ControllerCheck::Opened);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(xy.GetType(), 8);
    ASSERT_TRUE(ApplySpeedPreset(xy, p));
    EXPECT_EQ(xy.Ct7().MoveSpeed().high, 75000);
    EXPECT_TRUE(Heard(*emu, "@POS 1 ?\r\n"));
}

TEST(OpeningCheck, PortFailureAndWrongControllerEndAsTypeZero) {
    TestClock clock;
    CXyTblCtrl xy;
    SpeedPresets p;
    setenv("VANTOREL_COM3", "/nonexistent/tty", 1);
    EXPECT_EQ(OpenControllerWithSettings(xy, ControllerCommSettings{1, 2, 1, 6, 1, 0, 0, 0, 1}, p),
              ControllerCheck::PortFailed);
    EXPECT_EQ(xy.GetType(), 0);

    auto emu = StartOnCom1(std::make_unique<MfsEmulator>(FastOptions())); // not an MMC-2
    clock.RunFast(true);
    EXPECT_EQ(OpenControllerWithSettings(xy, ControllerCommSettings{1, 0, 1, 6, 1, 0, 0, 0, 1}, p),
              ControllerCheck::WrongController);
    clock.RunFast(false);
    EXPECT_EQ(xy.GetType(), 0);
    EXPECT_EQ(CountOf(*emu, "Q:\r\n"), 2u); // tried twice
    EXPECT_EQ(OpenControllerWithSettings(xy, ControllerCommSettings{}, p), ControllerCheck::None);
}

TEST(OpeningCheck, SzxPresetSelectsTheSpeedVariant) {
    TestClock clock;
    auto emu = StartOnCom1(std::make_unique<SzxEmulator>(FastOptions()));
    CXyTblCtrl xy;
    SpeedPresets p;
    p.mode = 0;
    ASSERT_EQ(OpenControllerWithSettings(xy, ControllerCommSettings{4, 0, 1, 8, 1, 2, 2, 0, 1}, p),
              ControllerCheck::Opened);
    ASSERT_TRUE(ApplySpeedPreset(xy, p));
    EXPECT_TRUE(xy.Szx().IsHighSpeed());
    p.mode = 2;
    ASSERT_TRUE(ApplySpeedPreset(xy, p));
    EXPECT_FALSE(xy.Szx().IsHighSpeed());
}

} // namespace
