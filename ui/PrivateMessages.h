// Numeric private messages between the windows of the program and from worker threads.
//
// A window (or the application object) that takes messages owns a MessageTarget: a handler
// table in message-map order and a 32-bit handle token. Messages travel as one wx event type,
// PrivateMessageEvent, through a dispatcher on the UI thread; the target is looked up by its
// token when the message is delivered, so a message to a target that was destroyed meanwhile is
// dropped.
#pragma once

#include "platform/WindowMessages.h"
#include "platform/WinTypes.h"

#include <wx/event.h>
#include <wx/window.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace ui {

struct SendWait;

class PrivateMessageEvent : public wxEvent {
public:
    PrivateMessageEvent(DWORD token = 0, UINT message = 0, WPARAM wParam = 0, LPARAM lParam = 0);
    wxEvent* Clone() const override { return new PrivateMessageEvent(*this); }

    DWORD token;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool handled = false;
    std::shared_ptr<SendWait> wait; // set for a send from another thread
};

wxDECLARE_EVENT(EVT_PRIVATE_MESSAGE, PrivateMessageEvent);

class MessageTarget {
public:
    using Handler = std::function<LRESULT(WPARAM, LPARAM)>;
    using RangeHandler = std::function<LRESULT(UINT, WPARAM, LPARAM)>;

    // window: the window whose life the target shares (null for the application object).
    explicit MessageTarget(wxWindow* window);
    virtual ~MessageTarget();
    MessageTarget(const MessageTarget&) = delete;
    MessageTarget& operator=(const MessageTarget&) = delete;

    // Handler tables are searched in the order the entries were added; the first entry for a
    // message handles it.
    void OnMessage(UINT message, Handler handler);
    void OnMessageRange(UINT first, UINT last, RangeHandler handler);
    template <class T> void OnMessage(UINT message, LRESULT (T::*fn)(WPARAM, LPARAM)) {
        T* self = static_cast<T*>(this);
        OnMessage(message, [self, fn](WPARAM w, LPARAM l) { return (self->*fn)(w, l); });
    }

    HWND GetSafeHwnd() const { return TokenToHandle(token_); }
    DWORD Token() const { return token_; }
    wxWindow* MessageWindow() const { return window_; }

    // Posts to this target (any thread).
    BOOL Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    // Runs the handler table on the UI thread; false when no entry took the message.
    bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

protected:
    // Entries added from now on are searched before those added so far (a derived class's before
    // its base's; see WindowBase::EndBaseClassEntries).
    void EndBaseMessageEntries() { entryAt_ = 0; }
    // Messages no table entry takes (a frame routes WM_COMMAND here to its commands).
    virtual bool OnUnhandledMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    struct Entry {
        UINT first, last;
        RangeHandler handler;
    };
    void add(Entry entry);
    wxWindow* window_;
    DWORD token_;
    std::vector<Entry> entries_;
    size_t entryAt_ = SIZE_MAX; // where the next entry goes: the end until a base ended its entries
};

// The target of a handle, or null when it is gone. UI thread only.
MessageTarget* FindMessageTarget(HWND window);
// The handle of a window: the token of its MessageTarget; a window without one (a control)
// gets a token of its own on first use, released when the window is destroyed. Null for null.
HWND WindowHandle(wxWindow* window);
// The window of a handle, null when it is gone.
wxWindow* WindowFromHandle(HWND handle);

// Queues a message (any thread); FALSE when the target does not exist.
BOOL PostMessageTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Delivers at once on the UI thread; from another thread, waits until the UI thread has
// delivered it. 0 when the target does not exist or is destroyed before delivery.
LRESULT SendMessageTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Thread messages go to the application's target (dropped while there is none).
void SetThreadMessageTarget(MessageTarget* target);
BOOL PostThreadMessageToApp(UINT message, WPARAM wParam, LPARAM lParam);

// Installs the functions above as the platform's window-message hooks.
void InstallWindowMessageHooks();

// Delivers the messages queued so far (used by the one-message pump and by tests).
void DeliverQueuedMessages();

// Marks a one-message pump: while one runs inside the handler of a posted message, further
// posted messages are held back and delivered, in order, after that handler has returned.
class MessagePumpScope {
public:
    MessagePumpScope();
    ~MessagePumpScope();
    MessagePumpScope(const MessagePumpScope&) = delete;
    MessagePumpScope& operator=(const MessagePumpScope&) = delete;
};

} // namespace ui
