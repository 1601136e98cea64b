#include "ui/testing/GuiTest.h"

#include "ui/PrivateMessages.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/image.h>
#include <wx/evtloop.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/tglbtn.h>
#include <wx/timer.h>
#include <wx/uiaction.h>
#include <wx/utils.h>
#include <wx/weakref.h>

#include <gtest/gtest.h>

#include <gtk/gtk.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>

namespace ui::testing {

namespace {

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point end) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Blocks in the main context until some event source is ready, at most ms milliseconds: a
// timeout source of our own bounds the wait, so it never outlasts a deadline.
void waitForEvents(int ms) {
    if (ms <= 0)
        return;
    GSource* bound = g_timeout_source_new(static_cast<guint>(ms));
    g_source_set_callback(
        bound, [](gpointer) -> gboolean { return G_SOURCE_REMOVE; }, nullptr, nullptr);
    g_source_attach(bound, nullptr);
    g_main_context_iteration(nullptr, TRUE);
    g_source_destroy(bound);
    g_source_unref(bound);
}

GtkWidget* widgetOf(wxWindow* window) {
    return window ? static_cast<GtkWidget*>(window->GetHandle()) : nullptr;
}

// The window's top-level widget is mapped by GTK and the X server has reported it mapped (only
// then does what is drawn reach the screen).
bool onScreen(wxWindow* window, GtkWidget* top) {
    if (!window->IsShownOnScreen() || !top || !gtk_widget_get_mapped(top))
        return false;
    GdkWindow* native = gtk_widget_get_window(top);
    return native && !(gdk_window_get_state(native) & GDK_WINDOW_STATE_WITHDRAWN);
}

void countPaint(GdkFrameClock*, gpointer counter) {
    ++*static_cast<int*>(counter);
}

} // namespace

void ProcessPending() {
    // Native events that are ready now, each followed by the posted events and messages;
    // non-blocking, and bounded in case a source stays ready. A source that stays ready (a live
    // picture repainted at every tick on a loaded machine) thus never holds back a message
    // posted before it, such as a cancel clicked while a worker runs.
    for (int budget = 200; budget > 0; --budget) {
        const bool dispatched = g_main_context_iteration(nullptr, FALSE);
        if (wxTheApp)
            wxTheApp->ProcessPendingEvents();
        DeliverQueuedMessages();
        if (!dispatched)
            break;
    }
    if (wxTheApp)
        wxTheApp->ProcessIdle();
    DeliverQueuedMessages();
}

bool PumpUntil(const std::function<bool()>& pred, int timeoutMs) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        ProcessPending();
        if (pred())
            return true;
        const int left = msLeft(end);
        if (left == 0)
            return false;
        waitForEvents(std::min(left, 20));
    }
}

bool WaitForPaint(wxWindow* window, int timeoutMs) {
    if (!window)
        return false;
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    wxWindow* top = wxGetTopLevelParent(window);
    GtkWidget* widget = widgetOf(top ? top : window);
    if (!PumpUntil([&] { return onScreen(window, widget); }, timeoutMs))
        return false;
    GdkFrameClock* clock = gtk_widget_get_frame_clock(widget);
    if (!clock)
        return false;
    // A paint asked for now and finished: every control of the window has been drawn since.
    int painted = 0;
    const gulong handler = g_signal_connect(clock, "after-paint", G_CALLBACK(countPaint), &painted);
    gtk_widget_queue_draw(widget);
    const bool ok = PumpUntil([&] { return painted > 0; }, msLeft(end));
    g_signal_handler_disconnect(clock, handler);
    if (ok)
        gdk_display_flush(gtk_widget_get_display(widget));
    return ok;
}

bool DestroyAndWait(wxWindow* window, int timeoutMs) {
    if (!window)
        return true;
    wxWeakRef<wxWindow> alive(window);
    window->Destroy();
    return PumpUntil([&] { return !alive; }, timeoutMs);
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

void SendMouse(wxWindow* window, wxEventType type, wxPoint at, bool leftDown, bool shift) {
    wxMouseEvent ev(type);
    ev.SetEventObject(window);
    ev.SetId(window->GetId());
    ev.SetPosition(at);
    ev.m_leftDown = leftDown;
    ev.SetShiftDown(shift);
    window->GetEventHandler()->ProcessEvent(ev);
}

void Type(wxWindow* control, const wxString& text) {
    if (auto* t = dynamic_cast<wxTextCtrl*>(control))
        t->SetValue(text); // sends the text event
    else if (auto* c = dynamic_cast<wxComboBox*>(control))
        c->SetValue(text);
}

namespace {

// Polls for a shown modal dialog (a timer of the dialog's own loop) and runs the action once on
// it when it has been painted.
class ModalWatcher : public wxTimer {
public:
    explicit ModalWatcher(std::function<void(wxDialog*)> action) : action_(std::move(action)) { Start(10); }
    void Notify() override {
        for (wxWindow* w : wxTopLevelWindows) {
            auto* d = dynamic_cast<wxDialog*>(w);
            if (d && d->IsModal() && d->IsShown()) {
                Stop();
                auto action = std::move(action_);
                wxTheApp->CallAfter([action, d] {
                    EXPECT_TRUE(WaitForPaint(d)) << "the modal dialog was not painted";
                    action(d);
                });
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

wxWindow* FocusWithin(wxWindow* topLevel) {
    if (!topLevel || !topLevel->GetHandle() || !GTK_IS_WINDOW(topLevel->GetHandle()))
        return nullptr;
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(topLevel->GetHandle()));
    if (!focus)
        return nullptr;
    // The deepest control whose widget is the focus widget or holds it (an edit's entry).
    wxWindow* found = nullptr;
    std::function<void(wxWindow*)> visit = [&](wxWindow* w) {
        for (wxWindow* child : w->GetChildren()) {
            if (child->IsTopLevel())
                continue;
            GtkWidget* widget = child->GetHandle();
            if (widget && (widget == focus || gtk_widget_is_ancestor(focus, widget)))
                found = child;
            visit(child);
        }
    };
    visit(topLevel);
    return found;
}

void WhenPopupMenu(wxWindow* window, std::function<void(wxMenu*)> action) {
    auto pending = std::make_shared<std::function<void(wxMenu*)>>(std::move(action));
    window->Bind(wxEVT_MENU_OPEN, [pending](wxMenuEvent& ev) {
        ev.Skip();
        wxMenu* menu = ev.GetMenu();
        if (!*pending || !ev.IsPopup() || !menu)
            return;
        auto act = std::move(*pending);
        *pending = nullptr;
        // From the menu's own loop, once it is shown: act, then close it.
        wxTheApp->CallAfter([act, menu] {
            act(menu);
            if (menu->m_popupShown)
                gtk_menu_popdown(GTK_MENU(menu->m_menu));
        });
    });
}

namespace {

// A picture of one colour only: nothing was drawn (a window not painted yet, or covered).
bool blank(const wxImage& image) {
    if (!image.IsOk() || image.GetWidth() == 0 || image.GetHeight() == 0)
        return true;
    const unsigned char* p = image.GetData();
    const size_t n = size_t(image.GetWidth()) * size_t(image.GetHeight()) * 3;
    for (size_t i = 3; i < n; i += 3)
        if (p[i] != p[0] || p[i + 1] != p[1] || p[i + 2] != p[2])
            return false;
    return true;
}

// The GTK tool bar a wx bar holds (the bar's widget or one inside it).
GtkWidget* gtkToolbarIn(GtkWidget* widget) {
    if (!widget || GTK_IS_TOOLBAR(widget))
        return widget;
    if (!GTK_IS_CONTAINER(widget))
        return nullptr;
    GtkWidget* found = nullptr;
    GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
    for (GList* c = children; c && !found; c = c->next)
        found = gtkToolbarIn(static_cast<GtkWidget*>(c->data));
    g_list_free(children);
    return found;
}

} // namespace

wxRect ToolScreenRect(wxToolBar* bar, int id) {
    const int pos = bar ? bar->GetToolPos(id) : wxNOT_FOUND;
    GtkWidget* widget = bar ? gtkToolbarIn(bar->GetHandle()) : nullptr;
    if (pos == wxNOT_FOUND || !widget)
        return wxRect();
    GtkToolItem* item = gtk_toolbar_get_nth_item(GTK_TOOLBAR(widget), pos);
    if (!item || !gtk_widget_get_mapped(GTK_WIDGET(item)))
        return wxRect();
    GtkAllocation a;
    gtk_widget_get_allocation(GTK_WIDGET(item), &a);
    int x = 0, y = 0;
    if (GdkWindow* window = gtk_widget_get_window(GTK_WIDGET(item)))
        gdk_window_get_origin(window, &x, &y);
    return wxRect(x + a.x, y + a.y, a.width, a.height);
}

namespace {

// The window as the toolkit draws it now, laid out first; an empty picture when nothing was drawn.
wxImage drawWindow(wxWindow* window) {
    GtkWidget* widget = widgetOf(window);
    // A control that changed its scroll range while it was painted has asked for a new layout;
    // it is done here, as the next frame would do it, since the toolkit draws nothing before.
    if (GtkWidget* top = gtk_widget_get_toplevel(widget); GTK_IS_CONTAINER(top))
        gtk_container_check_resize(GTK_CONTAINER(top));
    const int w = gtk_widget_get_allocated_width(widget), h = gtk_widget_get_allocated_height(widget);
    if (w <= 0 || h <= 0)
        return wxImage();
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_t* cr = cairo_create(surface);
    // Under what the window leaves undrawn, its background as the screen shows it.
    const wxColour back = window->GetBackgroundColour();
    cairo_set_source_rgb(cr, back.Red() / 255.0, back.Green() / 255.0, back.Blue() / 255.0);
    cairo_paint(cr);
    gtk_widget_draw(widget, cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    wxImage image(w, h);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    unsigned char* rgb = image.GetData();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x, rgb += 3) {
            const uint32_t px = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4);
            rgb[0] = (px >> 16) & 0xff;
            rgb[1] = (px >> 8) & 0xff;
            rgb[2] = px & 0xff;
        }
    cairo_surface_destroy(surface);
    return image;
}

// Takes the picture again while it comes out blank, three times at most: a layout or a window
// manager's mapping may still be on its way. False when a take failed or gave no picture.
bool takeWhileBlank(wxImage& image, const std::function<bool(wxImage&)>& take) {
    for (int attempt = 0; attempt < 3 && (!image.IsOk() || blank(image)); ++attempt)
        if (!take(image))
            return false;
    return image.IsOk();
}

} // namespace

bool Screenshot(wxWindow* window, const std::string& path) {
    // The window drawn by the toolkit into a picture of its own, whatever covers it on the
    // screen (other tests' windows on a shared display); an OpenGL canvas inside stays empty.
    wxImage image;
    if (!window || !takeWhileBlank(image, [&](wxImage& taken) {
            if (!WaitForPaint(window))
                return false;
            taken = drawWindow(window);
            return true;
        }))
        return false;
    if (blank(image)) {
        ADD_FAILURE() << "the screenshot " << path << " is blank: nothing of the window was drawn";
        return false;
    }
    return image.SaveFile(wxString::FromUTF8(path.c_str()), wxBITMAP_TYPE_PNG);
}

bool ScreenshotRoot(const std::string& path) {
    // The display has done what the paints asked of it (XSync) before import, another client,
    // reads the screen.
    wxImage image;
    if (!takeWhileBlank(image, [&](wxImage& taken) {
            for (wxWindow* w : wxTopLevelWindows)
                if (w->IsShown() && !WaitForPaint(w))
                    return false;
            gdk_display_sync(gdk_display_get_default());
            wxArrayString out, err;
            return wxExecute(wxString::Format("import -window root %s", wxString::FromUTF8(path.c_str())),
                             out, err, wxEXEC_SYNC) == 0 &&
                   taken.LoadFile(wxString::FromUTF8(path.c_str()), wxBITMAP_TYPE_PNG);
        }))
        return false;
    if (blank(image)) {
        ADD_FAILURE() << "the screenshot " << path << " is blank: no window was on the screen";
        return false;
    }
    return true;
}

std::string OutputFolder() {
    std::string dir = std::filesystem::current_path().string() + "/gui-output";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir;
}

} // namespace ui::testing
