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
    // The active child; while a child is told that it becomes active, that child (the notebook
    // of the GTK port still shows the previous page then).
    wxMDIChildFrame* GetActiveChild() const override;

private:
    friend class RoutedMdiChildFrame;
    RoutedMdiChildFrame* activating_ = nullptr;
};

// A child frame holds the views of one document (ViewFrame::SetDocument).
class RoutedMdiChildFrame : public wxMDIChildFrame, public WindowBase, public ViewFrame {
public:
    RoutedMdiChildFrame(RoutedMdiParentFrame* parent, const wxString& title);
    using ViewFrame::SetActiveView;
    ~RoutedMdiChildFrame() override;
    // Its own view, document and itself, then the parent frame and the application.
    std::vector<CommandTarget*> CommandChain() override;
    // The tab of the child carries its title and a close button that closes the child as its
    // Close() does.
    void SetTitle(const wxString& title) override;
    // The close button of the tab on the screen (empty when the tab has none or is not shown).
    wxRect TabCloseButtonRect() const;

protected:
    // The child became the active child (or stopped being it). The base tells its active view
    // (OnActivateView(activate, view, view)).
    virtual void OnMDIActivate(bool activate);

private:
    void onActivate(wxActivateEvent& ev);
    void addTabCloseButton();
    void* tabLabel_ = nullptr;  // the tab's label (GtkWidget)
    void* tabButton_ = nullptr; // the tab's close button (GtkWidget)
};

} // namespace ui
