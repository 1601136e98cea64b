#include "platform/ProgramHelpers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(DecodeLensZoomByte, DecodesEveryNibble) {
    const double zoom[16] = {0.0, -1.0, 10.0, 9.0, 8.0, 7.0, 6.0, 5.0,
                             4.0, 3.5,  1.0,  1.5, 2.0, 2.5, 3.0, -1.0};
    const int lens[16] = {-1, 90, 30, -1, 300, 420, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    for (int b = 0; b < 256; ++b) {
        int l = 12345;
        double z = 12345;
        DecodeLensZoomByte(static_cast<BYTE>(b), l, z);
        EXPECT_EQ(l, lens[b >> 4]) << b;
        EXPECT_EQ(z, zoom[b & 15]) << b;
    }
    int l;
    double z;
    DecodeLensZoomByte(0x12, l, z);
    EXPECT_EQ(l, 90);
    EXPECT_EQ(z, 10.0);
    DecodeLensZoomByte(0x3A, l, z);
    EXPECT_EQ(l, -1);
    EXPECT_EQ(z, 1.0);
}

std::atomic<int> g_pumped{0};
HWND g_lastPumped = nullptr;
void CountingPump(HWND hwnd) {
    ++g_pumped;
    g_lastPumped = hwnd;
}
void* FakeIcon(HWND button, UINT iconId) {
    return reinterpret_cast<char*>(button) + iconId;
}

TEST(WindowSeams, PumpRunsOnlyOnTheInstallingThreadAndIconHookIsOptional) {
    HWND window = reinterpret_cast<HWND>(0x1000);
    PumpOneMessage(window); // no pump installed: nothing happens
    EXPECT_EQ(g_pumped, 0);
    EXPECT_EQ(SetPumpOneMessageHook(CountingPump), nullptr);
    PumpOneMessage(window);
    EXPECT_EQ(g_pumped, 1);
    EXPECT_EQ(g_lastPumped, window);
    std::thread([&] { PumpOneMessage(window); }).join(); // a worker's call pumps nothing
    EXPECT_EQ(g_pumped, 1);
    EXPECT_EQ(SetPumpOneMessageHook(nullptr), &CountingPump);
    PumpOneMessage(nullptr);
    EXPECT_EQ(g_pumped, 1);

    EXPECT_EQ(SetButtonIcon(window, 5), nullptr);
    SetSetButtonIconHook(FakeIcon);
    EXPECT_EQ(SetButtonIcon(window, 5), reinterpret_cast<char*>(window) + 5);
    SetSetButtonIconHook(nullptr);
}

} // namespace
