#include "devices/camera/LensSection.h"
#include "platform/Settings.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

TEST(LensSection, OrdinaryNamesAreKeptAndUnsafeOnesEscaped) {
    EXPECT_EQ(CalibrationSectionName("20X"), "CALIBRATION_20X");
    EXPECT_EQ(CalibrationSectionName("対物 x5 [A]"), "CALIBRATION_対物 x5 [A%5D");
    EXPECT_EQ(CalibrationSectionName("50%"), "CALIBRATION_50%");
    EXPECT_EQ(CalibrationSectionName("a\r\nb"), "CALIBRATION_a%0D%0Ab");
}

TEST(LensSection, ANameWithABracketIsWrittenAndReadBack) {
    const auto dir = std::filesystem::temp_directory_path() / ("lenssection-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string ini = (dir / "settings.ini").string();
    const std::string previous = GetSettingsFilePath();
    SetSettingsFilePath(ini);
    const std::string section = CalibrationSectionName("x]10");
    EXPECT_TRUE(WriteIniDouble(section.c_str(), "CALIB1", 0.25));
    EXPECT_DOUBLE_EQ(ReadIniDouble(section.c_str(), "CALIB1", 0.0), 0.25);
    std::ifstream in(ini);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("[CALIBRATION_x%5D10]"), std::string::npos) << text.str();
    SetSettingsFilePath(previous);
    std::filesystem::remove_all(dir);
}

} // namespace
