// The one-message pump, button icons, window timers, the live ticker, the splitter grid and
// the replaceable services.
#include "ui/PrivateMessages.h"
#include "ui/ProgramHooks.h"
#include "ui/ResourceWidgets.h"
#include "ui/Services.h"
#include "ui/SplitterGrid.h"
#include "ui/TemplateWindow.h"
#include "ui/Timers.h"
#include "ui/testing/GuiTest.h"

#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/frame.h>
#include <wx/evtloop.h>
#include <wx/image.h>

#include <filesystem>
#include <thread>

using namespace ui;
using ui::testing::PumpUntil;

namespace {

class Window : public wxFrame, public MessageTarget {
public:
    Window()
        : wxFrame(nullptr, wxID_ANY, "loops", wxDefaultPosition, wxSize(400, 300)), MessageTarget(this) {}
};

// A handler that pumps one message (as the progress handler does) still sees the messages in
// the order they were posted, and every message is handled once.
TEST(LoopsGui, HandlersThatPumpSeeMessagesInPostOrder) {
    Window win;
    std::vector<WPARAM> order;
    win.OnMessage(WM_USER + 5, [&](WPARAM w, LPARAM) -> LRESULT {
        PumpOneMessageImpl(win.GetSafeHwnd());
        order.push_back(w);
        return 0;
    });
    std::thread worker([&] {
        for (WPARAM i = 0; i < 20; ++i)
            ::PostMessage(win.GetSafeHwnd(), WM_USER + 5, i, 0);
    });
    worker.join();
    ASSERT_TRUE(PumpUntil([&] { return order.size() == 20; }));
    for (WPARAM i = 0; i < 20; ++i)
        EXPECT_EQ(order[i], i);
}

TEST(LoopsGui, PumpRunsPostedMessagesOnTheUiThreadOnly) {
    Window win;
    int seen = 0;
    win.OnMessage(WM_USER + 6, [&](WPARAM, LPARAM) -> LRESULT { return ++seen; });
    ::PostMessage(win.GetSafeHwnd(), WM_USER + 6, 0, 0);
    std::thread other([&] { PumpOneMessageImpl(nullptr); }); // does nothing there
    other.join();
    EXPECT_EQ(seen, 0);
    PumpOneMessageImpl(nullptr);
    EXPECT_EQ(seen, 1);
    PumpOneMessageImpl(nullptr); // nothing waits: returns at once
    EXPECT_EQ(seen, 1);
}

TEST(LoopsGui, ButtonIconComesFromTheResourcesAndMissingOnesLeaveTheButton) {
    // The icons of the resource text below; the second one's file goes.
    constexpr int kUpIcon = 230;
    constexpr int kGoneIcon = 231;
    ScratchFolder scratch("vt-icon");
    wxImage img(16, 16);
    img.SetRGB(wxRect(0, 0, 16, 16), 200, 30, 30);
    ASSERT_TRUE(img.SaveFile(scratch / "up.png", wxBITMAP_TYPE_PNG));
    scratch.Write("gone.png", "png");
    ResourceRegistry saved = Resources();
    std::string error;
    ASSERT_TRUE(
        Resources().LoadText("ICON 230 \"up.png\"\nICON 231 \"gone.png\"\n", scratch.Path(), "icons", &error))
        << error;
    std::filesystem::remove(scratch / "gone.png"); // the file goes after the resources were read
    Window win;
    auto* button = new wxButton(&win, 800, wxString::FromUTF8("上へ"));
    HWND h = WindowHandle(button);
    EXPECT_EQ(SetButtonIconImpl(h, kGoneIcon), nullptr);
    EXPECT_FALSE(button->GetBitmap().IsOk());
    EXPECT_EQ(SetButtonIconImpl(h, kUpIcon), nullptr); // the button had no image before
    ASSERT_TRUE(button->GetBitmap().IsOk());
    EXPECT_EQ(button->GetBitmap().GetWidth(), 16);
    void* previous = SetButtonIconImpl(h, kUpIcon);
    ASSERT_NE(previous, nullptr);
    EXPECT_TRUE(static_cast<wxBitmap*>(previous)->IsOk());
    EXPECT_EQ(SetButtonIconImpl(nullptr, kUpIcon), nullptr);
    Resources() = saved;
}

TEST(LoopsGui, WindowTimersDeliverByIdAndStopWhenKilled) {
    Window win;
    WindowTimers timers(&win);
    std::vector<WPARAM> fired;
    win.OnMessage(WM_TIMER, [&](WPARAM id, LPARAM) -> LRESULT {
        fired.push_back(id);
        if (id == 1344)
            timers.KillTimer(1344); // a timer may end itself
        return 0;
    });
    EXPECT_EQ(timers.SetTimer(1344, 10), 1344u);
    EXPECT_EQ(timers.SetTimer(7, 0), 0u);
    int calls = 0;
    timers.SetTimer(9, 10, [&](UINT id) { calls += id == 9; });
    ASSERT_TRUE(PumpUntil([&] { return calls >= 3; }));
    // Three more periods of timer 9, in which 1344 would have fired again had it not ended.
    ASSERT_TRUE(PumpUntil([&] { return calls >= 6; }));
    EXPECT_EQ(std::count(fired.begin(), fired.end(), 1344u), 1);
    EXPECT_FALSE(timers.IsRunning(1344));
    EXPECT_TRUE(timers.IsRunning(9));
    EXPECT_TRUE(timers.KillTimer(9));
    EXPECT_FALSE(timers.KillTimer(9));
    int after = calls;
    // A timer of the same period that keeps running: three of its periods without timer 9.
    int reference = 0;
    timers.SetTimer(10, 10, [&](UINT) { ++reference; });
    ASSERT_TRUE(PumpUntil([&] { return reference >= 3; }));
    EXPECT_EQ(calls, after);
    timers.KillTimer(10);
}

TEST(LoopsGui, LiveTickerTicksOnlyInItsOwnLoop) {
    int ticks = 0;
    LiveTicker ticker([&] { ++ticks; });
    ASSERT_TRUE(ticker.StartTicking(5));
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; }));
    {
        // A nested loop (a modal dialog, a message box) runs: no ticks while it is active.
        wxGUIEventLoop nested;
        wxEventLoopActivator activate(&nested);
        int before = ticks;
        ASSERT_TRUE(PumpUntil([&] { return ticker.Skipped() >= 3; }));
        EXPECT_EQ(ticks, before);
    }
    int before = ticks;
    ASSERT_TRUE(PumpUntil([&] { return ticks >= before + 2; }));
    ticker.StopTicking();
    EXPECT_EQ(ticker.Ticks(), ticks);
}

TEST(LoopsGui, SplitterGridPlacesPanesAtTheirCells) {
    auto* frame = new wxFrame(nullptr, wxID_ANY, "grid", wxDefaultPosition, wxSize(800, 600));
    SplitterGrid grid(frame, 2, 2);
    wxWindow* panes[2][2];
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 2; ++c) {
            panes[r][c] = new wxWindow(grid.PaneParent(r, c), wxID_ANY);
            EXPECT_FALSE(grid.Finish(wxSize(230, 230)) && (r < 1 || c < 1));
            grid.SetPane(r, c, panes[r][c]);
        }
    ASSERT_TRUE(grid.Finish(wxSize(300, 200)));
    frame->Show();
    ASSERT_TRUE(ui::testing::WaitForPaint(frame));
    auto at = [&](int r, int c) { return panes[r][c]->GetScreenRect(); };
    EXPECT_LT(at(0, 0).GetRight(), at(0, 1).GetLeft());
    EXPECT_LT(at(0, 0).GetBottom(), at(1, 0).GetTop());
    EXPECT_LT(at(1, 0).GetRight(), at(1, 1).GetLeft());
    EXPECT_NEAR(at(0, 0).GetWidth(), 300, 8);
    EXPECT_NEAR(at(0, 0).GetHeight(), 200, 8);
    EXPECT_EQ(grid.GetPane(1, 1), panes[1][1]);
    EXPECT_EQ(grid.GetPane(2, 0), nullptr);
    grid.Show(false);
    EXPECT_FALSE(grid.Window()->IsShown());
    EXPECT_TRUE(ui::testing::DestroyAndWait(frame));
}

TEST(LoopsGui, ServicesAreReplacedAndRestored) {
    std::vector<std::string> titles;
    auto oldFile = SetFileDialogService([&](wxWindow*, const FileDialogRequest& r) {
        titles.push_back(r.title);
        FileDialogResult res;
        res.paths = {r.folder + "/" + r.fileName};
        res.filterIndex = 2;
        return res;
    });
    FileDialogRequest req;
    req.folder = "/data";
    req.fileName = "result.tif";
    FileDialogResult got = RunFileDialog(nullptr, req);
    EXPECT_EQ(got.paths, std::vector<std::string>{"/data/result.tif"});
    EXPECT_EQ(got.filterIndex, 2);
    // A dialog without a title of its own gets the program's open or save title, never the
    // toolkit's English one; a title given stays.
    req.open = false;
    RunFileDialog(nullptr, req);
    req.title = "保存ファイル設定";
    RunFileDialog(nullptr, req);
    EXPECT_EQ(titles, (std::vector<std::string>{"ファイルを開く", "名前を付けて保存", "保存ファイル設定"}));
    SetFileDialogService(oldFile);

    auto oldColour =
        SetColourDialogService([](wxWindow*, COLORREF c) -> std::optional<COLORREF> { return c ^ 0xFF; });
    EXPECT_EQ(ChooseColour(nullptr, RGB(1, 2, 3)), std::optional<COLORREF>(RGB(254, 2, 3)));
    SetColourDialogService(oldColour);

    auto oldKeys = SetKeyStateService([](int vk) -> SHORT { return vk == 0x02 ? SHORT(0x8000) : 0; });
    EXPECT_NE(AsyncKeyState(0x02), 0);
    EXPECT_EQ(AsyncKeyState(0x1B), 0);
    EXPECT_TRUE(AbortRequested());
    SetKeyStateService(oldKeys);
    EXPECT_FALSE(AbortRequested()); // nobody holds Esc or the right button under Xvfb
}

} // namespace
