#include "devices/camera/MLens.h"

#include <gtest/gtest.h>

namespace {

TEST(MLens, NamesAreTrimmedOfBlanksAndTabs) {
    CMLens l;
    l.SetName(" x10 \t");
    EXPECT_EQ(l.GetName(), "x10");
    l.SetRegName("\t 対物 20倍\t ");
    EXPECT_EQ(l.GetRegName(), "対物 20倍");
    l.SetName("   ");
    EXPECT_EQ(l.GetName(), "");
    l.SetName(static_cast<const char*>(nullptr));
    EXPECT_EQ(l.GetName(), "");

    char text[] = " \ta b\t ";
    TrimBlanks(text);
    EXPECT_STREQ(text, "a b");
    char blanks[] = " \t ";
    TrimBlanks(blanks);
    EXPECT_STREQ(blanks, "");
}

} // namespace
