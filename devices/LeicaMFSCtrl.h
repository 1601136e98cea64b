// CLeicaMFSCtrl: the Motor-Focus System (controller type 3), driven by five-digit numeric
// commands. It has no speed command. The program's position is the negated controller position.
#pragma once

#include "devices/ControllerLink.h"

class CLeicaMFSCtrl {
public:
    CLeicaMFSCtrl() = default;
    virtual ~CLeicaMFSCtrl() = default;

    BOOL Open(int port, int baud, int data, int parity, int stop, int flow);
    BOOL Close();
    BOOL GetPosition(int* pos);
    BOOL MoveAbs(int pos);
    BOOL MoveRel(int dist);
    BOOL Jog(int dir);
    BOOL Stop();
    BOOL WaitStop();

    CSerialPort& Port() { return m_Link.port; }
    // The controller position of a reply line: the number from its seventh character on. The
    // line must hold at least 7 characters before its CR LF.
    static bool ParsePosition(const std::string& line, int* controllerPos);

private:
    ControllerLink m_Link;
};
