#include "ui/WindowBase.h"

#include <wx/aui/auibar.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/scrolbar.h>
#include <wx/slider.h>
#include <wx/spinbutt.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>
#include <wx/tglbtn.h>
#include <wx/treectrl.h>

namespace ui {

namespace {

const wxEventTypeTag<wxCommandEvent> kCommandEvents[] = {
    wxEVT_BUTTON,   wxEVT_MENU,   wxEVT_TOGGLEBUTTON, wxEVT_CHECKBOX,       wxEVT_RADIOBUTTON,
    wxEVT_COMBOBOX, wxEVT_CHOICE, wxEVT_LISTBOX,      wxEVT_LISTBOX_DCLICK, wxEVT_TEXT};

const wxEventTypeTag<wxListEvent> kListEvents[] = {
    wxEVT_LIST_ITEM_SELECTED,    wxEVT_LIST_ITEM_DESELECTED,  wxEVT_LIST_ITEM_ACTIVATED,
    wxEVT_LIST_ITEM_RIGHT_CLICK, wxEVT_LIST_COL_CLICK,        wxEVT_LIST_BEGIN_DRAG,
    wxEVT_LIST_KEY_DOWN,         wxEVT_LIST_BEGIN_LABEL_EDIT, wxEVT_LIST_END_LABEL_EDIT};

const wxEventTypeTag<wxTreeEvent> kTreeEvents[] = {wxEVT_TREE_SEL_CHANGED, wxEVT_TREE_ITEM_EXPANDING,
                                                   wxEVT_TREE_ITEM_ACTIVATED, wxEVT_TREE_ITEM_RIGHT_CLICK};

const wxEventTypeTag<wxScrollEvent> kScrollEvents[] = {
    wxEVT_SCROLL_LINEUP,   wxEVT_SCROLL_LINEDOWN,   wxEVT_SCROLL_PAGEUP,
    wxEVT_SCROLL_PAGEDOWN, wxEVT_SCROLL_THUMBTRACK, wxEVT_SCROLL_THUMBRELEASE,
    wxEVT_SCROLL_TOP,      wxEVT_SCROLL_BOTTOM,     wxEVT_SCROLL_CHANGED};

int scrollCode(wxEventType type) {
    if (type == wxEVT_SCROLL_LINEUP)
        return SB_LINEUP;
    if (type == wxEVT_SCROLL_LINEDOWN)
        return SB_LINEDOWN;
    if (type == wxEVT_SCROLL_PAGEUP)
        return SB_PAGEUP;
    if (type == wxEVT_SCROLL_PAGEDOWN)
        return SB_PAGEDOWN;
    if (type == wxEVT_SCROLL_THUMBTRACK)
        return SB_THUMBTRACK;
    if (type == wxEVT_SCROLL_THUMBRELEASE)
        return SB_THUMBPOSITION;
    if (type == wxEVT_SCROLL_TOP)
        return SB_TOP;
    if (type == wxEVT_SCROLL_BOTTOM)
        return SB_BOTTOM;
    return SB_ENDSCROLL;
}

bool isMenuOrTool(wxObject* from) {
    return dynamic_cast<wxMenu*>(from) || dynamic_cast<wxToolBar*>(from) || dynamic_cast<wxAuiToolBar*>(from);
}

// The update request a bar makes for itself as a window (its own id, not one of its buttons).
bool isBarItself(const wxUpdateUIEvent& ev) {
    auto* bar = dynamic_cast<wxWindow*>(ev.GetEventObject());
    return bar && (dynamic_cast<wxToolBar*>(bar) || dynamic_cast<wxAuiToolBar*>(bar)) &&
           ev.GetId() == bar->GetId();
}

int commandCode(const wxCommandEvent& ev) {
    wxObject* from = ev.GetEventObject();
    wxEventType type = ev.GetEventType();
    if (type == wxEVT_COMBOBOX || type == wxEVT_CHOICE)
        return CBN_SELCHANGE;
    if (type == wxEVT_LISTBOX)
        return LBN_SELCHANGE;
    if (type == wxEVT_LISTBOX_DCLICK)
        return LBN_DBLCLK;
    if (type == wxEVT_TEXT)
        return dynamic_cast<wxComboBox*>(from) ? CBN_EDITCHANGE : EN_CHANGE;
    return BN_CLICKED;
}

int killFocusCode(wxWindow* control) {
    if (dynamic_cast<wxComboBox*>(control) || dynamic_cast<wxChoice*>(control))
        return CBN_KILLFOCUS;
    if (dynamic_cast<wxTextCtrl*>(control))
        return EN_KILLFOCUS;
    if (dynamic_cast<wxListBox*>(control))
        return LBN_KILLFOCUS;
    if (dynamic_cast<wxListCtrl*>(control) || dynamic_cast<wxTreeCtrl*>(control))
        return NM_KILLFOCUS;
    return BN_KILLFOCUS;
}

void forwardKillFocus(wxFocusEvent& ev) {
    ev.Skip();
    auto* control = dynamic_cast<wxWindow*>(ev.GetEventObject());
    if (!control || control->IsBeingDeleted())
        return;
    Notification n;
    n.code = killFocusCode(control);
    n.id = control->GetId();
    n.control = control;
    WindowBase::SendUp(control, n);
}

} // namespace

WindowBase* WindowBaseOf(wxWindow* window) {
    return dynamic_cast<WindowBase*>(window);
}

WindowBase::WindowBase(wxWindow* self) : MessageTarget(self), self_(self) {
    for (const auto& type : kCommandEvents)
        self_->Bind(type, &WindowBase::onCommand, this);
    for (const auto& type : kListEvents)
        self_->Bind(type, &WindowBase::onList, this);
    for (const auto& type : kTreeEvents)
        self_->Bind(type, &WindowBase::onTree, this);
    for (const auto& type : kScrollEvents)
        self_->Bind(type, &WindowBase::onScroll, this);
    self_->Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, &WindowBase::onBook, this);
    self_->Bind(wxEVT_CONTEXT_MENU, &WindowBase::onContextMenu, this);
    self_->Bind(wxEVT_CHILD_FOCUS, &WindowBase::onChildFocus, this);
}

WindowBase::~WindowBase() {
    // The window outlives this part of the object while wx destroys it: no event may reach us.
    for (const auto& type : kCommandEvents)
        self_->Unbind(type, &WindowBase::onCommand, this);
    for (const auto& type : kListEvents)
        self_->Unbind(type, &WindowBase::onList, this);
    for (const auto& type : kTreeEvents)
        self_->Unbind(type, &WindowBase::onTree, this);
    for (const auto& type : kScrollEvents)
        self_->Unbind(type, &WindowBase::onScroll, this);
    self_->Unbind(wxEVT_NOTEBOOK_PAGE_CHANGED, &WindowBase::onBook, this);
    self_->Unbind(wxEVT_CONTEXT_MENU, &WindowBase::onContextMenu, this);
    self_->Unbind(wxEVT_CHILD_FOCUS, &WindowBase::onChildFocus, this);
    if (routesUpdate_)
        self_->Unbind(wxEVT_UPDATE_UI, &WindowBase::onUpdate, this);
}

std::vector<CommandTarget*> WindowBase::CommandChain() {
    return {this};
}

bool WindowBase::OnCmdMsg(Notification& n) {
    return RouteNotification(CommandChain(), n);
}

bool WindowBase::RouteCommandId(int id) {
    Notification n;
    n.id = id;
    return OnCmdMsg(n);
}

void WindowBase::WatchFocus(wxWindow* control) {
    if (!control)
        return;
    control->Unbind(wxEVT_KILL_FOCUS, &forwardKillFocus);
    control->Bind(wxEVT_KILL_FOCUS, &forwardKillFocus);
}

bool WindowBase::SendUp(wxWindow* from, Notification& n) {
    for (wxWindow* w = from; w; w = w->GetParent()) {
        if (WindowBase* base = WindowBaseOf(w))
            if (base->OnCmdMsg(n))
                return true;
        if (w->IsTopLevel())
            break;
    }
    return false;
}

void WindowBase::RouteUpdateUI() {
    if (!routesUpdate_) {
        routesUpdate_ = true;
        self_->Bind(wxEVT_UPDATE_UI, &WindowBase::onUpdate, this);
    }
}

bool WindowBase::OnUnhandledMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    if (message == WM_COMMAND) {
        Notification n;
        n.id = LOWORD(wParam);
        n.code = static_cast<short>(HIWORD(wParam));
        n.control = lParam ? WindowFromHandle(reinterpret_cast<HWND>(lParam)) : nullptr;
        if (!n.control && n.code == 1)
            n.code = BN_CLICKED; // an accelerator
        return OnCmdMsg(n);
    }
    if (message == WM_CLOSE && self_->IsTopLevel()) {
        self_->Close();
        return true;
    }
    return false;
}

void WindowBase::onCommand(wxCommandEvent& ev) {
    Notification n;
    n.code = commandCode(ev);
    n.id = ev.GetId();
    if (!isMenuOrTool(ev.GetEventObject()))
        n.control = dynamic_cast<wxWindow*>(ev.GetEventObject());
    if (!OnCmdMsg(n))
        ev.Skip();
}

void WindowBase::onList(wxListEvent& ev) {
    Notification n;
    n.id = ev.GetId();
    n.control = dynamic_cast<wxWindow*>(ev.GetEventObject());
    n.item = ev.GetIndex();
    n.point = ev.GetPoint();
    wxEventType type = ev.GetEventType();
    if (type == wxEVT_LIST_ITEM_SELECTED || type == wxEVT_LIST_ITEM_DESELECTED) {
        n.code = LVN_ITEMCHANGED;
        bool selected = type == wxEVT_LIST_ITEM_SELECTED;
        n.newState = selected ? LVIS_SELECTED : 0;
        n.oldState = selected ? 0 : LVIS_SELECTED;
    } else if (type == wxEVT_LIST_ITEM_ACTIVATED) {
        n.code = NM_DBLCLK;
    } else if (type == wxEVT_LIST_ITEM_RIGHT_CLICK) {
        n.code = NM_RCLICK;
    } else if (type == wxEVT_LIST_COL_CLICK) {
        n.code = LVN_COLUMNCLICK;
        n.column = ev.GetColumn();
    } else if (type == wxEVT_LIST_BEGIN_DRAG) {
        n.code = LVN_BEGINDRAG;
    } else if (type == wxEVT_LIST_KEY_DOWN) {
        n.code = LVN_KEYDOWN;
        n.key = ev.GetKeyCode();
    } else if (type == wxEVT_LIST_BEGIN_LABEL_EDIT) {
        n.code = LVN_BEGINLABELEDIT;
        n.column = ev.GetColumn();
    } else {
        n.code = LVN_ENDLABELEDIT;
        n.column = ev.GetColumn();
        n.text = ev.GetLabel();
        n.editCancelled = ev.IsEditCancelled();
    }
    if (!OnCmdMsg(n)) {
        ev.Skip();
        return;
    }
    // Nonzero forbids a label edit; an ended edit keeps its text only when the handler says so.
    if ((n.code == LVN_BEGINLABELEDIT && n.result) || (n.code == LVN_ENDLABELEDIT && !n.result))
        ev.Veto();
}

void WindowBase::onTree(wxTreeEvent& ev) {
    Notification n;
    n.id = ev.GetId();
    n.control = dynamic_cast<wxWindow*>(ev.GetEventObject());
    n.treeItem = ev.GetItem().GetID();
    n.point = ev.GetPoint();
    wxEventType type = ev.GetEventType();
    if (type == wxEVT_TREE_SEL_CHANGED)
        n.code = TVN_SELCHANGED;
    else if (type == wxEVT_TREE_ITEM_EXPANDING)
        n.code = TVN_ITEMEXPANDING;
    else if (type == wxEVT_TREE_ITEM_ACTIVATED)
        n.code = NM_DBLCLK;
    else
        n.code = NM_RCLICK;
    if (!OnCmdMsg(n)) {
        ev.Skip();
        return;
    }
    if (n.code == TVN_ITEMEXPANDING && n.result)
        ev.Veto();
}

void WindowBase::onScroll(wxCommandEvent& event) {
    // A spin button's steps come with the scroll event types.
    if (auto* spin = dynamic_cast<wxSpinEvent*>(&event)) {
        onSpin(*spin);
        return;
    }
    auto* ev = dynamic_cast<wxScrollEvent*>(&event);
    // Sliders and scroll bars report their scrolling alike.
    auto* slider = dynamic_cast<wxControl*>(event.GetEventObject());
    if (!ev || (!dynamic_cast<wxSlider*>(slider) && !dynamic_cast<wxScrollBar*>(slider))) {
        event.Skip();
        return;
    }
    UINT message = ev->GetOrientation() == wxVERTICAL ? WM_VSCROLL : WM_HSCROLL;
    WPARAM wParam = static_cast<WPARAM>(
        MAKELONG(static_cast<WORD>(scrollCode(ev->GetEventType())), static_cast<WORD>(ev->GetPosition())));
    LRESULT result = 0;
    if (!Dispatch(message, wParam, reinterpret_cast<LPARAM>(WindowHandle(slider)), result))
        event.Skip();
}

void WindowBase::onSpin(wxSpinEvent& ev) {
    const wxEventType type = ev.GetEventType();
    if (type != wxEVT_SPIN_UP && type != wxEVT_SPIN_DOWN) {
        ev.Skip();
        return;
    }
    Notification n;
    n.code = UDN_DELTAPOS;
    n.id = ev.GetId();
    n.control = dynamic_cast<wxWindow*>(ev.GetEventObject());
    n.position = ev.GetPosition();
    n.delta = type == wxEVT_SPIN_UP ? 1 : -1;
    if (!OnCmdMsg(n)) {
        ev.Skip();
        return;
    }
    if (n.result)
        ev.Veto();
}

void WindowBase::onBook(wxBookCtrlEvent& ev) {
    Notification n;
    n.code = TCN_SELCHANGE;
    n.id = ev.GetId();
    n.control = dynamic_cast<wxWindow*>(ev.GetEventObject());
    n.item = ev.GetSelection();
    if (!OnCmdMsg(n))
        ev.Skip();
}

void WindowBase::onContextMenu(wxContextMenuEvent& ev) {
    // From the keyboard the event has no position: both halves 0xFFFF, as -1.
    const wxPoint at = ev.GetPosition();
    const LPARAM lParam = static_cast<LPARAM>(MAKELONG(static_cast<WORD>(at.x), static_cast<WORD>(at.y)));
    const auto wParam = reinterpret_cast<WPARAM>(WindowHandle(dynamic_cast<wxWindow*>(ev.GetEventObject())));
    LRESULT result = 0;
    if (!Dispatch(WM_CONTEXTMENU, wParam, lParam, result))
        ev.Skip();
}

void WindowBase::onChildFocus(wxChildFocusEvent& ev) {
    ev.Skip();
    wxWindow* focus = wxWindow::FindFocus();
    if (!focus || focus == self_)
        return;
    // Only the window base nearest to the control watches it.
    for (wxWindow* w = focus->GetParent(); w; w = w->GetParent()) {
        if (WindowBaseOf(w)) {
            if (w == self_)
                WatchFocus(focus);
            return;
        }
    }
}

void WindowBase::onUpdate(wxUpdateUIEvent& ev) {
    CmdUI ui(ev.GetId());
    bool known = UpdateCmdUI(ui);
    wxObject* from = ev.GetEventObject();
    if (!known) {
        // A bar itself is not a command: disabling it would disable all of its buttons.
        if (isMenuOrTool(from) && !isBarItself(ev))
            ev.Enable(false);
        else
            ev.Skip();
        return;
    }
    if (ui.enabled)
        ev.Enable(*ui.enabled);
    if (ui.checked) {
        ev.Check(*ui.checked != 0);
    } else if (auto* bar = dynamic_cast<wxToolBar*>(from)) {
        // Tool-bar buttons are made checkable so that a handler can press them; one whose handler
        // sets no check stays up after a click, as a plain button does.
        wxToolBarToolBase* tool = bar->FindById(ev.GetId());
        if (tool && tool->CanBeToggled())
            ev.Check(false);
    }
    if (ui.label)
        ev.SetText(*ui.label);
}

} // namespace ui
