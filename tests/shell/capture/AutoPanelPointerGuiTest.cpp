// The hold-to-jog buttons of the automatic panel under the real pointer: a held button moves the
// axis until it is let go, and whatever ends the hold (the release, another window taking the
// pointer, the focus leaving, the button going) stops the axis and leaves the pointer free.
#include "AutoPanelFixture.h"

#include "ids/VantorelIds.h"
#include "shell/controls/ButtonOn.h"
#include "ui/testing/Pointer.h"

#include <wx/frame.h>

#include <algorithm>

namespace {

using ui::testing::PointerPress;
using ui::testing::PointerRelease;
using ui::testing::PointerTo;
using ui::testing::PumpUntil;

class AutoPanelPointer : public AutoPanel {
protected:
    CButtonOn* Jog(int id) { return dynamic_cast<CButtonOn*>(Item(id)); }
    // The left button held on the button's middle until the axis has run `pulses` away.
    ::testing::AssertionResult HoldUntilMoved(wxWindow* button, long pulses) {
        const long from = emulator->ProgramPosition();
        if (auto r = PointerTo(button, wxPoint(button->GetClientSize().x / 2, button->GetClientSize().y / 2));
            !r)
            return r;
        if (auto r = PointerPress(); !r)
            return r;
        if (!PumpUntil([&] { return std::abs(emulator->ProgramPosition() - from) > pulses; }))
            return ::testing::AssertionFailure() << "the held button did not move the axis";
        return ::testing::AssertionSuccess();
    }
    // The axis stands still and stays where it stopped.
    ::testing::AssertionResult StaysStopped() {
        if (!PumpUntil([&] { return !emulator->AxisMoving(); }, 2000))
            return ::testing::AssertionFailure()
                   << "the axis is still moving at " << emulator->ProgramPosition();
        const long at = emulator->ProgramPosition();
        PumpUntil([] { return false; }, 300);
        if (emulator->ProgramPosition() != at)
            return ::testing::AssertionFailure()
                   << "the axis moved on from " << at << " to " << emulator->ProgramPosition();
        return ::testing::AssertionSuccess();
    }
};

TEST_F(AutoPanelPointer, EachReleaseStopsTheJogAndFreesThePointer) {
    ASSERT_TRUE(Start("mmc2", 1, 0.5, 40));
    // The controller has had the stop (after the last go) by the time the program has handled
    // the release: the release stops the axis (or the held check did just before it), nothing
    // later does. Timed in milliseconds, this would measure the loaded machine's scheduling of
    // the line's two ends as well.
    bool handled = false, stopSentWhenHandled = false;
    for (int id : {vtid::AutoPanel::JogUp, vtid::AutoPanel::JogDown})
        Jog(id)->Bind(wxEVT_LEFT_UP, [&, id](wxMouseEvent& ev) {
            ev.Skip();
            // Runs once the button's own handling of this release has returned.
            Jog(id)->CallAfter([&] {
                handled = true;
                const std::vector<std::string> c = emulator->Commands();
                stopSentWhenHandled =
                    std::find(c.rbegin(), c.rend(), "L:W\r\n") < std::find(c.rbegin(), c.rend(), "G:\r\n");
            });
        });
    // One button, then the other (the second hold is the one that never stopped).
    for (int id : {vtid::AutoPanel::JogUp, vtid::AutoPanel::JogDown, vtid::AutoPanel::JogUp}) {
        CButtonOn* button = Jog(id);
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(HoldUntilMoved(button, 60)) << id;
        EXPECT_TRUE(button->IsJogging());
        handled = stopSentWhenHandled = false;
        ASSERT_TRUE(PointerRelease());
        ASSERT_TRUE(PumpUntil([&] { return handled; })) << id;
        EXPECT_TRUE(stopSentWhenHandled) << id;
        EXPECT_TRUE(StaysStopped()) << id;
        EXPECT_FALSE(button->IsJogging());
        // The panel shows where it stopped.
        const long stopped = emulator->ProgramPosition();
        EXPECT_DOUBLE_EQ(panel->CurrentZ(), (stopped - 40) * 0.5);
        EXPECT_EQ(panel->GetDlgItemText(vtid::AutoPanel::ZPosition).ToStdString(),
                  wxString::Format("%.3f", (stopped - 40) * 0.5).ToStdString());
        EXPECT_TRUE(ui::testing::ClickElsewhereIsReceived(panel)) << id;
    }
    EXPECT_EQ(wxWindow::GetCapture(), nullptr);
    // A controller that does not report the stop: the user is told once the release is handled.
    CScriptedMessageSink sink(IDOK);
    CButtonOn* up = Jog(vtid::AutoPanel::JogUp);
    ASSERT_TRUE(HoldUntilMoved(up, 60));
    emulator->SetFailureMode(FailureMode::Silent);
    ASSERT_TRUE(PointerRelease());
    EXPECT_TRUE(PumpUntil([&] { return !sink.ShownIds().empty(); }, 15000));
    EXPECT_EQ(sink.ShownIds(), std::vector<UINT>{vtid::str::WrongController});
    emulator->SetFailureMode(FailureMode::None);
}

TEST_F(AutoPanelPointer, ALostGrabALostFocusOrAClosedButtonStopsTheJog) {
    ASSERT_TRUE(Start("mmc2", 1, 0.5, 40));
    CButtonOn* up = Jog(vtid::AutoPanel::JogUp);
    CButtonOn* down = Jog(vtid::AutoPanel::JogDown);
    ASSERT_NE(up, nullptr);
    ASSERT_NE(down, nullptr);

    // Another window takes the pointer while the button is held.
    auto* other = new wxFrame(nullptr, wxID_ANY, "other", wxPoint(1300, 900), wxSize(80, 60));
    other->Show();
    ASSERT_TRUE(ui::testing::WaitForPaint(other));
    ASSERT_TRUE(HoldUntilMoved(down, 60));
    other->CaptureMouse();
    // The grab moves to the other window with the next event of the pointer.
    ASSERT_TRUE(PointerTo(down, wxPoint(2, 2)));
    EXPECT_TRUE(PumpUntil([&] { return !down->IsJogging(); }, 2000));
    EXPECT_TRUE(StaysStopped());
    other->ReleaseMouse();
    ASSERT_TRUE(PointerRelease());
    ui::testing::DestroyAndWait(other);
    EXPECT_TRUE(ui::testing::ClickElsewhereIsReceived(panel));

    // The focus goes to another control while held.
    ASSERT_TRUE(HoldUntilMoved(up, 60));
    panel->GetDlgItem(vtid::AutoPanel::ZPosition)->SetFocus();
    EXPECT_TRUE(PumpUntil([&] { return !up->IsJogging(); }, 2000));
    EXPECT_TRUE(StaysStopped());
    ASSERT_TRUE(PointerRelease());
    EXPECT_TRUE(ui::testing::ClickElsewhereIsReceived(panel));

    // The button goes while held.
    auto* extra = new CButtonOn(panel, wxID_ANY, "+", wxPoint(0, 0), wxSize(40, 30));
    extra->SetController(&Frame()->CaptureView()->Stage(), 1);
    ASSERT_TRUE(HoldUntilMoved(extra, 60));
    extra->Destroy();
    EXPECT_FALSE(emulator->AxisMoving());
    EXPECT_TRUE(StaysStopped());
    ASSERT_TRUE(PointerRelease());
    EXPECT_TRUE(ui::testing::ClickElsewhereIsReceived(panel));
}

// The MII controller is opened for a jog and closed after it (remote mode on and off).
TEST_F(AutoPanelPointer, MIIJogOpensAndClosesTheController) {
    ASSERT_TRUE(Start("mii", 9));
    CButtonOn* up = Jog(vtid::AutoPanel::JogUp);
    ASSERT_NE(up, nullptr);
    EXPECT_TRUE(Shown(vtid::AutoPanel::JogUp));
    const auto& commands = emulator->Commands();
    EXPECT_NE(std::find(commands.begin(), commands.end(), "H:A\r\n"), commands.end()); // home at start
    emulator->ClearLog();
    const long before = emulator->ProgramPosition();
    ASSERT_TRUE(HoldUntilMoved(up, 50));
    EXPECT_TRUE(dynamic_cast<AbEmulator*>(emulator.get())->Remote());
    ASSERT_TRUE(PointerRelease());
    EXPECT_TRUE(StaysStopped());
    EXPECT_FALSE(dynamic_cast<AbEmulator*>(emulator.get())->Remote());
    const std::vector<std::string> seen = emulator->Commands();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), "RMT:ON\r\n");
    EXPECT_EQ(seen.back(), "RMT:OFF\r\n");
    EXPECT_DOUBLE_EQ(panel->CurrentZ(), static_cast<double>(emulator->ProgramPosition() - before));
}

} // namespace
