#include "ui/RoutedFrame.h"

#include "ui/ResourceWidgets.h"
#include "ui/View.h"

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
}

RoutedMdiChildFrame::~RoutedMdiChildFrame() {
    Unbind(wxEVT_ACTIVATE, &RoutedMdiChildFrame::onActivate, this);
}

void RoutedMdiChildFrame::onActivate(wxActivateEvent& ev) {
    ev.Skip();
    OnMDIActivate(ev.GetActive());
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
