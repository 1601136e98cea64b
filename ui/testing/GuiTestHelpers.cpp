#include "ui/testing/GuiTest.h"

#include "ui/PrivateMessages.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/evtloop.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/tglbtn.h>
#include <wx/timer.h>
#include <wx/utils.h>

#include <glib.h>

#include <filesystem>
#include <thread>

namespace ui::testing {

static void pumpOnce() {
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    int budget = 200;
    while (loop && loop->Pending() && budget-- > 0)
        loop->Dispatch();
    // GTK draws in its frame clock's phases; a non-blocking iteration of the main context
    // lets them run.
    while (g_main_context_iteration(nullptr, FALSE) && budget-- > 0) {
    }
    if (wxTheApp) {
        wxTheApp->ProcessPendingEvents();
        wxTheApp->ProcessIdle();
    }
    DeliverQueuedMessages();
}

void Pump(int ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
        pumpOnce();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < end);
    pumpOnce();
}

bool PumpUntil(const std::function<bool()>& pred, int timeoutMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() >= end)
            return pred();
        pumpOnce();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

wxWindow* FindById(wxWindow* root, int id) {
    return root ? root->FindWindow(id) : nullptr;
}

void Click(wxWindow* control) {
    if (!control)
        return;
    if (auto* cb = dynamic_cast<wxCheckBox*>(control)) {
        cb->SetValue(!cb->GetValue());
        wxCommandEvent ev(wxEVT_CHECKBOX, cb->GetId());
        ev.SetEventObject(cb);
        ev.SetInt(cb->GetValue() ? 1 : 0);
        cb->ProcessWindowEvent(ev);
    } else if (auto* tb = dynamic_cast<wxToggleButton*>(control)) {
        tb->SetValue(!tb->GetValue());
        wxCommandEvent ev(wxEVT_TOGGLEBUTTON, tb->GetId());
        ev.SetEventObject(tb);
        ev.SetInt(tb->GetValue() ? 1 : 0);
        tb->ProcessWindowEvent(ev);
    } else if (auto* rb = dynamic_cast<wxRadioButton*>(control)) {
        rb->SetValue(true);
        wxCommandEvent ev(wxEVT_RADIOBUTTON, rb->GetId());
        ev.SetEventObject(rb);
        ev.SetInt(1);
        rb->ProcessWindowEvent(ev);
    } else {
        wxCommandEvent ev(wxEVT_BUTTON, control->GetId());
        ev.SetEventObject(control);
        control->ProcessWindowEvent(ev);
    }
}

void Type(wxWindow* control, const wxString& text) {
    if (auto* t = dynamic_cast<wxTextCtrl*>(control))
        t->SetValue(text); // sends the text event
    else if (auto* c = dynamic_cast<wxComboBox*>(control))
        c->SetValue(text);
}

namespace {

// Polls for a shown modal dialog and runs the action once on it.
class ModalWatcher : public wxTimer {
public:
    explicit ModalWatcher(std::function<void(wxDialog*)> action) : action_(std::move(action)) { Start(10); }
    void Notify() override {
        for (wxWindow* w : wxTopLevelWindows) {
            auto* d = dynamic_cast<wxDialog*>(w);
            if (d && d->IsModal() && d->IsShown()) {
                Stop();
                auto action = std::move(action_);
                wxTheApp->CallAfter([action, d] { action(d); });
                wxTheApp->CallAfter([this] { delete this; });
                return;
            }
        }
    }

private:
    std::function<void(wxDialog*)> action_;
};

} // namespace

void WhenModal(std::function<void(wxDialog*)> action) {
    new ModalWatcher(std::move(action));
}

bool Screenshot(wxWindow* window, const std::string& path) {
    if (!window)
        return false;
    window->Update();
    wxClientDC source(window);
    wxSize size = window->GetClientSize();
    if (size.x <= 0 || size.y <= 0)
        return false;
    wxBitmap bmp(size.x, size.y, 24);
    wxMemoryDC target(bmp);
    target.Blit(0, 0, size.x, size.y, &source, 0, 0);
    target.SelectObject(wxNullBitmap);
    return bmp.SaveFile(wxString::FromUTF8(path.c_str()), wxBITMAP_TYPE_PNG);
}

bool ScreenshotRoot(const std::string& path) {
    for (wxWindow* w : wxTopLevelWindows)
        w->Update();
    Pump(300);
    wxArrayString out, err;
    long rc = wxExecute(wxString::Format("import -window root %s", wxString::FromUTF8(path.c_str())), out,
                        err, wxEXEC_SYNC);
    return rc == 0;
}

std::string OutputFolder() {
    std::string dir = std::filesystem::current_path().string() + "/gui-output";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir;
}

} // namespace ui::testing
