// CLeicaMFSCtrl: the Motor-Focus System (controller type 3), driven by five-digit numeric
// commands. It has no speed command. The program's position is the negated controller position.
#pragma once

#include "devices/serial/FocusDrive.h"

class CLeicaMFSCtrl : public CFocusDrive {
public:
    BOOL Open(int port, int baud, int data, int parity, int stop, int flow) override;
    // Each command has its own connection: the close only closes a port still open.
    BOOL Close(int autoConnect) override;
    BOOL GetPosition(int* pos) override;
    BOOL MoveAbs(int pos) override;
    BOOL MoveRel(int dist) override;
    BOOL Jog(int dir) override;
    BOOL Stop() override;
    // Reads the position again at once (no pause) until two readings agree.
    BOOL WaitStop() override;
    // The controller position of a reply line: the number from its seventh character on. The
    // line must hold at least 7 characters before its CR LF.
    static bool ParsePosition(const std::string& line, int* controllerPos);
};
