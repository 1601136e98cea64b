#include "ui/RoutedFrame.h"

#include "ids/CommonIds.h"
#include "ui/ResourceWidgets.h"
#include "ui/View.h"
#include "ui/resources/ResourceRegistry.h"

#include <gtk/gtk.h>

namespace ui {

namespace {

// The menu bar built from the resource replaces the frame's bar; false (bar kept) when the
// resource gives none.
bool ReplaceMenuBar(wxFrame& frame, int menuId) {
    wxMenuBar* bar = BuildMenuBar(menuId);
    if (!bar)
        return false;
    wxMenuBar* old = frame.GetMenuBar();
    frame.SetMenuBar(bar);
    delete old;
    return true;
}

} // namespace

RoutedFrame::RoutedFrame(wxWindow* parent, const wxString& title, const wxPoint& pos, const wxSize& size,
                         long style)
    : wxFrame(parent, wxID_ANY, title, pos, size, style), WindowBase(this), ViewFrame(this) {
    RouteUpdateUI();
    // Bar buttons of panels get their update-UI requests in idle time as menu items do.
    wxUpdateUIEvent::SetMode(wxUPDATE_UI_PROCESS_ALL);
}

std::vector<CommandTarget*> RoutedFrame::CommandChain() {
    std::vector<CommandTarget*> chain;
    AppendViewTargets(chain);
    chain.push_back(this);
    chain.push_back(AppCommandTarget());
    return chain;
}

bool RoutedFrame::LoadMenuResource(int menuId) {
    return ReplaceMenuBar(*this, menuId);
}

void RoutedFrame::LoadAcceleratorResource(int tableId) {
    SetAcceleratorTable(BuildAccelerators(tableId));
}

RoutedMdiParentFrame::RoutedMdiParentFrame(const wxString& title, const wxPoint& pos, const wxSize& size)
    : wxMDIParentFrame(nullptr, wxID_ANY, title, pos, size), WindowBase(this) {
    RouteUpdateUI();
    wxUpdateUIEvent::SetMode(wxUPDATE_UI_PROCESS_ALL);
}

wxMDIChildFrame* RoutedMdiParentFrame::GetActiveChild() const {
    if (activating_)
        return activating_;
    return wxMDIParentFrame::GetActiveChild();
}

RoutedMdiChildFrame* RoutedMdiParentFrame::ActiveRoutedChild() const {
    return dynamic_cast<RoutedMdiChildFrame*>(GetActiveChild());
}

std::vector<CommandTarget*> RoutedMdiParentFrame::CommandChain() {
    std::vector<CommandTarget*> chain;
    if (RoutedMdiChildFrame* child = ActiveRoutedChild())
        return child->CommandChain();
    chain.push_back(this);
    chain.push_back(AppCommandTarget());
    return chain;
}

bool RoutedMdiParentFrame::LoadMenuResource(int menuId) {
    return ReplaceMenuBar(*this, menuId);
}

RoutedMdiChildFrame::RoutedMdiChildFrame(RoutedMdiParentFrame* parent, const wxString& title)
    : wxMDIChildFrame(parent, wxID_ANY, title), WindowBase(this), ViewFrame(this) {
    RouteUpdateUI();
    Bind(wxEVT_ACTIVATE, &RoutedMdiChildFrame::onActivate, this);
    addTabCloseButton();
}

RoutedMdiChildFrame::~RoutedMdiChildFrame() {
    Unbind(wxEVT_ACTIVATE, &RoutedMdiChildFrame::onActivate, this);
    if (auto* parent = dynamic_cast<RoutedMdiParentFrame*>(GetMDIParent());
        parent && parent->activating_ == this)
        parent->activating_ = nullptr;
    if (tabButton_)
        g_signal_handlers_disconnect_by_data(tabButton_, this);
}

void RoutedMdiChildFrame::onActivate(wxActivateEvent& ev) {
    ev.Skip();
    auto* parent = dynamic_cast<RoutedMdiParentFrame*>(GetMDIParent());
    if (!ev.GetActive() || !parent) {
        OnMDIActivate(ev.GetActive());
        return;
    }
    // The notebook changes its page after telling the new child: until then the new child is
    // the active one for everything the activation does (title, menus, panels).
    RoutedMdiChildFrame* before = parent->activating_;
    parent->activating_ = this;
    OnMDIActivate(true);
    parent->activating_ = before;
}

namespace {

GtkNotebook* notebookOf(wxMDIChildFrame* child) {
    wxMDIParentFrame* parent = child->GetMDIParent();
    wxMDIClientWindowBase* client = parent ? parent->GetClientWindow() : nullptr;
    GtkWidget* widget = client ? client->GetHandle() : nullptr;
    return widget && GTK_IS_NOTEBOOK(widget) ? GTK_NOTEBOOK(widget) : nullptr;
}

void onTabClose(GtkButton*, gpointer frame) {
    static_cast<RoutedMdiChildFrame*>(frame)->Close();
}

} // namespace

void RoutedMdiChildFrame::addTabCloseButton() {
    GtkNotebook* notebook = notebookOf(this);
    GtkWidget* page = GetHandle();
    if (!notebook || !page || gtk_notebook_page_num(notebook, page) < 0)
        return;
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
    GtkWidget* label = gtk_label_new(m_title.utf8_str());
    GtkWidget* button = gtk_button_new_from_icon_name("window-close-symbolic", GTK_ICON_SIZE_MENU);
    gtk_button_set_relief(GTK_BUTTON(button), GTK_RELIEF_NONE);
    gtk_widget_set_focus_on_click(button, FALSE);
    // The tip is the short text of the close command's prompt when the resources give one.
    if (const std::string* prompt = Resources().FindString(uiid::cmd::CloseDocument)) {
        const size_t newline = prompt->find('\n');
        gtk_widget_set_tooltip_text(button,
                                    prompt->substr(newline == std::string::npos ? 0 : newline + 1).c_str());
    }
    gtk_box_pack_start(GTK_BOX(box), label, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(box), button, FALSE, FALSE, 0);
    gtk_widget_show_all(box);
    gtk_notebook_set_tab_label(notebook, page, box);
    g_signal_connect(button, "clicked", G_CALLBACK(onTabClose), this);
    tabLabel_ = label;
    tabButton_ = button;
}

void RoutedMdiChildFrame::SetTitle(const wxString& title) {
    if (!tabLabel_) {
        wxMDIChildFrame::SetTitle(title);
        return;
    }
    m_title = title;
    gtk_label_set_text(GTK_LABEL(tabLabel_), title.utf8_str());
}

wxRect RoutedMdiChildFrame::TabCloseButtonRect() const {
    auto* button = static_cast<GtkWidget*>(tabButton_);
    if (!button || !gtk_widget_get_mapped(button))
        return wxRect();
    GtkAllocation a;
    gtk_widget_get_allocation(button, &a);
    GdkWindow* window = gtk_widget_get_window(button);
    int x = 0, y = 0;
    if (window)
        gdk_window_get_origin(window, &x, &y);
    return wxRect(x + a.x, y + a.y, a.width, a.height);
}

void RoutedMdiChildFrame::OnMDIActivate(bool activate) {
    if (View* view = GetActiveView())
        view->OnActivateView(activate, view, view);
}

std::vector<CommandTarget*> RoutedMdiChildFrame::CommandChain() {
    std::vector<CommandTarget*> chain;
    AppendViewTargets(chain);
    chain.push_back(this);
    if (auto* parent = dynamic_cast<RoutedMdiParentFrame*>(GetMDIParent()))
        chain.push_back(parent);
    chain.push_back(AppCommandTarget());
    return chain;
}

} // namespace ui
