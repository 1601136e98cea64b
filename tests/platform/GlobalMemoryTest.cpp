#include "platform/GlobalMemory.h"

#include <gtest/gtest.h>

TEST(GlobalMemory, ZeroInitFixedAndMoveableBlocksLockToTheirPayload) {
    for (UINT flags : {GPTR, GHND}) {
        HGLOBAL h = GlobalAlloc(flags, 100);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(GlobalSize(h), 100u);
        auto* p = static_cast<BYTE*>(GlobalLock(h));
        ASSERT_NE(p, nullptr);
        for (int i = 0; i < 100; ++i)
            EXPECT_EQ(p[i], 0) << i;
        EXPECT_EQ(GlobalHandle(p), h);
        EXPECT_EQ(GlobalHandle(p + 1), nullptr);
        GlobalUnlock(h);
        EXPECT_EQ(GlobalFree(h), nullptr);
    }
}

TEST(GlobalMemory, ReAllocKeepsContentsAndHandleAndZeroesTheGrowth) {
    HGLOBAL h = GlobalAlloc(GHND, 4);
    auto* p = static_cast<BYTE*>(GlobalLock(h));
    p[0] = 1, p[3] = 4;
    GlobalUnlock(h);
    ASSERT_EQ(GlobalReAlloc(h, 64, GMEM_ZEROINIT), h);
    EXPECT_EQ(GlobalSize(h), 64u);
    p = static_cast<BYTE*>(GlobalLock(h));
    EXPECT_EQ(p[0], 1);
    EXPECT_EQ(p[3], 4);
    EXPECT_EQ(p[63], 0);
    GlobalUnlock(h);
    GlobalFree(h);
}

// Blocks of image size come from pages of their own: zeroed, found from their payload, grown
// and shrunk across that size with their contents, and freed like any other.
TEST(GlobalMemory, ImageSizedBlocksKeepTheRulesOfSmallOnes) {
    const SIZE_T big = SIZE_T(9) << 20;
    HGLOBAL h = GlobalAlloc(GPTR, big);
    ASSERT_NE(h, nullptr);
    auto* p = static_cast<BYTE*>(GlobalLock(h));
    EXPECT_TRUE(p[0] == 0 && p[big / 2] == 0 && p[big - 1] == 0);
    EXPECT_EQ(GlobalHandle(p), h);
    p[0] = 7, p[big - 1] = 9;
    GlobalUnlock(h);
    ASSERT_EQ(GlobalReAlloc(h, 2 * big, GMEM_ZEROINIT), h);
    p = static_cast<BYTE*>(GlobalLock(h));
    EXPECT_TRUE(p[0] == 7 && p[big - 1] == 9 && p[2 * big - 1] == 0);
    GlobalUnlock(h);
    ASSERT_EQ(GlobalReAlloc(h, 16, 0), h); // back to a heap block
    p = static_cast<BYTE*>(GlobalLock(h));
    EXPECT_EQ(p[0], 7);
    EXPECT_EQ(GlobalHandle(p), h);
    GlobalUnlock(h);
    ASSERT_EQ(GlobalReAlloc(h, big, GMEM_ZEROINIT), h);
    p = static_cast<BYTE*>(GlobalLock(h));
    EXPECT_TRUE(p[0] == 7 && p[16] == 0 && p[big - 1] == 0);
    GlobalUnlock(h);
    EXPECT_EQ(GlobalFree(h), nullptr);
}

TEST(GlobalMemory, AbsurdSizesFailInsteadOfWrapping) {
    EXPECT_EQ(GlobalAlloc(GPTR, SIZE_T(-1)), nullptr);
    EXPECT_EQ(GlobalAlloc(GPTR, kGlobalMaxBlock + 1), nullptr);
    EXPECT_EQ(GlobalLock(nullptr), nullptr);
    EXPECT_EQ(GlobalSize(nullptr), 0u);
}

TEST(GlobalMemory, StatusReportsPhysicalMemory) {
    MEMORYSTATUS ms;
    GlobalMemoryStatus(&ms);
    EXPECT_GT(ms.ullTotalPhys, 0u);
    EXPECT_GT(ms.ullAvailPhys, 0u);
    EXPECT_LE(ms.ullAvailPhys, ms.ullTotalPhys);
    // Other processes change the free memory between two readings: only bound the figure.
    EXPECT_GT(GlobalAvailableBytes(), 0u);
    EXPECT_LE(GlobalAvailableBytes(), ms.ullTotalPhys + ms.ullTotalPageFile);
}
