#include "platform/Settings.h"

#include "tests/support/ScratchSettingsFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>

namespace {

class SettingsFile : public ::testing::Test {
protected:
    std::string Content() const {
        std::ifstream in(m_file.Path(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void Put(const std::string& text) { std::ofstream(m_file.Path(), std::ios::binary) << text; }
    ScratchSettingsFile m_file;
};

TEST(FormatDoubleText, GivesTheShortTextOfOrdinaryValues) {
    const std::pair<double, const char*> cases[] = {
        {0.1, "0.1"},
        {3.0, "3"},
        {-12.5, "-12.5"},
        {1234.56, "1234.56"},
        {0.5, "0.5"},
        {2.0, "2"},
        {-0.25, "-0.25"},
        {0.0, "0"},
        {10.0, "10"},
        {100.0, "100"}, // zeros of the integer part stay
        {1.0 / 3.0, "0.3333333333333"},
        {-1.0 / 3.0, "-0.3333333333333"}, // -0 prints as 0: the sign does not count here
        {-1.5 / 0.9, "-1.666666666667"},  // but it does before a whole number
        {0.00000000000001, "0"},          // below the 13 decimals
        {9.99999999999999, "10"},         // rounding carries into the integer part
        {2147483647.0, "2147483647"},
        {16777215.0, "16777215"}, // a colour value
        {-2147483648.0, "-2147483648"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(FormatDoubleText(value), text) << value;
}

TEST(FormatDoubleText, StaysBoundedAndReadableForHugeAndNonFiniteValues) {
    EXPECT_EQ(FormatDoubleText(3e9), "3000000000");
    EXPECT_EQ(FormatDoubleText(100000000000000.0), "100000000000000") << "no decimals, so no zero stripping";
    EXPECT_EQ(FormatDoubleText(-10000000000000.0), "-10000000000000");
    EXPECT_EQ(FormatDoubleText(1e300), "1e+300");
    EXPECT_EQ(FormatDoubleText(-1e300), "-1e+300");
    EXPECT_EQ(FormatDoubleText(1e15), "1e+15");
    EXPECT_EQ(FormatDoubleText(std::numeric_limits<double>::max()), "1.7976931348623e+308");
    EXPECT_EQ(FormatDoubleText(std::nan("")), "nan");
    EXPECT_EQ(FormatDoubleText(-std::nan("")), "nan");
    EXPECT_EQ(FormatDoubleText(std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(FormatDoubleText(-std::numeric_limits<double>::infinity()), "-inf");

    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> exponent(-300, 300);
    for (int i = 0; i < 2000; ++i) {
        double v = std::pow(10.0, exponent(random)) * ((i & 1) ? -1 : 1);
        std::string text = FormatDoubleText(v);
        ASSERT_LE(text.size(), 24u) << v;
        // Whatever the size, the text reads back to within 14 significant digits.
        double back = std::strtod(text.c_str(), nullptr);
        if (std::fabs(v) >= 1e-12) {
            EXPECT_NEAR(back, v, std::fabs(v) * 1e-12 + 1e-13) << text;
        }
    }
}

TEST_F(SettingsFile, WritesIntegersAndRealsAsText) {
    EXPECT_TRUE(WriteIniDouble("PARAMETER", "A", 0.5));
    EXPECT_TRUE(WriteIniDouble("PARAMETER", "B", 2.0));
    EXPECT_TRUE(WriteIniDouble("PARAMETER", "C", -0.25));
    EXPECT_TRUE(WriteIniInt("PARAMETER", "D", -42));
    EXPECT_TRUE(WriteIniString("APPPATH", "PATH", "/opt/viewer"));
    EXPECT_EQ(Content(), "[PARAMETER]\nA=0.5\nB=2\nC=-0.25\nD=-42\n[APPPATH]\nPATH=/opt/viewer\n");
}

TEST_F(SettingsFile, ReadsWithDefaultsAndEmptyValuesAsZero) {
    Put("[P]\nEMPTY=\nN=12abc\nBIG=99999999999\nR=2.5e-3\nRJUNK=x1\nS=text\n");
    EXPECT_EQ(ReadIniInt("P", "ABSENT", 7), 7);
    EXPECT_EQ(ReadIniInt("P", "EMPTY", 7), 0);
    EXPECT_EQ(ReadIniInt("P", "N", 7), 12);
    EXPECT_EQ(ReadIniInt("P", "BIG", 7), std::numeric_limits<int>::max());
    EXPECT_EQ(ReadIniInt("P", "S", 7), 0);
    EXPECT_EQ(ReadIniInt("NOSECTION", "N", -3), -3);
    EXPECT_DOUBLE_EQ(ReadIniDouble("P", "ABSENT", 2.75), 2.75);
    EXPECT_DOUBLE_EQ(ReadIniDouble("P", "EMPTY", 2.75), 0.0);
    EXPECT_DOUBLE_EQ(ReadIniDouble("P", "R", 1.0), 0.0025);
    EXPECT_DOUBLE_EQ(ReadIniDouble("P", "RJUNK", 1.0), 0.0);
    EXPECT_DOUBLE_EQ(ReadIniDouble("P", "N", 1.0), 12.0);
    EXPECT_EQ(ReadIniString("P", "S", "d"), "text");
    EXPECT_EQ(ReadIniString("P", "ABSENT", "d"), "d");
    char small[3];
    EXPECT_EQ(ReadIniString("P", "S", "d", small, sizeof small), 2u);
    EXPECT_STREQ(small, "te");
}

TEST_F(SettingsFile, ColoursAndLargeValuesRoundTrip) {
    const double values[] = {16777215.0, 0.0, -1.0, 0.001, 123.456, 1e20, -7.5e-5};
    for (double v : values) {
        ASSERT_TRUE(WriteIniDouble("S", "V", v));
        EXPECT_NEAR(ReadIniDouble("S", "V", 99.0), v, std::fabs(v) * 1e-13) << v;
    }
    ASSERT_TRUE(WriteIniInt("S", "I", std::numeric_limits<int>::min()));
    EXPECT_EQ(ReadIniInt("S", "I", 0), std::numeric_limits<int>::min());
}

TEST(SettingsPath, DefaultsToTheCurrentDirectory) {
    EXPECT_EQ(GetSettingsFilePath(), "Vantorel.ini");
}

TEST(ParseLeadingInt, ReadsLikeAtoiButClamps) {
    EXPECT_EQ(ParseLeadingInt("  -17abc"), -17);
    EXPECT_EQ(ParseLeadingInt("+8"), 8);
    EXPECT_EQ(ParseLeadingInt("x8"), 0);
    EXPECT_EQ(ParseLeadingInt(""), 0);
    EXPECT_EQ(ParseLeadingInt("99999999999999999999"), std::numeric_limits<int>::max());
    EXPECT_EQ(ParseLeadingInt("-99999999999999999999"), std::numeric_limits<int>::min());
}

} // namespace
