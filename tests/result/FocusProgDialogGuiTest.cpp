// The progress dialog: built from template 35, its bar and the cancel message to the parent.
#include "imaging/compose/WorkerMessages.h"
#include "result/FocusProgDialog.h"
#include "imaging/gui/GuiHooks.h"
#include "ui/RoutedFrame.h"
#include "ui/testing/GuiTest.h"

#include <gtest/gtest.h>

#include <wx/button.h>

using ui::testing::Click;
using ui::testing::PumpUntil;

namespace {

class ProgressDialogGui : public ::testing::Test {
protected:
    void SetUp() override {
        InstallImagingGuiServices();
        frame = new ui::RoutedFrame(nullptr, "Vantorel", wxDefaultPosition, wxSize(640, 480));
        frame->OnMessage(WM_WORK_CANCEL, [this](WPARAM w, LPARAM l) -> LRESULT {
            cancels.push_back({w, l});
            return 0;
        });
        frame->Show();
    }
    void TearDown() override { EXPECT_TRUE(ui::testing::DestroyAndWait(frame)); }
    ui::RoutedFrame* frame = nullptr;
    std::vector<std::pair<WPARAM, LPARAM>> cancels;
};

TEST_F(ProgressDialogGui, BuiltFromTemplateWithCaptionBarAndCancel) {
    CFocusProgDialog dlg(frame);
    dlg.SetCancelable(TRUE);
    ASSERT_TRUE(dlg.Create(true));
    dlg.SetTitle(wxString::FromUTF8("ﾌｫｰｶｽ合成中"));
    dlg.SetMessage(wxString());
    dlg.SetRange(0x7FFFFFFF);
    dlg.SetCancelMessage(WM_WORK_CANCEL);
    dlg.SetPos(0x7FFFFFFF / 2);
    ASSERT_TRUE(ui::testing::WaitForPaint(&dlg));

    EXPECT_EQ(dlg.GetTitle(), wxString::FromUTF8("ﾌｫｰｶｽ合成中"));
    auto* bar = dynamic_cast<wxGauge*>(dlg.GetDlgItem(IDC_FOCUS_PROGRESS_BAR));
    auto* cancel = dynamic_cast<wxButton*>(dlg.GetDlgItem(IDCANCEL));
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->GetLabel(), wxString::FromUTF8("ｷｬﾝｾﾙ"));
    EXPECT_EQ(bar->GetRange(), 0x7FFFFFFF);
    EXPECT_EQ(dlg.GetPos(), 0x7FFFFFFF / 2);
    const wxRect client(wxPoint(0, 0), dlg.GetClientSize());
    EXPECT_TRUE(client.Contains(bar->GetRect()));
    EXPECT_TRUE(client.Contains(cancel->GetRect()));
    EXPECT_FALSE(bar->GetRect().Intersects(cancel->GetRect()));
    EXPECT_LE(cancel->GetTextExtent(cancel->GetLabel()).x + 8, cancel->GetSize().x);
    EXPECT_TRUE(ui::testing::Screenshot(&dlg, ui::testing::OutputFolder() + "/progress-dialog.png"));
    ui::testing::ScreenshotRoot(ui::testing::OutputFolder() + "/progress-dialog-screen.png");
}

TEST_F(ProgressDialogGui, CancelPostsToTheParentAndStaysOpen) {
    CFocusProgDialog dlg(frame);
    dlg.SetCancelable(TRUE);
    ASSERT_TRUE(dlg.Create(true));
    dlg.SetCancelMessage(WM_WORK_CANCEL);
    Click(dlg.GetDlgItem(IDCANCEL));
    ASSERT_TRUE(PumpUntil([&] { return cancels.size() == 1; }));
    EXPECT_EQ(cancels[0], (std::pair<WPARAM, LPARAM>{0, 0}));
    EXPECT_TRUE(dlg.IsCancelled());
    EXPECT_TRUE(dlg.IsShown());
    // Esc and the close box are Cancel too.
    wxKeyEvent key(wxEVT_CHAR_HOOK);
    key.m_keyCode = WXK_ESCAPE;
    dlg.ProcessWindowEvent(key);
    dlg.Close();
    ASSERT_TRUE(PumpUntil([&] { return cancels.size() == 3; }));
    EXPECT_TRUE(dlg.IsShown());
    // The parent ends it when the worker has ended.
    dlg.EndDialog(0);
    EXPECT_FALSE(dlg.IsShown());
}

TEST_F(ProgressDialogGui, NotCancelableStillPostsButKeepsTheFlagClear) {
    CFocusProgDialog dlg(frame);
    dlg.SetCancelable(FALSE);
    ASSERT_TRUE(dlg.Create(true));
    dlg.SetCancelable(TRUE); // too late: the window exists; only the flag is cleared
    EXPECT_FALSE(dlg.IsCancelable());
    dlg.SetCancelMessage(WM_WORK_CANCEL);
    Click(dlg.GetDlgItem(IDCANCEL));
    ASSERT_TRUE(PumpUntil([&] { return cancels.size() == 1; }));
    EXPECT_FALSE(dlg.IsCancelled());
}

TEST_F(ProgressDialogGui, RangeResetsThePositionAndPositionsStayInside) {
    CFocusProgDialog dlg(frame);
    dlg.SetRange(50); // before the window: stored only
    EXPECT_EQ(dlg.GetRangeUpper(), 50);
    ASSERT_TRUE(dlg.Create(false));
    dlg.SetRange(100);
    dlg.SetPos(40);
    EXPECT_EQ(dlg.GetPos(), 40);
    dlg.SetRange(200);
    EXPECT_EQ(dlg.GetPos(), 0);
    dlg.SetPos(0x7FFFFFFF); // beyond the range: held at its end, no assertion
    EXPECT_EQ(dlg.GetPos(), 200);
    dlg.SetPos(-5);
    EXPECT_EQ(dlg.GetPos(), 0);
}

TEST_F(ProgressDialogGui, SetPosPumpsPostedMessages) {
    CFocusProgDialog dlg(frame);
    ASSERT_TRUE(dlg.Create(false));
    dlg.SetRange(10);
    int seen = 0;
    frame->OnMessage(WM_USER + 1, [&](WPARAM, LPARAM) -> LRESULT { return ++seen; });
    ::PostMessage(frame->GetSafeHwnd(), WM_USER + 1, 0, 0);
    dlg.SetPos(1);
    EXPECT_EQ(seen, 1);
}

} // namespace
