// The profile graph under the real pointer, as the X server shows it: each cursor pressed,
// dragged and released in turn, with the input method that Japanese locales choose (XIM, which
// asks for the X window of whatever takes the keyboard focus), leaves the frame, the profile and
// the four cursors on the screen, and the measured values follow the cursors.
#include "MeasureViewsFixture.h"

#include "ui/testing/Pointer.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

struct Counts {
    int profile = 0, ab = 0, cd = 0, grid = 0;
};

// The pane's pixels as the X server shows them (read from the root window), counted by the
// colours the graph draws with.
Counts screenCounts(wxWindow* pane, const std::string& savedAs = std::string()) {
    const wxRect r = pane->GetScreenRect();
    Display* display = gdk_x11_get_default_xdisplay();
    XImage* image =
        XGetImage(display, DefaultRootWindow(display), r.x, r.y, r.width, r.height, AllPlanes, ZPixmap);
    Counts c;
    if (!image)
        return c;
    wxImage copy(r.width, r.height);
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            const int red = (p >> 16) & 0xFF, green = (p >> 8) & 0xFF, blue = p & 0xFF;
            copy.SetRGB(x, y, red, green, blue);
            if (red == 0 && green == 0 && blue == 255)
                ++c.profile;
            else if (red == 0 && green == 255 && blue == 0)
                ++c.ab;
            else if (red == 255 && green == 0 && blue == 0)
                ++c.cd;
            else if (red == 128 && green == 100 && blue == 128)
                ++c.grid;
        }
    XDestroyImage(image);
    if (!savedAs.empty())
        copy.SaveFile(ui::testing::OutputFolder() + "/" + savedAs, wxBITMAP_TYPE_PNG);
    return c;
}

class GraphDragPointer : public MeasureViewsGui {
protected:
    // The screen shows what the pane drew last (the paint is on the server).
    Counts shown(const std::string& savedAs = std::string()) {
        graph_->Update();
        ui::testing::ProcessPending();
        XSync(gdk_x11_get_default_xdisplay(), False);
        return screenCounts(graph_, savedAs);
    }
};

TEST_F(GraphDragPointer, EveryCursorDraggedLeavesTheGraphOnTheScreen) {
    g_object_set(gtk_settings_get_default(), "gtk-im-module", "xim", nullptr);
    doc_->SetLineMode(1); // manual: C and D are dragged too
    settle();
    const Counts before = shown("graph-before-drag.png");
    ASSERT_GT(before.profile, 100);
    ASSERT_GT(before.grid, 1000);
    ASSERT_GT(before.ab, 100);
    ASSERT_GT(before.cd, 100);

    struct Step {
        unsigned which;
        const char* name;
    };
    for (const Step s : {Step{graph::kCursorC, "c"}, Step{graph::kCursorD, "d"}, Step{graph::kCursorA, "a"},
                         Step{graph::kCursorB, "b"}}) {
        SCOPED_TRACE(s.name);
        const auto& l = graph_->Layout();
        const int xa = cursorPixel(graph::kCursorA), xb = cursorPixel(graph::kCursorB);
        const int yc = cursorPixel(graph::kCursorC), yd = cursorPixel(graph::kCursorD);
        const int between = (yc + yd) / 2, middle = (xa + xb) / 2;
        wxPoint from, to;
        switch (s.which) {
        case graph::kCursorC:
            from = wxPoint(middle, yc), to = wxPoint(middle, yc + (yd - yc) / 3);
            break;
        case graph::kCursorD:
            from = wxPoint(middle, yd), to = wxPoint(middle, yd - (yd - yc) / 3);
            break;
        case graph::kCursorA:
            from = wxPoint(xa, between), to = wxPoint(xa + (xb - xa) / 3, between);
            break;
        default:
            from = wxPoint(xb, between), to = wxPoint(xb - (xb - xa) / 3, between);
            break;
        }
        ASSERT_TRUE(l.drawable);
        EXPECT_TRUE(ui::testing::Drag(graph_, from, to));
        // The cursor is where it was let go, and the values follow it.
        const bool vertical = s.which == graph::kCursorA || s.which == graph::kCursorB;
        EXPECT_LE(std::abs(cursorPixel(s.which) - (vertical ? to.x : to.y)), 2);
        ASSERT_TRUE(ui::testing::PumpUntil([&] {
            const graph::Cursors& c = graph_->CurrentCursors();
            const auto& m = doc_->GetMeasureState()->measured;
            return std::abs(m[0] - (c.c - c.d)) < 1e-6 && std::abs(m[1] - (c.b - c.a)) < 1e-6;
        }));
        // The graph is on the screen: frame and grid, the profile and the four cursors.
        Counts after;
        EXPECT_TRUE(ui::testing::PumpUntil([&] {
            after = shown(std::string("graph-after-drag-") + s.name + ".png");
            return after.grid > before.grid / 2 && after.profile > before.profile / 2 && after.ab > 100 &&
                   after.cd > 100;
        })) << "profile "
            << after.profile << " grid " << after.grid << " A/B " << after.ab << " C/D " << after.cd;
    }
}

} // namespace
