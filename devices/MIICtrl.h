// CMIICtrl: the MⅡ controller (controller type 9): the QT one-axis command set in remote mode,
// with a connection that can be held open from Open to Close(1), a stored speed set sent on
// every entry into remote mode, and a return to the home position.
#pragma once

#include "devices/QtCtrl.h"

class CMIICtrl : public CQtCtrl {
public:
    CMIICtrl() = default;
    ~CMIICtrl() override = default;

    void SetType(int type) { m_nType = type; }

    // Stores the arguments, connects, then holds the connection (auto-connect flag 0).
    BOOL Open(int port, int baud, int data, int parity, int stop, int flow);
    // Puts the auto-connect flag back to `autoConnect` and disconnects.
    BOOL Close(int autoConnect);
    BOOL GetPosition(int* p1, int* p2);
    BOOL MoveAbs(int axes, int val1, int val2);
    BOOL MoveRel(int axes, int d1, int d2);
    BOOL Jog(int axes, int dir1, int dir2);
    // Stores the set, then sends it.
    BOOL SetSpeed(int axes, int low, int high, int rate);
    // Only stores the set; it is sent at the next entry into remote mode.
    BOOL StoreSpeed(int axes, int low, int high, int rate);
    BOOL Stop();
    BOOL WaitStop();
    BOOL GoHome();
    BOOL SetRemote(BOOL on);

    BOOL IsConnected() const { return m_Link.connected; }

private:
    void Connect();
    void Disconnect();

    int m_nLow = 1000;
    int m_nHigh = 5000;
    int m_nRate = 100;
};
