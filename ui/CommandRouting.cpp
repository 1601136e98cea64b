#include "ui/CommandRouting.h"

namespace ui {

void CommandTarget::add(Entry entry) {
    if (entryAt_ >= entries_.size())
        entries_.push_back(std::move(entry));
    else
        entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(entryAt_++), std::move(entry));
}

void CommandTarget::OnControl(int code, int id, CommandFn fn) {
    add({code, id, id, [f = std::move(fn)](Notification&) { f(); }});
}

void CommandTarget::OnControlRange(int code, int first, int last, RangeFn fn) {
    add({code, first, last, [f = std::move(fn)](Notification& n) { f(n.id); }});
}

void CommandTarget::OnNotifyRange(int code, int first, int last, NotifyFn fn) {
    add({code, first, last, std::move(fn)});
}

void CommandTarget::OnUpdateUIRange(int first, int last, UpdateFn fn) {
    Upd entry{first, last, std::move(fn)};
    if (updateAt_ >= updates_.size())
        updates_.push_back(std::move(entry));
    else
        updates_.insert(updates_.begin() + static_cast<std::ptrdiff_t>(updateAt_++), std::move(entry));
}

bool CommandTarget::HandleNotification(Notification& n) {
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        if (e.code == n.code && n.id >= e.first && n.id <= e.last) {
            NotifyFn fn = e.fn; // the handler may add entries
            fn(n);
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
    for (const auto& e : entries_)
        if (e.code == BN_CLICKED && id >= e.first && id <= e.last)
            return true;
    return false;
}

std::vector<int> CommandTarget::MappedIds(bool withCommands) const {
    std::vector<int> ids;
    for (const auto& e : entries_)
        if (e.first == e.last && (withCommands || e.code != BN_CLICKED))
            ids.push_back(e.first);
    return ids;
}

static CommandTarget* appTarget = nullptr;
void SetAppCommandTarget(CommandTarget* target) {
    appTarget = target;
}
CommandTarget* AppCommandTarget() {
    return appTarget;
}

bool RouteNotification(const std::vector<CommandTarget*>& chain, Notification& n) {
    for (CommandTarget* t : chain)
        if (t && t->HandleNotification(n))
            return true;
    return false;
}

bool RouteCommand(const std::vector<CommandTarget*>& chain, int id) {
    Notification n;
    n.id = id;
    return RouteNotification(chain, n);
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

} // namespace ui
