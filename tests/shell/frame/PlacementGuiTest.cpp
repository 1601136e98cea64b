// The main window's placement over starts of the program, under a window manager (openbox) and
// without one: the outer rectangle (the window manager's frame included) and the client area
// come back as they were, and a stored height below what the mode's panel needs opens tall
// enough for the panel's last button.
#include "ShellGuiFixture.h"

#include "ids/VantorelIds.h"
#include "shell/capture/AutoDialog.h"
#include "ui/testing/WindowManager.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <memory>
#include <optional>

namespace {

struct Placed {
    wxRect outer, client;
};

// The frame's client window and its outer rectangle as the X server has them: the window's
// place on the root and the frame extents the window manager set (none without one).
std::optional<Placed> PlacedOnScreen(wxWindow* frame) {
    GtkWidget* widget = frame ? frame->GetHandle() : nullptr;
    GdkWindow* gdk = widget ? gtk_widget_get_window(widget) : nullptr;
    if (!gdk || !gdk_window_is_visible(gdk))
        return std::nullopt;
    Display* d = GDK_WINDOW_XDISPLAY(gdk);
    const Window w = GDK_WINDOW_XID(gdk);
    XWindowAttributes a;
    Window child = 0;
    int x = 0, y = 0;
    if (!XGetWindowAttributes(d, w, &a) ||
        !XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, &x, &y, &child))
        return std::nullopt;
    long e[4] = {0, 0, 0, 0};
    Atom type = 0;
    int format = 0;
    unsigned long n = 0, left = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, w, XInternAtom(d, "_NET_FRAME_EXTENTS", False), 0, 4, False, XA_CARDINAL, &type,
                           &format, &n, &left, &data) == Success &&
        data && n == 4)
        std::memcpy(e, data, sizeof e);
    if (data)
        XFree(data);
    Placed p;
    p.client = wxRect(x, y, a.width, a.height);
    p.outer = wxRect(x - int(e[0]), y - int(e[2]), a.width + int(e[0] + e[1]), a.height + int(e[2] + e[3]));
    return p;
}

std::string Text(const wxRect& r) {
    return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) + "x" +
           std::to_string(r.height);
}

class Placement : public ShellWindows {
protected:
    void TearDown() override {
        ShellWindows::TearDown();
        wm.reset();
    }
    // Starts openbox on the test's display and waits until it manages windows.
    bool StartWindowManager() {
        wm = std::make_unique<ui::testing::WindowManager>();
        return wm->Started();
    }
    // One start: waits until the frame's outer rectangle is the one wanted (or the wait ends),
    // and returns where the frame is.
    Placed StartAndLook(const wxRect& wanted, const std::string& shot = "") {
        Placed seen;
        EXPECT_TRUE(StartProgram());
        if (!Frame())
            return seen;
        ui::testing::PumpUntil([&] {
            const std::optional<Placed> p = PlacedOnScreen(Frame());
            if (p)
                seen = *p;
            return p && p->outer == wanted;
        });
        if (!shot.empty())
            ui::testing::ScreenshotRoot(Shot(shot));
        return seen;
    }
    wxRect Stored() const {
        return wxRect(ReadIniInt("WindowsSettings", "LEFT", -1), ReadIniInt("WindowsSettings", "TOP", -1),
                      ReadIniInt("WindowsSettings", "WIDTH", -1),
                      ReadIniInt("WindowsSettings", "HEIGHT", -1));
    }
    // Three starts and closes: the same outer and client rectangle each time, as stored.
    void ThreeRounds(const std::string& shot) {
        const wxRect wanted(100, 80, 1100, 950);
        Settings(vtid::StartDialog::AutoCapture,
                 "[WindowsSettings]\nLEFT=100\nTOP=80\nWIDTH=1100\nHEIGHT=950\n");
        std::optional<wxRect> firstClient;
        for (int round = 1; round <= 3; ++round) {
            SCOPED_TRACE(round);
            const Placed p = StartAndLook(wanted, round == 3 ? shot : "");
            EXPECT_EQ(Text(p.outer), Text(wanted));
            if (!firstClient)
                firstClient = p.client;
            EXPECT_EQ(Text(p.client), Text(*firstClient));
            CloseProgram();
            EXPECT_EQ(Text(Stored()), Text(wanted));
        }
    }
    // A stored height far below what the automatic panel needs: the frame opens at the
    // minimum height, with the capture buttons in full above the composition bar, and keeps it.
    void LowHeightOpensAtTheMinimum() {
        Settings(vtid::StartDialog::AutoCapture,
                 "[WindowsSettings]\nLEFT=60\nTOP=40\nWIDTH=1100\nHEIGHT=300\n");
        for (int round = 1; round <= 2; ++round) {
            SCOPED_TRACE(round);
            ASSERT_TRUE(StartProgram());
            CMainFrame* f = Frame();
            ASSERT_NE(f->AutoDialog(), nullptr);
            // The minimum as the bars' layout ends with it.
            EXPECT_TRUE(ui::testing::PumpUntil([&] { return f->IsPlacementSettled(); }));
            const int minimum = f->GetMinSize().y;
            EXPECT_GT(minimum, 300);
            const wxRect wanted(60, 40, 1100, minimum);
            EXPECT_EQ(Text(PlacedOnScreen(f) ? PlacedOnScreen(f)->outer : wxRect()), Text(wanted));
            ui::testing::ProcessPending();
            // The panel's bar shows the start and stop buttons whole.
            wxWindow* bar = f->AutoDialog()->GetParent();
            const wxRect shown = bar->GetScreenRect().Intersect(f->GetScreenRect());
            for (int id : {vtid::AutoPanel::StartCapture, vtid::AutoPanel::StopCapture}) {
                wxWindow* button = f->AutoDialog()->GetDlgItem(id);
                ASSERT_NE(button, nullptr);
                EXPECT_TRUE(shown.Contains(button->GetScreenRect()))
                    << id << " at " << Text(button->GetScreenRect()) << " in " << Text(shown);
            }
            if (round == 1)
                ui::testing::ScreenshotRoot(Shot("placement-minimum-height.png"));
            CloseProgram();
            EXPECT_EQ(Text(Stored()), Text(wanted));
        }
    }

    std::unique_ptr<ui::testing::WindowManager> wm;
};

TEST_F(Placement, UnderAWindowManagerEachStartComesBackWhereTheLastEnded) {
    ASSERT_TRUE(StartWindowManager()) << "openbox is needed (apt-get install openbox)";
    ThreeRounds("placement-third-start.png");
    // Hidden for the initial menu and shown again in another mode, the window stays in place.
    const wxRect wanted(100, 80, 1100, 950);
    StartAndLook(wanted);
    ui::testing::WhenModal(
        [](wxDialog* d) { ui::testing::Click(ui::testing::FindById(d, vtid::StartDialog::ManualCapture)); });
    Frame()->RouteCommandId(vtid::cmd::InitialMenu);
    EXPECT_TRUE(ui::testing::PumpUntil([&] {
        const std::optional<Placed> p = PlacedOnScreen(Frame());
        return p && p->outer == wanted;
    })) << Text(PlacedOnScreen(Frame()) ? PlacedOnScreen(Frame())->outer : wxRect());
    CloseProgram();
    EXPECT_EQ(Text(Stored()), Text(wanted));
    LowHeightOpensAtTheMinimum();
}

TEST_F(Placement, WithoutAWindowManagerEachStartComesBackWhereTheLastEnded) {
    ThreeRounds("");
    LowHeightOpensAtTheMinimum();
}

} // namespace
