// The lens calibration keys: what each read gives for a file without them, that every write
// lands on the key its read looks at (slot keys numbered from 1, a lens's own section), and how
// long a name each reader takes.
#include "devices/camera/CalibrationSettings.h"
#include "platform/Settings.h"
#include "tests/support/ScratchSettingsFile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class CalibrationSettings : public ::testing::Test {
protected:
    ScratchSettingsFile settings;
};

TEST_F(CalibrationSettings, AbsentKeysGiveTheirDefaults) {
    const LensCalibration c = ReadLensCalibration(LensKeys::Slot(0), LensCalibration{"Slot", 2.0, 3.0});
    EXPECT_EQ(c.registeredName, "Slot");
    EXPECT_EQ(c.umPerPixel, 2.0);
    EXPECT_EQ(c.interval, 3.0);
    const LensScale s = ReadLensScale(LensKeys::Own("20X"));
    EXPECT_EQ(s.length, 0.0);
    EXPECT_EQ(s.dots, 0);
    EXPECT_EQ(s.ceiling, 1.0);
    EXPECT_EQ(s.position, 0);
    EXPECT_EQ(ScaleColourOf(s.colour), 0x800080u);
    EXPECT_EQ(ReadLensScale(LensKeys::Slot(4), LensScale{0, 200, 1, 0, 0}).dots, 200);
    EXPECT_EQ(ReadCurrentSlot(), 0);
    EXPECT_EQ(ReadCurrentLensName(), "");
    EXPECT_EQ(ReadScaleSwitches().um, 0);
    EXPECT_EQ(ReadScaleSwitches().dots, 0);
    EXPECT_EQ(ReadProgramScale().colour, 0);
    EXPECT_EQ(ReadProgramScale().position, 0);
    EXPECT_EQ(ReadScaleApplyToAll().length, 1);
    EXPECT_EQ(ReadScaleApplyToAll().dots, 1);
    EXPECT_EQ(ReadCalibrationDialogPlace().x, 0);
    EXPECT_EQ(ReadCalibrationDialogPlace().y, 0);
    // The dot box follows the length box's value until it has a value of its own.
    WriteIniInt("CALIBRATION", "SCALEALLCHK1", 0);
    EXPECT_EQ(ReadScaleApplyToAll().dots, 0);
}

TEST_F(CalibrationSettings, WritesLandWhereTheReadsLook) {
    WriteSlotCalibration(2, LensCalibration{"Third", 0.125, 1.5});
    EXPECT_EQ(ReadIniString("CALIBRATION", "CALIB3", ""), "0.125");
    const LensCalibration back = ReadLensCalibration(LensKeys::Slot(2), LensCalibration{});
    EXPECT_EQ(back.registeredName, "Third");
    EXPECT_EQ(back.umPerPixel, 0.125);
    EXPECT_EQ(back.interval, 1.5);

    CMLens lens;
    lens.SetName("x]10");
    lens.SetRegName("Ten");
    lens.SetCalib(0.5);
    lens.SetGap(2.0);
    ASSERT_TRUE(WriteLensCalibrationSection(lens));
    const LensKeys own = LensKeys::Own("x]10");
    EXPECT_EQ(ReadRegisteredName(own, "", kLensNameBuffer), "Ten");
    EXPECT_EQ(ReadUmPerPixel(own, 0.0), 0.5);
    EXPECT_EQ(ReadInterval(own, 0.0), 2.0);

    WriteLensScale(own, LensScale{70, 15, 5, 3, 255});
    WriteScaleLength(LensKeys::Slot(4), 30);
    WriteScaleDots(LensKeys::Slot(4), 40);
    const LensScale s = ReadLensScale(own);
    EXPECT_EQ(s.length, 70);
    EXPECT_EQ(s.dots, 15);
    EXPECT_EQ(s.ceiling, 5);
    EXPECT_EQ(s.position, 3);
    EXPECT_EQ(ScaleColourOf(s.colour), 255u);
    EXPECT_EQ(ReadLensScale(LensKeys::Slot(4)).length, 30);
    EXPECT_EQ(ReadLensScale(LensKeys::Slot(4)).dots, 40);

    // Slot 1's colour and corner are the program's; the capture side reads the colour as an integer.
    WriteProgramScale(0x0000FF, 2);
    EXPECT_EQ(ReadProgramScale().colour, 255);
    EXPECT_EQ(ReadLensScale(LensKeys::Slot(0)).position, 2);

    WriteCurrentSlot(-1);
    WriteCurrentLensName("ML30-1");
    WriteUmScaleSwitch(1);
    WriteScaleApplyToAll(ScaleApplyToAll{0, 1});
    WriteCalibrationDialogPlace(DialogPlace{40, 30});
    EXPECT_EQ(ReadCurrentSlot(), -1);
    EXPECT_EQ(ReadCurrentLensName(), "ML30-1");
    EXPECT_EQ(ReadScaleSwitches().um, 1);
    EXPECT_EQ(ReadScaleSwitches().dots, 0);
    WriteDotScaleSwitch(1);
    EXPECT_EQ(ReadScaleSwitches().dots, 1);
    EXPECT_EQ(ReadScaleApplyToAll().length, 0);
    EXPECT_EQ(ReadScaleApplyToAll().dots, 1);
    EXPECT_EQ(ReadCalibrationDialogPlace().x, 40);
    EXPECT_EQ(ReadCalibrationDialogPlace().y, 30);
}

TEST_F(CalibrationSettings, NamesAreCutToTheReadersBuffers) {
    const std::string longName(100, 'n');
    WriteCurrentLensName(longName);
    WriteSlotCalibration(0, LensCalibration{longName, 1.0, 0.0});
    EXPECT_EQ(ReadCurrentLensName(), longName.substr(0, 79));
    EXPECT_EQ(ReadCurrentLensName(kWholeNameBuffer), longName);
    EXPECT_EQ(ReadLensCalibration(LensKeys::Slot(0), LensCalibration{}).registeredName,
              longName.substr(0, 79));
    EXPECT_EQ(ReadLensCalibration(LensKeys::Slot(0), LensCalibration{}, kWholeNameBuffer).registeredName,
              longName);
}

TEST(ScaleColour, OutOfRangeColoursGiveBlack) {
    EXPECT_EQ(ScaleColourOf(8388736.0), 0x800080u);
    EXPECT_EQ(ScaleColourOf(4294967295.0), 0xFFFFFFFFu);
    EXPECT_EQ(ScaleColourOf(4294967296.0), 0u);
    EXPECT_EQ(ScaleColourOf(-1.0), 0u);
}

} // namespace
