// Frames whose menu items, bar buttons, accelerators and control notifications are routed
// view → document → frame → application, with menus and accelerators from the resources. An MDI
// pair routes the active child's view, document and child frame first, then the main frame and
// the application.
#pragma once

#include "ui/ViewFrame.h"
#include "ui/WindowBase.h"

#include <wx/frame.h>
#include <wx/mdi.h>

namespace ui {

class RoutedFrame : public wxFrame, public WindowBase, public ViewFrame {
public:
    RoutedFrame(wxWindow* parent, const wxString& title, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = wxDEFAULT_FRAME_STYLE);
    using ViewFrame::SetActiveView;

    std::vector<CommandTarget*> CommandChain() override;

    // Replaces the menu bar by menu resource menuId; false (menu unchanged) when it is missing.
    bool LoadMenuResource(int menuId);
    void LoadAcceleratorResource(int tableId);
};

class RoutedMdiChildFrame;

class RoutedMdiParentFrame : public wxMDIParentFrame, public WindowBase {
public:
    RoutedMdiParentFrame(const wxString& title, const wxPoint& pos = wxDefaultPosition,
                         const wxSize& size = wxDefaultSize);
    std::vector<CommandTarget*> CommandChain() override;
    RoutedMdiChildFrame* ActiveRoutedChild() const;
    bool LoadMenuResource(int menuId);
};

// A child frame holds the views of one document (ViewFrame::SetDocument).
class RoutedMdiChildFrame : public wxMDIChildFrame, public WindowBase, public ViewFrame {
public:
    RoutedMdiChildFrame(RoutedMdiParentFrame* parent, const wxString& title);
    using ViewFrame::SetActiveView;
    ~RoutedMdiChildFrame() override;
    // Its own view, document and itself, then the parent frame and the application.
    std::vector<CommandTarget*> CommandChain() override;

protected:
    // The child became the active child (or stopped being it). The base tells its active view
    // (OnActivateView(activate, view, view)).
    virtual void OnMDIActivate(bool activate);

private:
    void onActivate(wxActivateEvent& ev);
};

} // namespace ui
