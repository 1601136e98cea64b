// CMmc2Ctrl: the two-axis MMC-2 stage controller (controller type 1); axes W (both), X, Y.
#pragma once

#include "devices/ColonCommand.h"

class CMmc2Ctrl {
public:
    CMmc2Ctrl() = default;
    virtual ~CMmc2Ctrl() = default;

    BOOL Open(int port, int baud, int data, int parity, int stop, int flow);
    BOOL Close();
    BOOL GetPosition(int* p1, int* p2);
    BOOL MoveAbs(int axes, int val1, int val2);
    BOOL MoveRel(int axes, int d1, int d2);
    BOOL Jog(int axes, int dir1, int dir2);
    BOOL SetSpeed(int axes, int low, int high, int rate);
    BOOL Stop();
    BOOL WaitStop();

    CSerialPort& Port() { return m_Link.port; }
    // The 27-character status line: positions at 0 and 10, flags at 20, 22, 24, CR LF at 25.
    static bool ParseStatus(const std::string& line, ColonStatus& status);

private:
    bool QueryStatus(ColonStatus& status);

    ControllerLink m_Link;
};
