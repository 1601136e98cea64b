#include "devices/camera/CalibrationSettings.h"
#include "devices/camera/LensListPager.h"
#include "devices/camera/XYCalibValues.h"
#include "tests/support/ScratchSettingsFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

TEST(XYCalibValues, CalibrationFromLineRangeAndNames) {
    EXPECT_DOUBLE_EQ(CalibrationFromLine(100.0, 200.0), 0.5);
    EXPECT_EQ(CalibrationFromLine(100.0, 0.0), 0.0); // a line without length gives 0, not inf
    EXPECT_TRUE(CalibValueInRange(0.0));
    EXPECT_TRUE(CalibValueInRange(99999999.0));
    EXPECT_FALSE(CalibValueInRange(1e9));
    EXPECT_FALSE(CalibValueInRange(-0.5));

    // Names are cut by characters: a three-byte character is kept whole or left out.
    EXPECT_EQ(CutToChars("レンズ12", 4), "レンズ1");
    EXPECT_EQ(CutToChars("ab", 20), "ab");
    EXPECT_EQ(CutToChars(std::string(25, 'x') + "é", 20), std::string(20, 'x'));
    // A broken sequence counts one byte per character and never reads past the end.
    EXPECT_EQ(CutToChars("a\xE3\x83", 2), "a\xE3");
}

TEST(LensListPager, SevenLensesScrollLinePageTopBottomAndThumb) {
    LensListPager p;
    p.Init(7, -1); // the current lens is not in the table: no selection, first lens on top
    EXPECT_EQ(p.Top(), 1);
    EXPECT_EQ(p.SelectedLens(), -1);
    EXPECT_EQ(p.SelectedRow(), -1);
    for (int row = 0; row < 5; ++row)
        EXPECT_EQ(p.LensAtRow(row), row);

    p.Scroll(LensListPager::LineDown);
    p.Scroll(LensListPager::LineDown);
    EXPECT_EQ(p.Top(), 3); // lenses 3 to 7; table rows 6 and 7 fill rows 4 and 5
    EXPECT_EQ(p.LensAtRow(0), 2);
    EXPECT_EQ(p.LensAtRow(3), 5);
    EXPECT_EQ(p.LensAtRow(4), 6);

    p.Scroll(LensListPager::ToTop);
    EXPECT_EQ(p.Scroll(LensListPager::PageDown), 3); // 1 + 7 / 5 + 1
    EXPECT_EQ(p.Scroll(LensListPager::PageDown), 5);
    EXPECT_EQ(p.Scroll(LensListPager::PageDown), 7); // not beyond the number of lenses
    EXPECT_EQ(p.LensAtRow(1), -1);                   // rows past the table are empty
    EXPECT_EQ(p.Scroll(LensListPager::PageUp), 5);
    EXPECT_EQ(p.Scroll(LensListPager::LineUp), 4);
    EXPECT_EQ(p.Scroll(LensListPager::ToBottom), 7);
    EXPECT_EQ(p.Scroll(LensListPager::ThumbTrack, 2), 2);
    EXPECT_EQ(p.Scroll(LensListPager::ThumbPosition, 99), 7);
    p.Scroll(LensListPager::ToTop);
    EXPECT_EQ(p.Scroll(LensListPager::LineUp), 1);

    // A picked row selects the lens shown in it; the row follows the lens while it is shown.
    p.Scroll(LensListPager::LineDown);
    p.SelectRow(2);
    EXPECT_EQ(p.SelectedLens(), 3);
    EXPECT_EQ(p.SelectedRow(), 2);
    p.Scroll(LensListPager::LineDown);
    EXPECT_EQ(p.SelectedRow(), 1);
    p.Scroll(LensListPager::ToBottom);
    EXPECT_EQ(p.SelectedRow(), -1);
    EXPECT_EQ(p.SelectedLens(), 3);
}

TEST(LensListPager, CurrentLensOnTopThreeLensesAndAnEmptyTable) {
    LensListPager p;
    p.Init(7, 4);
    EXPECT_EQ(p.Top(), 5);
    EXPECT_EQ(p.SelectedLens(), 4);
    EXPECT_EQ(p.SelectedRow(), 0);

    p.Init(3, 9); // beyond the table: as unknown
    EXPECT_EQ(p.SelectedLens(), -1);
    EXPECT_EQ(p.LensAtRow(2), 2);
    EXPECT_EQ(p.LensAtRow(3), -1);
    EXPECT_EQ(p.LensAtRow(4), -1);
    p.SelectRow(4); // an empty row selects nothing
    EXPECT_EQ(p.SelectedLens(), -1);
    EXPECT_EQ(p.Scroll(LensListPager::PageDown), 2);

    p.Init(0, -1);
    EXPECT_EQ(p.Scroll(LensListPager::LineDown), 1);
    EXPECT_EQ(p.LensAtRow(0), -1);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(XYCalibValues, LensSectionWrittenByteForByteBesideOtherSections) {
    ScratchSettingsFile settings;
    { std::ofstream(settings.Path(), std::ios::binary) << "[CALIBRATION]\r\nCALIBNO=2\r\n"; }
    CMLens lens;
    lens.SetName("20X");
    lens.SetRegName("対物20倍");
    lens.SetCalib(0.35);
    lens.SetGap(5.0);
    ASSERT_TRUE(WriteLensCalibrationSection(lens));
    lens.SetCalib(0.5);
    ASSERT_TRUE(WriteLensCalibrationSection(lens)); // the keys are replaced, not repeated
    EXPECT_EQ(ReadFile(settings.Path()),
              "[CALIBRATION]\r\nCALIBNO=2\r\n"
              "[CALIBRATION_20X]\r\nCLBNAME1=対物20倍\r\nCALIB1=0.5\r\nGAP1=5\r\n");
}

} // namespace
