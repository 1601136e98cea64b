#include "ui/RoutedFrame.h"

#include "ui/ResourceWidgets.h"

namespace ui {

RoutedFrame::RoutedFrame(wxWindow* parent, const wxString& title, const wxPoint& pos, const wxSize& size,
                         long style)
    : wxFrame(parent, wxID_ANY, title, pos, size, style), MessageTarget(this),
      router_(this, [this] { return CommandChain(); }) {
    // Bar buttons of panels get their update-UI requests in idle time as menu items do.
    wxUpdateUIEvent::SetMode(wxUPDATE_UI_PROCESS_ALL);
}

std::vector<CommandTarget*> RoutedFrame::CommandChain() {
    return {ActiveView(), ActiveDocument(), this, AppCommandTarget()};
}

bool RoutedFrame::LoadMenuResource(int menuId) {
    wxMenuBar* bar = BuildMenuBar(menuId);
    if (!bar)
        return false;
    wxMenuBar* old = GetMenuBar();
    SetMenuBar(bar);
    delete old;
    return true;
}

void RoutedFrame::LoadAcceleratorResource(int tableId) {
    SetAcceleratorTable(BuildAccelerators(tableId));
}

bool RoutedFrame::OnUnhandledMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    result = 0;
    if (message == WM_COMMAND)
        return RouteCommandId(LOWORD(wParam));
    if (message == WM_CLOSE) {
        Close();
        return true;
    }
    return false;
}

RoutedMdiParentFrame::RoutedMdiParentFrame(const wxString& title, const wxPoint& pos, const wxSize& size)
    : wxMDIParentFrame(nullptr, wxID_ANY, title, pos, size), MessageTarget(this),
      router_(this, [this] { return CommandChain(); }) {
    wxUpdateUIEvent::SetMode(wxUPDATE_UI_PROCESS_ALL);
}

RoutedMdiChildFrame* RoutedMdiParentFrame::ActiveRoutedChild() const {
    return dynamic_cast<RoutedMdiChildFrame*>(GetActiveChild());
}

std::vector<CommandTarget*> RoutedMdiParentFrame::CommandChain() {
    std::vector<CommandTarget*> chain;
    if (RoutedMdiChildFrame* child = ActiveRoutedChild()) {
        chain.push_back(child->ActiveView());
        chain.push_back(child->ActiveDocument());
        chain.push_back(child);
    }
    chain.push_back(this);
    chain.push_back(AppCommandTarget());
    return chain;
}

bool RoutedMdiParentFrame::LoadMenuResource(int menuId) {
    wxMenuBar* bar = BuildMenuBar(menuId);
    if (!bar)
        return false;
    wxMenuBar* old = GetMenuBar();
    SetMenuBar(bar);
    delete old;
    return true;
}

bool RoutedMdiParentFrame::OnUnhandledMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    result = 0;
    if (message == WM_COMMAND)
        return RouteCommandId(LOWORD(wParam));
    if (message == WM_CLOSE) {
        Close();
        return true;
    }
    return false;
}

RoutedMdiChildFrame::RoutedMdiChildFrame(RoutedMdiParentFrame* parent, const wxString& title)
    : wxMDIChildFrame(parent, wxID_ANY, title), MessageTarget(this) {}

} // namespace ui
