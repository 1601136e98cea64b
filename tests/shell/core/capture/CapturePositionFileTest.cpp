#include "shell/core/capture/CapturePositionFile.h"
#include "ShellCoreTestSupport.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>

namespace {

std::string FromHex(const std::string& hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

// start 0, end 10, interval 3, count 5, n 5, positions 0 3 6 9 10.
const std::string kRangeFile = FromHex("0000000000000000"
                                       "0000000000002440"
                                       "0000000000000840"
                                       "05000000"
                                       "05000000"
                                       "0000000000000000"
                                       "0000000000000840"
                                       "0000000000001840"
                                       "0000000000002240"
                                       "0000000000002440");

std::string PutInt(std::string bytes, size_t offset, int32_t v) {
    std::memcpy(bytes.data() + offset, &v, 4); // the test machine is little-endian like the file
    return bytes;
}

std::string PutDouble(std::string bytes, size_t offset, double v) {
    std::memcpy(bytes.data() + offset, &v, 8);
    return bytes;
}

class PositionFile : public ShellSettingsTest {};

TEST_F(PositionFile, WritesTheGoldenBytesAndReadsThemBack) {
    CapturePositionFile f;
    f.start = 0;
    f.end = 10;
    f.interval = 3;
    f.count = 5;
    f.positions = {0, 3, 6, 9, 10};
    ASSERT_TRUE(f.Save(File("range.dat")));
    EXPECT_EQ(Read("range.dat"), kRangeFile);

    CapturePositionFile back;
    ASSERT_TRUE(back.Load(File("range.dat")));
    EXPECT_EQ(back.start, 0.0);
    EXPECT_EQ(back.end, 10.0);
    EXPECT_EQ(back.interval, 3.0);
    EXPECT_EQ(back.count, 5);
    EXPECT_EQ(back.positions, (std::vector<double>{0, 3, 6, 9, 10}));
}

TEST_F(PositionFile, TheThirtyTwoByteFileHoldsNoPositions) {
    CapturePositionFile f;
    f.start = -2.5;
    f.end = 2.5;
    f.interval = -1.25;
    f.count = -1;
    ASSERT_TRUE(f.Save(File("empty.dat")));
    EXPECT_EQ(Read("empty.dat"), FromHex("00000000000004c0"
                                         "0000000000000440"
                                         "000000000000f4bf"
                                         "ffffffff"
                                         "00000000"));
    CapturePositionFile back;
    back.positions = {7};
    ASSERT_TRUE(back.Load(File("empty.dat")));
    EXPECT_EQ(back.count, -1);
    EXPECT_EQ(back.interval, -1.25);
    EXPECT_TRUE(back.positions.empty());
}

TEST_F(PositionFile, RefusedFilesChangeNothing) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"short header", kRangeFile.substr(0, 31)},
        {"one position missing", kRangeFile.substr(0, 64)},
        {"cut inside a position", kRangeFile.substr(0, 71)},
        {"trailing bytes", kRangeFile + std::string(8, '\0')},
        {"negative n", PutInt(kRangeFile.substr(0, 32), 28, -1)},
        {"huge n", PutInt(kRangeFile.substr(0, 32), 28, 0x7fffffff)},
        {"n beyond the data", PutInt(kRangeFile, 28, 6)},
        {"count below -1", PutInt(kRangeFile, 24, -2)},
        {"NaN start", PutDouble(kRangeFile, 0, nan)},
        {"infinite interval", PutDouble(kRangeFile, 16, inf)},
        {"NaN position", PutDouble(kRangeFile, 40, nan)},
        {"position past the range", PutDouble(kRangeFile, 64, 1000000.0)},
        {"empty file", std::string()},
    };
    for (const auto& [what, bytes] : bad) {
        Write("bad.dat", bytes);
        CapturePositionFile f;
        f.start = 1;
        f.count = 2;
        f.positions = {4, 5};
        EXPECT_FALSE(f.Load(File("bad.dat"))) << what;
        EXPECT_EQ(f.start, 1.0) << what;
        EXPECT_EQ(f.count, 2) << what;
        EXPECT_EQ(f.positions, (std::vector<double>{4, 5})) << what;
    }
    CapturePositionFile f;
    EXPECT_FALSE(f.Load(File("missing.dat")));
    EXPECT_FALSE(f.Load(settings.Folder())); // a folder
}

TEST_F(PositionFile, AFailedSaveLeavesTheOldFile) {
    Write("keep.dat", kRangeFile);
    CapturePositionFile f;
    f.positions = {std::nan("")};
    EXPECT_FALSE(f.Save(File("keep.dat")));
    EXPECT_FALSE(f.Save(File("no-folder/keep.dat")));
    EXPECT_EQ(Read("keep.dat"), kRangeFile);
    for (const auto& e : std::filesystem::directory_iterator(settings.Folder()))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

} // namespace
