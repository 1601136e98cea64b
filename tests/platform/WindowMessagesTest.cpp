// The wx-free message seam: without hooks nothing is delivered; with hooks every call reaches
// them unchanged, from any thread, also while hooks are being replaced.
#include "platform/WindowMessages.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace {

struct Posted {
    HWND w;
    UINT m;
    WPARAM wp;
    LPARAM lp;
};

TEST(WindowMessages, WithoutHooksPostsFailAndSendsGiveZero) {
    ClearWindowMessageHooks();
    HWND w = TokenToHandle(0x10001);
    EXPECT_FALSE(PostMessage(w, WM_USER, 1, 2));
    EXPECT_EQ(SendMessage(w, WM_USER, 1, 2), 0);
    EXPECT_FALSE(PostThreadMessage(0x507, 0, 0));
    EXPECT_FALSE(IsWindow(w));
}

TEST(WindowMessages, HooksReceiveEveryCallUnchanged) {
    std::vector<Posted> posts;
    std::vector<UINT> threadMsgs;
    WindowMessageHooks hooks;
    hooks.post = [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> BOOL {
        posts.push_back({w, m, wp, lp});
        return TRUE;
    };
    hooks.send = [](HWND, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        return static_cast<LRESULT>(m + wp) + lp;
    };
    hooks.postThread = [&](UINT m, WPARAM, LPARAM) -> BOOL {
        threadMsgs.push_back(m);
        return TRUE;
    };
    hooks.isWindow = [](HWND w) -> BOOL { return HandleToToken(w) == 0x10001; };
    SetWindowMessageHooks(hooks);
    HWND w = TokenToHandle(0x10001);
    EXPECT_TRUE(PostMessage(w, 0x524, 0x7FFFFFFF, -1));
    EXPECT_EQ(SendMessage(w, 0x400, 5, -1), 0x404);
    EXPECT_TRUE(PostThreadMessage(0x508, 0, 0));
    EXPECT_TRUE(IsWindow(w));
    EXPECT_FALSE(IsWindow(TokenToHandle(0x10002)));
    // A null handle never reaches the hooks.
    EXPECT_FALSE(PostMessage(nullptr, 0x524, 0, 0));
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].w, w);
    EXPECT_EQ(posts[0].m, 0x524u);
    EXPECT_EQ(posts[0].wp, 0x7FFFFFFFu);
    EXPECT_EQ(posts[0].lp, -1);
    EXPECT_EQ(threadMsgs, std::vector<UINT>{0x508});
    ClearWindowMessageHooks();
}

TEST(WindowMessages, TokensRoundTripThroughThirtyTwoBits) {
    for (DWORD t : {0x1u, 0x10000u, 0xFFFFFFFFu})
        EXPECT_EQ(HandleToToken(TokenToHandle(t)), t);
}

TEST(WindowMessages, PostingWhileHooksChangeIsSafe) {
    std::atomic<int> delivered{0};
    std::atomic<bool> stop{false};
    auto make = [&] {
        WindowMessageHooks h;
        h.post = [&](HWND, UINT, WPARAM, LPARAM) -> BOOL {
            ++delivered;
            return TRUE;
        };
        return h;
    };
    SetWindowMessageHooks(make());
    std::thread poster([&] {
        while (!stop)
            PostMessage(TokenToHandle(0x10001), WM_USER, 0, 0);
    });
    for (int i = 0; i < 2000; ++i) {
        if (i % 2)
            SetWindowMessageHooks(make());
        else
            ClearWindowMessageHooks();
    }
    stop = true;
    poster.join();
    SetWindowMessageHooks(make());
    int before = delivered;
    EXPECT_TRUE(PostMessage(TokenToHandle(0x10001), WM_USER, 0, 0));
    EXPECT_EQ(delivered, before + 1);
    ClearWindowMessageHooks();
}

} // namespace
