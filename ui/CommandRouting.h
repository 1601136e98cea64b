// Commands (menu items, bar buttons, accelerators), control notifications and update-UI
// requests, routed through a chain of command targets: view → document → frame → application.
// A command is the notification BN_CLICKED; every target keeps one map of commands and
// notifications, searched in the order the entries were added (message-map order). One update-UI
// request serves every menu item and bar button of the same id, so they enable, check and relabel
// alike.
#pragma once

#include "platform/WinTypes.h"

#include <wx/event.h>
#include <wx/gdicmn.h>
#include <wx/string.h>

#include <functional>
#include <optional>
#include <vector>

class wxWindow;

namespace ui {

// Notification codes of buttons, edits, combo boxes and list boxes (they travel with the command).
constexpr int BN_CLICKED = 0; // also menu items, tool-bar buttons and accelerators
constexpr int BN_KILLFOCUS = 7;
constexpr int EN_SETFOCUS = 0x0100;
constexpr int EN_KILLFOCUS = 0x0200;
constexpr int EN_CHANGE = 0x0300;
constexpr int CBN_SELCHANGE = 1;
constexpr int CBN_DBLCLK = 2;
constexpr int CBN_KILLFOCUS = 4;
constexpr int CBN_EDITCHANGE = 5;
constexpr int LBN_SELCHANGE = 1;
constexpr int LBN_DBLCLK = 2;
constexpr int LBN_KILLFOCUS = 5;
// Notifications of list views and tree views (negative, as their codes are).
constexpr int NM_DBLCLK = -3;
constexpr int NM_RCLICK = -5;
constexpr int NM_KILLFOCUS = -8;
constexpr int LVN_ITEMCHANGED = -101;
constexpr int LVN_COLUMNCLICK = -108;
constexpr int LVN_BEGINDRAG = -109;
constexpr int LVN_KEYDOWN = -155;
constexpr int LVN_BEGINLABELEDIT = -175;
constexpr int LVN_ENDLABELEDIT = -176;
constexpr int TVN_SELCHANGED = -451;
constexpr int TVN_ITEMEXPANDING = -454;

// Item states of LVN_ITEMCHANGED.
constexpr UINT LVIS_FOCUSED = 0x0001;
constexpr UINT LVIS_SELECTED = 0x0002;

// One command or control notification on its way through the maps.
struct Notification {
    int code = BN_CLICKED;
    int id = 0;
    wxWindow* control = nullptr; // null for menu items, tool-bar buttons and accelerators
    // List and tree views: the item (-1 none), the column of a column click, the key of a key
    // press, the states of an item change, the text of an ended label edit and where the mouse was.
    long item = -1;
    void* treeItem = nullptr; // tree views: the item's id (wxTreeItemId::GetID)
    int column = -1;
    int key = 0;
    UINT newState = 0, oldState = 0;
    wxString text;
    bool editCancelled = false;
    wxPoint point;
    // The handler's answer: nonzero forbids what LVN_BEGINLABELEDIT, LVN_ENDLABELEDIT (zero
    // refuses the text) and TVN_ITEMEXPANDING announce.
    LRESULT result = 0;
};

// The state an update-UI handler sets for one command id.
class CmdUI {
public:
    explicit CmdUI(int id) : m_nID(id) {}
    void Enable(bool on = true) { enabled = on; }
    void SetCheck(int check = 1) { checked = check; } // 0 off, 1 on, 2 indeterminate
    void SetRadio(bool on = true) {
        checked = on ? 1 : 0;
        radio = true;
    }
    void SetText(const wxString& text) { label = text; }

    const int m_nID;
    std::optional<bool> enabled;
    std::optional<int> checked;
    std::optional<wxString> label;
    bool radio = false;
};

class CommandTarget {
public:
    using CommandFn = std::function<void()>;
    using RangeFn = std::function<void(int)>;
    using NotifyFn = std::function<void(Notification&)>;
    using UpdateFn = std::function<void(CmdUI&)>;

    virtual ~CommandTarget() = default;

    // Commands: menu items, bar buttons, accelerators and button clicks (BN_CLICKED).
    void OnCommand(int id, CommandFn fn) { OnControl(BN_CLICKED, id, std::move(fn)); }
    void OnCommandRange(int first, int last, RangeFn fn) {
        OnControlRange(BN_CLICKED, first, last, std::move(fn));
    }
    // A notification of a control: OnControl(CBN_SELCHANGE, ids::Preset, ...), OnControl(EN_CHANGE, ...).
    void OnControl(int code, int id, CommandFn fn);
    void OnControlRange(int code, int first, int last, RangeFn fn);
    // A notification whose details the handler reads (list and tree views).
    void OnNotify(int code, int id, NotifyFn fn) { OnNotifyRange(code, id, id, std::move(fn)); }
    void OnNotifyRange(int code, int first, int last, NotifyFn fn);
    void OnUpdateUI(int id, UpdateFn fn) { OnUpdateUIRange(id, id, std::move(fn)); }
    void OnUpdateUIRange(int first, int last, UpdateFn fn);

    template <class T> void OnCommand(int id, void (T::*fn)()) { OnControl(BN_CLICKED, id, fn); }
    template <class T> void OnControl(int code, int id, void (T::*fn)()) {
        T* self = static_cast<T*>(this);
        OnControl(code, id, [self, fn] { (self->*fn)(); });
    }
    template <class T> void OnNotify(int code, int id, void (T::*fn)(Notification&)) {
        T* self = static_cast<T*>(this);
        OnNotify(code, id, [self, fn](Notification& n) { (self->*fn)(n); });
    }
    template <class T> void OnUpdateUI(int id, void (T::*fn)(CmdUI&)) {
        T* self = static_cast<T*>(this);
        OnUpdateUI(id, [self, fn](CmdUI& ui) { (self->*fn)(ui); });
    }

    // True when an entry of this target's own map handled it.
    virtual bool HandleNotification(Notification& n);
    bool HandleCommand(int id) {
        Notification n;
        n.id = id;
        return HandleNotification(n);
    }
    virtual bool HandleUpdate(CmdUI& ui);
    bool HasCommand(int id) const;
    // The ids of the map's single-id notification entries and, with commands, of its command
    // entries (ranges left out).
    std::vector<int> MappedIds(bool withCommands = true) const;

private:
    struct Entry {
        int code, first, last;
        NotifyFn fn;
    };
    struct Upd {
        int first, last;
        UpdateFn fn;
    };
    std::vector<Entry> entries_;
    std::vector<Upd> updates_;
};

// The target of the application (end of every chain); null until the program sets one.
void SetAppCommandTarget(CommandTarget* target);
CommandTarget* AppCommandTarget();

// Runs the first target of the chain that handles it (nulls are skipped).
bool RouteNotification(const std::vector<CommandTarget*>& chain, Notification& n);
bool RouteCommand(const std::vector<CommandTarget*>& chain, int id);
// Asks the chain for the item's state. Without an update handler an id that some target
// handles is enabled; the result tells whether any target knew the id at all.
bool RouteUpdate(const std::vector<CommandTarget*>& chain, CmdUI& ui);

} // namespace ui
