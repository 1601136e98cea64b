#include "ids/VantorelIds.h"
#include "shell/core/capture/AutoFocusSettings.h"
#include "shell/core/capture/CapturePositions.h"
#include "ShellCoreTestSupport.h"

#include "platform/Settings.h"

#include <limits>

namespace {

using Positions = std::vector<double>;

TEST(EqualIntervalRange, StepsFromStartTowardsEndAndShortensTheLastStep) {
    auto up = ComputeEqualIntervalRange(0, 10, 3);
    EXPECT_EQ(up.count, 5);
    EXPECT_EQ(up.positions, (Positions{0, 3, 6, 9, 10}));
    auto down = ComputeEqualIntervalRange(10, 0, 3);
    EXPECT_EQ(down.count, 5);
    EXPECT_EQ(down.positions, (Positions{10, 7, 4, 1, 0}));
    // The interval's sign does not turn the travel away from end.
    EXPECT_EQ(ComputeEqualIntervalRange(0, 10, -3).positions, (Positions{0, 3, 6, 9, 10}));
    EXPECT_EQ(ComputeEqualIntervalRange(10, 0, -3).positions, (Positions{10, 7, 4, 1, 0}));
    EXPECT_EQ(ComputeEqualIntervalRange(-5, -1, -2).positions, (Positions{-5, -3, -1}));
    // A single position when start and end meet.
    auto one = ComputeEqualIntervalRange(4.5, 4.5, 1);
    EXPECT_EQ(one.count, 1);
    EXPECT_EQ(one.positions, (Positions{4.5}));
}

TEST(EqualIntervalRange, AWholeNumberOfStepsSurvivesRounding) {
    auto r = ComputeEqualIntervalRange(0, 0.9, 0.3);
    EXPECT_EQ(r.count, 4);
    EXPECT_EQ(r.positions, (Positions{0, 0.3, 0.6, 0.9}));
    auto back = ComputeEqualIntervalRange(0.9, 0, 0.3);
    EXPECT_EQ(back.positions, (Positions{0.9, 0.6, 0.3, 0}));
    auto fine = ComputeEqualIntervalRange(-0.7, 0.7, 0.1);
    EXPECT_EQ(fine.count, 15);
    EXPECT_DOUBLE_EQ(fine.positions[3], -0.4);
    EXPECT_EQ(fine.positions.back(), 0.7);
    // Each position keeps three decimals, cut toward zero.
    EXPECT_EQ(ComputeEqualIntervalRange(0, 1, 0.33333).positions, (Positions{0, 0.333, 0.666, 0.999, 1}));
    EXPECT_EQ(ComputeEqualIntervalRange(0, -1, 0.33333).positions,
              (Positions{0, -0.333, -0.666, -0.999, -1}));
}

TEST(EqualIntervalRange, IntervalZeroAndValuesOutOfRange) {
    auto none = ComputeEqualIntervalRange(0, 10, 0);
    EXPECT_EQ(none.count, -1);
    EXPECT_TRUE(none.positions.empty());
    EXPECT_EQ(RangeCountText(none.count), "-");
    EXPECT_EQ(RangeCountText(5), "5");
    for (auto [s, e, i] : {std::tuple{1000000.0, 0.0, 1.0},
                           {0.0, -1000000.0, 1.0},
                           {0.0, 1.0, 1e7},
                           {std::numeric_limits<double>::quiet_NaN(), 1.0, 1.0}}) {
        auto r = ComputeEqualIntervalRange(s, e, i);
        EXPECT_EQ(r.count, 0);
        EXPECT_TRUE(r.positions.empty());
    }
    EXPECT_TRUE(IsCaptureCoordinate(999999));
    EXPECT_TRUE(IsCaptureCoordinate(-999999));
    EXPECT_FALSE(IsCaptureCoordinate(999999.5));
    // A tiny interval over the whole travel counts but allocates no positions.
    auto runaway = ComputeEqualIntervalRange(-999999, 999999, 0.001);
    EXPECT_GT(runaway.count, kMaxRangePositions);
    EXPECT_TRUE(runaway.positions.empty());
    EXPECT_EQ(ComputeEqualIntervalRange(-999999, 999999, 1e-300).count, 2147483647);
}

TEST(SeriesStart, LimitsOfTheRangeAndTheList) {
    EXPECT_EQ(ComputeEqualIntervalRange(0, 255, 1).count, 256);
    EXPECT_EQ(CheckSeriesStart(false, ComputeEqualIntervalRange(0, 255, 1).count, 0), 0u);
    EXPECT_EQ(CheckSeriesStart(false, ComputeEqualIntervalRange(0, 256, 1).count, 0),
              vtid::str::RangeCountNotSet);
    EXPECT_EQ(CheckSeriesStart(false, ComputeEqualIntervalRange(0, 10, 0).count, 0),
              vtid::str::RangeCountNotSet);
    EXPECT_EQ(CheckSeriesStart(false, 0, 0), vtid::str::RangeCountNotSet);
    EXPECT_EQ(CheckSeriesStart(true, -1, 256), 0u);
    EXPECT_EQ(CheckSeriesStart(true, 5, 257), vtid::str::TooManyPictures);
    EXPECT_EQ(CheckSeriesStart(true, 5, 0), vtid::str::NoPictures);
}

TEST(CellNumbers, LeadingNumberOrZero) {
    EXPECT_EQ(ParseCellNumber("12.5"), 12.5);
    EXPECT_EQ(ParseCellNumber("  -3.25xyz"), -3.25);
    EXPECT_EQ(ParseCellNumber(".5"), 0.5);
    EXPECT_EQ(ParseCellNumber("-"), 0.0);
    EXPECT_EQ(ParseCellNumber(""), 0.0);
    EXPECT_EQ(ParseCellNumber("inf"), 0.0);
    EXPECT_EQ(ParseCellNumber("nan"), 0.0);
    EXPECT_EQ(ParseCellNumber("1.2.3"), 1.2);
    EXPECT_EQ(ParseCellNumber("1000000"), 1000000.0);
}

class PositionSettings : public ShellSettingsTest {};

TEST_F(PositionSettings, ListTextAndRangeKeys) {
    EXPECT_EQ(FormatPositionList({0, 3, -6.5, 0.001, 10}), "0|3|-6.5|0.001|10|~");
    EXPECT_EQ(FormatPositionList({}), "~");
    WriteRangeSettings(0, 10, 3, 5);
    WritePositionListSetting({0, 3, 6, 9, 10});
    EXPECT_EQ(Settings(), "[AUTOFOCUS]\nSTART=0\nEND=10\nGAP=3\nSHEET=5\nLIST=0|3|6|9|10|~\n");
}

} // namespace
