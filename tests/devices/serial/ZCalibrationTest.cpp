#include "devices/serial/PulseValue.h"
#include "devices/serial/ZCalibration.h"
#include "platform/Settings.h"
#include "tests/support/ScratchSettingsFile.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

TEST(ZCalibration, TwoPointsInEitherOrderAndOnePulse) {
    for (auto [p1, p2] : {std::pair{1000, 3000}, std::pair{3000, 1000}}) {
        const double r = ZCalibrationResult(kZCalibTwoPoint, 100.0, p1, p2);
        EXPECT_EQ(FormatPulseLabel(r), "0.0500  um/pulse");
        EXPECT_EQ(TruncatePulseValue(r), 0.05);
    }
    // One pulse: the distance itself, shown rounded, stored cut.
    const double typed = ZCalibrationResult(kZCalibOnePulse, ParseZDistance("0.12346"), 1000, 1000);
    EXPECT_EQ(FormatPulseLabel(typed), "0.1235  um/pulse");
    EXPECT_EQ(TruncatePulseValue(typed), 0.1234);
    // Equal points or no distance: zero, which the dialog refuses.
    EXPECT_EQ(ZCalibrationResult(kZCalibTwoPoint, 100.0, 5, 5), 0.0);
    EXPECT_EQ(ZCalibrationResult(kZCalibTwoPoint, ParseZDistance(""), 1, 2), 0.0);
    EXPECT_EQ(ZCalibrationResult(kZCalibOnePulse, 0.0, 1, 2), 0.0);
}

TEST(ZCalibration, LongPointsSaturateAndTheirDistanceDoesNotOverflow) {
    EXPECT_EQ(ParseZPoint("99999999999999999999"), INT_MAX);     // 20 digits
    EXPECT_EQ(ParseZPoint("-9999999999999999999"), INT_MIN);     // 19 digits and a sign
    EXPECT_EQ(ParseZPoint("123456789012345678901234"), INT_MAX); // only 20 characters are read
    EXPECT_EQ(ParseZPoint("  -42abc"), -42);
    // The whole int range apart: 2^32 - 1 pulses, not an overflowed int.
    EXPECT_DOUBLE_EQ(ZCalibrationResult(kZCalibTwoPoint, 4294967295.0, ParseZPoint("99999999999999999999"),
                                        ParseZPoint("-99999999999999999999")),
                     1.0);
}

TEST(ZCalibration, DistanceReadsLikeAtofWithinFiftyCharacters) {
    EXPECT_EQ(ParseZDistance(" +12.5um"), 12.5);
    EXPECT_EQ(ParseZDistance("--5"), 0.0);
    EXPECT_EQ(ParseZDistance("1e999"), 0.0);                     // not finite
    EXPECT_EQ(ParseZDistance(std::string(49, '0') + "12"), 1.0); // the 51st character is not read
}

// The capture view's defaults for a file without the section; each write lands where the read
// looks, 1PULSE and ORIGIN on their own.
TEST(ZCalibration, SettingsReadBackWhatWasWritten) {
    ScratchSettingsFile settings;
    ZCalibrationValues v = ReadZCalibrationSettings();
    EXPECT_EQ(v.mode, 0);
    EXPECT_EQ(v.distance, 1.0);
    EXPECT_EQ(v.point1, 0);
    EXPECT_EQ(v.point2, 1);
    EXPECT_EQ(v.umPerPulse, 1.0);
    ASSERT_TRUE(WriteZCalibrationSettings(ZCalibrationValues{kZCalibOnePulse, 12.5, 3, -40, 0.2906}));
    WriteZPulseSetting(0.025);
    WriteZOriginSetting(-7);
    v = ReadZCalibrationSettings();
    EXPECT_EQ(v.mode, kZCalibOnePulse);
    EXPECT_EQ(v.distance, 12.5);
    EXPECT_EQ(v.point1, 3);
    EXPECT_EQ(v.point2, -40);
    EXPECT_EQ(v.umPerPulse, 0.025);
    EXPECT_EQ(ReadIniInt("ZCALIBRATION", "ORIGIN", 0), -7);
}

} // namespace
