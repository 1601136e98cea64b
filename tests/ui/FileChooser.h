// The toolkit's file chooser as a user meets it in window tests: the next one that opens, its
// title and name field, keys typed into it through the X server, and the question it asks.
#pragma once

#include "ui/testing/GuiTest.h"
#include "tests/ui/WindowStacking.h"

#include <wx/app.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <gtk/gtk.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace chooser {

// The file chooser shown on the screen, null while none.
inline GtkWidget* Shown() {
    GtkWidget* found = nullptr;
    GList* all = gtk_window_list_toplevels();
    for (GList* i = all; i && !found; i = i->next)
        if (GTK_IS_FILE_CHOOSER_DIALOG(i->data) && gtk_widget_get_mapped(GTK_WIDGET(i->data)))
            found = GTK_WIDGET(i->data);
    g_list_free(all);
    return found;
}

// Runs action on the next file chooser once it is on the screen, from the chooser's own loop;
// a chooser still open afterwards is cancelled. Call before the code that opens it.
inline void WhenShown(std::function<void(GtkWidget*)> action) {
    auto* timer = new wxTimer;
    auto pending = std::make_shared<std::function<void(GtkWidget*)>>(std::move(action));
    timer->Bind(wxEVT_TIMER, [timer, pending](wxTimerEvent&) {
        GtkWidget* dialog = Shown();
        if (!dialog)
            return;
        timer->Stop();
        wxTheApp->CallAfter([timer, pending, dialog] {
            delete timer;
            (*pending)(dialog);
            if (Shown() == dialog)
                gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
        });
    });
    timer->Start(20);
}

inline std::string Title(GtkWidget* dialog) {
    const char* t = gtk_window_get_title(GTK_WINDOW(dialog));
    return t ? t : "";
}

inline std::string TypedName(GtkWidget* dialog) {
    gchar* name = gtk_file_chooser_get_current_name(GTK_FILE_CHOOSER(dialog));
    std::string s = name ? name : "";
    g_free(name);
    return s;
}

// The question a dialog asks over the chooser, null while none.
inline GtkWidget* Question(GtkWidget* dialog) {
    GtkWidget* found = nullptr;
    GList* all = gtk_window_list_toplevels();
    for (GList* i = all; i; i = i->next) {
        auto* w = GTK_WIDGET(i->data);
        if (GTK_IS_MESSAGE_DIALOG(w) && gtk_widget_get_mapped(w) &&
            gtk_window_get_transient_for(GTK_WINDOW(w)) == GTK_WINDOW(dialog))
            found = w;
    }
    g_list_free(all);
    return found;
}

// Answers the next question over the chooser with `response` once it is shown, from the
// question's own loop (the chooser waits for the answer inside its accepting step); *asked
// notes that it came. Before, a click through the X server lands in the question's top edge,
// and *stayedAbove notes that the question is still above the chooser after it.
inline void AnswerQuestion(GtkWidget* dialog, int response, bool* asked, bool* stayedAbove) {
    auto* timer = new wxTimer;
    timer->Bind(wxEVT_TIMER, [timer, dialog, response, asked, stayedAbove](wxTimerEvent&) {
        GtkWidget* question = Question(dialog);
        if (!question)
            return;
        timer->Stop();
        *asked = true;
        int x = 0, y = 0;
        gdk_window_get_origin(gtk_widget_get_window(question), &x, &y);
        const wxPoint at(x + 10, y + 5);
        wxUIActionSimulator sim;
        sim.MouseMove(at);
        ui::testing::PumpUntil([&] { return wxGetMouseState().GetPosition() == at; });
        sim.MouseClick();
        // The click handled, and what it asked of the server done (a chooser brought up would
        // be above the question now).
        ui::testing::PumpUntil([] { return !wxGetMouseState().LeftIsDown(); });
        ui::testing::ProcessPending();
        XSync(stacking::XDisplay(), False);
        *stayedAbove = stacking::IsAbove(stacking::XidOf(question), stacking::XidOf(dialog));
        gtk_dialog_response(GTK_DIALOG(question), response);
        wxTheApp->CallAfter([timer] { delete timer; });
    });
    timer->Start(20);
}

// Types the name into the chooser's name field (which has the keys when the chooser opens)
// through the X server, with the pointer over the chooser and the chooser given the keys, and
// presses Return there. The field then shows `shown` (the name, when not given): the chooser
// keeps the extension of a proposed name whose stem the typing replaces.
inline ::testing::AssertionResult TypeNameAndReturn(GtkWidget* dialog, const std::string& name,
                                                    std::string shown = {}) {
    if (shown.empty())
        shown = name;
    GdkWindow* window = gtk_widget_get_window(dialog);
    if (!window)
        return ::testing::AssertionFailure() << "the chooser has no window";
    int x = 0, y = 0;
    gdk_window_get_origin(window, &x, &y);
    const wxPoint over(x + gdk_window_get_width(window) / 2, y + 10);
    wxUIActionSimulator sim;
    sim.MouseMove(over);
    ui::testing::PumpUntil([&] { return wxGetMouseState().GetPosition() == over; });
    gtk_window_present(GTK_WINDOW(dialog));
    if (!ui::testing::PumpUntil([&] { return gtk_window_has_toplevel_focus(GTK_WINDOW(dialog)); }))
        return ::testing::AssertionFailure() << "the chooser did not get the keys";
    sim.Text(name.c_str());
    if (!ui::testing::PumpUntil([&] { return TypedName(dialog) == shown; }))
        return ::testing::AssertionFailure() << "the name field shows \"" << TypedName(dialog) << "\"";
    // Return at once, while the chooser still looks at the name (its accepting button greyed).
    sim.Char(WXK_RETURN);
    return ::testing::AssertionSuccess();
}

} // namespace chooser
