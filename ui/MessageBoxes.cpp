#include "ui/MessageBoxes.h"

#include "ui/DialogPlacement.h"
#include "ui/ResourceWidgets.h"

#include <wx/app.h>
#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/dcscreen.h>
#include <wx/dialog.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/thread.h>

#include <glib.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace ui {

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

namespace {

int wxIdOf(int answer) {
    switch (answer) {
    case IDYES:
        return wxID_YES;
    case IDNO:
        return wxID_NO;
    case IDCANCEL:
        return wxID_CANCEL;
    default:
        return wxID_OK;
    }
}

int answerOf(int wxId) {
    switch (wxId) {
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

// The toolkit's own label of the answer, in the user's language as its message boxes show it.
wxString labelOf(int answer) {
    const char* id = answer == IDYES      ? "_Yes"
                     : answer == IDNO     ? "_No"
                     : answer == IDCANCEL ? "_Cancel"
                                          : "_OK";
    wxString label = wxString::FromUTF8(g_dgettext("gtk30", id));
    label.Replace("_", "&", false);
    return label;
}

wxArtID iconOf(UINT type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONSTOP:
        return wxART_ERROR;
    case MB_ICONQUESTION:
        return wxART_QUESTION;
    case MB_ICONEXCLAMATION:
        return wxART_WARNING;
    case MB_ICONINFORMATION:
        return wxART_INFORMATION;
    default:
        return wxArtID();
    }
}

// The width a title bar needs for `caption` in the title's bold face, with room on each side for
// the window manager's window icon and buttons (about three times the bar's height).
int TitleBarWidth(const wxString& caption) {
    wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT).Bold();
    wxScreenDC dc;
    dc.SetFont(font);
    const wxSize text = dc.GetTextExtent(caption);
    const int bar = text.y + 8;
    return text.x + 6 * bar;
}

// The box: icon and text above the buttons of the type, the default button focused. Esc and
// the close box answer Cancel where the box has it, else No, else OK: never the first button of
// a question.
class MessageBox : public wxDialog {
public:
    MessageBox(wxWindow* owner, const wxString& caption, const wxString& text, UINT type)
        : wxDialog(owner, wxID_ANY, caption, wxDefaultPosition, wxDefaultSize,
                   wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
        auto* row = new wxBoxSizer(wxHORIZONTAL);
        const wxArtID icon = iconOf(type);
        if (!icon.empty())
            row->Add(new wxStaticBitmap(this, wxID_ANY, wxArtProvider::GetBitmap(icon, wxART_MESSAGE_BOX)), 0,
                     wxALL, FromDIP(12));
        row->Add(new wxStaticText(this, wxID_ANY, text), 1, wxALL | wxALIGN_CENTER_VERTICAL, FromDIP(12));
        const std::vector<int> answers = ButtonsOf(type);
        auto* buttons = new wxStdDialogButtonSizer;
        for (int answer : answers)
            buttons->AddButton(new wxButton(this, wxIdOf(answer), labelOf(answer)));
        buttons->Realize();
        auto* column = new wxBoxSizer(wxVERTICAL);
        column->Add(row, 1, wxEXPAND);
        column->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, FromDIP(12));
        SetSizerAndFit(column);
        // Wide enough for the title as well, beside the window manager's buttons on the title
        // bar; and of one size, which leaves the window manager nothing to maximise.
        const wxSize size(std::max(GetSize().x, TitleBarWidth(caption)), GetSize().y);
        SetSize(size);
        SetSizeHints(size, size);
        // The window manager is told so as well: moving and closing are all the box offers.
        if (GtkWidget* widget = GetHandle()) {
            gtk_widget_realize(widget);
            if (GdkWindow* window = gtk_widget_get_window(widget)) {
                gdk_window_set_functions(window, GdkWMFunction(GDK_FUNC_MOVE | GDK_FUNC_CLOSE));
                // A title bar with the window menu and no minimise or maximise buttons.
                gdk_window_set_decorations(window,
                                           GdkWMDecoration(GDK_DECOR_BORDER | GDK_DECOR_TITLE | GDK_DECOR_MENU));
            }
        }
        const auto has = [&](int a) { return std::find(answers.begin(), answers.end(), a) != answers.end(); };
        SetEscapeId(has(IDCANCEL) ? wxID_CANCEL : has(IDNO) ? wxID_NO : wxID_OK);
        const int def = wxIdOf(DefaultButtonOf(type));
        SetAffirmativeId(def);
        if (auto* button = dynamic_cast<wxButton*>(FindWindow(def))) {
            button->SetDefault();
            button->SetFocus();
        }
        for (int answer : answers)
            Bind(
                wxEVT_BUTTON, [this](wxCommandEvent& ev) { EndModal(ev.GetId()); }, wxIdOf(answer));
    }
};

} // namespace

static int showOnUiThread(UINT id, UINT type, const std::vector<std::string>& args) {
    // The box belongs to the window the user acted in: it opens over that window, inside the
    // work area of its monitor, and stays above it while it waits.
    wxWindow* owner = ActingWindow();
    const wxString caption = wxTheApp ? wxTheApp->GetAppDisplayName() : wxString();
    MessageBox box(owner, caption, FromUtf8(MessageText(id, args)), type);
    box.CentreOnParent();
    KeepInWorkArea(&box, owner);
    KeepAboveOwner above(&box, owner);
    return answerOf(box.ShowModal());
}

void InstallWxMessageSink() {
    static WxMessageSink sink;
    SetMessageSink(&sink);
    WatchUserInput();
}

} // namespace ui
