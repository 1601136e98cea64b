#include "shell/app/PaintPump.h"

#include "ui/PrivateMessages.h"

#include <wx/app.h>
#include <wx/thread.h>
#include <wx/toplevel.h>

#include <gtk/gtk.h>

#include <chrono>

namespace {
void NotePainted(bool* painted) {
    *painted = true;
}
} // namespace

void PumpUntilPainted(wxWindow* window, int timeoutMs) {
    if (!window || !wxThread::IsMain() || !wxTheApp)
        return;
    wxWindow* top = wxGetTopLevelParent(window);
    GtkWidget* widget = top ? top->GetHandle() : nullptr;
    if (!widget || !gtk_widget_get_mapped(widget))
        return;
    GdkFrameClock* clock = gtk_widget_get_frame_clock(widget);
    if (!clock)
        return;
    ui::MessagePumpScope pumping;
    bool painted = false;
    const gulong handler = g_signal_connect_swapped(clock, "after-paint", G_CALLBACK(NotePainted), &painted);
    gdk_frame_clock_request_phase(clock, GDK_FRAME_CLOCK_PHASE_PAINT);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!painted && std::chrono::steady_clock::now() < deadline)
        if (!g_main_context_iteration(nullptr, FALSE))
            g_usleep(1000);
    g_signal_handler_disconnect(clock, handler);
    wxTheApp->ProcessPendingEvents();
    ui::DeliverQueuedMessages();
}
