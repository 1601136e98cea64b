#include "platform/ShellInfo.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FileTypeName, FromTheMimeDatabaseElseFromTheExtension) {
    EXPECT_EQ(GetFileTypeName("/nowhere/capture.qzxw"), "QZXW File");
    EXPECT_EQ(GetFileTypeName("/nowhere/capture.QzX9"), "QZX9 File");
    EXPECT_EQ(GetFileTypeName("/nowhere.d/noextension"), "File");
    std::string bmp = GetFileTypeName("/nowhere/picture.bmp");
    EXPECT_FALSE(bmp.empty());
    EXPECT_NE(bmp, "BMP File") << "the MIME database knows bitmaps";
    EXPECT_EQ(GetFileTypeName("/nowhere/other.bmp"), bmp) << "same type, same text";
    EXPECT_NE(GetFileTypeName("/tmp"), "File") << "a folder has its own type name";
}

} // namespace
