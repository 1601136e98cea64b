#include "ui/CommandRouting.h"

#include <wx/menu.h>
#include <wx/tglbtn.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/button.h>
#include <wx/toolbar.h>
#include <wx/aui/auibar.h>

namespace ui {

void CommandTarget::OnCommandRange(int first, int last, RangeFn fn) {
    commands_.push_back({first, last, std::move(fn)});
}

void CommandTarget::OnUpdateUIRange(int first, int last, UpdateFn fn) {
    updates_.push_back({first, last, std::move(fn)});
}

bool CommandTarget::HandleCommand(int id) {
    for (size_t i = 0; i < commands_.size(); ++i) {
        if (id >= commands_[i].first && id <= commands_[i].last) {
            RangeFn fn = commands_[i].fn; // the handler may add entries
            fn(id);
            return true;
        }
    }
    return false;
}

bool CommandTarget::HandleUpdate(CmdUI& ui) {
    for (size_t i = 0; i < updates_.size(); ++i) {
        if (ui.m_nID >= updates_[i].first && ui.m_nID <= updates_[i].last) {
            UpdateFn fn = updates_[i].fn;
            fn(ui);
            return true;
        }
    }
    return false;
}

bool CommandTarget::HasCommand(int id) const {
    for (const auto& c : commands_)
        if (id >= c.first && id <= c.last)
            return true;
    return false;
}

static CommandTarget* appTarget = nullptr;
void SetAppCommandTarget(CommandTarget* target) {
    appTarget = target;
}
CommandTarget* AppCommandTarget() {
    return appTarget;
}

bool RouteCommand(const std::vector<CommandTarget*>& chain, int id) {
    for (CommandTarget* t : chain)
        if (t && t->HandleCommand(id))
            return true;
    return false;
}

bool RouteUpdate(const std::vector<CommandTarget*>& chain, CmdUI& ui) {
    for (CommandTarget* t : chain)
        if (t && t->HandleUpdate(ui))
            return true;
    for (CommandTarget* t : chain) {
        if (t && t->HasCommand(ui.m_nID)) {
            ui.Enable(true);
            return true;
        }
    }
    return false;
}

CommandRouter::CommandRouter(wxWindow* window, ChainFn chain) : chain_(std::move(chain)) {
    window->Bind(wxEVT_MENU, &CommandRouter::onCommand, this);
    window->Bind(wxEVT_BUTTON, &CommandRouter::onCommand, this);
    window->Bind(wxEVT_TOGGLEBUTTON, &CommandRouter::onCommand, this);
    window->Bind(wxEVT_CHECKBOX, &CommandRouter::onCommand, this);
    window->Bind(wxEVT_RADIOBUTTON, &CommandRouter::onCommand, this);
    window->Bind(wxEVT_UPDATE_UI, &CommandRouter::onUpdate, this);
}

void CommandRouter::onCommand(wxCommandEvent& ev) {
    if (!RouteCommand(chain_(), ev.GetId()))
        ev.Skip();
}

void CommandRouter::onUpdate(wxUpdateUIEvent& ev) {
    CmdUI ui(ev.GetId());
    bool known = RouteUpdate(chain_(), ui);
    wxObject* from = ev.GetEventObject();
    bool isMenuOrTool =
        wxDynamicCast(from, wxMenu) || wxDynamicCast(from, wxToolBar) || wxDynamicCast(from, wxAuiToolBar);
    if (!known) {
        if (isMenuOrTool)
            ev.Enable(false);
        else
            ev.Skip();
        return;
    }
    if (ui.enabled)
        ev.Enable(*ui.enabled);
    if (ui.checked)
        ev.Check(*ui.checked != 0);
    if (ui.label)
        ev.SetText(*ui.label);
}

} // namespace ui
