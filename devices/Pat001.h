// CPAT_001: a one-axis controller (axis "1") of the colon-command language. No controller type
// selects it; it is kept for stages wired to it directly.
#pragma once

#include "devices/ColonCommand.h"

class CPAT_001 {
public:
    CPAT_001() = default;
    virtual ~CPAT_001() = default;

    BOOL Open(int port, int baud, int data, int parity, int stop, int flow);
    BOOL Close();
    BOOL GetPosition(int* pos);
    BOOL MoveAbs(int pos);
    BOOL MoveRel(int dist);
    BOOL Jog(int dir);
    // Start and travel speed 100..20000, rate 0..1000; the set is kept only when both the speed
    // and the jog-speed command were sent.
    BOOL SetSpeed(int start, int travel, int rate);
    BOOL Origin();
    BOOL Stop();
    BOOL WaitStop();

    CSerialPort& Port() { return m_Link.port; }
    // The 18-character status line: position in 0..9 (blanks removed), flags at 11, 13, 15.
    static bool ParseStatus(const std::string& line, ColonStatus& status);

private:
    bool QueryStatus(ColonStatus& status);
    BOOL SendSpeedSet(int start, int travel, int rate);

    ControllerLink m_Link;
    int m_nStart = 500;
    int m_nTravel = 5000;
    int m_nRate = 100;
};
