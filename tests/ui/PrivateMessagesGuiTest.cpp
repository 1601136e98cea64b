// Private messages: posted from worker threads, sent synchronously, handler order, thread
// messages to the application, and targets that go away.
#include "ui/PrivateMessages.h"
#include "ui/TemplateWindow.h"
#include "ui/testing/GuiTest.h"

#include <gtest/gtest.h>

#include <wx/frame.h>
#include <wx/thread.h>

#include <atomic>
#include <thread>

using namespace ui;
using ui::testing::PumpUntil;

namespace {

constexpr UINT WM_TEST_A = WM_USER + 10;
constexpr UINT WM_TEST_B = WM_USER + 11;

class Window : public wxFrame, public MessageTarget {
public:
    Window() : wxFrame(nullptr, wxID_ANY, "messages"), MessageTarget(this) {}
};

struct Arrival {
    UINT message;
    WPARAM w;
    LPARAM l;
    bool onUiThread;
};

TEST(PrivateMessagesGui, PostFromWorkerArrivesOnUiThreadInOrder) {
    auto* win = new Window;
    std::vector<Arrival> got;
    win->OnMessageRange(WM_TEST_A, WM_TEST_B, [&](UINT m, WPARAM w, LPARAM l) -> LRESULT {
        got.push_back({m, w, l, wxThread::IsMain()});
        return 0;
    });
    HWND h = win->GetSafeHwnd();
    ASSERT_NE(h, nullptr);
    std::thread worker([h] {
        for (int i = 0; i < 50; ++i)
            ::PostMessage(h, i % 2 ? WM_TEST_B : WM_TEST_A, static_cast<WPARAM>(i), -i);
    });
    worker.join();
    ASSERT_TRUE(PumpUntil([&] { return got.size() == 50; }));
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(got[i].message, i % 2 ? WM_TEST_B : WM_TEST_A);
        EXPECT_EQ(got[i].w, static_cast<WPARAM>(i));
        EXPECT_EQ(got[i].l, -i);
        EXPECT_TRUE(got[i].onUiThread);
    }
    EXPECT_TRUE(ui::testing::DestroyAndWait(win));
}

TEST(PrivateMessagesGui, FirstEntryOfTheTableWinsAndUnhandledGivesZero) {
    Window win;
    std::vector<int> order;
    win.OnMessage(WM_TEST_A, [&](WPARAM, LPARAM) -> LRESULT {
        order.push_back(1);
        return 11;
    });
    win.OnMessageRange(WM_TEST_A, WM_TEST_B, [&](UINT, WPARAM, LPARAM) -> LRESULT {
        order.push_back(2);
        return 22;
    });
    EXPECT_EQ(SendMessageTo(win.GetSafeHwnd(), WM_TEST_A, 0, 0), 11);
    EXPECT_EQ(::SendMessage(win.GetSafeHwnd(), WM_TEST_B, 0, 0), 22);
    EXPECT_EQ(::SendMessage(win.GetSafeHwnd(), WM_USER + 99, 0, 0), 0);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST(PrivateMessagesGui, SendFromWorkerWaitsForTheUiThread) {
    Window win;
    std::atomic<bool> handlerOnUi{false};
    win.OnMessage(WM_TEST_A, [&](WPARAM w, LPARAM l) -> LRESULT {
        handlerOnUi = wxThread::IsMain();
        return static_cast<LRESULT>(w) + l;
    });
    std::atomic<LRESULT> result{-1};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        result = ::SendMessage(win.GetSafeHwnd(), WM_TEST_A, 40, 2);
        done = true;
    });
    ASSERT_TRUE(PumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(result.load(), 42);
    EXPECT_TRUE(handlerOnUi.load());
}

TEST(PrivateMessagesGui, DestroyedTargetDropsQueuedMessagesAndItsHandleIsNotReused) {
    int calls = 0;
    HWND old;
    {
        Window win;
        win.OnMessage(WM_TEST_A, [&](WPARAM, LPARAM) -> LRESULT { return ++calls; });
        old = win.GetSafeHwnd();
        EXPECT_TRUE(::PostMessage(old, WM_TEST_A, 0, 0));
        EXPECT_TRUE(::IsWindow(old));
    }
    EXPECT_FALSE(::IsWindow(old));
    EXPECT_FALSE(::PostMessage(old, WM_TEST_A, 0, 0));
    EXPECT_EQ(::SendMessage(old, WM_TEST_A, 0, 0), 0);
    Window next;
    EXPECT_NE(next.GetSafeHwnd(), old);
    // Messages are delivered in the order they were posted: once one posted afterwards has
    // arrived, the one to the destroyed window has had its turn.
    bool arrived = false;
    next.OnMessage(WM_TEST_B, [&](WPARAM, LPARAM) -> LRESULT { return arrived = true; });
    ASSERT_TRUE(::PostMessage(next.GetSafeHwnd(), WM_TEST_B, 0, 0));
    ASSERT_TRUE(PumpUntil([&] { return arrived; }));
    EXPECT_EQ(calls, 0);
}

TEST(PrivateMessagesGui, ThreadMessagesReachTheApplicationTarget) {
    MessageTarget app(nullptr);
    std::vector<UINT> got;
    app.OnMessage(0x507, [&](WPARAM, LPARAM) -> LRESULT {
        got.push_back(0x507);
        return 0;
    });
    app.OnMessage(0x508, [&](WPARAM, LPARAM) -> LRESULT {
        got.push_back(0x508);
        return 0;
    });
    SetThreadMessageTarget(&app);
    std::thread worker([] { ::PostThreadMessage(0x508, 0, 0); });
    worker.join();
    ::PostThreadMessage(0x507, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return got.size() == 2; }));
    EXPECT_EQ(got, (std::vector<UINT>{0x508, 0x507}));
    SetThreadMessageTarget(nullptr);
    ::PostThreadMessage(0x507, 0, 0);
    // A window message posted afterwards arrives after the thread message had its turn.
    MessageTarget barrier(nullptr);
    bool passed = false;
    barrier.OnMessage(WM_TEST_A, [&](WPARAM, LPARAM) -> LRESULT { return passed = true; });
    ASSERT_TRUE(::PostMessage(barrier.GetSafeHwnd(), WM_TEST_A, 0, 0));
    ASSERT_TRUE(PumpUntil([&] { return passed; }));
    EXPECT_EQ(got.size(), 2u);
}

TEST(PrivateMessagesGui, ControlsGetHandlesOnDemandAndLoseThemWithTheWindow) {
    auto* frame = new wxFrame(nullptr, wxID_ANY, "controls");
    auto* child = new wxWindow(frame, 77);
    HWND h = WindowHandle(child);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(WindowHandle(child), h);
    EXPECT_EQ(WindowFromHandle(h), child);
    EXPECT_LE(reinterpret_cast<uintptr_t>(h), 0xFFFFFFFFu);
    EXPECT_EQ(TokenToHandle(HandleToToken(h)), h);
    delete child;
    EXPECT_EQ(WindowFromHandle(h), nullptr);
    EXPECT_TRUE(ui::testing::DestroyAndWait(frame));
}

// Core code sends WM_COMMAND to a dialog as a button would.
TEST(PrivateMessagesGui, CommandMessageReachesTheDialogCommandTable) {
    ResourceRegistry reg;
    constexpr int kDialog = 600; // the ids of the template below and of its button
    constexpr int kButton = 601;
    ASSERT_TRUE(reg.LoadText("DIALOG 600 0 0 100 40 \"x\"\n PUSHBUTTON 601 \"a\" 5 5 40 14\nEND\n", "", "t"));
    TemplateDialog dlg(nullptr, kDialog, &reg);
    int hits = 0;
    dlg.OnCommand(kButton, [&] { ++hits; });
    ASSERT_TRUE(dlg.Create(false));
    ::SendMessage(dlg.GetSafeHwnd(), WM_COMMAND, kButton, 0);
    ::PostMessage(dlg.GetSafeHwnd(), WM_COMMAND, kButton, 0);
    ASSERT_TRUE(PumpUntil([&] { return hits == 2; }));
}

} // namespace
