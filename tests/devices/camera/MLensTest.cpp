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

TEST(MLens, CopyTakesEveryValue) {
    CMLens a;
    a.m_index = 3;
    a.SetName("x50");
    a.SetRegName("x50 cal");
    a.SetCalib(0.125);
    a.SetGap(2.5);
    a.m_scaleColor = RGB(1, 2, 3);
    a.m_scalePos = 4;
    a.m_scaleLength = 100.0;
    a.m_scaleDots = 7;
    a.m_scaleCeiling = 1000.0;

    CMLens b;
    b.Copy(a);
    CMLens c;
    c.Assign(b);
    for (const CMLens* l : {&b, &c}) {
        EXPECT_EQ(l->m_index, 3);
        EXPECT_EQ(l->GetName(), "x50");
        EXPECT_EQ(l->GetRegName(), "x50 cal");
        EXPECT_EQ(l->m_calib, 0.125);
        EXPECT_EQ(l->m_gap, 2.5);
        EXPECT_EQ(l->m_scaleColor, RGB(1, 2, 3));
        EXPECT_EQ(l->m_scalePos, 4);
        EXPECT_EQ(l->m_scaleLength, 100.0);
        EXPECT_EQ(l->m_scaleDots, 7);
        EXPECT_EQ(l->m_scaleCeiling, 1000.0);
    }
    b.Copy(b); // copying onto itself keeps the values
    EXPECT_EQ(b.GetName(), "x50");
}

} // namespace
