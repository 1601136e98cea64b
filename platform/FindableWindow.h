// Top-level windows that other processes of this user can find by class name or title and pass a
// data record to (the WM_COPYDATA hand-over between the programs).
//
// Every registered window owns a Unix-domain socket in the per-user runtime folder
// (GetRuntimeFolder): "win-<pid>-<nonce>-<n>.sock", and beside it "win-<pid>-<nonce>-<n>.info"
// with the window's display, class name, title and activation stamp. Lookups read the info files
// and skip windows whose owner has ended (the socket refuses connections); such leftovers are
// removed. A window belongs to the display its process shows windows on (CurrentDisplayName):
// lookups list the windows of their own display alone, so that a record handed over in one
// session of the user never lands in a window on another session's display.
//
// The wire of one send, all numbers little-endian: the sender writes the 4-byte tag (dwData), the
// 4-byte length (cbData) and the record bytes unchanged; the receiver hands the record to its
// delivery function and writes back the function's 8-byte result. A receiver that refuses the
// record (too large, cut short, a header not complete within a second) closes the connection
// without a result. A receiver serves a bounded number of connections; when all are taken, a new
// sender gets in in place of the connection that has sent nothing for longest, so that idle peers
// keep no sender out.
#pragma once

#include "platform/WinTypes.h"

#include <functional>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

constexpr UINT WM_COPYDATA = 0x004A;

// The record of a WM_COPYDATA send. lpData stays the sender's; on the receiving side it is valid
// only during the delivery call.
struct COPYDATASTRUCT {
    DWORD dwData = 0;
    DWORD cbData = 0;
    const void* lpData = nullptr;
};

// The largest record a receiver takes: 256 MiB, the "VV3D" height hand-over (16 + 8 W H bytes)
// of a picture of up to about 33 million pixels (5792 x 5792), well above the camera's largest
// frame (3840 x 3072, 90 MiB), so that results composed from large image files on disk still go
// over. A claim beyond it is refused as soon as the header is in, before anything is allocated;
// below it the receiver's memory grows with the bytes that have arrived, not with the claim, so
// that peers that claim much and send little cost little.
constexpr DWORD kMaxCopyDataBytes = 256u << 20;

// A findable window as a lookup sees it.
struct TopWindowInfo {
    std::string display; // CurrentDisplayName() of the owner
    std::string className;
    std::string title;
    pid_t processId = 0;
    unsigned long long activation = 0; // larger = activated more recently
    std::string socketPath;            // where records to this window go
};

// The owner's side: registers a window while it exists. Not copyable; the destructor
// unregisters.
class FindableWindow {
public:
    // Runs on one of the receiver's threads for every complete record, one record at a time
    // (each connection is served apart, so a peer that sends nothing holds up no other); its
    // result goes back to the sender. It must return once Unregister has been called (the window layer's
    // delivery waits for the UI thread, and stops waiting when the window goes).
    using Delivery = std::function<LRESULT(const COPYDATASTRUCT&)>;

    FindableWindow();
    ~FindableWindow();
    FindableWindow(const FindableWindow&) = delete;
    FindableWindow& operator=(const FindableWindow&) = delete;

    // Makes the window findable and starts its listener. The window counts as activated now. False
    // (with GetFindableWindowError()) when the runtime folder or the socket cannot be made, or when
    // the window is registered already.
    bool Register(const std::string& className, const std::string& title, Delivery delivery);
    // Ends the listener (waiting for a delivery in progress) and removes the socket and info file.
    void Unregister();
    bool IsRegistered() const;

    // Changes the title that lookups see.
    bool SetTitle(const std::string& title);
    // Puts the window first in the activation order.
    bool ReportActivation();

    std::string SocketPath() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The findable windows of this user on this process's display, in activation order, most
// recently activated first.
std::vector<TopWindowInfo> EnumTopWindows();

// The first window in activation order whose class name and title equal the given ones exactly;
// a null argument matches any. False when there is none.
bool FindTopWindow(const char* className, const char* title, TopWindowInfo* found);

// Sends the record and waits for the receiver's result, all within timeoutMs milliseconds. False
// (with GetFindableWindowError()) when the window cannot be reached, refuses the record, dies or
// does not answer in time. A send from the UI thread to a window of its own process cannot be
// delivered (the delivery waits for that thread) and fails at the time-out.
bool SendCopyData(const TopWindowInfo& target, const COPYDATASTRUCT& record, DWORD timeoutMs,
                  LRESULT* result = nullptr);

// The reason of the last failure on this thread.
std::string GetFindableWindowError();
