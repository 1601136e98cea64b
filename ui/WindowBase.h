// The base of every window class of the layer (frames, dialogs, panels, views): one message map
// for private messages, commands, control notifications and update-UI, and the bridge that turns
// wx events and WM_COMMAND messages into entries of that map.
//
//   class CSetScaleDlg : public ui::TemplateDialog {         // namespace ids = vtid::ScaleDialog;
//       CSetScaleDlg(wxWindow* parent) : TemplateDialog(parent, vtid::dlg::ScaleDialog) {
//           OnCommand(ids::Colour, &CSetScaleDlg::OnColour);          // button click
//           OnControl(ui::EN_KILLFOCUS, ids::Length, &CSetScaleDlg::OnLengthDone);
//           OnControl(ui::CBN_SELCHANGE, ids::Corner, &CSetScaleDlg::OnCornerChange);
//           OnNotify(ui::NM_DBLCLK, ids::Files, [this](ui::Notification& n) { Open(n.item); });
//           OnMessage(WM_WORK_DONE, &CSetScaleDlg::OnWorkDone);
//       }
//   };
//
// What wx gives and the map receives:
//   buttons, check boxes, radio buttons, toggles, menu items, tools   BN_CLICKED (OnCommand)
//   combo box / choice selection            CBN_SELCHANGE   list box selection   LBN_SELCHANGE
//   edit text change                        EN_CHANGE       combo edit change    CBN_EDITCHANGE
//   list box double click                   LBN_DBLCLK
//   kill focus: edit EN_KILLFOCUS, combo CBN_KILLFOCUS, list box LBN_KILLFOCUS, list and tree
//   views NM_KILLFOCUS, buttons BN_KILLFOCUS
//   list view: selection and deselection LVN_ITEMCHANGED (states LVIS_SELECTED), activation
//   NM_DBLCLK, right click NM_RCLICK, LVN_COLUMNCLICK, LVN_BEGINDRAG, LVN_KEYDOWN,
//   LVN_BEGINLABELEDIT, LVN_ENDLABELEDIT
//   tree view: TVN_SELCHANGED, TVN_ITEMEXPANDING, activation NM_DBLCLK, right click NM_RCLICK
//
// Sliders and scroll bars scroll as messages: WM_HSCROLL (WM_VSCROLL for a vertical one) with
// wParam = MAKELONG(SB_... code, position) and lParam = the control's handle go to the message
// table of the window that holds the control, and on to the windows above while none takes them.
//
// A command or notification that this window's chain does not take travels on to the windows
// that hold it (a panel's buttons reach the frame and its view and document); a dialog ends the
// travel. A combo box with an edit reports every change of its text (wxEVT_TEXT) as
// CBN_EDITCHANGE, so one may come with a CBN_SELCHANGE when a picked entry replaces the text.
#pragma once

#include "ui/CommandRouting.h"
#include "ui/PrivateMessages.h"

#include <wx/window.h>

#include <vector>

class wxListEvent;
class wxScrollEvent;
class wxTreeEvent;

namespace ui {

constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr int SB_LINEUP = 0, SB_LINEDOWN = 1, SB_PAGEUP = 2, SB_PAGEDOWN = 3, SB_THUMBPOSITION = 4,
              SB_THUMBTRACK = 5, SB_TOP = 6, SB_BOTTOM = 7, SB_ENDSCROLL = 8;

class WindowBase : public CommandTarget, public MessageTarget {
public:
    explicit WindowBase(wxWindow* self);
    ~WindowBase() override;

    wxWindow* Self() const { return self_; }

    // The targets this window's commands go through, in order; the base: this window alone.
    virtual std::vector<CommandTarget*> CommandChain();
    // Runs a command or notification through the chain; false when nothing took it.
    virtual bool OnCmdMsg(Notification& n);
    // Routes a command id as the menu item would (also what WM_COMMAND sent to the window does).
    bool RouteCommandId(int id);
    // Asks the chain for the state of an item (see RouteUpdate).
    bool UpdateCmdUI(CmdUI& ui) { return RouteUpdate(CommandChain(), ui); }

    // Kill-focus notifications for a control made outside a template (controls of a template
    // and every control that once had the focus are watched already).
    static void WatchFocus(wxWindow* control);
    // Runs a notification through the window base of from (when it is one) and then through the
    // bases of the windows that hold it, up to the top-level window; true when one took it.
    static bool SendUp(wxWindow* from, Notification& n);

protected:
    // Frames: update-UI requests of menu items, tool-bar buttons and controls below go through
    // the chain; menu items and tools that no target knows are disabled.
    void RouteUpdateUI();
    // WM_COMMAND runs OnCmdMsg; WM_CLOSE closes a top-level window.
    bool OnUnhandledMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void onCommand(wxCommandEvent& ev);
    void onList(wxListEvent& ev);
    void onTree(wxTreeEvent& ev);
    void onScroll(wxScrollEvent& ev);
    void onChildFocus(wxChildFocusEvent& ev);
    void onUpdate(wxUpdateUIEvent& ev);
    wxWindow* self_;
    bool routesUpdate_ = false;
};

// The window base a window is, null when it is none.
WindowBase* WindowBaseOf(wxWindow* window);

} // namespace ui
