// The program's message boxes on the X server: a box belongs to the window the user acted in,
// comes up above it again when that window is raised or clicked, leaves the program's other
// windows where they were, and opens inside the work area of its owner's monitor.
#include "ui/DialogPlacement.h"
#include "ui/MessageBoxes.h"
#include "ui/testing/GuiTest.h"
#include "ui/testing/Pointer.h"

#include "ids/VantorelIds.h"
#include "tests/ui/WindowStacking.h"
#include "ui/testing/WindowManager.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/dcscreen.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/uiaction.h>

#include <gtk/gtk.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

using ui::testing::ClickOnScreen;
using ui::testing::PumpUntil;
using ui::testing::WaitForPaint;
using ui::testing::WhenModal;

namespace {

wxPoint Middle(wxWindow* w) {
    const wxRect r = w->GetScreenRect();
    return {r.x + r.width / 2, r.y + r.height / 2};
}

// Two windows of the program: the one the user acts in, with a button that asks a question,
// and another one that the program brought forward last (the application's top window), as the
// result window after a composition.
class MessageBoxGui : public ::testing::Test {
protected:
    void SetUp() override {
        other = new wxFrame(nullptr, wxID_ANY, "other", wxPoint(360, 260), wxSize(520, 420));
        other->Show();
        ASSERT_TRUE(WaitForPaint(other));
        acted = new wxFrame(nullptr, wxID_ANY, "acted", wxPoint(80, 80), wxSize(640, 480));
        ask = new wxButton(acted, wxID_ANY, "ask", wxPoint(20, 20), wxSize(120, 40));
        ask->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { answer = ui::ShowMessageById(message, type); });
        acted->Show();
        ASSERT_TRUE(WaitForPaint(acted));
        wxTheApp->SetTopWindow(other);
    }
    void TearDown() override {
        wxTheApp->SetTopWindow(nullptr);
        EXPECT_TRUE(ui::testing::DestroyAndWait(acted));
        EXPECT_TRUE(ui::testing::DestroyAndWait(other));
    }

    ui::WxMessageSink boxes;
    CMessageSinkScope scope{&boxes};
    wxFrame* other = nullptr;
    wxFrame* acted = nullptr;
    wxButton* ask = nullptr;
    // What the button asks.
    UINT message = vtid::str::NoScaleSettings;
    UINT type = MB_OK | MB_ICONEXCLAMATION;
    std::optional<int> answer;
};

TEST_F(MessageBoxGui, BelongsToTheWindowActedInAndStaysAboveIt) {
    bool ownedByActed = false, transientForActed = false, otherLeftBelow = false, aboveAtFirst = false;
    bool aboveAfterRaise = false, upAfterClick = false;
    WhenModal([&](wxDialog* box) {
        ownedByActed = box->GetParent() == acted;
        transientForActed = stacking::TransientFor(box) == stacking::XidOf(acted);
        otherLeftBelow = stacking::IsAbove(acted, other);
        aboveAtFirst = stacking::IsAbove(box, acted);
        // Another client raises the window the box blocks.
        stacking::RaiseThroughServer(acted);
        aboveAfterRaise = PumpUntil([&] { return stacking::IsAbove(box, acted); });
        // The other window comes over the box (a window manager may keep the box above all the
        // program's windows); a click on the blocked window brings the box up again.
        stacking::RaiseThroughServer(other);
        if (!PumpUntil([&] { return stacking::IsAbove(other, box); }, 2000)) {
            upAfterClick = true;
            box->EndModal(wxID_OK);
            return;
        }
        const wxPoint free = acted->ClientToScreen(wxPoint(10, 440));
        wxUIActionSimulator sim;
        sim.MouseMove(free);
        PumpUntil([&] { return wxGetMouseState().GetPosition() == free; });
        sim.MouseClick();
        upAfterClick =
            PumpUntil([&] { return stacking::IsAbove(box, other) && stacking::IsAbove(box, acted); });
        box->EndModal(wxID_OK);
    });
    ASSERT_TRUE(ClickOnScreen(ask, Middle(ask)));
    ASSERT_TRUE(PumpUntil([&] { return answer.has_value(); }));
    EXPECT_EQ(*answer, IDOK);
    EXPECT_TRUE(ownedByActed);
    EXPECT_TRUE(transientForActed);
    EXPECT_TRUE(otherLeftBelow) << "the box brought the other window forward";
    EXPECT_TRUE(aboveAtFirst);
    EXPECT_TRUE(aboveAfterRaise) << "the raised window hides the box";
    EXPECT_TRUE(upAfterClick) << "a click on the blocked window left the box hidden";
}

// Esc answers a question No (its close box too), never a third answer that a caller reading
// "not No" would take for Yes.
TEST_F(MessageBoxGui, EscAnswersAQuestionNo) {
    message = vtid::str::DiscardResult;
    type = MB_YESNO | MB_ICONQUESTION;
    bool focused = false;
    WhenModal([&](wxDialog* box) {
        gtk_window_present(GTK_WINDOW(box->GetHandle()));
        focused = PumpUntil([&] { return gtk_window_has_toplevel_focus(GTK_WINDOW(box->GetHandle())); });
        wxUIActionSimulator sim;
        sim.Char(WXK_ESCAPE);
        if (!PumpUntil([&] { return !box->IsModal(); }, 3000))
            box->EndModal(wxID_YES);
    });
    ASSERT_TRUE(ClickOnScreen(ask, Middle(ask)));
    ASSERT_TRUE(PumpUntil([&] { return answer.has_value(); }));
    EXPECT_TRUE(focused);
    EXPECT_EQ(*answer, IDNO);
}

TEST_F(MessageBoxGui, OpensInsideTheWorkAreaOfItsOwnersMonitor) {
    // A panel takes the bottom 120 pixels of the screen, and the window acted in sits just above
    // it: a box centred on the window would reach into the panel.
    stacking::AnnouncedWorkArea panel(stacking::ScreenAbovePanel(120));
    const wxRect area = panel.Area();
    ASSERT_FALSE(area.IsEmpty()) << "the toolkit did not take the work area";
    ask->SetSize(wxRect(0, 0, 120, 30));
    ASSERT_TRUE(stacking::PutAtBottomOf(acted, area, 200, wxSize(600, 60)));
    ASSERT_TRUE(WaitForPaint(acted));
    wxRect shown;
    bool inside = false;
    WhenModal([&](wxDialog* box) {
        inside = PumpUntil([&] {
            shown = stacking::FrameRect(box);
            return area.Contains(shown);
        });
        box->EndModal(wxID_OK);
    });
    ASSERT_TRUE(ClickOnScreen(ask, Middle(ask)));
    ASSERT_TRUE(PumpUntil([&] { return answer.has_value(); }));
    EXPECT_TRUE(inside) << "the box at " << shown.x << "," << shown.y << " " << shown.width << "x"
                        << shown.height << " leaves the work area";
}

// The actions the window manager allows on the window (_NET_WM_ALLOWED_ACTIONS).
std::vector<std::string> AllowedActions(wxWindow* w) {
    Display* d = stacking::XDisplay();
    std::vector<std::string> names;
    Atom type = 0;
    int format = 0;
    unsigned long n = 0, left = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, stacking::XidOf(w), XInternAtom(d, "_NET_WM_ALLOWED_ACTIONS", False), 0, 64,
                           False, XA_ATOM, &type, &format, &n, &left, &data) == Success &&
        data)
        for (unsigned long i = 0; i < n; ++i)
            if (char* name = XGetAtomName(d, reinterpret_cast<Atom*>(data)[i])) {
                names.push_back(name);
                XFree(name);
            }
    if (data)
        XFree(data);
    return names;
}

// The windows on the window manager's title bar (the bar is the frame's child above the client),
// in screen coordinates from left to right: the window menu, the title, then the buttons.
std::vector<wxRect> TitleBarWindows(wxWindow* w) {
    Display* d = stacking::XDisplay();
    const Window frame = stacking::FrameOf(stacking::XidOf(w));
    auto children = [d](Window parent) {
        Window root = 0, up = 0, *list = nullptr;
        unsigned count = 0;
        std::vector<Window> found;
        if (XQueryTree(d, parent, &root, &up, &list, &count) && list) {
            found.assign(list, list + count);
            XFree(list);
        }
        return found;
    };
    std::vector<wxRect> windows;
    for (Window bar : children(frame)) {
        XWindowAttributes a{};
        if (!XGetWindowAttributes(d, bar, &a) || a.map_state != IsViewable || a.height > 40)
            continue;
        for (Window on : children(bar))
            if (XWindowAttributes b{}; XGetWindowAttributes(d, on, &b) && b.map_state == IsViewable) {
                int x = 0, y = 0;
                Window child = 0;
                XTranslateCoordinates(d, on, DefaultRootWindow(d), 0, 0, &x, &y, &child);
                windows.emplace_back(x, y, b.width, b.height);
            }
    }
    std::sort(windows.begin(), windows.end(), [](const wxRect& l, const wxRect& r) { return l.x < r.x; });
    return windows;
}

// The width the title bar gives the title: the widest window on it.
int TitleLabelWidth(wxWindow* w) {
    int widest = 0;
    for (const wxRect& r : TitleBarWindows(w))
        widest = std::max(widest, r.width);
    return widest;
}

// Under a window manager a short message's box is still wide enough for its whole title beside
// the title bar's buttons (in the manager's default title face, sans bold 8 points), and, being
// of one size, offers nothing to maximise.
TEST_F(MessageBoxGui, UnderAWindowManagerTheTitleShowsWholeAndNothingMaximises) {
    ui::testing::WindowManager wm;
    ASSERT_TRUE(wm.Started()) << "openbox is needed (apt-get install openbox)";
    message = vtid::str::Cancelled;
    type = MB_OK;
    std::vector<std::string> actions;
    int label = 0;
    wxRect before, after, maximise;
    WhenModal([&](wxDialog* box) {
        PumpUntil(
            [&] { return !(actions = AllowedActions(box)).empty() && (label = TitleLabelWidth(box)) > 0; });
        ui::testing::ScreenshotRoot(ui::testing::OutputFolder() + "/message-box-framed.png");
        actions = AllowedActions(box); // as the screenshot shows the box
        // The button before the close button is the manager's maximise button, which it draws
        // on every window (it does not take it away for the hints the box gives): a click on it
        // leaves the box as it was.
        const std::vector<wxRect> bar = TitleBarWindows(box);
        before = stacking::FrameRect(box);
        if (bar.size() >= 3) {
            wxUIActionSimulator hand;
            maximise = bar[bar.size() - 2];
            hand.MouseMove(maximise.x + maximise.width / 2, maximise.y + maximise.height / 2);
            hand.MouseClick();
            PumpUntil([&] { return stacking::FrameRect(box) != before; }, 1000);
            after = stacking::FrameRect(box);
        }
        box->EndModal(wxID_OK);
    });
    ASSERT_TRUE(ClickOnScreen(ask, Middle(ask)));
    ASSERT_TRUE(PumpUntil([&] { return answer.has_value(); }));
    EXPECT_NE(std::find(actions.begin(), actions.end(), "_NET_WM_ACTION_CLOSE"), actions.end());
    EXPECT_EQ(std::find(actions.begin(), actions.end(), "_NET_WM_ACTION_MAXIMIZE_HORZ"), actions.end());
    EXPECT_TRUE(!maximise.IsEmpty() && maximise.width < 2 * maximise.height) << "no button left of close";
    EXPECT_EQ(after, before);
    wxScreenDC dc;
    dc.SetFont(wxFontInfo(8).Family(wxFONTFAMILY_SWISS).Bold());
    EXPECT_GE(label, dc.GetTextExtent(wxTheApp->GetAppDisplayName()).x);
}

TEST_F(MessageBoxGui, AChildWindowThatOwnsADialogStaysPaintedWithItsFrame) {
    // A dialog asked for from a panel (the capture panel's file dialog): keeping it above its
    // owner must not give the panel an X window of its own, on which the picture of the closed
    // dialog would stay.
    auto* panel = new wxWindow(acted, wxID_ANY, wxPoint(20, 80), wxSize(300, 300));
    ASSERT_TRUE(WaitForPaint(panel));
    GdkWindow* own = gtk_widget_get_window(panel->GetHandle());
    ASSERT_NE(own, nullptr);
    ASSERT_FALSE(gdk_window_has_native(own));
    wxDialog dialog(panel, wxID_ANY, "dialog");
    { ui::KeepAboveOwner above(&dialog, panel); }
    EXPECT_FALSE(gdk_window_has_native(own));
}

} // namespace
