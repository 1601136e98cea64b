// CMIICtrl: the MⅡ controller (controller type 9): the QT one-axis command set in remote mode,
// with a connection that can be held open from Open to Close(1), a stored speed set sent on
// every entry into remote mode, and a return to the home position.
#pragma once

#include "devices/serial/QtCtrl.h"

class CMIICtrl : public CQtCtrl {
public:
    CMIICtrl() = default;
    ~CMIICtrl() override = default;

    // Stores the arguments, connects, then holds the connection (auto-connect flag 0).
    BOOL Open(int port, int baud, int data, int parity, int stop, int flow);
    // Puts the auto-connect flag back to `autoConnect` and disconnects.
    BOOL Close(int autoConnect);
    // Stores the set, then sends it.
    BOOL SetSpeed(int axes, int low, int high, int rate);
    // Only stores the set; it is sent at the next entry into remote mode.
    BOOL StoreSpeed(int axes, int low, int high, int rate);
    // Polls the position until two readings agree (and, when the link was out of step since the
    // motion was sent, agree with its target).
    BOOL WaitStop();
    BOOL GoHome();
    BOOL SetRemote(BOOL on);

    BOOL IsConnected() const { return m_Link.connected; }

protected:
    // A round connects (entering remote mode) unless the connection is held, and disconnects
    // afterwards unless it is held.
    bool BeginRound() override;
    void EndRound() override;

private:
    void Connect();
    void Disconnect();

    int m_nLow = 1000;
    int m_nHigh = 5000;
    int m_nRate = 100;
};
