// The toolkit's file chooser as a user meets it in window tests: the next one that opens and its
// title.
#pragma once

#include "ui/testing/GuiTest.h"

#include <wx/app.h>
#include <wx/timer.h>

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

} // namespace chooser
