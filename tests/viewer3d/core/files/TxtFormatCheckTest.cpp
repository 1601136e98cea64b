// Checking integer text height files: every value measured, every kind of line end, and the
// text written by an independent tool reads with identical pixels for LF and CR LF.
#include "ReaderTestSupport.h"

#include "platform/File.h"
#include "viewer3d/core/files/ImageReaders.h"
#include "viewer3d/core/files/TxtFormatCheck.h"

#include <gtest/gtest.h>

using namespace v3d;

TEST(TxtFormatCheckTest, ValuesRowsTypesAndSeparators) {
    TxtFormat f;
    ASSERT_TRUE(CheckTxtFormat("1,2,3\n4,5,300\n", false, &f));
    EXPECT_EQ(f.columns, 3);
    EXPECT_EQ(f.rows, 2);
    EXPECT_EQ(f.separator, 1);
    EXPECT_EQ(f.valueType, 1);
    // The first value of a row counts for the maximum (it would be lost joined to the row before).
    ASSERT_TRUE(CheckTxtFormat("1\t2\r\n5000\t3\r\n", false, &f));
    EXPECT_EQ(f.valueType, 3);
    EXPECT_EQ(f.separator, 0);
    EXPECT_EQ(f.rows, 2);
    // CR alone, no line end at the end of the file, spaces skipped.
    ASSERT_TRUE(CheckTxtFormat("1, 2\r3, 4000", false, &f));
    EXPECT_EQ(f.rows, 2);
    EXPECT_EQ(f.columns, 2);
    EXPECT_EQ(f.valueType, 2);
    ASSERT_TRUE(CheckTxtFormat("1,2,3,4,5,6\n", true, &f));
    EXPECT_EQ(f.columns, 2);
    EXPECT_FALSE(CheckTxtFormat("1,70000\n", false, &f));
    EXPECT_TRUE(CheckTxtFormat("1,65535\n", false, &f));
    EXPECT_FALSE(CheckTxtFormat("12345678901234567,1\n", false, &f));
    EXPECT_FALSE(CheckTxtFormat("", false, &f));
    EXPECT_FALSE(CheckTxtFormat("\n\n", false, &f));
}

// Each sample type holds values below its limit: the limit itself needs the next type.
TEST(TxtFormatCheckTest, LargestValueAtEachLimitTakesTheNextType) {
    const struct {
        const char* text;
        int valueType;
    } cases[] = {{"0,255\n", 0},  {"0,256\n", 1}, {"1023,1\n", 1},
                 {"1024,1\n", 2}, {"4095\n", 2},  {"4096\n", 3}};
    for (const auto& c : cases) {
        TxtFormat f;
        ASSERT_TRUE(CheckTxtFormat(c.text, false, &f)) << c.text;
        EXPECT_EQ(f.valueType, c.valueType) << c.text;
    }
}

TEST(TxtFormatCheckTest, AwkWrittenFilesWithLfAndCrLfGiveTheSamePixels) {
    if (v3dtest::FindTool({"/usr/bin/awk", "/bin/awk"}).empty())
        GTEST_SKIP() << "awk is not installed";
    v3dtest::ScratchDir dir;
    const std::string lf = dir.Path("lf.txt"), crlf = dir.Path("crlf.txt");
    // Rows of "x*100+y*7" for x = 0..4, y = 0..3, ended by the given line end.
    auto write = [](const std::string& end, const std::string& path) {
        return v3dtest::Shell("awk 'BEGIN{for(y=0;y<4;y++){for(x=0;x<5;x++){printf \"%s%d\", (x?\",\":\"\"), "
                              "x*100+y*7};printf \"" +
                              end + "\"}}' > " + path);
    };
    ASSERT_EQ(write("\\n", lf), 0);
    ASSERT_EQ(write("\\r\\n", crlf), 0);
    HDIB images[2] = {};
    int i = 0;
    for (const std::string& path : {lf, crlf}) {
        CFile file(path, CFile::modeRead);
        TxtFormat f;
        ASSERT_EQ(CheckTxtFormat(&file, false, &f), 1);
        EXPECT_EQ(f.columns, 5);
        EXPECT_EQ(f.rows, 4);
        EXPECT_EQ(f.valueType, 1); // largest 421
        EXPECT_EQ(file.GetPosition(), 0u);
        int type = -1;
        images[i++] = ReadTxtFile(&file, f.valueType, f.columns, f.rows, f.separator == 1, &type);
        EXPECT_EQ(type, 4);
    }
    ASSERT_NE(images[0], nullptr);
    ASSERT_NE(images[1], nullptr);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(v3dtest::Sample(images[0], x, y), x * 100 + y * 7);
            EXPECT_EQ(v3dtest::Sample(images[1], x, y), x * 100 + y * 7);
        }
    GlobalFree(images[0]);
    GlobalFree(images[1]);
}
