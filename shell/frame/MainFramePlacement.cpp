// The main frame's placement on the screen: the outer rectangle (the window manager's frame
// included) as the settings keep it, measured through the X server and restored exactly once
// the window manager has framed the window, whatever the toolkit guessed of the frame's size.
#include "shell/frame/MainFrame.h"

#include <gdk/gdk.h>
#include <gtk/gtk.h>

#include <cstring>

namespace {

// How often and how long the placement is checked after the frame comes on the screen.
constexpr int kPlacementTickMs = 50;
constexpr int kPlacementTicks = 100;
// The ticks a window manager may take to frame the window before it is taken as unframed.
constexpr int kFramingTicks = 20;
constexpr int kPlacementFixes = 8;
// The ticks the placement must hold before it counts as done: the bars' first layouts may move
// the panel's last button for a moment, and the minimum size with it.
constexpr int kSteadyTicks = 10;

GdkWindow* GdkOf(const wxWindow* w) {
    GtkWidget* widget = w ? w->GetHandle() : nullptr;
    return widget && gtk_widget_get_realized(widget) ? gtk_widget_get_window(widget) : nullptr;
}

// Four CARDINALs of a window's property (left, right, top, bottom for the frame extents).
bool CardinalsOf(GdkWindow* window, const char* name, long out[4]) {
    GdkAtom type = GDK_NONE;
    gint format = 0, length = 0;
    guchar* data = nullptr;
    if (!gdk_property_get(window, gdk_atom_intern(name, FALSE), gdk_atom_intern("CARDINAL", FALSE), 0, 16,
                          FALSE, &type, &format, &length, &data))
        return false;
    // Asked for in bytes; format 32 comes as longs.
    const bool ok = data && format == 32 && length >= static_cast<gint>(4 * sizeof(long));
    if (ok)
        std::memcpy(out, data, 4 * sizeof(long));
    g_free(data);
    return ok;
}

// A window manager runs on the display (it names its check window on the root).
bool WindowManagerRuns() {
    GdkAtom type = GDK_NONE;
    gint format = 0, length = 0;
    guchar* data = nullptr;
    const bool found =
        gdk_property_get(gdk_get_default_root_window(), gdk_atom_intern("_NET_SUPPORTING_WM_CHECK", FALSE),
                         gdk_atom_intern("WINDOW", FALSE), 0, 1, FALSE, &type, &format, &length, &data) &&
        data && length > 0;
    g_free(data);
    return found;
}

} // namespace

std::optional<wxRect> CMainFrame::OuterRect() const {
    GdkWindow* window = GdkOf(this);
    if (!window || !IsShown() || !gdk_window_is_visible(window))
        return std::nullopt;
    int x = 0, y = 0;
    gdk_window_get_origin(window, &x, &y);
    long e[4] = {0, 0, 0, 0};
    if (!CardinalsOf(window, "_NET_FRAME_EXTENTS", e))
        e[0] = e[1] = e[2] = e[3] = 0;
    return wxRect(x - static_cast<int>(e[0]), y - static_cast<int>(e[2]),
                  gdk_window_get_width(window) + static_cast<int>(e[0] + e[1]),
                  gdk_window_get_height(window) + static_cast<int>(e[2] + e[3]));
}

bool CMainFrame::IsFramed() const {
    GdkWindow* window = GdkOf(this);
    long e[4];
    return window && (!WindowManagerRuns() || CardinalsOf(window, "_NET_FRAME_EXTENTS", e));
}

void CMainFrame::RestorePlacement() {
    m_placementTicks = 0;
    m_placementFixes = 0;
    m_placementSteady = 0;
    m_placementSettled = false;
    if (!m_placementTimer.IsRunning())
        m_placementTimer.Start(kPlacementTickMs);
}

void CMainFrame::OnPlacementTick() {
    ++m_placementTicks;
    const bool lastTick = m_placementTicks >= kPlacementTicks;
    if (lastTick || IsZoomed() || IsIconized() || !IsShown()) {
        m_placementTimer.Stop();
        return;
    }
    // Until the window manager has framed the window its frame's size is not known.
    if (!IsFramed() && m_placementTicks < kFramingTicks)
        return;
    const std::optional<wxRect> now = OuterRect();
    if (!now)
        return;
    // Never below the minimum size the mode's panel needs.
    wxRect wanted = m_wantedPlacement;
    wanted.width = std::max(wanted.width, GetMinSize().x);
    wanted.height = std::max(wanted.height, GetMinSize().y);
    if (*now == wanted) {
        if (++m_placementSteady >= kSteadyTicks) {
            m_placementSettled = true;
            m_placementTimer.Stop();
        }
        return;
    }
    m_placementSteady = 0;
    if (m_placementFixes >= kPlacementFixes) {
        m_placementTimer.Stop();
        return;
    }
    ++m_placementFixes;
    // The frame's outer corner goes where it was (north-west gravity places the frame, not
    // the client area), and the client area grows or shrinks by what the outer size is off.
    GtkWindow* window = GTK_WINDOW(GetHandle());
    int w = 0, h = 0;
    gtk_window_get_size(window, &w, &h);
    gtk_window_move(window, wanted.x, wanted.y);
    gtk_window_resize(window, std::max(1, w + wanted.width - now->width),
                      std::max(1, h + wanted.height - now->height));
}
