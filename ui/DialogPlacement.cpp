#include "ui/DialogPlacement.h"

#include <wx/app.h>
#include <wx/display.h>
#include <wx/event.h>
#include <wx/toplevel.h>
#include <wx/utils.h>
#include <wx/weakref.h>

#include <gtk/gtk.h>
// After the wx headers: Xlib's macros (None, Bool, ...) must not reach them.
#include <gdk/gdkx.h>
#include <X11/extensions/XInput2.h>

#include <algorithm>

namespace ui {

namespace {

// Notes the top-level window of each mouse or key press as the window the user acted in.
class InputWatch : public wxEventFilter {
public:
    int FilterEvent(wxEvent& ev) override {
        const wxEventType type = ev.GetEventType();
        if (type == wxEVT_LEFT_DOWN || type == wxEVT_RIGHT_DOWN || type == wxEVT_MIDDLE_DOWN ||
            type == wxEVT_LEFT_DCLICK || type == wxEVT_KEY_DOWN)
            if (auto* window = dynamic_cast<wxWindow*>(ev.GetEventObject()))
                if (wxWindow* top = wxGetTopLevelParent(window))
                    last = top;
        return Event_Skip;
    }
    wxWeakRef<wxWindow> last;
};

InputWatch* g_watch = nullptr;

// The window itself while it is shown, else the nearest shown top-level window that holds it.
wxWindow* shownTopLevel(wxWindow* window) {
    while (window && (!window->IsShown() || window->IsBeingDeleted()))
        window = window->GetParent() ? wxGetTopLevelParent(window->GetParent()) : nullptr;
    return window;
}

wxRect workAreaFor(wxWindow* owner) {
    int index = owner ? wxDisplay::GetFromWindow(owner) : wxNOT_FOUND;
    if (index == wxNOT_FOUND)
        index = wxDisplay::GetFromPoint(wxGetMousePosition());
    if (index == wxNOT_FOUND)
        index = 0;
    return wxDisplay(static_cast<unsigned>(index)).GetClientArea();
}

// The origin that puts `frame` inside `area`, moved as little as can be; the top left corner
// stays inside when the frame is larger than the area.
wxPoint fittedOrigin(const wxRect& frame, const wxRect& area) {
    wxPoint at = frame.GetPosition();
    at.x = std::max(area.x, std::min(at.x, area.x + area.width - frame.width));
    at.y = std::max(area.y, std::min(at.y, area.y + area.height - frame.height));
    return at;
}

// How long after it is shown a window is still being placed (the window manager puts its frame
// around it in that time); afterwards the user moves it where he likes.
constexpr gint64 kPlacingUs = 2 * G_USEC_PER_SEC;
// How long the window's geometry must stay still before it is judged. A window being shown goes
// through several configurations (the program's own move and size land one after the other:
// the new position with the old size first); only the one it comes to rest in is fitted, so
// that a size the program sets just after showing the window is taken as it is meant.
constexpr guint kSettleMs = 120;

struct WorkAreaKeeper {
    GtkWidget* widget = nullptr;
    wxWeakRef<wxWindow> owner;
    bool shrink = false; // a resizable window larger than the area is made smaller
    gint64 shownAt = 0;
    int moves = 0; // since the window was last shown: a window manager that puts it back ends it
    bool placing = false; // the window is being shown, or a correction of ours is on its way
    guint settle = 0;     // the timer that judges the window once it keeps still

    ~WorkAreaKeeper() {
        if (settle)
            g_source_remove(settle);
    }
};

// Fits the window at rest into the work area, frame included; the window manager's answer to
// a correction is judged in turn.
gboolean fitAtRest(gpointer data) {
    auto* keeper = static_cast<WorkAreaKeeper*>(data);
    keeper->settle = 0;
    keeper->placing = false;
    GtkWidget* widget = keeper->widget;
    GdkWindow* window = gtk_widget_get_window(widget);
    if (!window || !gdk_window_is_visible(window))
        return G_SOURCE_REMOVE;
    GdkRectangle frame{};
    gdk_window_get_frame_extents(window, &frame);
    wxRect outer(frame.x, frame.y, frame.width, frame.height);
    const wxRect area = workAreaFor(keeper->owner.get());
    const int wider = std::max(0, outer.width - area.width), taller = std::max(0, outer.height - area.height);
    if (keeper->shrink && (wider > 0 || taller > 0)) {
        ++keeper->moves;
        keeper->placing = true;
        // The client area gives up what the frame takes beyond the area.
        int w = 0, h = 0;
        gtk_window_get_size(GTK_WINDOW(widget), &w, &h);
        gtk_window_resize(GTK_WINDOW(widget), std::max(1, w - wider), std::max(1, h - taller));
        outer.width -= wider;
        outer.height -= taller;
    }
    const wxPoint at = fittedOrigin(outer, area);
    if (at != outer.GetPosition()) {
        ++keeper->moves;
        keeper->placing = true;
        // The position of a window with north-west gravity is that of its frame.
        gtk_window_move(GTK_WINDOW(widget), at.x, at.y);
    }
    return G_SOURCE_REMOVE;
}

// Each map and configuration of a window being placed restarts the wait for it to keep still.
gboolean fitIntoWorkArea(GtkWidget*, GdkEvent* event, gpointer data) {
    auto* keeper = static_cast<WorkAreaKeeper*>(data);
    if (event && event->type == GDK_MAP) {
        keeper->moves = 0;
        keeper->shownAt = g_get_monotonic_time();
        keeper->placing = true;
    }
    if (!keeper->placing || keeper->moves >= 4 || g_get_monotonic_time() - keeper->shownAt > kPlacingUs)
        return FALSE;
    if (keeper->settle)
        g_source_remove(keeper->settle);
    keeper->settle = g_timeout_add(kSettleMs, fitAtRest, keeper);
    return FALSE;
}

} // namespace

void WatchUserInput() {
    if (g_watch)
        return;
    // Kept for the program's lifetime: the filter list holds it until the end.
    g_watch = new InputWatch;
    wxEvtHandler::AddFilter(g_watch);
}

wxWindow* ActingWindow() {
    if (g_watch)
        if (wxWindow* w = shownTopLevel(g_watch->last.get()))
            return w;
    if (wxWindow* active = wxGetActiveWindow())
        if (wxWindow* w = shownTopLevel(wxGetTopLevelParent(active)))
            return w;
    return wxTheApp ? shownTopLevel(wxTheApp->GetTopWindow()) : nullptr;
}

void KeepInWorkArea(wxWindow* dialog, wxWindow* owner) {
    GtkWidget* widget = dialog ? dialog->GetHandle() : nullptr;
    if (!widget || !GTK_IS_WINDOW(widget))
        return;
    auto* keeper = new WorkAreaKeeper;
    keeper->widget = widget;
    keeper->owner = owner;
    keeper->shrink = dialog->HasFlag(wxRESIZE_BORDER);
    g_object_set_data_full(G_OBJECT(widget), "vt-work-area", keeper,
                           [](gpointer p) { delete static_cast<WorkAreaKeeper*>(p); });
    gtk_widget_add_events(widget, GDK_STRUCTURE_MASK);
    g_signal_connect(widget, "map-event", G_CALLBACK(fitIntoWorkArea), keeper);
    g_signal_connect(widget, "configure-event", G_CALLBACK(fitIntoWorkArea), keeper);
}

struct KeepAboveOwner::State {
    GtkWidget* dialog = nullptr;
    Window owner = 0;
};

namespace {

GdkFilterReturn raiseOverOwner(GdkXEvent* native, GdkEvent*, gpointer data) {
    const auto* state = static_cast<const KeepAboveOwner::State*>(data);
    const auto* ev = static_cast<const XEvent*>(native);
    GdkWindow* dialog = gtk_widget_get_window(state->dialog);
    if (!dialog || !gdk_window_is_visible(dialog))
        return GDK_FILTER_CONTINUE;
    // A press: a core event, or the input extension's that the toolkit reads (its data
    // fetched before the filters run).
    Window pressed = 0;
    Time time = 0;
    if (ev->type == ButtonPress) {
        pressed = ev->xbutton.window;
        time = ev->xbutton.time;
    } else if (ev->type == GenericEvent && ev->xcookie.evtype == XI_ButtonPress && ev->xcookie.data) {
        const auto* device = static_cast<const XIDeviceEvent*>(ev->xcookie.data);
        pressed = device->event;
        time = device->time;
    }
    if (pressed) {
        // A click in the window the box blocks brings the box up and gives it the keys (clicks
        // in the box's own questions and pop-ups leave it where it is).
        GdkDisplay* display = gdk_window_get_display(dialog);
        GdkWindow* in = gdk_x11_window_lookup_for_display(display, pressed);
        GdkWindow* owner = state->owner ? gdk_x11_window_lookup_for_display(display, state->owner) : nullptr;
        if (in && owner && gdk_window_get_toplevel(in) == owner)
            gtk_window_present_with_time(GTK_WINDOW(state->dialog), static_cast<guint32>(time));
    } else if (ev->type == ConfigureNotify && ev->xconfigure.window == state->owner) {
        // The owner was raised (or moved): without a window manager nothing else keeps the box
        // above it.
        gdk_window_raise(dialog);
    }
    return GDK_FILTER_CONTINUE;
}

} // namespace

KeepAboveOwner::KeepAboveOwner(wxWindow* dialog, wxWindow* owner) : state_(new State) {
    state_->dialog = dialog ? dialog->GetHandle() : nullptr;
    // The owner's top-level window: asking a child window for its X window would give it one of
    // its own, and a child with a window of its own is no longer painted with its frame (a closed
    // dialog's picture would stay on it).
    wxWindow* top = owner ? wxGetTopLevelParent(owner) : nullptr;
    GtkWidget* ownerWidget = top ? top->GetHandle() : nullptr;
    if (ownerWidget)
        if (GdkWindow* w = gtk_widget_get_window(ownerWidget); w && GDK_IS_X11_WINDOW(w))
            state_->owner = GDK_WINDOW_XID(w);
    if (state_->dialog)
        gdk_window_add_filter(nullptr, raiseOverOwner, state_);
}

KeepAboveOwner::~KeepAboveOwner() {
    if (state_->dialog)
        gdk_window_remove_filter(nullptr, raiseOverOwner, state_);
    delete state_;
}

} // namespace ui
