#include "ui/RoutedFrame.h"

#include "ui/ResourceWidgets.h"

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

// Messages no handler took: commands go along the frame's chain, a close request closes it.
template <class Frame>
bool HandleFrameMessage(Frame& frame, UINT message, WPARAM wParam, LRESULT& result) {
    result = 0;
    if (message == WM_COMMAND)
        return frame.RouteCommandId(LOWORD(wParam));
    if (message == WM_CLOSE) {
        frame.Close();
        return true;
    }
    return false;
}

} // namespace

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
    return ReplaceMenuBar(*this, menuId);
}

void RoutedFrame::LoadAcceleratorResource(int tableId) {
    SetAcceleratorTable(BuildAccelerators(tableId));
}

bool RoutedFrame::OnUnhandledMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    return HandleFrameMessage(*this, message, wParam, result);
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
    return ReplaceMenuBar(*this, menuId);
}

bool RoutedMdiParentFrame::OnUnhandledMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    return HandleFrameMessage(*this, message, wParam, result);
}

RoutedMdiChildFrame::RoutedMdiChildFrame(RoutedMdiParentFrame* parent, const wxString& title)
    : wxMDIChildFrame(parent, wxID_ANY, title), MessageTarget(this) {}

} // namespace ui
