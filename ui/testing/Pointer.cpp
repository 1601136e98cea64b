#include "ui/testing/Pointer.h"

#include "ui/testing/GuiTest.h"

#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/toplevel.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <gtk/gtk.h>

#include <typeinfo>

namespace ui::testing {

namespace {

// How long one pointer step may take to reach this program.
constexpr int kStepMs = 5000;
// Moves of a drag between its two ends.
constexpr int kDragSteps = 8;

wxString describe(wxWindow* w) {
    if (!w)
        return "no window";
    return wxString::Format("%s \"%s\"", typeid(*w).name(), w->GetName());
}

// The window of this program the X server shows under the pointer holds the widget of
// `window` (null when the pointer is over another program's window or none).
bool pointerOver(wxWindow* window) {
    GdkDisplay* display = gdk_display_get_default();
    GdkSeat* seat = display ? gdk_display_get_default_seat(display) : nullptr;
    GdkDevice* pointer = seat ? gdk_seat_get_pointer(seat) : nullptr;
    if (!pointer)
        return false;
    GdkWindow* under = gdk_device_get_window_at_position(pointer, nullptr, nullptr);
    gpointer data = nullptr;
    if (under)
        gdk_window_get_user_data(under, &data);
    auto* widget = static_cast<GtkWidget*>(data);
    auto* mine = static_cast<GtkWidget*>(window->GetHandle());
    return widget && mine && (widget == mine || gtk_widget_is_ancestor(widget, mine));
}

// Waits until the server reports the left button as given and the pointer at `at` (screen),
// then handles what the server sent before that.
bool serverHas(bool leftDown, const wxPoint* at) {
    const bool ok = PumpUntil(
        [&] {
            const wxMouseState s = wxGetMouseState();
            return s.LeftIsDown() == leftDown && (!at || s.GetPosition() == *at);
        },
        kStepMs);
    ProcessPending();
    return ok;
}

// A small top-level window that counts the presses it receives.
class ClickTarget : public wxFrame {
public:
    ClickTarget(const wxPoint& pos)
        : wxFrame(nullptr, wxID_ANY, "click target", pos, wxSize(60, 40),
                  wxFRAME_NO_TASKBAR | wxSTAY_ON_TOP | wxBORDER_NONE) {
        pane = new wxPanel(this, wxID_ANY);
        pane->SetBackgroundColour(*wxGREEN);
        pane->Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& ev) {
            ev.Skip();
            ++presses;
        });
    }
    wxPanel* pane = nullptr;
    int presses = 0;
};

} // namespace

::testing::AssertionResult PointerTo(wxWindow* window, wxPoint at) {
    if (!window || !WaitForPaint(window))
        return ::testing::AssertionFailure() << "the window is not on the screen";
    // The window's top-level is the active one, as the window the user points at is: the
    // focus moves inside it as it does for the user (best effort: a shared server's other
    // windows may take the focus back).
    auto* top = dynamic_cast<wxTopLevelWindow*>(wxGetTopLevelParent(window));
    if (top && !top->IsActive() && !wxGetMouseState().LeftIsDown()) {
        top->Raise();
        PumpUntil([&] { return top->IsActive(); }, 1000);
    }
    const wxPoint screen = window->ClientToScreen(at);
    wxUIActionSimulator sim;
    if (!sim.MouseMove(screen))
        return ::testing::AssertionFailure() << "the pointer could not be moved (no XTest?)";
    const bool held = wxGetMouseState().LeftIsDown();
    if (!serverHas(held, &screen))
        return ::testing::AssertionFailure() << "the pointer did not reach " << screen.x << "," << screen.y;
    // Another window on top: raise ours and look again (the grab of a held button keeps the
    // pointer's window, so only a free pointer is checked).
    if (held)
        return ::testing::AssertionSuccess();
    if (!PumpUntil(
            [&] {
                if (pointerOver(window))
                    return true;
                wxGetTopLevelParent(window)->Raise();
                return false;
            },
            kStepMs))
        return ::testing::AssertionFailure()
               << "another window covers " << describe(window) << " at " << at.x << "," << at.y;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult PointerPress() {
    wxUIActionSimulator sim;
    if (!sim.MouseDown() || !serverHas(true, nullptr))
        return ::testing::AssertionFailure() << "the left button did not go down";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult PointerRelease() {
    wxUIActionSimulator sim;
    if (!sim.MouseUp() || !serverHas(false, nullptr))
        return ::testing::AssertionFailure() << "the left button did not come up";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult ClickOnScreen(wxWindow* window, wxPoint at) {
    if (!window)
        return ::testing::AssertionFailure() << "no window";
    if (auto r = PointerTo(window, window->ScreenToClient(at)); !r)
        return r;
    if (auto r = PointerPress(); !r)
        return r;
    return PointerRelease();
}

::testing::AssertionResult ClickSpinButton(wxWindow* spin, int direction) {
    if (!spin)
        return ::testing::AssertionFailure() << "no spin button";
    const wxSize s = spin->GetClientSize();
    if (auto r = PointerTo(spin, wxPoint(direction > 0 ? s.x * 5 / 6 : s.x / 2, s.y / 2)); !r)
        return r;
    wxUIActionSimulator sim;
    if (!sim.MouseClick() || !serverHas(false, nullptr))
        return ::testing::AssertionFailure()
               << "the click on " << describe(spin) << " did not reach the server";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult Drag(wxWindow* window, wxPoint from, wxPoint to,
                                const std::function<void()>& whileHeld) {
    if (auto r = PointerTo(window, from); !r)
        return r;
    if (auto r = PointerPress(); !r)
        return r;
    for (int i = 1; i <= kDragSteps; ++i) {
        const wxPoint p(from.x + (to.x - from.x) * i / kDragSteps, from.y + (to.y - from.y) * i / kDragSteps);
        if (auto r = PointerTo(window, p); !r) {
            PointerRelease();
            return r;
        }
    }
    if (whileHeld)
        whileHeld();
    return PointerRelease();
}

::testing::AssertionResult ClickElsewhereIsReceived(wxWindow* near) {
    // Beside the window's top-level, where there is room on the screen, else in the corner.
    const wxRect top = wxGetTopLevelParent(near)->GetScreenRect();
    const wxRect screen = wxGetClientDisplayRect();
    wxPoint pos(top.GetRight() + 20, top.GetTop());
    if (pos.x + 60 > screen.GetRight())
        pos = wxPoint(top.GetLeft(), top.GetBottom() + 20);
    if (pos.y + 40 > screen.GetBottom())
        pos = wxPoint(screen.GetRight() - 70, screen.GetBottom() - 50);
    auto* target = new ClickTarget(pos);
    target->Show();
    ::testing::AssertionResult result = PointerTo(target->pane, wxPoint(30, 20));
    if (result) {
        wxUIActionSimulator sim;
        sim.MouseClick();
        if (!PumpUntil([&] { return target->presses > 0; }, kStepMs))
            result = ::testing::AssertionFailure()
                     << "the click beside the window did not arrive; the capture is with "
                     << describe(wxWindow::GetCapture());
        serverHas(false, nullptr);
    }
    DestroyAndWait(target);
    return result;
}

::testing::AssertionResult GrabPointerElsewhere(wxWindow* other) {
    if (!other || !WaitForPaint(other))
        return ::testing::AssertionFailure() << "the other window is not on the screen";
    GdkWindow* window = gtk_widget_get_window(static_cast<GtkWidget*>(other->GetHandle()));
    GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
    if (!window || gdk_seat_grab(seat, window, GDK_SEAT_CAPABILITY_ALL_POINTING, FALSE, nullptr, nullptr,
                                 nullptr, nullptr) != GDK_GRAB_SUCCESS)
        return ::testing::AssertionFailure() << "the pointer could not be grabbed for " << describe(other);
    ProcessPending();
    return ::testing::AssertionSuccess();
}

void UngrabPointer() {
    gdk_seat_ungrab(gdk_display_get_default_seat(gdk_display_get_default()));
    ProcessPending();
}

::testing::AssertionResult DragThenClickElsewhere(wxWindow* window, wxPoint from, wxPoint to,
                                                  const std::function<void()>& whileHeld) {
    if (auto r = Drag(window, from, to, whileHeld); !r)
        return r;
    return ClickElsewhereIsReceived(window);
}

} // namespace ui::testing
