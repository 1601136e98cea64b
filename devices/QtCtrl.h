// CQtCtrl: the QT-CD1 (controller type 6, one axis A) and QT-CM2 (type 7, axes A and B) stage
// controllers. The type is set before the open and selects the status query.
#pragma once

#include "devices/ColonCommand.h"

class CQtCtrl {
public:
    CQtCtrl() = default;
    virtual ~CQtCtrl() = default;

    void SetType(int type) { m_nType = type; }
    int GetType() const { return m_nType; }

    BOOL Open(int port, int baud, int data, int parity, int stop, int flow);
    BOOL Close();
    // p2 is 0 in the one-axis use.
    BOOL GetPosition(int* p1, int* p2);
    BOOL MoveAbs(int axes, int val1, int val2);
    BOOL MoveRel(int axes, int d1, int d2);
    BOOL Jog(int axes, int dir1, int dir2);
    BOOL SetSpeed(int axes, int low, int high, int rate);
    BOOL Stop();
    BOOL WaitStop();

    CSerialPort& Port() { return m_Link.port; }
    // A status line of the one-axis (12 characters) or two-axis (23 characters) query. A line of
    // another length still counts: in the one-axis use its leading number is position A and the
    // letter before CR LF is state A (a line without that number or shorter than 3 characters
    // is refused); in the two-axis use it reports positions 0 and no state.
    static bool ParseStatus(const std::string& line, bool twoAxes, ColonStatus& status);

protected:
    bool TwoAxes() const { return m_nType == 7; }
    // The commands on an open connection.
    bool QueryStatus(ColonStatus& status);
    BOOL SendMoveAbs(int axes, int val1, int val2);
    BOOL SendMoveRel(int axes, int d1, int d2);
    BOOL SendJog(int axes, int dir1, int dir2);
    BOOL SendSpeed(int axes, int low, int high, int rate);
    BOOL SendStop();

    ControllerLink m_Link;
    int m_nType = 6;
};
