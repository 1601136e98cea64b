// CMsc2Ctrl: the two-axis MS-C2 stage controller (controller type 2); axes A and B.
#pragma once

#include "devices/ColonCommand.h"

class CMsc2Ctrl {
public:
    CMsc2Ctrl() = default;
    virtual ~CMsc2Ctrl() = default;

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
    // The 23-character status line: position A in 0..8 and its state letter at 9, position B in
    // 11..19 and its state at 20, CR LF at 21.
    static bool ParseStatus(const std::string& line, ColonStatus& status);

private:
    bool QueryStatus(ColonStatus& status);

    ControllerLink m_Link;
};
