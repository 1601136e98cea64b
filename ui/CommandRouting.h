// Commands (menu items, bar buttons, accelerators) and their update-UI requests, routed through
// a chain of command targets: view → document → frame → application. One update-UI request
// serves every menu item and bar button of the same id, so they enable, check and relabel alike.
#pragma once

#include <wx/event.h>
#include <wx/string.h>
#include <wx/window.h>

#include <functional>
#include <optional>
#include <vector>

namespace ui {

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
    using UpdateFn = std::function<void(CmdUI&)>;

    virtual ~CommandTarget() = default;

    // Entries are searched in the order they were added.
    void OnCommand(int id, CommandFn fn) {
        OnCommandRange(id, id, [f = std::move(fn)](int) { f(); });
    }
    void OnCommandRange(int first, int last, RangeFn fn);
    void OnUpdateUI(int id, UpdateFn fn) { OnUpdateUIRange(id, id, std::move(fn)); }
    void OnUpdateUIRange(int first, int last, UpdateFn fn);
    template <class T> void OnCommand(int id, void (T::*fn)()) {
        T* self = static_cast<T*>(this);
        OnCommand(id, [self, fn] { (self->*fn)(); });
    }
    template <class T> void OnUpdateUI(int id, void (T::*fn)(CmdUI&)) {
        T* self = static_cast<T*>(this);
        OnUpdateUI(id, [self, fn](CmdUI& ui) { (self->*fn)(ui); });
    }

    // True when an entry of this target handled it.
    virtual bool HandleCommand(int id);
    virtual bool HandleUpdate(CmdUI& ui);
    bool HasCommand(int id) const;

private:
    struct Cmd {
        int first, last;
        RangeFn fn;
    };
    struct Upd {
        int first, last;
        UpdateFn fn;
    };
    std::vector<Cmd> commands_;
    std::vector<Upd> updates_;
};

// The target of the application (end of every chain); null until the program sets one.
void SetAppCommandTarget(CommandTarget* target);
CommandTarget* AppCommandTarget();

// Runs the first target of the chain that handles the id (nulls are skipped).
bool RouteCommand(const std::vector<CommandTarget*>& chain, int id);
// Asks the chain for the item's state. Without an update handler an id that some target
// handles is enabled; the result tells whether any target knew the id at all.
bool RouteUpdate(const std::vector<CommandTarget*>& chain, CmdUI& ui);

// Binds menu, tool, button and update-UI events of a window (a frame) to the chain its
// function gives. Buttons and controls of panels inside the window reach it too (their
// command events travel up to the frame). Menu items and tools of ids no target knows are
// disabled; other controls are left as they are.
class CommandRouter {
public:
    using ChainFn = std::function<std::vector<CommandTarget*>()>;
    CommandRouter(wxWindow* window, ChainFn chain);
    // Routes a command as if the menu item had been chosen (WM_COMMAND sent to the frame).
    bool Route(int id) const { return RouteCommand(chain_(), id); }

private:
    void onCommand(wxCommandEvent& ev);
    void onUpdate(wxUpdateUIEvent& ev);
    ChainFn chain_;
};

} // namespace ui
