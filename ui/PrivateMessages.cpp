#include "ui/PrivateMessages.h"

#include <wx/app.h>
#include <wx/thread.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <unordered_map>

namespace ui {

wxDEFINE_EVENT(EVT_PRIVATE_MESSAGE, PrivateMessageEvent);

struct SendWait {
    std::mutex mutex;
    std::condition_variable cv;
    bool done = false;
    LRESULT result = 0;
    void finish(LRESULT r) {
        std::lock_guard<std::mutex> lock(mutex);
        result = r;
        done = true;
        cv.notify_all();
    }
};

PrivateMessageEvent::PrivateMessageEvent(DWORD tok, UINT msg, WPARAM w, LPARAM l)
    : wxEvent(0, EVT_PRIVATE_MESSAGE), token(tok), message(msg), wParam(w), lParam(l) {}

namespace {

// Tokens start well above small integers so that a stray 0, 1 or -1 never names a window; they
// are never reused.
constexpr DWORD kThreadTargetToken = 0xFFFFFFF0u;

struct Registry {
    std::mutex mutex;
    std::unordered_map<DWORD, MessageTarget*> targets;
    DWORD next = 0x00010000u;
    MessageTarget* threadTarget = nullptr;
};

Registry& registry() {
    static Registry* r = new Registry; // lives to the end of the process: workers may post late
    return *r;
}

bool deliver(PrivateMessageEvent& ev);

// Posted messages are delivered one after the other: a message that a one-message pump inside
// another message's handler would deliver waits until that handler has returned, so handlers of
// a stream of messages (progress reports) run in the order the messages were posted.
int deliveryDepth = 0;
int pumpDepth = 0;
bool draining = false;
std::deque<PrivateMessageEvent> deferred;

void deliverCounted(PrivateMessageEvent& ev) {
    ++deliveryDepth;
    LRESULT r = 0;
    if (deliver(ev))
        r = ev.result;
    --deliveryDepth;
    if (ev.wait)
        ev.wait->finish(r);
}

void drainDeferred() {
    if (draining)
        return;
    draining = true;
    while (!deferred.empty()) {
        PrivateMessageEvent next = deferred.front();
        deferred.pop_front();
        deliverCounted(next);
    }
    draining = false;
}

class Dispatcher : public wxEvtHandler {
public:
    Dispatcher() {
        Bind(EVT_PRIVATE_MESSAGE, [](PrivateMessageEvent& ev) {
            if (pumpDepth > 0 && deliveryDepth > 0 && !ev.wait) {
                deferred.push_back(ev);
                return;
            }
            deliverCounted(ev);
            if (deliveryDepth == 0)
                drainDeferred();
        });
    }
    void deliverNow() {
        if (m_pendingEvents && !m_pendingEvents->IsEmpty())
            ProcessPendingEvents();
    }
};

Dispatcher& dispatcher() {
    static Dispatcher* d = new Dispatcher;
    return *d;
}

MessageTarget* lookup(DWORD token) {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (token == kThreadTargetToken)
        return r.threadTarget;
    auto it = r.targets.find(token);
    return it == r.targets.end() ? nullptr : it->second;
}

bool exists(DWORD token) {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.targets.count(token) != 0;
}

// UI thread: runs the target's table. False when the target is gone.
bool deliver(PrivateMessageEvent& ev) {
    MessageTarget* target = lookup(ev.token);
    if (!target)
        return false;
    wxWindow* w = target->MessageWindow();
    if (w && w->IsBeingDeleted())
        return false;
    ev.handled = target->Dispatch(ev.message, ev.wParam, ev.lParam, ev.result);
    return true;
}

void queue(PrivateMessageEvent* ev) {
    wxQueueEvent(&dispatcher(), ev);
}

} // namespace

MessageTarget::MessageTarget(wxWindow* window) : window_(window) {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    token_ = r.next++;
    r.targets[token_] = this;
}

MessageTarget::~MessageTarget() {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.targets.erase(token_);
    if (r.threadTarget == this)
        r.threadTarget = nullptr;
}

void MessageTarget::add(Entry entry) {
    if (entryAt_ >= entries_.size())
        entries_.push_back(std::move(entry));
    else
        entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(entryAt_++), std::move(entry));
}

void MessageTarget::OnMessage(UINT message, Handler handler) {
    add({message, message, [h = std::move(handler)](UINT, WPARAM w, LPARAM l) { return h(w, l); }});
}

void MessageTarget::OnMessageRange(UINT first, UINT last, RangeHandler handler) {
    add({first, last, std::move(handler)});
}

BOOL MessageTarget::Post(UINT message, WPARAM wParam, LPARAM lParam) const {
    return PostMessageTo(GetSafeHwnd(), message, wParam, lParam);
}

bool MessageTarget::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (message >= entries_[i].first && message <= entries_[i].last) {
            RangeHandler h = entries_[i].handler; // the handler may change the table
            result = h(message, wParam, lParam);
            return true;
        }
    }
    return OnUnhandledMessage(message, wParam, lParam, result);
}

bool MessageTarget::OnUnhandledMessage(UINT, WPARAM, LPARAM, LRESULT& result) {
    result = 0;
    return false;
}

MessageTarget* FindMessageTarget(HWND window) {
    DWORD token = HandleToToken(window);
    return token == kThreadTargetToken ? nullptr : lookup(token);
}

namespace {

// The target a plain window (a control) gets when someone asks for its handle.
class AttachedTarget : public MessageTarget {
public:
    explicit AttachedTarget(wxWindow* w) : MessageTarget(w) {
        w->Bind(wxEVT_DESTROY, &AttachedTarget::onDestroy, this);
    }

private:
    void onDestroy(wxWindowDestroyEvent& ev) {
        ev.Skip();
        if (ev.GetEventObject() == MessageWindow())
            delete this;
    }
};

} // namespace

HWND WindowHandle(wxWindow* window) {
    if (!window)
        return nullptr;
    {
        Registry& r = registry();
        std::lock_guard<std::mutex> lock(r.mutex);
        for (const auto& [token, target] : r.targets)
            if (target->MessageWindow() == window)
                return TokenToHandle(token);
    }
    return (new AttachedTarget(window))->GetSafeHwnd();
}

wxWindow* WindowFromHandle(HWND handle) {
    MessageTarget* t = FindMessageTarget(handle);
    return t ? t->MessageWindow() : nullptr;
}

BOOL PostMessageTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD token = HandleToToken(window);
    if (!token || !exists(token))
        return FALSE;
    queue(new PrivateMessageEvent(token, message, wParam, lParam));
    return TRUE;
}

LRESULT SendMessageTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD token = HandleToToken(window);
    if (!token || !exists(token))
        return 0;
    if (wxThread::IsMain()) {
        PrivateMessageEvent ev(token, message, wParam, lParam);
        return deliver(ev) ? ev.result : 0;
    }
    auto wait = std::make_shared<SendWait>();
    auto* ev = new PrivateMessageEvent(token, message, wParam, lParam);
    ev->wait = wait;
    queue(ev);
    std::unique_lock<std::mutex> lock(wait->mutex);
    wait->cv.wait(lock, [&] { return wait->done; });
    return wait->result;
}

void SetThreadMessageTarget(MessageTarget* target) {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.threadTarget = target;
}

BOOL PostThreadMessageToApp(UINT message, WPARAM wParam, LPARAM lParam) {
    queue(new PrivateMessageEvent(kThreadTargetToken, message, wParam, lParam));
    return TRUE;
}

void InstallWindowMessageHooks() {
    WindowMessageHooks hooks;
    hooks.post = PostMessageTo;
    hooks.send = SendMessageTo;
    hooks.postThread = PostThreadMessageToApp;
    hooks.isWindow = [](HWND w) -> BOOL {
        return HandleToToken(w) && exists(HandleToToken(w)) ? TRUE : FALSE;
    };
    SetWindowMessageHooks(std::move(hooks));
}

void DeliverQueuedMessages() {
    dispatcher().deliverNow();
    if (deliveryDepth == 0)
        drainDeferred();
}

MessagePumpScope::MessagePumpScope() {
    ++pumpDepth;
}
MessagePumpScope::~MessagePumpScope() {
    --pumpDepth;
}

} // namespace ui
