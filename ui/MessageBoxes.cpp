#include "ui/MessageBoxes.h"

#include "ui/ResourceWidgets.h"

#include <wx/app.h>
#include <wx/msgdlg.h>
#include <wx/thread.h>

#include <gtk/gtk.h>

#include <condition_variable>
#include <memory>
#include <mutex>

namespace ui {

// The program's compact control style takes the padding off every button; the toolkit's message
// boxes lay their buttons flush along the bottom edge and count on that padding. The boxes get
// their buttons back at an ordinary size, apart from one another and from the box's edges.
static void StyleMessageBoxButtons() {
    static bool applied = false;
    GdkScreen* screen = gdk_screen_get_default();
    if (applied || !screen)
        return;
    applied = true;
    static const char css[] =
        "messagedialog .dialog-action-area { margin: 0px 10px 10px 10px; }\n"
        "messagedialog .dialog-action-area button { padding: 4px 16px; min-height: 20px; min-width: 60px;"
        " margin: 0px 4px; border-style: solid; border-radius: 4px; }\n";
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css, -1, nullptr);
    // One step above the compact style, which is installed at the application's priority.
    gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 1);
    g_object_unref(provider);
}

static int showOnUiThread(UINT id, UINT type, const std::vector<std::string>& args);

int WxMessageSink::Show(UINT id, UINT type, const std::vector<std::string>& args) {
    if (wxThread::IsMain() || !wxTheApp)
        return showOnUiThread(id, type, args);
    // GTK must only be used from the UI thread: the box is shown there and this thread waits
    // for the answer.
    struct Wait {
        std::mutex m;
        std::condition_variable cv;
        bool done = false;
        int answer = 0;
    };
    auto wait = std::make_shared<Wait>();
    wxTheApp->CallAfter([wait, id, type, args] {
        int a = showOnUiThread(id, type, args);
        std::lock_guard<std::mutex> lock(wait->m);
        wait->answer = a;
        wait->done = true;
        wait->cv.notify_all();
    });
    std::unique_lock<std::mutex> lock(wait->m);
    wait->cv.wait(lock, [&] { return wait->done; });
    return wait->answer;
}

static int showOnUiThread(UINT id, UINT type, const std::vector<std::string>& args) {
    long style = 0;
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        style = wxOK | wxCANCEL;
        break;
    case MB_YESNO:
        style = wxYES_NO;
        break;
    case MB_YESNOCANCEL:
        style = wxYES_NO | wxCANCEL;
        break;
    default:
        style = wxOK;
        break;
    }
    switch (type & MB_ICONMASK) {
    case MB_ICONSTOP:
        style |= wxICON_ERROR;
        break;
    case MB_ICONQUESTION:
        style |= wxICON_QUESTION;
        break;
    case MB_ICONEXCLAMATION:
        style |= wxICON_WARNING;
        break;
    case MB_ICONINFORMATION:
        style |= wxICON_INFORMATION;
        break;
    default:
        break;
    }
    int def = DefaultButtonOf(type);
    if (def == IDNO)
        style |= wxNO_DEFAULT;
    else if (def == IDCANCEL && (style & wxCANCEL))
        style |= wxCANCEL_DEFAULT;
    wxWindow* parent = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
    wxString caption = wxTheApp ? wxTheApp->GetAppDisplayName() : wxString();
    StyleMessageBoxButtons();
    wxMessageDialog dlg(parent, FromUtf8(MessageText(id, args)), caption, style);
    switch (dlg.ShowModal()) {
    case wxID_YES:
        return IDYES;
    case wxID_NO:
        return IDNO;
    case wxID_CANCEL:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

void InstallWxMessageSink() {
    static WxMessageSink sink;
    SetMessageSink(&sink);
}

} // namespace ui
