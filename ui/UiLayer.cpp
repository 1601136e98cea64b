#include "ui/UiLayer.h"

#include "ui/MessageBoxes.h"
#include "ui/PrivateMessages.h"
#include "ui/resources/ResourceRegistry.h"

#include <wx/image.h>

#include <gtk/gtk.h>

namespace ui {

void ApplyCompactControlStyle() {
    static bool applied = false;
    if (applied)
        return;
    GdkScreen* screen = gdk_screen_get_default();
    if (!screen)
        return;
    applied = true;
    static const char css[] =
        "button { padding: 0px 4px; min-height: 0px; min-width: 0px; }\n"
        "entry { padding: 0px 3px; min-height: 0px; }\n"
        "combobox button, combobox entry { padding-top: 0px; padding-bottom: 0px; min-height: 0px; }\n"
        "spinbutton button { padding: 0px 2px; }\n"
        "checkbutton, radiobutton { padding: 0px; min-height: 0px; }\n"
        // The toolkit's message boxes lay their buttons flush along the bottom edge and count on
        // the padding taken off above: their buttons keep an ordinary size, apart from one
        // another and from the box's edges.
        "messagedialog .dialog-action-area { margin: 0px 10px 10px 10px; }\n"
        "messagedialog .dialog-action-area button { padding: 4px 16px; min-height: 20px; min-width: 60px;"
        " margin: 0px 4px; border-style: solid; border-radius: 4px; }\n";
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css, -1, nullptr);
    gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
}

bool InstallProgramServices(const ProgramServices& services, std::string* error) {
    static bool handlers = false;
    if (!handlers) {
        wxInitAllImageHandlers();
        handlers = true;
    }
    ApplyCompactControlStyle();
    InstallWindowMessageHooks();
    if (services.wxMessageBoxes)
        InstallWxMessageSink();
    return LoadProgramResources(services.program, error);
}

} // namespace ui
