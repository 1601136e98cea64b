#include "ui/Timers.h"

#include "platform/WindowMessages.h"
#include "ui/PrivateMessages.h"

#include <wx/app.h>
#include <wx/evtloop.h>

namespace ui {

class WindowTimers::Timer : public wxTimer {
public:
    Timer(WindowTimers* set, UINT id, std::function<void(UINT)> fn)
        : set_(set), id_(id), fn_(std::move(fn)) {}
    void Notify() override {
        if (fn_) {
            auto fn = fn_;
            fn(id_);
        } else if (set_->owner_) {
            LRESULT r = 0;
            set_->owner_->Dispatch(WM_TIMER, id_, 0, r);
        }
    }

private:
    WindowTimers* set_;
    UINT id_;
    std::function<void(UINT)> fn_;
};

WindowTimers::WindowTimers(MessageTarget* owner) : owner_(owner) {}

WindowTimers::~WindowTimers() {
    for (auto& [id, t] : timers_)
        t->Stop();
}

UINT WindowTimers::SetTimer(UINT id, UINT ms, std::function<void(UINT)> fn) {
    if (ms == 0)
        return 0;
    auto& slot = timers_[id];
    if (slot)
        slot->Stop();
    slot = std::make_unique<Timer>(this, id, std::move(fn));
    slot->Start(static_cast<int>(ms));
    return id;
}

BOOL WindowTimers::KillTimer(UINT id) {
    auto it = timers_.find(id);
    if (it == timers_.end())
        return FALSE;
    it->second->Stop();
    // A timer may be killed from its own Notify: the object goes once wx is done with it.
    Timer* dead = it->second.release();
    timers_.erase(it);
    if (wxTheApp)
        wxTheApp->CallAfter([dead] { delete dead; });
    else
        delete dead;
    return TRUE;
}

bool WindowTimers::IsRunning(UINT id) const {
    auto it = timers_.find(id);
    return it != timers_.end() && it->second->IsRunning();
}

bool LiveTicker::StartTicking(int intervalMs) {
    home_ = wxEventLoopBase::GetActive();
    return Start(intervalMs);
}

void LiveTicker::Notify() {
    // Nor inside a yield of that loop (a notice drawn while a module loads): user input waits
    // there until the yield ends, so a message box a tick showed could not be answered.
    if (inTick_ || wxEventLoopBase::GetActive() != home_ || (home_ && home_->IsYielding())) {
        ++skipped_;
        return;
    }
    inTick_ = true;
    ++ticks_;
    tick_();
    inTick_ = false;
}

} // namespace ui
