// Frames whose menu items, bar buttons and accelerators are routed view → document → frame →
// application, with menus and accelerators from the resources. An MDI pair routes the active
// child's view, document and child frame first, then the main frame and the application.
#pragma once

#include "ui/CommandRouting.h"
#include "ui/PrivateMessages.h"

#include <wx/frame.h>
#include <wx/mdi.h>

namespace ui {

// What a frame knows about its active view and that view's document.
class ViewSlot {
public:
    void SetActiveView(CommandTarget* view, CommandTarget* document) {
        view_ = view;
        document_ = document;
    }
    CommandTarget* ActiveView() const { return view_; }
    CommandTarget* ActiveDocument() const { return document_; }

private:
    CommandTarget* view_ = nullptr;
    CommandTarget* document_ = nullptr;
};

class RoutedFrame : public wxFrame, public CommandTarget, public MessageTarget, public ViewSlot {
public:
    RoutedFrame(wxWindow* parent, const wxString& title, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = wxDEFAULT_FRAME_STYLE);

    virtual std::vector<CommandTarget*> CommandChain();
    // Routes a command id as the menu item would (also what WM_COMMAND sent to the frame does).
    bool RouteCommandId(int id) { return RouteCommand(CommandChain(), id); }

    // Replaces the menu bar by menu resource menuId; false (menu unchanged) when it is missing.
    bool LoadMenuResource(int menuId);
    void LoadAcceleratorResource(int tableId);

protected:
    bool OnUnhandledMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    CommandRouter router_;
};

class RoutedMdiChildFrame;

class RoutedMdiParentFrame : public wxMDIParentFrame, public CommandTarget, public MessageTarget {
public:
    RoutedMdiParentFrame(const wxString& title, const wxPoint& pos = wxDefaultPosition,
                         const wxSize& size = wxDefaultSize);
    virtual std::vector<CommandTarget*> CommandChain();
    bool RouteCommandId(int id) { return RouteCommand(CommandChain(), id); }
    RoutedMdiChildFrame* ActiveRoutedChild() const;
    bool LoadMenuResource(int menuId);

protected:
    bool OnUnhandledMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    CommandRouter router_;
};

class RoutedMdiChildFrame : public wxMDIChildFrame,
                            public CommandTarget,
                            public MessageTarget,
                            public ViewSlot {
public:
    RoutedMdiChildFrame(RoutedMdiParentFrame* parent, const wxString& title);
};

} // namespace ui
