#include "ui/MessageBoxes.h"

#include "ui/ResourceWidgets.h"

#include <wx/app.h>
#include <wx/msgdlg.h>
#include <wx/thread.h>

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
